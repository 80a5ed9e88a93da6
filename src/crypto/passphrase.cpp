#include "crypto/passphrase.h"

#include <array>
#include <limits>
#include <string>

#include "eff_large_wordlist.h"

namespace vexmora {

std::size_t PassphraseWordCount() {
    return eff::kLargeWordList.size();
}

std::string_view PassphraseWord(std::size_t index) {
    return index < eff::kLargeWordList.size() ? eff::kLargeWordList[index] : std::string_view{};
}

std::optional<std::uint32_t> UniformIndex(const RandomFill& random, std::uint32_t bound) {
    if (bound == 0 || !random) {
        return std::nullopt;
    }
    if (bound == 1) {
        return 0;
    }
    // 2^32 mod bound, in 32-bit arithmetic; draws above the last whole multiple of bound would
    // favour the low indexes.
    const std::uint32_t rejected = (0u - bound) % bound;
    const std::uint32_t highestAccepted = std::numeric_limits<std::uint32_t>::max() - rejected;
    for (int attempt = 0; attempt < kUniformIndexMaximumDraws; ++attempt) {
        std::array<std::uint8_t, 4> bytes{};
        const bool drawn = random(bytes);
        const std::uint32_t draw =
            static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
            static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
        Wipe(std::span(bytes));
        if (!drawn) {
            return std::nullopt;
        }
        if (draw <= highestAccepted) {
            return draw % bound;
        }
    }
    return std::nullopt;
}

std::optional<SecretText> GeneratePassphrase(const RandomFill& random) {
    // Room for six of the longest words (nine letters) and the spaces, so the text never moves
    // and leaves no unwiped copy behind.
    std::u16string text;
    text.reserve(kPassphraseWords * 10);
    const auto wipeText = [&text] {
        Wipe(text.data(), text.capacity() * sizeof(char16_t));
        text.clear();
    };
    for (int word = 0; word < kPassphraseWords; ++word) {
        const std::optional<std::uint32_t> index =
            UniformIndex(random, static_cast<std::uint32_t>(PassphraseWordCount()));
        if (!index) {
            wipeText();
            return std::nullopt;
        }
        if (word > 0) {
            text.push_back(u' ');
        }
        for (char c : PassphraseWord(*index)) {
            text.push_back(static_cast<char16_t>(c));
        }
    }
    return SecretText(std::move(text));
}

}  // namespace vexmora
