// The AES engine with every size and mode: the hardware path and the table path give the same
// bytes, and decryption inverts encryption, ciphertext stealing included.
#include <algorithm>
#include <vector>

#include "crypto/aes/aes_engine.h"
#include "fuzz_input.h"

namespace {

using namespace vexmora;
using Bytes = std::vector<std::uint8_t>;

Bytes Run(AesImplementation implementation, const Bytes& key,
          const std::array<std::uint8_t, 16>& iv, std::uint32_t flags, const Bytes& data,
          const std::vector<std::size_t>& pieces) {
    UseAesImplementation(implementation);
    const AesHandle handle = AesStreamStart(key, static_cast<int>(key.size() * 8), iv, flags);
    fuzz::Check(handle != kNoAes, "instance started");
    Bytes out(data.size());
    std::size_t at = 0;
    for (std::size_t piece : pieces) {
        Bytes in(data.begin() + static_cast<std::ptrdiff_t>(at),
                 data.begin() + static_cast<std::ptrdiff_t>(at + piece));
        Bytes part(piece);  // exactly as long as the input, so an overrun is seen
        const std::size_t n = AesStreamAdd(handle, in, part);
        fuzz::Check(n == (piece >= 16 ? piece : 0), "AesStreamAdd processes every size from 16");
        std::copy(part.begin(), part.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
        at += piece;
    }
    AesStreamFinish(handle);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const std::uint8_t selector = input.Byte();
    const std::size_t keyBytes = 16 + 8 * (selector % 3);
    const int mode = selector & 8 ? kChainingEcb : kChainingCbc;
    Bytes key = input.Bytes(keyBytes);
    key.resize(keyBytes);
    std::array<std::uint8_t, 16> iv{};
    const Bytes ivBytes = input.Bytes(16);
    std::copy(ivBytes.begin(), ivBytes.end(), iv.begin());

    // Pieces of 16 bytes or more (the engine's smallest unit); a piece that is not a multiple of
    // 16 ends in ciphertext stealing.
    std::vector<std::size_t> pieces;
    std::size_t total = 0;
    const int count = 1 + input.Byte() % 4;
    for (int i = 0; i < count; ++i) {
        const std::size_t piece =
            16 + input.Byte() + (input.Byte() % 8 == 0 ? 16 * input.Byte() : 0);
        pieces.push_back(piece);
        total += piece;
    }
    Bytes plain = input.Rest();
    plain.resize(total);

    const auto encrypt = static_cast<std::uint32_t>(kEncrypt + mode);
    const auto decrypt = static_cast<std::uint32_t>(kDecrypt + mode);
    const Bytes table = Run(AesImplementation::Table, key, iv, encrypt, plain, pieces);
    for (AesImplementation hardware :
         {AesImplementation::AesNi, AesImplementation::Vaes256, AesImplementation::Vaes512}) {
        if (UseAesImplementation(hardware)) {
            fuzz::Check(Run(hardware, key, iv, encrypt, plain, pieces) == table,
                        "hardware and table encrypt alike");
            fuzz::Check(Run(hardware, key, iv, decrypt, table, pieces) == plain,
                        "hardware decryption inverts encryption");
        }
    }
    fuzz::Check(Run(AesImplementation::Table, key, iv, decrypt, table, pieces) == plain,
                "table decryption inverts encryption");
    UseAesImplementation(AesImplementation::Automatic);
    return 0;
}
