// The incremental encryptor/decryptor every job goes through, and the owner of the container:
//
//   offset 0, 16 bytes:       IV, the first CBC chaining value, random
//   offset 16, 16 * k bytes:  AES-CBC ciphertext of the plaintext and its PKCS#7 padding (k >= 1)
//
// No header, length, key check or MAC: a wrong password cannot be told from damaged data.
//
// Feed the data in any number of UpdateCipherStream calls of any sizes and mark the last one
// final; the outputs of all calls, concatenated, are the container (or the plaintext). The
// result does not depend on how the input is split.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "crypto/aes/aes_engine.h"
#include "crypto/direction.h"
#include "crypto/wipe.h"

namespace vexmora {

// The program-wide default AES key size in bits; 256. Start-up sets it before any stream exists.
int KeyBits();
void SetKeyBits(int bits);

using IvBlock = std::array<std::uint8_t, 16>;

struct CipherParams {
    int chainingMode = kChainingCbc;  // kChainingCbc or kChainingEcb
    int keyBits = 256;                // 128, 192 or 256
    bool noPadding = false;  // the final call neither pads nor strips; a partial last block is
                             // dropped, so feed whole blocks
    bool writeIv = true;     // encryption writes the IV in front of the output
    // Use this IV instead of drawing one from the system's cryptographic source.
    std::optional<IvBlock> explicitIv;
};

// What a stream created without parameters uses: CBC, KeyBits(), padding, IV written, IV from the
// system's cryptographic source.
CipherParams DefaultCipherParams();

// One stream; create it with CreateCipherStream. Not copyable.
class CipherStream {
  public:
    CipherStream(const CipherStream&) = delete;
    CipherStream& operator=(const CipherStream&) = delete;
    ~CipherStream();

  private:
    CipherStream() = default;
    std::int64_t Update(std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                        bool final);
    bool StartEngine(std::span<std::uint8_t> output, std::int64_t& count);

    friend std::unique_ptr<CipherStream> CreateCipherStream(std::span<const std::uint8_t>, int,
                                                            const CipherParams&);
    friend std::int64_t UpdateCipherStream(CipherStream&, std::span<const std::uint8_t>,
                                           std::span<std::uint8_t>, bool);

    SecretArray<32> key_;
    int direction_ = 0;
    CipherParams params_;
    AesHandle engine_ = kNoAes;
    std::size_t pending_ = 0;  // bytes held in workBlock_
    // Before the engine starts: the IV (while decrypting, the IV bytes received so far).
    // Afterwards: the bytes of an incomplete block.
    std::array<std::uint8_t, 16> workBlock_{};
    bool finished_ = false;
};

// Copies the first keyBits / 8 bytes of key (the caller may wipe its key right after). Returns
// nullptr when the direction is not kEncrypt or kDecrypt, the mode not CBC or ECB, the key size
// not 128, 192 or 256, or key holds fewer bytes than the key size needs. A CBC encryption without
// an explicit IV draws its IV here, from the system's cryptographic source only: when that source
// fails the result is nullptr, so that a container with a guessable IV is never begun.
std::unique_ptr<CipherStream> CreateCipherStream(std::span<const std::uint8_t> key, int direction,
                                                 const CipherParams& params);
std::unique_ptr<CipherStream> CreateCipherStream(std::span<const std::uint8_t> key, int direction);

// Processes input into the start of output and returns the bytes written there.
//
// output must hold at least input.size() + 32 bytes (the IV on the first encryption call and one
// block from buffered bytes or padding); input and output must not overlap.
//
// Decryption takes the IV from the first 16 bytes of the input stream, however they are split.
// With padding on, the final decryption call checks what it can: the ciphertext after the IV was
// a whole, non-zero number of blocks whose last block ended in this call, and the PKCS#7 padding
// is well formed (last byte 1..16, all pad bytes equal to it). It returns -1 when a check fails:
// a wrong password or damaged data (the two cannot be told apart). A valid container never gives
// a count below 0.
//
// Returns -1, changing nothing, when output is too small, input and output overlap, or the stream
// already had its final call.
std::int64_t UpdateCipherStream(CipherStream& stream, std::span<const std::uint8_t> input,
                                std::span<std::uint8_t> output, bool final);

// Releases the stream at any point (also before any update): the engine instance is finished and
// the key copy and buffered bytes are wiped.
void FreeCipherStream(std::unique_ptr<CipherStream>& stream);

}  // namespace vexmora
