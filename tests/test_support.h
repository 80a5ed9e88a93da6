// Small helpers shared by the unit tests.
#pragma once

#include <algorithm>
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

// A listing of a folder on the real disk without the files that replacements kept beside their
// successors (" (replaced " in the name, see KeptNameFor): natively there is no Recycle Bin and
// each of the `replacements` stays; under Wine the trash takes them and none may stay, unless
// the bin is never asked (`binUnasked`: a path too long for the shell).
inline std::vector<std::string> WithoutKeptFiles(std::vector<std::string> names,
                                                 std::size_t replacements,
                                                 [[maybe_unused]] bool binUnasked = false) {
#ifdef _WIN32
    replacements = binUnasked ? replacements : 0;
#endif
    const auto kept = std::remove_if(names.begin(), names.end(), [](const std::string& name) {
        return name.find(" (replaced ") != std::string::npos;
    });
    if (static_cast<std::size_t>(names.end() - kept) != replacements) {
        return {"expected " + std::to_string(replacements) + " kept files"};
    }
    names.erase(kept, names.end());
    return names;
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
