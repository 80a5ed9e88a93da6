// Conversion between the program's UTF-16 strings and byte encodings.
//
// Every function takes the whole input and never fails: characters that the target cannot
// represent are replaced, never dropped silently and never reported as an error.
//   - UTF-8: an unpaired surrogate becomes U+FFFD (EF BF BD); invalid UTF-8 input becomes U+FFFD.
//   - ANSI: the system's ANSI code page (CP_ACP) on Windows; Windows-1252 elsewhere, with "?" for
//     characters it cannot represent.
// Embedded zero code units and zero bytes are converted like any other character.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vexmora {

std::vector<std::uint8_t> Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::span<const std::uint8_t> bytes);

std::vector<std::uint8_t> Utf16ToAnsi(std::u16string_view text);
std::u16string AnsiToUtf16(std::span<const std::uint8_t> bytes);

}  // namespace vexmora
