// The program's two sources of random bytes.
//
// RandomBytes is a fast lagged generator (two tables of 17 words with rotations). It is NOT
// cryptographically strong: its whole state follows from a 32-bit seed, so it never makes an IV
// or a key; it only varies names of temporary files when the system source fails.
//
// SystemRandomBytes is the operating system's cryptographic source, opened when first used.
//
// Both process-wide states are unlocked: draw from one thread at a time.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace vexmora {

struct RandomState {
    std::int32_t slot = 0;        // table position the next step replaces, 0..16
    std::int32_t laggedSlot = 0;  // the second position it reads: slot + 10 modulo 17
    std::array<std::uint32_t, 17> wordsA{};
    std::array<std::uint32_t, 17> wordsB{};
    bool seeded = false;
};

// Fills the tables from the seed and runs 31 steps. Does not change `seeded`.
void SeedRandom(RandomState& state, std::uint32_t seed);

// Fills destination, 8 bytes per generator step (the second word of the step first, each word
// little-endian); a final partial unit takes a whole step and drops the rest of it. An unseeded
// state is first seeded from the thread id XOR the millisecond tick count, even for an empty
// destination.
void RandomBytes(RandomState& state, std::span<std::uint8_t> destination);

// The same on the process-wide generator.
void SeedRandom(std::uint32_t seed);
void RandomBytes(std::span<std::uint8_t> destination);

// Opens the process-wide system source if it is not open yet; returns whether it is open.
bool OpenSystemRandom();
// Fills destination from the system source. Returns false, writing nothing, when the source is
// not open; false when the system fails (destination must then not be used).
bool SystemRandomBytes(std::span<std::uint8_t> destination);
// Releases the system source; later draws fail until it is opened again.
void CloseSystemRandom();

}  // namespace vexmora
