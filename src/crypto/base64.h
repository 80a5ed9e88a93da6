// Base64 (RFC 4648) between bytes and ASCII characters.
//
// The encoder writes one unbroken line, standard alphabet with "=" padding unless flags say
// otherwise. The decoder is lenient where RFC 4648 lets it choose, and departs from it as noted:
//   - it reads the standard and the URL-safe alphabet together, even mixed;
//   - it rejects no character: anything outside both alphabets, and "=" in the first two places
//     of a quantum, counts as 0;
//   - it skips tab, LF and CR in front of a quantum only, never inside one or after the last;
//   - its one error is a quantum with fewer than four characters, reported as 0 like empty input;
//   - it does not check the unused low bits before the padding, and padding does not end the
//     text (a quantum after a padded one is decoded like any other).
// Both operations end their output with a zero byte that their result does not count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vexmora {

inline constexpr int Base64Url = 0x10;        // "-" and "_" for 62 and 63
inline constexpr int Base64NoPadding = 0x20;  // no "=" characters

// Output space the encoder needs for n bytes, terminator included: 4 * ceil(n / 3) + 1.
constexpr std::size_t Base64EncodedCapacity(std::size_t n) {
    return 4 * ((n + 2) / 3) + 1;
}
// Output space the decoder needs for n characters, terminator included: 3 * floor(n / 4) + 1.
constexpr std::size_t Base64DecodedCapacity(std::size_t n) {
    return 3 * (n / 4) + 1;
}

// Returns the characters written (4 * ceil(n / 3) with padding). Flags other than the two above
// are ignored. When output is smaller than Base64EncodedCapacity(input.size()), writes only a
// terminator (if output has room for one) and returns 0.
std::size_t Base64Encode(std::span<const std::uint8_t> input, std::span<char> output, int flags);

// Returns the bytes decoded, or 0 for empty or malformed input; after a failure the bytes written
// so far stay in output, followed by a zero byte. When output is smaller than
// Base64DecodedCapacity(input.size()), writes only a terminator (if it fits) and returns 0.
std::size_t Base64Decode(std::span<const char> input, std::span<std::uint8_t> output);

}  // namespace vexmora
