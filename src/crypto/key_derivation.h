// The one way a password becomes key material: SHA-256 of its bytes in the given text format
// (UTF-8 at every call site). No salt, no iterations; the same password always gives the same key.
#pragma once

#include <string_view>

#include "crypto/text_bytes.h"
#include "crypto/wipe.h"

namespace vexmora {

// 32 bytes; wiped when it goes away.
using Key = SecretArray<32>;

// The password's exact code units count: no normalisation, trimming or case folding. An unpaired
// surrogate is hashed as U+FFFD. The terminator that TextToBytes writes is never hashed.
Key DeriveKey(std::u16string_view password, TextFormat format = TextFormat::Utf8);

}  // namespace vexmora
