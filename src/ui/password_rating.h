// What the windows say about a password that is to encrypt: the strength line under the field
// ("weak: found in 4 days by 100 graphics cards", with a coloured bar), and the question before a
// weak password encrypts. Decrypting never rates a password: every old file must open.
#pragma once

#include <string>
#include <string_view>

#include "crypto/passphrase.h"
#include "toolkit/toolkit.h"
#include "ui/texts.h"

namespace vexmora {

// How long `seconds` of guessing is, in words: "under a second", "4 days", "3 centuries",
// "millennia"; counts are rounded down, so a time is never said to be longer than it is.
std::u16string DurationText(double seconds, const texts::DurationLanguage& language);

// The seconds that 100 graphics cards need for 10^log10Guesses guesses.
double AttackSeconds(double log10Guesses);

// The strength line of a password; empty for the empty password.
std::u16string StrengthLine(std::u16string_view password);

// A strength line with its bar (a progress bar 0..100, coloured by band).
struct StrengthDisplay {
    Identity label = kNoIdentity;
    Identity bar = kNoIdentity;

    // Shows the rating of `password`, or nothing for the empty one. `generated` says that the
    // password is the passphrase just generated, whose strength is known exactly.
    void Show(Toolkit& toolkit, std::u16string_view password, bool generated = false) const;
};

// True when `password` may encrypt: it is at least fair, or the user answered Yes to the
// question that says how fast a file made with it falls (No is the default).
bool MayEncryptWith(Toolkit& toolkit, std::u16string_view password);

// The system's cryptographic source, opened on first use.
RandomFill SystemRandomFill();

}  // namespace vexmora
