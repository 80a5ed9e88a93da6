#include "crypto/aes/aes_key_schedule.h"

#include "crypto/aes/aes_tables.h"

namespace vexmora::aes {
namespace {

std::uint32_t SubWord(std::uint32_t w) {
    return Word(kSbox[w >> 24], kSbox[(w >> 16) & 0xFF], kSbox[(w >> 8) & 0xFF], kSbox[w & 0xFF]);
}

// InvMixColumns of one column. The decryption tables hold InvMixColumns(InvSubBytes(x)), so
// looking them up at SubBytes(x) leaves InvMixColumns alone.
std::uint32_t InvMixColumn(std::uint32_t w) {
    return kDecryptionTables[0][kSbox[w >> 24]] ^ kDecryptionTables[1][kSbox[(w >> 16) & 0xFF]] ^
           kDecryptionTables[2][kSbox[(w >> 8) & 0xFF]] ^ kDecryptionTables[3][kSbox[w & 0xFF]];
}

void ToBytes(const std::array<std::uint32_t, 60>& words, int rounds,
             std::array<std::uint8_t, 240>& bytes) {
    for (int i = 0; i < 4 * (rounds + 1); ++i) {
        for (int k = 0; k < 4; ++k) {
            bytes[4 * i + k] = static_cast<std::uint8_t>(words[i] >> (24 - 8 * k));
        }
    }
}

}  // namespace

bool ExpandEncryptionKey(std::span<const std::uint8_t> key, KeySchedule& schedule) {
    if (key.size() != 16 && key.size() != 24 && key.size() != 32) {
        return false;
    }
    const int nk = static_cast<int>(key.size() / 4);
    const int rounds = nk + 6;
    auto& w = schedule.encryptionRoundKeys;
    for (int i = 0; i < nk; ++i) {
        w[i] = Word(key[4 * i], key[4 * i + 1], key[4 * i + 2], key[4 * i + 3]);
    }
    for (int i = nk; i < 4 * (rounds + 1); ++i) {
        std::uint32_t temp = w[i - 1];
        if (i % nk == 0) {
            temp = SubWord(std::rotl(temp, 8)) ^ kRoundConstants[i / nk - 1];
        } else if (nk > 6 && i % nk == 4) {
            temp = SubWord(temp);
        }
        w[i] = w[i - nk] ^ temp;
    }
    schedule.roundCount = rounds;
    ToBytes(w, rounds, schedule.encryptionKeyBytes);
    return true;
}

void ExpandDecryptionKey(KeySchedule& schedule) {
    const int rounds = schedule.roundCount;
    const auto& ek = schedule.encryptionRoundKeys;
    auto& dk = schedule.decryptionRoundKeys;
    for (int round = 0; round <= rounds; ++round) {
        for (int column = 0; column < 4; ++column) {
            std::uint32_t w = ek[4 * (rounds - round) + column];
            dk[4 * round + column] = (round == 0 || round == rounds) ? w : InvMixColumn(w);
        }
    }
    ToBytes(dk, rounds, schedule.decryptionKeyBytes);
}

}  // namespace vexmora::aes
