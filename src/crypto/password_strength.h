// How many guesses a password costs an attacker who knows how people choose passwords: zxcvbn's
// method (dictionaries of common passwords, names and words, keyboard runs, sequences, repeats,
// dates; the cheapest way to build the whole password), with its known blind spots corrected:
// - non-ASCII text is rated conservatively, never as random bytes ("пароль" is a common word);
// - separators are not charged as random symbols: the password is rated with and without its
//   spaces, hyphens, dots and underscores, and the lower figure counts;
// - the whole password is read, not only its first 100 characters;
// - the result does not depend on the C locale.
//
// The key of a container is one SHA-256 of the password, so guesses are all that protects it.
// Pure functions of their input; safe to call from any thread.
#pragma once

#include <string_view>

namespace vexmora {

// What a password survives against 100 current graphics cards, each testing about 2.2e10
// SHA-256 guesses per second.
enum class StrengthBand {
    VeryWeak,  // below 1e12 guesses: under a second
    Weak,      // 1e12 to 1e18: up to days
    Fair,      // 1e18 to 1e22: years to centuries
    Strong,    // 1e22 and more: millennia
};

inline constexpr double kAttackGuessesPerSecond = 2.2e12;  // 100 GPUs, SHA-256

// log10 of the guesses needed to find the password; 0 for the empty password. Any text is
// accepted (unpaired surrogates included); the time grows about linearly with its length.
double PasswordLog10Guesses(std::u16string_view password);

StrengthBand BandOf(double log10Guesses);

}  // namespace vexmora
