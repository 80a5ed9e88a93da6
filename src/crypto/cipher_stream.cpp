#include "crypto/cipher_stream.h"

#include <algorithm>
#include <cstring>

#include "crypto/overlap.h"
#include "crypto/random.h"

namespace vexmora {
namespace {

int g_keyBits = 256;

constexpr std::size_t kBlock = 16;

// Whether the last block holds well-formed PKCS#7 padding, looked at without branching on the
// secret bytes. Returns the pad length, or 0 when it is malformed.
std::size_t PaddingLength(std::span<const std::uint8_t, kBlock> last) {
    const unsigned value = last[kBlock - 1];
    unsigned bad = static_cast<unsigned>(value - 1) >> 8 | static_cast<unsigned>(16 - value) >> 8;
    for (unsigned i = 0; i < 16; ++i) {
        // all ones for the bytes that belong to the padding (i >= 16 - value), else zero
        const unsigned inPad = 0u - ((15u - i - value) >> 31);
        bad |= inPad & (last[i] ^ value);
    }
    return bad == 0 ? value : 0;
}

}  // namespace

int KeyBits() {
    return g_keyBits;
}
void SetKeyBits(int bits) {
    g_keyBits = bits;
}

CipherParams DefaultCipherParams() {
    CipherParams params;
    params.keyBits = KeyBits();
    return params;
}

CipherStream::~CipherStream() {
    AesStreamFinish(engine_);
    Wipe(std::span(workBlock_));
}

std::unique_ptr<CipherStream> CreateCipherStream(std::span<const std::uint8_t> key, int direction,
                                                 const CipherParams& params) {
    const bool keySizeOk = params.keyBits == 128 || params.keyBits == 192 || params.keyBits == 256;
    if ((direction != kEncrypt && direction != kDecrypt) ||
        (params.chainingMode != kChainingCbc && params.chainingMode != kChainingEcb) ||
        !keySizeOk || key.size() < static_cast<std::size_t>(params.keyBits / 8)) {
        return nullptr;
    }
    std::unique_ptr<CipherStream> stream(new CipherStream());
    std::copy_n(key.begin(), params.keyBits / 8, stream->key_.data());
    stream->direction_ = direction;
    stream->params_ = params;
    if (params.chainingMode == kChainingCbc && direction == kEncrypt) {
        if (params.explicitIv) {
            stream->workBlock_ = *params.explicitIv;
        } else if (!SystemRandomBytes(stream->workBlock_)) {
            return nullptr;  // no IV that nobody can guess: no container at all
        }
    }
    return stream;
}

std::unique_ptr<CipherStream> CreateCipherStream(std::span<const std::uint8_t> key, int direction) {
    return CreateCipherStream(key, direction, DefaultCipherParams());
}

void FreeCipherStream(std::unique_ptr<CipherStream>& stream) {
    stream.reset();
}

std::int64_t UpdateCipherStream(CipherStream& stream, std::span<const std::uint8_t> input,
                                std::span<std::uint8_t> output, bool final) {
    return stream.Update(input, output, final);
}

// Starts the engine when the stream has what it needs: at once for ECB, encryption and an
// explicit IV; for decryption once 16 IV bytes have arrived (those are taken from input by the
// caller). Encryption writes the IV to output first when asked to.
bool CipherStream::StartEngine(std::span<std::uint8_t> output, std::int64_t& count) {
    const auto flags = static_cast<std::uint32_t>(direction_ + params_.chainingMode);
    const std::span<const std::uint8_t> key = key_.span().first(params_.keyBits / 8);
    if (params_.chainingMode == kChainingCbc && direction_ == kEncrypt) {
        // The IV was drawn (or given) when the stream was created.
        if (params_.writeIv) {
            std::copy(workBlock_.begin(), workBlock_.end(), output.begin());
            count = kBlock;
        }
    } else if (params_.chainingMode == kChainingCbc && params_.explicitIv) {
        workBlock_ = *params_.explicitIv;
    }
    engine_ = AesStreamStart(key, params_.keyBits, workBlock_, flags);
    return engine_ != kNoAes;
}

std::int64_t CipherStream::Update(std::span<const std::uint8_t> input,
                                  std::span<std::uint8_t> output, bool final) {
    if (finished_ || output.size() < input.size() + 2 * kBlock || Overlaps(input, output)) {
        return -1;
    }
    finished_ = final;
    std::int64_t count = 0;

    // Set-up. A decrypting CBC stream without an explicit IV first collects 16 IV bytes.
    if (engine_ == kNoAes) {
        const bool ivFromInput =
            params_.chainingMode == kChainingCbc && direction_ == kDecrypt && !params_.explicitIv;
        if (!ivFromInput) {
            if (!StartEngine(output, count)) {
                return -1;
            }
        } else if (pending_ + input.size() >= kBlock) {
            const std::size_t missing = kBlock - pending_;
            std::copy_n(input.begin(), missing, workBlock_.begin() + pending_);
            input = input.subspan(missing);
            pending_ = 0;
            if (!StartEngine(output, count)) {
                return -1;
            }
        }
    }

    // Whole blocks go straight from input to output; at most 15 bytes wait in workBlock_.
    std::int64_t blockBytes = 0;
    if (pending_ + input.size() < kBlock) {
        std::copy(input.begin(), input.end(), workBlock_.begin() + pending_);
        pending_ += input.size();
    } else {
        if (pending_ > 0) {
            const std::size_t missing = kBlock - pending_;
            std::copy_n(input.begin(), missing, workBlock_.begin() + pending_);
            input = input.subspan(missing);
            AesStreamAdd(engine_, workBlock_, output.subspan(count, kBlock));
            blockBytes += kBlock;
        }
        const std::size_t rest = input.size() % kBlock;
        const std::size_t whole = input.size() - rest;
        std::copy(input.end() - rest, input.end(), workBlock_.begin());
        pending_ = rest;
        if (whole > 0) {
            AesStreamAdd(engine_, input.first(whole), output.subspan(count + blockBytes, whole));
            blockBytes += whole;
        }
    }
    count += blockBytes;

    if (!final) {
        return count;
    }
    const std::size_t leftover = pending_;
    pending_ = 0;
    if (params_.noPadding) {
        Wipe(std::span(workBlock_));
        return count;
    }
    if (direction_ == kEncrypt) {
        std::fill(workBlock_.begin() + leftover, workBlock_.end(),
                  static_cast<std::uint8_t>(kBlock - leftover));
        AesStreamAdd(engine_, workBlock_, output.subspan(count, kBlock));
        Wipe(std::span(workBlock_));
        return count + kBlock;
    }
    // Decryption: the last block must have been deciphered by this call, with nothing after it.
    Wipe(std::span(workBlock_));
    if (engine_ == kNoAes || leftover != 0 || blockBytes < static_cast<std::int64_t>(kBlock)) {
        return -1;
    }
    const std::size_t pad = PaddingLength(output.subspan(count - kBlock).first<kBlock>());
    return pad == 0 ? -1 : count - static_cast<std::int64_t>(pad);
}

}  // namespace vexmora
