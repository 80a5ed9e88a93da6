// The text job: a text encrypts to one line of Base64 of the same container that files use, and
// such a line decrypts back. Everything happens in memory, in one cipher call.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "crypto/cipher_stream.h"
#include "crypto/text_bytes.h"

namespace vexmora {

// Encrypts (kEncrypt) the text's UTF-8 bytes into Base64, or decrypts (any other direction) such
// Base64 back into text, with the key derived from the password.
//
// Decryption returns nothing (std::nullopt) when the text is not Base64 of whole groups, or the
// container is too short, torn or badly padded: a wrong password or damaged text. The empty text,
// encrypted, decrypts to the empty text. Line breaks, tabs and spaces after the last group are
// ignored, so a text that ends in a line break decrypts.
std::optional<std::u16string> CryptText(std::u16string_view text, std::u16string_view password,
                                        int direction);

// The same with a given key, the text format of the plain text, and optional stream parameters.
std::optional<std::u16string> CryptTextWithKey(std::span<const std::uint8_t> key, int direction,
                                               std::u16string_view text, TextFormat format,
                                               const std::optional<CipherParams>& params);

// The bytes a Base64 text stands for: the text is narrowed to the ANSI code page and decoded by
// the lenient decoder (see base64.h). Trailing whitespace is dropped first. Empty when nothing
// decodes.
std::vector<std::uint8_t> Base64TextToBytes(std::u16string_view text);

// The Base64 text of the bytes, in one line; flags as for Base64Encode.
std::u16string BytesToBase64Text(std::span<const std::uint8_t> bytes, int flags);

// Bytes in a text format back to text (the reverse of TextToBytes); the text ends at its first
// zero character. For Utf16Le the bytes are little-endian code units (an odd last byte is dropped).
std::u16string BytesToText(std::span<const std::uint8_t> bytes, TextFormat format);

}  // namespace vexmora
