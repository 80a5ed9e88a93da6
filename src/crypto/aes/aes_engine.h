// The AES engine: AES-128/192/256 (FIPS-197) in ECB or CBC (NIST SP 800-38A), processed in
// pieces that chain across calls, so a long stream gives the same bytes as one call over it all.
//
// Instances live in a process-wide table and are named by handles. The table is not locked: use
// the engine from one thread at a time.
#pragma once

#include <cstdint>
#include <span>

#include "crypto/direction.h"

namespace vexmora {

// Chaining mode codes; the engine flags are direction (kDecrypt, kEncrypt) + mode.
inline constexpr int kChainingCbc = 4;
inline constexpr int kChainingEcb = 8;

using AesHandle = std::uint64_t;
inline constexpr AesHandle kNoAes = 0;

// Starts an instance: key.size() must equal keyBits / 8 and keyBits be 128, 192 or 256; iv is
// the first CBC chaining value (no effect in ECB). The bit of value 2 in flags builds the
// encryption key schedule, its absence the decryption one. Returns kNoAes when the key size is
// not supported. Handles are never reused within a process.
AesHandle AesStreamStart(std::span<const std::uint8_t> key, int keyBits,
                         std::span<const std::uint8_t, 16> iv, std::uint32_t flags);

// Enciphers or deciphers all of input into the first input.size() bytes of output and returns
// input.size(). Flags 5 = CBC decrypt, 6 = CBC encrypt, 9 = ECB decrypt, 10 = ECB encrypt.
// A size that is not a multiple of 16 ends with ciphertext stealing: the output is exactly as long
// as the input, and decryption from the same state inverts encryption.
// Returns 0 and writes nothing when: the handle names no instance, the flags are another value,
// the input holds fewer than 16 bytes, the output is shorter than the input, or the two overlap.
std::size_t AesStreamAdd(AesHandle instance, std::span<const std::uint8_t> input,
                         std::span<std::uint8_t> output);

// Ends the instance: its key schedules and chaining value are wiped and it leaves the table.
// Does nothing for kNoAes or a handle already finished.
void AesStreamFinish(AesHandle instance);

// The implementations of the block work; all give identical bytes.
enum class AesImplementation {
    Automatic,  // the fastest this processor runs (the default)
    Table,      // portable, table-driven
    AesNi,      // AES-NI on 128-bit registers
    Vaes256,    // VAES with AVX2
    Vaes512,    // VAES with AVX-512F
};

// Chooses the implementation of instances started from now on. Returns false, changing nothing,
// when this processor cannot run it. At start-up the choice is Automatic, unless the environment
// variable VEXMORA_AES names another ("table", "aes-ni", "vaes-256", "vaes-512"), which is for
// tests and measurements.
bool UseAesImplementation(AesImplementation implementation);

// Name of the implementation new instances use: "table", "aes-ni", "vaes-256" or "vaes-512".
const char* AesImplementationName();

}  // namespace vexmora
