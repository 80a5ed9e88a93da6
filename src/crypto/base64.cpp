#include "crypto/base64.h"

#include <array>
#include <string_view>

namespace vexmora {
namespace {

constexpr std::string_view kStandardAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::string_view kUrlAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

// One entry per byte value: both alphabets decode, every other byte (and "=") is 0.
constexpr std::array<std::uint8_t, 256> MakeDecodingTable() {
    std::array<std::uint8_t, 256> table{};
    for (std::size_t i = 0; i < 64; ++i) {
        table[static_cast<unsigned char>(kStandardAlphabet[i])] = static_cast<std::uint8_t>(i);
        table[static_cast<unsigned char>(kUrlAlphabet[i])] = static_cast<std::uint8_t>(i);
    }
    return table;
}

constexpr std::array<std::uint8_t, 256> kDecodingTable = MakeDecodingTable();

constexpr bool IsSkippedWhitespace(char c) {
    return c == '\t' || c == '\n' || c == '\r';
}

void Terminate(std::span<char> output, std::size_t at) {
    if (at < output.size()) {
        output[at] = '\0';
    }
}

void Terminate(std::span<std::uint8_t> output, std::size_t at) {
    if (at < output.size()) {
        output[at] = 0;
    }
}

}  // namespace

std::size_t Base64Encode(std::span<const std::uint8_t> input, std::span<char> output, int flags) {
    if (output.size() < Base64EncodedCapacity(input.size())) {
        Terminate(output, 0);
        return 0;
    }
    const std::string_view alphabet = (flags & Base64Url) ? kUrlAlphabet : kStandardAlphabet;
    const bool pad = (flags & Base64NoPadding) == 0;
    std::size_t at = 0;
    std::size_t i = 0;
    for (; i + 3 <= input.size(); i += 3) {
        const std::uint32_t v =
            (std::uint32_t{input[i]} << 16) | (std::uint32_t{input[i + 1]} << 8) | input[i + 2];
        output[at++] = alphabet[v >> 18];
        output[at++] = alphabet[(v >> 12) & 0x3F];
        output[at++] = alphabet[(v >> 6) & 0x3F];
        output[at++] = alphabet[v & 0x3F];
    }
    const std::size_t rest = input.size() - i;
    if (rest > 0) {
        std::uint32_t v = std::uint32_t{input[i]} << 16;
        if (rest == 2) {
            v |= std::uint32_t{input[i + 1]} << 8;
        }
        output[at++] = alphabet[v >> 18];
        output[at++] = alphabet[(v >> 12) & 0x3F];
        if (rest == 2) {
            output[at++] = alphabet[(v >> 6) & 0x3F];
        }
        if (pad) {
            for (std::size_t k = rest; k < 3; ++k) {
                output[at++] = '=';
            }
        }
    }
    Terminate(output, at);
    return at;
}

std::size_t Base64Decode(std::span<const char> input, std::span<std::uint8_t> output) {
    if (input.empty() || output.size() < Base64DecodedCapacity(input.size())) {
        Terminate(output, 0);
        return 0;
    }
    auto value = [](char c) { return kDecodingTable[static_cast<unsigned char>(c)]; };
    std::size_t at = 0;
    std::size_t i = 0;
    while (i < input.size()) {
        while (i < input.size() && IsSkippedWhitespace(input[i])) {
            ++i;
        }
        if (input.size() - i < 4) {
            Terminate(output, at);
            return 0;
        }
        const char* q = input.data() + i;
        const std::uint8_t s0 = value(q[0]), s1 = value(q[1]), s2 = value(q[2]), s3 = value(q[3]);
        output[at++] = static_cast<std::uint8_t>((s0 << 2) | (s1 >> 4));
        if (q[2] != '=') {
            output[at++] = static_cast<std::uint8_t>(((s1 & 0x0F) << 4) | (s2 >> 2));
            if (q[3] != '=') {
                output[at++] = static_cast<std::uint8_t>(((s2 & 0x03) << 6) | s3);
            }
        }
        i += 4;
    }
    Terminate(output, at);
    return at;
}

}  // namespace vexmora
