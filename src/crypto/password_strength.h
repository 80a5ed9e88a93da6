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
//
// How a password is rated, step by step:
// 1. It becomes ASCII text (PasswordRatingText): ASCII stays as it is; Latin letters with
//    diacritics (U+00C0 to U+017F) become their base letters (ö → o, ß → ss, Æ → Ae, Þ → Th);
//    Greek and Cyrillic letters become Latin ones by a fixed table (п → p, ж → zh, θ → th; the
//    Cyrillic hard and soft signs are dropped); combining marks (U+0300 to U+036F) are dropped;
//    space separators (no-break space, ideographic space and the like) become a space; fullwidth
//    forms (U+FF01 to U+FF5E) become their ASCII twins. Every other code point, U+0000 and unpaired
//    surrogates included, becomes one lower-case letter, 'a' + (code point mod 26), so it never
//    counts for more than one random lower-case letter. zxcvbn itself charges every byte at or
//    above 0x80 as one of 100 random symbols (and raises the cost of every other character with
//    it), which rated "пароль" near 1e24.
// 2. Only the first kRatedPasswordLength characters of that text are rated; what follows adds
//    nothing, so a long password never rates above its first 256 characters. zxcvbn's work grows
//    with the square to the cube of the length; a rating of 100 mixed characters takes about
//    1 ms, of 256 about 8 ms, of the worst 256 (a short piece repeated) about 11 ms on one
//    desktop core (bench/password_bench.cpp): still less than a keystroke's interval.
// 3. A run of more than kRatedRunLength equal characters counts as kRatedRunLength of them: such a
//    run costs zxcvbn the most time and adds almost nothing to its figure (log2 of the run's
//    length), so cutting it only ever lowers the rating.
// 4. zxcvbn rates that text, and the text without its spaces, hyphens, dots and underscores (run
//    cut again); the lower figure counts. Separated words thus cost what the words cost.
// zxcvbn's figure is log2 of the number of candidates its cheapest description of the password
// leaves to try ("entropy" in bits); log10 guesses = bits * log10(2), the full count (an attacker
// needs half of it on average: the bands keep that factor as a margin).
#pragma once

#include <cstddef>
#include <string_view>

#include "crypto/wipe.h"

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

// Characters of the rating text (step 1 above) that are rated; the rest adds nothing.
inline constexpr std::size_t kRatedPasswordLength = 256;
// Longest run of one character that is rated in full (step 3 above).
inline constexpr std::size_t kRatedRunLength = 16;

// log10 of the guesses needed to find the password; 0 for the empty password. Any text is
// accepted (unpaired surrogates included); past kRatedPasswordLength characters only the
// transliteration still grows with the length, linearly.
double PasswordLog10Guesses(std::u16string_view password);

// Below 12 VeryWeak, 12 up to 18 Weak, 18 up to 22 Fair, 22 and above Strong. NaN is VeryWeak.
StrengthBand BandOf(double log10Guesses);

// The ASCII text that stands for the password in the rating (step 1 above), all of it, without a
// terminator; never holds a zero byte. Wiped when it goes away.
SecretBytes PasswordRatingText(std::u16string_view password);

}  // namespace vexmora
