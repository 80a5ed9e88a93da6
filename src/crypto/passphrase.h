// Passphrases of random words: six words drawn uniformly and independently from the EFF large
// word list (7,776 words), separated by single spaces. Six words are 6 * log2(7776) = 77.5 bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include "crypto/wipe.h"

namespace vexmora {

inline constexpr int kPassphraseWords = 6;
inline constexpr double kPassphraseBits = 77.5;  // 6 * log2(7776), rounded down to a tenth

// Fills the span with random bytes; false when the source failed (nothing may then be used).
using RandomFill = std::function<bool(std::span<std::uint8_t>)>;

// The word list: its size (7,776) and its words, in its order, lower-case ASCII (four of them
// hold a hyphen: "drop-down", "felt-tip", "t-shirt", "yo-yo"). An index past the end gives an
// empty word.
std::size_t PassphraseWordCount();
std::string_view PassphraseWord(std::size_t index);

// An index in [0, bound) with every value equally likely: a draw is 4 bytes, read as a
// little-endian 32-bit number; draws at or above the largest multiple of bound below 2^32,
// 2^32 - (2^32 mod bound), are drawn again (no modulo bias), the others give draw mod bound.
// bound 1 gives 0 without drawing; bound 0 gives nothing. Empty when the source fails, and when
// it gives 64 rejected draws in a row, which a working source does with a probability below
// 2^-64 for any bound: a stuck source ends in a failure, not in an endless loop.
inline constexpr int kUniformIndexMaximumDraws = 64;
std::optional<std::uint32_t> UniformIndex(const RandomFill& random, std::uint32_t bound);

// A new passphrase from `random` (the system's cryptographic source in the program): six words,
// each UniformIndex(random, 7776) into the list, joined by single spaces. Empty when the source
// fails (or is empty): nothing weaker is ever offered in its place. The draws and any partial
// text are wiped.
std::optional<SecretText> GeneratePassphrase(const RandomFill& random);

}  // namespace vexmora
