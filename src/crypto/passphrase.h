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

// The word list: its size (7,776) and its words, in its order, lower-case ASCII.
std::size_t PassphraseWordCount();
std::string_view PassphraseWord(std::size_t index);

// An index in [0, bound) with every value equally likely: 32-bit draws at or above the largest
// multiple of bound are drawn again (no modulo bias). bound must be at least 1. Empty when the
// source fails.
std::optional<std::uint32_t> UniformIndex(const RandomFill& random, std::uint32_t bound);

// A new passphrase from `random` (the system's cryptographic source in the program). Empty when
// the source fails: nothing weaker is ever offered in its place.
std::optional<SecretText> GeneratePassphrase(const RandomFill& random);

}  // namespace vexmora
