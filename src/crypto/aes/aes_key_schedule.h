// AES key expansion (FIPS-197 section 5.2) and the round keys of the equivalent inverse cipher
// (section 5.3.5). Internal to the AES engine.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace vexmora::aes {

struct KeySchedule {
    int roundCount = 0;  // 10, 12 or 14
    // 4 * (roundCount + 1) words used, each the big-endian value of four key-schedule bytes.
    alignas(16) std::array<std::uint32_t, 60> encryptionRoundKeys{};
    // The encryption round keys in reverse round order, InvMixColumns applied to all but the
    // first and the last. Filled only for decryption.
    alignas(16) std::array<std::uint32_t, 60> decryptionRoundKeys{};
    // The same round keys as bytes in block order, as the AES instructions take them.
    alignas(64) std::array<std::uint8_t, 240> encryptionKeyBytes{};
    alignas(64) std::array<std::uint8_t, 240> decryptionKeyBytes{};
};

// Expands a 16-, 24- or 32-byte key. Returns false, leaving the schedule untouched, for any other
// size.
bool ExpandEncryptionKey(std::span<const std::uint8_t> key, KeySchedule& schedule);
// Derives decryptionRoundKeys from the already expanded encryptionRoundKeys.
void ExpandDecryptionKey(KeySchedule& schedule);

}  // namespace vexmora::aes
