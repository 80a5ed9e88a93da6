// SHA-256 (FIPS 180-4), incremental.
//
// Calling order: Sha256Start, any number of Sha256Add (empty spans allowed), one Sha256Finish.
// Finish wipes the context; a finished context must be started again before further use (Add on
// a finished context hashes into a fresh-looking but meaningless state, it never reads or writes
// outside the context).
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace vexmora {

using Sha256Digest = std::array<std::uint8_t, 32>;

struct Sha256Context {
    std::int64_t totalLength = 0;  // message bytes added so far
    std::int64_t pending = 0;      // bytes waiting at the start of `schedule`, 0..63
    std::array<std::uint32_t, 8> state{};
    // The first 64 bytes collect message bytes; compression turns them in place into the
    // big-endian words W0..W15 and extends them to W0..W63.
    std::array<std::uint32_t, 64> schedule{};

    Sha256Context() = default;
    Sha256Context(const Sha256Context&) = delete;
    Sha256Context& operator=(const Sha256Context&) = delete;
    ~Sha256Context();
};

// Sets the FIPS 180-4 initial hash values and empties the buffer.
void Sha256Start(Sha256Context& context);
void Sha256Add(Sha256Context& context, std::span<const std::uint8_t> data);
// Pads, compresses the last block(s) and returns the digest (H0 first, each word big-endian).
// Wipes the context.
Sha256Digest Sha256Finish(Sha256Context& context);
// Processes the 64 message bytes at the start of the schedule into the hash words.
void Sha256Compress(Sha256Context& context);

// The digest of the first `length` bytes of data; -1 (the default) means all of data. A length
// beyond the data, or below -1, is cut to the data's size / treated as 0.
Sha256Digest Sha256(std::span<const std::uint8_t> data, std::int64_t length = -1);

}  // namespace vexmora
