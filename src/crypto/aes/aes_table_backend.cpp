// Table-driven AES: the state is four big-endian 32-bit words, each round one table lookup and
// XOR per state byte.
#include <cstring>

#include "crypto/aes/aes_backend.h"
#include "crypto/aes/aes_tables.h"

namespace vexmora::aes {
namespace {

std::uint32_t Load(const std::uint8_t* p) {
    return Word(p[0], p[1], p[2], p[3]);
}

void Store(std::uint8_t* p, std::uint32_t w) {
    p[0] = static_cast<std::uint8_t>(w >> 24);
    p[1] = static_cast<std::uint8_t>(w >> 16);
    p[2] = static_cast<std::uint8_t>(w >> 8);
    p[3] = static_cast<std::uint8_t>(w);
}

constexpr std::uint8_t Byte(std::uint32_t w, int index) {
    return static_cast<std::uint8_t>(w >> (24 - 8 * index));
}

void EncryptBlock(const KeySchedule& ks, const std::uint8_t* in, std::uint8_t* out) {
    const auto& te = kEncryptionTables;
    const std::uint32_t* rk = ks.encryptionRoundKeys.data();
    std::uint32_t s0 = Load(in) ^ rk[0], s1 = Load(in + 4) ^ rk[1];
    std::uint32_t s2 = Load(in + 8) ^ rk[2], s3 = Load(in + 12) ^ rk[3];
    for (int round = 1; round < ks.roundCount; ++round) {
        rk += 4;
        std::uint32_t t0 = te[0][Byte(s0, 0)] ^ te[1][Byte(s1, 1)] ^ te[2][Byte(s2, 2)] ^
                           te[3][Byte(s3, 3)] ^ rk[0];
        std::uint32_t t1 = te[0][Byte(s1, 0)] ^ te[1][Byte(s2, 1)] ^ te[2][Byte(s3, 2)] ^
                           te[3][Byte(s0, 3)] ^ rk[1];
        std::uint32_t t2 = te[0][Byte(s2, 0)] ^ te[1][Byte(s3, 1)] ^ te[2][Byte(s0, 2)] ^
                           te[3][Byte(s1, 3)] ^ rk[2];
        std::uint32_t t3 = te[0][Byte(s3, 0)] ^ te[1][Byte(s0, 1)] ^ te[2][Byte(s1, 2)] ^
                           te[3][Byte(s2, 3)] ^ rk[3];
        s0 = t0, s1 = t1, s2 = t2, s3 = t3;
    }
    rk += 4;
    const auto& s = kSbox;
    Store(out, Word(s[Byte(s0, 0)], s[Byte(s1, 1)], s[Byte(s2, 2)], s[Byte(s3, 3)]) ^ rk[0]);
    Store(out + 4, Word(s[Byte(s1, 0)], s[Byte(s2, 1)], s[Byte(s3, 2)], s[Byte(s0, 3)]) ^ rk[1]);
    Store(out + 8, Word(s[Byte(s2, 0)], s[Byte(s3, 1)], s[Byte(s0, 2)], s[Byte(s1, 3)]) ^ rk[2]);
    Store(out + 12, Word(s[Byte(s3, 0)], s[Byte(s0, 1)], s[Byte(s1, 2)], s[Byte(s2, 3)]) ^ rk[3]);
}

// The equivalent inverse cipher: same structure as encryption, rows shifted the other way.
void DecryptBlock(const KeySchedule& ks, const std::uint8_t* in, std::uint8_t* out) {
    const auto& td = kDecryptionTables;
    const std::uint32_t* rk = ks.decryptionRoundKeys.data();
    std::uint32_t s0 = Load(in) ^ rk[0], s1 = Load(in + 4) ^ rk[1];
    std::uint32_t s2 = Load(in + 8) ^ rk[2], s3 = Load(in + 12) ^ rk[3];
    for (int round = 1; round < ks.roundCount; ++round) {
        rk += 4;
        std::uint32_t t0 = td[0][Byte(s0, 0)] ^ td[1][Byte(s3, 1)] ^ td[2][Byte(s2, 2)] ^
                           td[3][Byte(s1, 3)] ^ rk[0];
        std::uint32_t t1 = td[0][Byte(s1, 0)] ^ td[1][Byte(s0, 1)] ^ td[2][Byte(s3, 2)] ^
                           td[3][Byte(s2, 3)] ^ rk[1];
        std::uint32_t t2 = td[0][Byte(s2, 0)] ^ td[1][Byte(s1, 1)] ^ td[2][Byte(s0, 2)] ^
                           td[3][Byte(s3, 3)] ^ rk[2];
        std::uint32_t t3 = td[0][Byte(s3, 0)] ^ td[1][Byte(s2, 1)] ^ td[2][Byte(s1, 2)] ^
                           td[3][Byte(s0, 3)] ^ rk[3];
        s0 = t0, s1 = t1, s2 = t2, s3 = t3;
    }
    rk += 4;
    const auto& s = kInverseSbox;
    Store(out, Word(s[Byte(s0, 0)], s[Byte(s3, 1)], s[Byte(s2, 2)], s[Byte(s1, 3)]) ^ rk[0]);
    Store(out + 4, Word(s[Byte(s1, 0)], s[Byte(s0, 1)], s[Byte(s3, 2)], s[Byte(s2, 3)]) ^ rk[1]);
    Store(out + 8, Word(s[Byte(s2, 0)], s[Byte(s1, 1)], s[Byte(s0, 2)], s[Byte(s3, 3)]) ^ rk[2]);
    Store(out + 12, Word(s[Byte(s3, 0)], s[Byte(s2, 1)], s[Byte(s1, 2)], s[Byte(s0, 3)]) ^ rk[3]);
}

void XorBlock(std::uint8_t* target, const std::uint8_t* with) {
    for (int i = 0; i < 16; ++i) {
        target[i] ^= with[i];
    }
}

void EcbEncrypt(const KeySchedule& ks, const std::uint8_t* in, std::uint8_t* out,
                std::size_t blocks) {
    for (std::size_t b = 0; b < blocks; ++b) {
        EncryptBlock(ks, in + 16 * b, out + 16 * b);
    }
}

void EcbDecrypt(const KeySchedule& ks, const std::uint8_t* in, std::uint8_t* out,
                std::size_t blocks) {
    for (std::size_t b = 0; b < blocks; ++b) {
        DecryptBlock(ks, in + 16 * b, out + 16 * b);
    }
}

void CbcEncrypt(const KeySchedule& ks, const std::uint8_t* in, std::uint8_t* out,
                std::size_t blocks, std::uint8_t* chain) {
    std::uint8_t block[16];
    for (std::size_t b = 0; b < blocks; ++b) {
        std::memcpy(block, in + 16 * b, 16);
        XorBlock(block, chain);
        EncryptBlock(ks, block, chain);
        std::memcpy(out + 16 * b, chain, 16);
    }
}

void CbcDecrypt(const KeySchedule& ks, const std::uint8_t* in, std::uint8_t* out,
                std::size_t blocks, std::uint8_t* chain) {
    for (std::size_t b = 0; b < blocks; ++b) {
        DecryptBlock(ks, in + 16 * b, out + 16 * b);
        XorBlock(out + 16 * b, chain);
        std::memcpy(chain, in + 16 * b, 16);
    }
}

constexpr Backend kTableBackend = {"table", EcbEncrypt, EcbDecrypt, CbcEncrypt, CbcDecrypt};

}  // namespace

const Backend& TableBackend() {
    return kTableBackend;
}

}  // namespace vexmora::aes
