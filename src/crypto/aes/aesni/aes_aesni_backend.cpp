// AES-NI on 128-bit registers.
#include "crypto/aes/aes_backend.h"
#include "crypto/aes/aesni/aesni_common.h"

namespace vexmora::aes {
namespace {

void EcbEncrypt(const KeySchedule& ks, const std::uint8_t* in, std::uint8_t* out,
                std::size_t blocks) {
    WithRounds<Ecb128>(ks, in, out, blocks, true);
}

void EcbDecrypt(const KeySchedule& ks, const std::uint8_t* in, std::uint8_t* out,
                std::size_t blocks) {
    WithRounds<Ecb128>(ks, in, out, blocks, false);
}

void CbcEncrypt(const KeySchedule& ks, const std::uint8_t* in, std::uint8_t* out,
                std::size_t blocks, std::uint8_t* chain) {
    WithRounds<CbcEncrypt128>(ks, in, out, blocks, chain);
}

void CbcDecrypt(const KeySchedule& ks, const std::uint8_t* in, std::uint8_t* out,
                std::size_t blocks, std::uint8_t* chain) {
    WithRounds<CbcDecrypt128>(ks, in, out, blocks, chain);
}

constexpr Backend kAesNiBackend = {"aes-ni", EcbEncrypt, EcbDecrypt, CbcEncrypt, CbcDecrypt};

}  // namespace

const Backend& AesNiBackend() {
    return kAesNiBackend;
}

}  // namespace vexmora::aes
