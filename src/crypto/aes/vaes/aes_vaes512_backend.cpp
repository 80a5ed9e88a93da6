// VAES on 512-bit registers (AVX-512F): four blocks per register.
#include "crypto/aes/aes_backend.h"
#include "crypto/aes/aesni/aesni_common.h"

#define VEXMORA_TARGET_WIDE __attribute__((target("aes,sse4.1,vaes,avx2,avx512f")))

namespace vexmora::aes {
namespace {

struct Wide {
    using Vector = __m512i;
    static constexpr std::size_t kBlocks = 4;

    VEXMORA_TARGET_WIDE static Vector Load(const std::uint8_t* p) { return _mm512_loadu_si512(p); }
    VEXMORA_TARGET_WIDE static void Store(std::uint8_t* p, Vector v) { _mm512_storeu_si512(p, v); }
    VEXMORA_TARGET_WIDE static Vector Broadcast(__m128i block) {
        return _mm512_broadcast_i32x4(block);
    }
    VEXMORA_TARGET_WIDE static Vector Xor(Vector a, Vector b) { return _mm512_xor_si512(a, b); }
    VEXMORA_TARGET_WIDE static Vector Encrypt(Vector x, Vector k) {
        return _mm512_aesenc_epi128(x, k);
    }
    VEXMORA_TARGET_WIDE static Vector EncryptLast(Vector x, Vector k) {
        return _mm512_aesenclast_epi128(x, k);
    }
    VEXMORA_TARGET_WIDE static Vector Decrypt(Vector x, Vector k) {
        return _mm512_aesdec_epi128(x, k);
    }
    VEXMORA_TARGET_WIDE static Vector DecryptLast(Vector x, Vector k) {
        return _mm512_aesdeclast_epi128(x, k);
    }
    // The last block of `previous`, then the first three of `current`.
    VEXMORA_TARGET_WIDE static Vector Preceding(Vector current, Vector previous) {
        return _mm512_alignr_epi64(current, previous, 6);
    }
    VEXMORA_TARGET_WIDE static __m128i LastBlock(Vector v) {
        return _mm512_extracti32x4_epi32(v, 3);
    }
};

#include "crypto/aes/vaes/vaes_body.inc"

constexpr Backend kBackend = {"vaes-512", WideEcbEncrypt, WideEcbDecrypt, SerialCbcEncrypt,
                              WideCbcDecryptAll};

}  // namespace

const Backend& Vaes512Backend() {
    return kBackend;
}

}  // namespace vexmora::aes
