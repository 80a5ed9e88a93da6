#include <sys/stat.h>

#include <string>

#include "platform/file_info.h"
#include "platform/text_conversion.h"

namespace vexmora {

std::int64_t FileSizeOf(std::u16string_view path) {
    if (path.empty()) {
        return -1;
    }
    std::vector<std::uint8_t> bytes = Utf16ToUtf8(path);
    std::string native(bytes.begin(), bytes.end());
    // Like the Windows rule, trailing separators do not matter ("/tmp/" names the folder).
    while (native.size() > 1 && native.back() == '/') {
        native.pop_back();
    }
    struct stat info {};
    if (::stat(native.c_str(), &info) != 0) {
        return -1;
    }
    return S_ISDIR(info.st_mode) ? -2 : static_cast<std::int64_t>(info.st_size);
}

}  // namespace vexmora
