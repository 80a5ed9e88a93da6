#include "crypto/text_bytes.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "crypto/wipe.h"
#include "platform/text_conversion.h"

namespace vexmora {
namespace {

// The converted bytes may be a password's, so the temporary copy is wiped.
SecretBytes Convert(std::u16string_view text, TextFormat format) {
    SecretBytes out;
    if (format == TextFormat::Utf16Le) {
        out.reserve(text.size() * 2);
        for (char16_t unit : text) {
            out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
            out.push_back(static_cast<std::uint8_t>(unit >> 8));
        }
        return out;
    }
    std::vector<std::uint8_t> bytes =
        format == TextFormat::Utf8 ? Utf16ToUtf8(text) : Utf16ToAnsi(text);
    out.assign(bytes.begin(), bytes.end());
    Wipe(std::span(bytes));
    return out;
}

}  // namespace

std::size_t TextByteLength(std::u16string_view text, TextFormat format) {
    if (format == TextFormat::Utf16Le) {
        return text.size() * 2;
    }
    return Convert(text, format).size();
}

std::size_t TextToBytes(std::span<std::uint8_t> destination, std::u16string_view text,
                        std::int64_t maximumUnits, TextFormat format) {
    if (maximumUnits >= 0 && static_cast<std::uint64_t>(maximumUnits) < text.size()) {
        text = text.substr(0, static_cast<std::size_t>(maximumUnits));
    }
    const std::size_t terminator = format == TextFormat::Utf16Le ? 2 : 1;
    SecretBytes bytes = Convert(text, format);
    if (destination.size() < bytes.size() + terminator) {
        if (destination.size() >= terminator) {
            std::fill_n(destination.begin(), terminator, std::uint8_t{0});
        }
        return 0;
    }
    std::copy(bytes.begin(), bytes.end(), destination.begin());
    std::fill_n(destination.begin() + static_cast<std::ptrdiff_t>(bytes.size()), terminator,
                std::uint8_t{0});
    return bytes.size();
}

}  // namespace vexmora
