// AES-NI on 128-bit registers: single blocks and round-key loading, shared by the hardware
// backends. Every function is compiled for the AES instructions only (target attributes), so the
// program still runs on processors without them; callers check the CPU first.
#pragma once

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "crypto/aes/aes_key_schedule.h"

#define VEXMORA_TARGET_AESNI __attribute__((target("aes,sse4.1")))

namespace vexmora::aes {

template <int Rounds>
struct RoundKeys128 {
    __m128i k[Rounds + 1];

    VEXMORA_TARGET_AESNI explicit RoundKeys128(const std::uint8_t* bytes) {
#pragma GCC unroll 16
        for (int r = 0; r <= Rounds; ++r) {
            k[r] = _mm_load_si128(reinterpret_cast<const __m128i*>(bytes + 16 * r));
        }
    }
};

template <int Rounds>
VEXMORA_TARGET_AESNI inline __m128i EncryptBlock128(__m128i block,
                                                    const RoundKeys128<Rounds>& keys) {
    block = _mm_xor_si128(block, keys.k[0]);
#pragma GCC unroll 16
    for (int r = 1; r < Rounds; ++r) {
        block = _mm_aesenc_si128(block, keys.k[r]);
    }
    return _mm_aesenclast_si128(block, keys.k[Rounds]);
}

template <int Rounds>
VEXMORA_TARGET_AESNI inline __m128i DecryptBlock128(__m128i block,
                                                    const RoundKeys128<Rounds>& keys) {
    block = _mm_xor_si128(block, keys.k[0]);
#pragma GCC unroll 16
    for (int r = 1; r < Rounds; ++r) {
        block = _mm_aesdec_si128(block, keys.k[r]);
    }
    return _mm_aesdeclast_si128(block, keys.k[Rounds]);
}

VEXMORA_TARGET_AESNI inline __m128i Load128(const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

VEXMORA_TARGET_AESNI inline void Store128(std::uint8_t* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

// Calls Body<10>, Body<12> or Body<14> for the schedule's round count.
template <template <int> class Body, typename... Args>
void WithRounds(const KeySchedule& keys, Args... args) {
    switch (keys.roundCount) {
        case 10:
            Body<10>::Run(keys, args...);
            break;
        case 12:
            Body<12>::Run(keys, args...);
            break;
        default:
            Body<14>::Run(keys, args...);
            break;
    }
}

// CBC encryption is serial: each block waits for the one before. The first round key is folded
// into the plaintext off the chain's critical path.
template <int Rounds>
struct CbcEncrypt128 {
    VEXMORA_TARGET_AESNI static void Run(const KeySchedule& ks, const std::uint8_t* in,
                                         std::uint8_t* out, std::size_t blocks,
                                         std::uint8_t* chain) {
        const RoundKeys128<Rounds> keys(ks.encryptionKeyBytes.data());
        __m128i c = Load128(chain);
        for (std::size_t b = 0; b < blocks; ++b) {
            __m128i x = _mm_xor_si128(Load128(in + 16 * b), keys.k[0]);
            x = _mm_xor_si128(x, c);
#pragma GCC unroll 16
            for (int r = 1; r < Rounds; ++r) {
                x = _mm_aesenc_si128(x, keys.k[r]);
            }
            c = _mm_aesenclast_si128(x, keys.k[Rounds]);
            Store128(out + 16 * b, c);
        }
        Store128(chain, c);
    }
};

// Decryption and ECB keep eight independent blocks in flight to hide the instructions' latency.
constexpr std::size_t kLanes = 8;

template <int Rounds>
struct Ecb128 {
    VEXMORA_TARGET_AESNI static void Run(const KeySchedule& ks, const std::uint8_t* in,
                                         std::uint8_t* out, std::size_t blocks, bool encrypt) {
        const RoundKeys128<Rounds> keys(encrypt ? ks.encryptionKeyBytes.data()
                                                : ks.decryptionKeyBytes.data());
        std::size_t b = 0;
        for (; b + kLanes <= blocks; b += kLanes) {
            __m128i x[kLanes];
#pragma GCC unroll 16
            for (std::size_t j = 0; j < kLanes; ++j) {
                x[j] = _mm_xor_si128(Load128(in + 16 * (b + j)), keys.k[0]);
            }
#pragma GCC unroll 16
            for (int r = 1; r < Rounds; ++r) {
#pragma GCC unroll 16
                for (std::size_t j = 0; j < kLanes; ++j) {
                    x[j] = encrypt ? _mm_aesenc_si128(x[j], keys.k[r])
                                   : _mm_aesdec_si128(x[j], keys.k[r]);
                }
            }
#pragma GCC unroll 16
            for (std::size_t j = 0; j < kLanes; ++j) {
                x[j] = encrypt ? _mm_aesenclast_si128(x[j], keys.k[Rounds])
                               : _mm_aesdeclast_si128(x[j], keys.k[Rounds]);
                Store128(out + 16 * (b + j), x[j]);
            }
        }
        for (; b < blocks; ++b) {
            const __m128i x = Load128(in + 16 * b);
            Store128(out + 16 * b, encrypt ? EncryptBlock128(x, keys) : DecryptBlock128(x, keys));
        }
    }
};

template <int Rounds>
struct CbcDecrypt128 {
    VEXMORA_TARGET_AESNI static void Run(const KeySchedule& ks, const std::uint8_t* in,
                                         std::uint8_t* out, std::size_t blocks,
                                         std::uint8_t* chain) {
        const RoundKeys128<Rounds> keys(ks.decryptionKeyBytes.data());
        __m128i previous = Load128(chain);
        std::size_t b = 0;
        for (; b + kLanes <= blocks; b += kLanes) {
            __m128i c[kLanes], x[kLanes];
#pragma GCC unroll 16
            for (std::size_t j = 0; j < kLanes; ++j) {
                c[j] = Load128(in + 16 * (b + j));
                x[j] = _mm_xor_si128(c[j], keys.k[0]);
            }
#pragma GCC unroll 16
            for (int r = 1; r < Rounds; ++r) {
#pragma GCC unroll 16
                for (std::size_t j = 0; j < kLanes; ++j) {
                    x[j] = _mm_aesdec_si128(x[j], keys.k[r]);
                }
            }
#pragma GCC unroll 16
            for (std::size_t j = 0; j < kLanes; ++j) {
                // The last round adds its key; adding the previous ciphertext there too saves
                // a separate XOR.
                const __m128i before = j == 0 ? previous : c[j - 1];
                x[j] = _mm_aesdeclast_si128(x[j], _mm_xor_si128(keys.k[Rounds], before));
                Store128(out + 16 * (b + j), x[j]);
            }
            previous = c[kLanes - 1];
        }
        for (; b < blocks; ++b) {
            const __m128i c = Load128(in + 16 * b);
            Store128(out + 16 * b, _mm_xor_si128(DecryptBlock128(c, keys), previous));
            previous = c;
        }
        Store128(chain, previous);
    }
};

}  // namespace vexmora::aes
