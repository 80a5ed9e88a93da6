// How the program's UTF-16 strings become bytes (for the key derivation and the text job).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace vexmora {

// A text format code. Every value other than Utf8 and Utf16Le means the ANSI code page.
enum class TextFormat : int {
    Utf8 = 2,
    Ansi = 24,
    Utf16Le = 25,
};

// Bytes the text occupies in the format, without any terminator: twice the code units for
// Utf16Le, the length of the platform's conversion otherwise.
std::size_t TextByteLength(std::u16string_view text, TextFormat format);

// Converts the first maximumUnits code units of text (all of it when maximumUnits is negative or
// beyond the text) and writes them followed by a terminator: one zero byte, two for Utf16Le.
// Returns the bytes written without the terminator. When destination cannot hold the result and
// its terminator, nothing is converted: the terminator alone is written if it fits, and the
// result is 0.
std::size_t TextToBytes(std::span<std::uint8_t> destination, std::u16string_view text,
                        std::int64_t maximumUnits, TextFormat format);

}  // namespace vexmora
