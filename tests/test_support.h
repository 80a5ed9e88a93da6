// Small helpers shared by the unit tests.
#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/process.h"

namespace vexmora::test {

inline std::vector<std::uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

// Deterministic pseudo-random bytes for test data (not the program's generator).
inline std::vector<std::uint8_t> TestData(std::size_t size, std::uint32_t seed = 1) {
    std::mt19937 engine(seed);
    std::vector<std::uint8_t> data(size);
    for (auto& b : data) {
        b = static_cast<std::uint8_t>(engine());
    }
    return data;
}

// Random cut points that split `size` bytes into pieces (empty pieces included).
inline std::vector<std::size_t> RandomSplit(std::size_t size, std::mt19937& engine) {
    std::vector<std::size_t> pieces;
    std::size_t left = size;
    while (left > 0) {
        std::size_t piece =
            std::uniform_int_distribution<std::size_t>(0, std::min<std::size_t>(left, 70))(engine);
        if (engine() % 7 == 0) {
            piece = std::min<std::size_t>(left, engine() % 4000);
        }
        pieces.push_back(piece);
        left -= piece;
    }
    return pieces;
}

// The secret that a window hands to a file-job child (the password's UTF-16 code units), read
// back as text.
inline std::u16string SecretAsText(std::span<const std::uint8_t> secret) {
    std::u16string text(secret.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(secret[2 * i] | secret[2 * i + 1] << 8);
    }
    return text;
}

// A started process that runs until the test sets *running to false.
struct FakeChild final : ChildProcess {
    std::shared_ptr<bool> running = std::make_shared<bool>(true);
    bool Running() override { return *running; }
};

}  // namespace vexmora::test
