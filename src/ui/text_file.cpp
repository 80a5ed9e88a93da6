#include "ui/text_file.h"

#include <algorithm>
#include <new>
#include <vector>

#include "jobs/output_file.h"
#include "platform/text_conversion.h"

namespace vexmora {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool HasUtf16Mark(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 2 &&
           ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF));
}

// Well-formed UTF-8 (no overlong forms, surrogates or values above U+10FFFF), or such UTF-8 cut
// inside its last character after at least one complete multi-byte character. Without that
// evidence a trailing lead byte is more likely a letter of an 8-bit code page ("caf\xE9").
bool IsUtf8(std::span<const std::uint8_t> bytes) {
    bool multiByteSeen = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::uint8_t lead = bytes[i];
        std::size_t needed = 0;
        std::uint8_t low = 0x80, high = 0xBF;  // the allowed range of the second byte
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            needed = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            needed = 2;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            needed = 3;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        for (std::size_t k = 1; k <= needed; ++k) {
            if (i + k == bytes.size()) {
                return multiByteSeen;
            }
            if (bytes[i + k] < low || bytes[i + k] > high) {
                return false;
            }
            low = 0x80;
            high = 0xBF;
        }
        multiByteSeen = true;
        i += needed + 1;
    }
    return true;
}

// UTF-16 after its byte-order mark, up to the first zero code unit.
std::u16string Utf16Text(std::span<const std::uint8_t> bytes, bool bigEndian) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<char16_t>(bigEndian ? (bytes[i] << 8) | bytes[i + 1]
                                                          : bytes[i] | (bytes[i + 1] << 8));
        if (unit == 0) {
            return text;
        }
        text.push_back(unit);
    }
    if (i < bytes.size()) {
        text.push_back(kReplacement);  // half a code unit
    }
    return text;
}

}  // namespace

namespace {

LoadedText ReadText(File& file) {
    const std::int64_t size = file.Size();
    if (size > LoadLimit) {
        return {TextLoad::TooLarge, {}};
    }
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(std::max<std::int64_t>(size, 0)));
    std::uint8_t buffer[4096];
    bool utf16 = false;
    for (;;) {
        const std::int64_t got = file.ReadSome(buffer);
        if (got < 0) {
            return {TextLoad::ReadFailed, {}};
        }
        if (got == 0) {
            break;
        }
        const std::size_t before = bytes.size();
        bytes.insert(bytes.end(), buffer, buffer + got);
        // A file that grew since its size was asked (or whose size could not be had) is held to
        // the same limit.
        if (static_cast<std::int64_t>(bytes.size()) > LoadLimit) {
            return {TextLoad::TooLarge, {}};
        }
        utf16 = HasUtf16Mark(bytes);
        if (!utf16) {
            // In 8-bit text the text ends at its first zero byte, and nothing after it is read.
            const auto zero =
                std::find(bytes.begin() + static_cast<std::ptrdiff_t>(before), bytes.end(), 0);
            if (zero != bytes.end()) {
                bytes.erase(zero, bytes.end());
                break;
            }
        }
    }
    if (utf16) {
        return {TextLoad::Loaded, Utf16Text(std::span(bytes).subspan(2), bytes[0] == 0xFE)};
    }
    return {TextLoad::Loaded, IsUtf8(bytes) ? Utf8ToUtf16(bytes) : AnsiToUtf16(bytes)};
}

}  // namespace

LoadedText LoadTextFile(std::u16string_view path, FileSystem& fileSystem) {
    try {
        std::unique_ptr<File> file = fileSystem.OpenForReading(path);
        if (file == nullptr) {
            return {TextLoad::CannotOpen, {}};
        }
        return ReadText(*file);
    } catch (const std::bad_alloc&) {
        return {TextLoad::NoMemory, {}};
    }
}

int SaveTextFile(std::u16string_view path, std::u16string_view text, FileSystem& fileSystem,
                 std::u16string* keptOldFile) {
    try {
        OutputFile output(fileSystem, path);
        if (!MayWriteTo(fileSystem, path) || !output.Create() ||
            !output.file().WriteAll(Utf16ToUtf8(text))) {
            return 0;
        }
        const bool committed = output.Commit();
        if (keptOldFile != nullptr) {
            *keptOldFile = output.keptOldFile();
        }
        return committed ? 1 : 0;
    } catch (const std::bad_alloc&) {
        return 0;  // the output, if any, was discarded on the way out
    }
}

}  // namespace vexmora
