#include "jobs/text_job.h"

#include "crypto/base64.h"
#include "crypto/key_derivation.h"
#include "crypto/wipe.h"
#include "platform/text_conversion.h"

namespace vexmora {
namespace {

bool IsTrailingSpace(char16_t c) {
    return c == u'\r' || c == u'\n' || c == u'\t' || c == u' ';
}

}  // namespace

std::optional<std::u16string> CryptText(std::u16string_view text, std::u16string_view password,
                                        int direction) {
    const Key key = DeriveKey(password, TextFormat::Utf8);
    return CryptTextWithKey(key.span(), direction, text, TextFormat::Utf8, std::nullopt);
}

std::optional<std::u16string> CryptTextWithKey(std::span<const std::uint8_t> key, int direction,
                                               std::u16string_view text, TextFormat format,
                                               const std::optional<CipherParams>& params) {
    // The plain side holds the user's text: wiped when released.
    SecretBytes input;
    if (direction == kEncrypt) {
        input.resize(TextByteLength(text, format) + 2);
        input.resize(TextToBytes(input, text, -1, format));
    } else {
        const std::vector<std::uint8_t> decoded = Base64TextToBytes(text);
        input.assign(decoded.begin(), decoded.end());
    }
    auto stream =
        params ? CreateCipherStream(key, direction, *params) : CreateCipherStream(key, direction);
    if (stream == nullptr) {
        return std::nullopt;
    }
    SecretBytes output(input.size() + 34);
    const std::int64_t count = UpdateCipherStream(*stream, input, output, true);
    if (count < 0) {
        return std::nullopt;
    }
    const auto result = std::span(output).first(static_cast<std::size_t>(count));
    if (direction == kEncrypt) {
        return BytesToBase64Text(result, 0);
    }
    return BytesToText(result, format);
}

std::vector<std::uint8_t> Base64TextToBytes(std::u16string_view text) {
    while (!text.empty() && IsTrailingSpace(text.back())) {
        text.remove_suffix(1);
    }
    const std::vector<std::uint8_t> narrow = Utf16ToAnsi(text);
    const std::span<const char> characters(reinterpret_cast<const char*>(narrow.data()),
                                           narrow.size());
    std::vector<std::uint8_t> bytes(Base64DecodedCapacity(narrow.size()));
    bytes.resize(Base64Decode(characters, bytes));
    return bytes;
}

std::u16string BytesToBase64Text(std::span<const std::uint8_t> bytes, int flags) {
    std::vector<char> characters(Base64EncodedCapacity(bytes.size()));
    const std::size_t count = Base64Encode(bytes, characters, flags);
    return std::u16string(characters.begin(),
                          characters.begin() + static_cast<std::ptrdiff_t>(count));
}

std::u16string BytesToText(std::span<const std::uint8_t> bytes, TextFormat format) {
    std::u16string text;
    if (format == TextFormat::Utf16Le) {
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            text.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
        }
    } else {
        text = format == TextFormat::Utf8 ? Utf8ToUtf16(bytes) : AnsiToUtf16(bytes);
    }
    text.resize(std::min(text.size(), text.find(u'\0')));
    return text;
}

}  // namespace vexmora
