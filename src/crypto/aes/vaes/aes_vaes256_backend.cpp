// VAES on 256-bit registers (AVX2): two blocks per register.
#include "crypto/aes/aes_backend.h"
#include "crypto/aes/aesni/aesni_common.h"

#define VEXMORA_TARGET_WIDE __attribute__((target("aes,sse4.1,vaes,avx2")))

namespace vexmora::aes {
namespace {

struct Wide {
    using Vector = __m256i;
    static constexpr std::size_t kBlocks = 2;

    VEXMORA_TARGET_WIDE static Vector Load(const std::uint8_t* p) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    VEXMORA_TARGET_WIDE static void Store(std::uint8_t* p, Vector v) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
    }
    VEXMORA_TARGET_WIDE static Vector Broadcast(__m128i block) {
        return _mm256_broadcastsi128_si256(block);
    }
    VEXMORA_TARGET_WIDE static Vector Xor(Vector a, Vector b) { return _mm256_xor_si256(a, b); }
    VEXMORA_TARGET_WIDE static Vector Encrypt(Vector x, Vector k) {
        return _mm256_aesenc_epi128(x, k);
    }
    VEXMORA_TARGET_WIDE static Vector EncryptLast(Vector x, Vector k) {
        return _mm256_aesenclast_epi128(x, k);
    }
    VEXMORA_TARGET_WIDE static Vector Decrypt(Vector x, Vector k) {
        return _mm256_aesdec_epi128(x, k);
    }
    VEXMORA_TARGET_WIDE static Vector DecryptLast(Vector x, Vector k) {
        return _mm256_aesdeclast_epi128(x, k);
    }
    // The last block of `previous`, then the first of `current`.
    VEXMORA_TARGET_WIDE static Vector Preceding(Vector current, Vector previous) {
        return _mm256_permute2x128_si256(previous, current, 0x21);
    }
    VEXMORA_TARGET_WIDE static __m128i LastBlock(Vector v) {
        return _mm256_extracti128_si256(v, 1);
    }
};

#include "crypto/aes/vaes/vaes_body.inc"

constexpr Backend kBackend = {"vaes-256", WideEcbEncrypt, WideEcbDecrypt, SerialCbcEncrypt,
                              WideCbcDecryptAll};

}  // namespace

const Backend& Vaes256Backend() {
    return kBackend;
}

}  // namespace vexmora::aes
