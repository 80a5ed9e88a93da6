// How a secret travels to a child through its inherited pipe, the same on every system: the pipe
// holds a header ("vxs1" and the secret's size, 4 bytes little-endian), the secret, and then
// nothing: the parent has closed its end before the child starts.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vexmora {

inline constexpr std::size_t kSecretHeaderSize = 8;

std::array<std::uint8_t, kSecretHeaderSize> SecretFrameHeader(std::size_t secretSize);

// The channel's name for the handle (or file descriptor) `number`, and back. Only the prefix
// followed by decimal digits of a 64-bit number names a channel; anything else gives no number.
std::u16string SecretChannelName(std::uint64_t number);
std::optional<std::uint64_t> SecretChannelNumber(std::u16string_view name);

// Fills up to the span's size from the pipe; the count, 0 at its end, or -1 when it fails or
// would have to wait for a writer.
using PipeReader = std::function<std::ptrdiff_t(std::span<std::uint8_t>)>;

// Reads one frame into `buffer`. The secret's size, or nothing when the pipe ends early, holds
// more than its header says, fails, or does not start with the header; a secret larger than the
// buffer (or kMaxSecretBytes) is refused before it is read.
std::optional<std::size_t> ReadSecretFrame(const PipeReader& read, std::span<std::uint8_t> buffer);

}  // namespace vexmora
