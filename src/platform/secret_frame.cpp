#include "platform/secret_frame.h"

#include <algorithm>

#include "platform/process.h"

namespace vexmora {
namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {'v', 'x', 's', '1'};
constexpr std::size_t kMaxDigits = 20;  // of 2^64 - 1

// Reads until `into` is full or the pipe ends; false when it ended early or failed.
bool ReadExactly(const PipeReader& read, std::span<std::uint8_t> into) {
    while (!into.empty()) {
        const std::ptrdiff_t got = read(into);
        if (got <= 0 || static_cast<std::size_t>(got) > into.size()) {
            return false;
        }
        into = into.subspan(static_cast<std::size_t>(got));
    }
    return true;
}

}  // namespace

std::array<std::uint8_t, kSecretHeaderSize> SecretFrameHeader(std::size_t secretSize) {
    std::array<std::uint8_t, kSecretHeaderSize> header{};
    std::copy(kMagic.begin(), kMagic.end(), header.begin());
    for (std::size_t i = 0; i < 4; ++i) {
        header[4 + i] = static_cast<std::uint8_t>(secretSize >> (8 * i));
    }
    return header;
}

std::u16string SecretChannelName(std::uint64_t number) {
    const std::string digits = std::to_string(number);
    return std::u16string(kSecretChannelPrefix) + std::u16string(digits.begin(), digits.end());
}

std::optional<std::uint64_t> SecretChannelNumber(std::u16string_view name) {
    if (!name.starts_with(kSecretChannelPrefix)) {
        return std::nullopt;
    }
    const std::u16string_view digits = name.substr(kSecretChannelPrefix.size());
    if (digits.empty() || digits.size() > kMaxDigits) {
        return std::nullopt;
    }
    std::uint64_t number = 0;
    for (char16_t c : digits) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        const auto digit = static_cast<std::uint64_t>(c - u'0');
        if (number > (UINT64_MAX - digit) / 10) {
            return std::nullopt;
        }
        number = number * 10 + digit;
    }
    return number;
}

std::optional<std::size_t> ReadSecretFrame(const PipeReader& read, std::span<std::uint8_t> buffer) {
    std::array<std::uint8_t, kSecretHeaderSize> header{};
    if (!ReadExactly(read, header) || !std::equal(kMagic.begin(), kMagic.end(), header.begin())) {
        return std::nullopt;
    }
    std::size_t size = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        size |= static_cast<std::size_t>(header[4 + i]) << (8 * i);
    }
    if (size > buffer.size() || size > kMaxSecretBytes || !ReadExactly(read, buffer.first(size))) {
        return std::nullopt;
    }
    // The writer closed its end right after the frame: anything more is not a frame of ours.
    std::uint8_t extra = 0;
    if (read({&extra, 1}) != 0) {
        return std::nullopt;
    }
    return size;
}

}  // namespace vexmora
