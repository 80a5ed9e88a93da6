// The password rating on arbitrary text: a finite, non-negative figure that depends only on the
// first 256 characters of the ASCII rating text, never above the cost of that many random ASCII
// characters, and never raised by separators.
//
// Input layout: each byte below 0xF0 is one code unit of that value (ASCII and most of Latin-1,
// where the rating's rules are dense); 0xF0 and up takes the next two bytes, high byte first, as
// any code unit (other scripts, surrogates, U+0000).
#include <cmath>
#include <string>

#include "crypto/password_strength.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vexmora;
    fuzz::Input input(data, size);
    std::u16string password;
    while (!input.Empty()) {
        const std::uint8_t b = input.Byte();
        password.push_back(b < 0xF0 ? char16_t{b}
                                    : static_cast<char16_t>(input.Byte() << 8 | input.Byte()));
    }

    const double rating = PasswordLog10Guesses(password);
    fuzz::Check(std::isfinite(rating) && rating >= 0, "finite and not negative");
    fuzz::Check(PasswordLog10Guesses(std::u16string(password)) == rating, "same text, same rating");

    const SecretBytes text = PasswordRatingText(password);
    fuzz::Check(text.size() <= 4 * password.size(), "at most four characters a code unit");
    std::u16string rated;  // the part of the rating text that counts, as a password of its own
    std::u16string joined;
    for (std::uint8_t c : text) {
        fuzz::Check(c >= 0x01 && c <= 0x7F, "rating text is ASCII without zero bytes");
        if (rated.size() < kRatedPasswordLength) {
            rated.push_back(c);
            if (c != ' ' && c != '-' && c != '.' && c != '_') {
                joined.push_back(c);
            }
        }
    }
    fuzz::Check(PasswordLog10Guesses(rated) == rating, "only the rated part counts");
    fuzz::Check(rating <= PasswordLog10Guesses(joined), "separators never add");
    fuzz::Check(rating <= static_cast<double>(rated.size()) * std::log10(95.0) + 1e-9,
                "at most what random ASCII costs");
    return 0;
}
