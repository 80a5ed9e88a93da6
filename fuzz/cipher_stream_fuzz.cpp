// The cipher stream on arbitrary bytes and arbitrary splits: decrypting never touches memory
// outside its buffers (the sanitizers watch) and gives what one call gives; encrypting then
// decrypting gives the data back.
#include <algorithm>
#include <vector>

#include "crypto/cipher_stream.h"
#include "crypto/random.h"
#include "fuzz_input.h"

namespace {

using namespace vexmora;
using Bytes = std::vector<std::uint8_t>;

struct Result {
    Bytes output;
    std::int64_t lastCount = 0;
};

// Every call gets an output buffer of exactly input + 32 bytes of its own, so an overrun is seen.
Result Run(int direction, const Bytes& key, const Bytes& data, std::vector<std::size_t> pieces,
           const CipherParams& params) {
    if (pieces.empty()) {
        pieces.push_back(0);  // no data: the final call alone
    }
    auto stream = CreateCipherStream(key, direction, params);
    fuzz::Check(stream != nullptr, "stream created");
    Result result;
    std::size_t at = 0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const bool final = i + 1 == pieces.size();
        Bytes in(data.begin() + static_cast<std::ptrdiff_t>(at),
                 data.begin() + static_cast<std::ptrdiff_t>(at + pieces[i]));
        Bytes out(in.size() + 32);
        const std::int64_t n = UpdateCipherStream(*stream, in, out, final);
        fuzz::Check(n <= static_cast<std::int64_t>(out.size()), "count within the buffer");
        fuzz::Check(n >= 0 || final, "only the final call reports a failure");
        if (n > 0) {
            result.output.insert(result.output.end(), out.begin(), out.begin() + n);
        }
        result.lastCount = n;
        at += pieces[i];
    }
    return result;
}

// Pieces that end with a non-empty final piece: the final decryption call must carry the end of
// the ciphertext.
std::vector<std::size_t> SplitKeepingTheEnd(fuzz::Input& input, std::size_t size) {
    if (size == 0) {
        return {0};
    }
    std::vector<std::size_t> pieces = input.Split(size - 1);
    pieces.push_back(1);
    return pieces;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool opened = OpenSystemRandom();
    (void)opened;
    fuzz::Input input(data, size);
    const std::uint8_t selector = input.Byte();
    CipherParams params = DefaultCipherParams();
    params.chainingMode = selector & 1 ? kChainingEcb : kChainingCbc;
    params.keyBits = (selector >> 1) % 3 == 0 ? 128 : (selector >> 1) % 3 == 1 ? 192 : 256;
    Bytes key = input.Bytes(32);
    key.resize(32);

    if (selector & 0x80) {
        // Arbitrary bytes as a container.
        const Bytes text = input.Bytes(input.Byte() * 37);
        const std::vector<std::size_t> pieces = SplitKeepingTheEnd(input, text.size());
        const Result whole = Run(kDecrypt, key, text, {text.size()}, params);
        const Result split = Run(kDecrypt, key, text, pieces, params);
        fuzz::Check(whole.lastCount >= -1, "a count below -1");
        fuzz::Check((whole.lastCount < 0) == (split.lastCount < 0),
                    "split and whole agree on failure");
        if (whole.lastCount >= 0) {
            fuzz::Check(split.output == whole.output, "split and whole decrypt alike");
        }
    } else {
        // Data through encryption and back, each side split its own way.
        const Bytes plain = input.Bytes(input.Byte() * 41 + input.Byte());
        const Result container = Run(kEncrypt, key, plain, input.Split(plain.size()), params);
        const std::size_t ivBytes = params.chainingMode == kChainingCbc ? 16 : 0;
        fuzz::Check(container.output.size() == ivBytes + 16 * (plain.size() / 16 + 1),
                    "container size");
        const Result back = Run(kDecrypt, key, container.output,
                                SplitKeepingTheEnd(input, container.output.size()), params);
        fuzz::Check(back.lastCount >= 0, "a valid container decrypts");
        fuzz::Check(back.output == plain, "decrypt(encrypt(x)) == x");
    }
    return 0;
}
