#include "ui/text_file.h"

#include <algorithm>
#include <vector>

#include "jobs/output_file.h"
#include "platform/text_conversion.h"

namespace vexmora {

std::u16string LoadTextFile(std::u16string_view path, FileSystem& fileSystem) {
    std::unique_ptr<File> file = fileSystem.OpenForReading(path);
    if (file == nullptr) {
        return {};
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[4096];
    for (;;) {
        const std::int64_t got = file->ReadSome(buffer);
        if (got <= 0) {
            break;
        }
        const auto end = buffer + got;
        const auto zero = std::find(buffer, end, std::uint8_t{0});
        bytes.insert(bytes.end(), buffer, zero);
        if (zero != end) {
            break;  // the text ends at its first zero byte
        }
    }
    return Utf8ToUtf16(bytes);
}

int SaveTextFile(std::u16string_view path, std::u16string_view text, FileSystem& fileSystem) {
    OutputFile output(fileSystem, path);
    if (!MayWriteTo(fileSystem, path) || !output.Create() ||
        !output.file().WriteAll(Utf16ToUtf8(text))) {
        return 0;
    }
    return output.Commit() ? 1 : 0;
}

}  // namespace vexmora
