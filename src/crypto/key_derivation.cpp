#include "crypto/key_derivation.h"

#include <algorithm>

#include "crypto/sha256.h"

namespace vexmora {

Key DeriveKey(std::u16string_view password, TextFormat format) {
    const std::size_t length = TextByteLength(password, format);
    SecretBytes buffer(length + 2);  // room for the terminator of either width
    const std::size_t written = TextToBytes(buffer, password, -1, format);
    Sha256Digest digest = Sha256(std::span(buffer).first(written));
    Key key;
    std::copy(digest.begin(), digest.end(), key.data());
    Wipe(std::span(digest));
    return key;
}

}  // namespace vexmora
