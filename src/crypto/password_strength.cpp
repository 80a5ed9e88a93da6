#include "crypto/password_strength.h"

#include <zxcvbn.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <span>

namespace vexmora {
namespace {

// zxcvbn is built to analyse exactly the text we hand it; a longer cut would fall back to its
// rough treatment of long passwords, a shorter one would leave characters unread.
static_assert(kRatedPasswordLength == ZXCVBN_DETAIL_LEN);

// Base letters of U+00C0 to U+017F, sixteen code points a row. '?' marks the letters written with
// two (kLatinTwoLetters) and the two arithmetic signs × and ÷, which are not letters at all.
constexpr std::string_view kLatinBase =
    "AAAAAA?CEEEEIIII"   // U+00C0
    "DNOOOOO?OUUUUY??"   // U+00D0
    "aaaaaa?ceeeeiiii"   // U+00E0
    "dnooooo?ouuuuy?y"   // U+00F0
    "AaAaAaCcCcCcCcDd"   // U+0100
    "DdEeEeEeEeEeGgGg"   // U+0110
    "GgGgHhHhIiIiIiIi"   // U+0120
    "Ii??JjKkkLlLlLlL"   // U+0130
    "lLlNnNnNnnNnOoOo"   // U+0140
    "Oo??RrRrRrSsSsSs"   // U+0150
    "SsTtTtTtUuUuUuUu"   // U+0160
    "UuUuWwYyYZzZzZzs";  // U+0170
static_assert(kLatinBase.size() == 0x180 - 0xC0);

struct Spelling {
    char32_t codePoint;
    std::string_view letters;
};

constexpr Spelling kLatinTwoLetters[] = {{0xC6, "Ae"},  {0xDE, "Th"},  {0xDF, "ss"},
                                         {0xE6, "ae"},  {0xFE, "th"},  {0x132, "Ij"},
                                         {0x133, "ij"}, {0x152, "Oe"}, {0x153, "oe"}};

// Cyrillic capitals U+0400 to U+042F (Russian, Ukrainian, Belarusian, Serbian, Macedonian); the
// small letters U+0430 to U+045F are the same letters lower-cased. The hard and soft signs are
// dropped: they change a sound, not a letter a Latin keyboard would type.
constexpr std::array<std::string_view, 48> kCyrillic = {
    "E", "E", "Dj", "G", "Ye", "Dz", "I",  "Yi", "J",  "Lj",   "Nj", "C", "K", "I", "U",  "Dz",
    "A", "B", "V",  "G", "D",  "E",  "Zh", "Z",  "I",  "Y",    "K",  "L", "M", "N", "O",  "P",
    "R", "S", "T",  "U", "F",  "Kh", "Ts", "Ch", "Sh", "Shch", "",   "Y", "",  "E", "Yu", "Ya"};

// Greek capitals U+0391 to U+03A9; the small letters U+03B1 to U+03C9 are the same lower-cased.
// U+03A2 has no capital: its slot serves the small final sigma U+03C2.
constexpr std::array<std::string_view, 25> kGreek = {"A", "V", "G", "D", "E",  "Z",  "I", "Th", "I",
                                                     "K", "L", "M", "N", "X",  "O",  "P", "R",  "S",
                                                     "S", "T", "Y", "F", "Ch", "Ps", "O"};

// The Greek letters with tonos or dialytika.
constexpr Spelling kGreekAccented[] = {{0x386, "A"}, {0x388, "E"}, {0x389, "I"}, {0x38A, "I"},
                                       {0x38C, "O"}, {0x38E, "Y"}, {0x38F, "O"}, {0x390, "i"},
                                       {0x3AA, "I"}, {0x3AB, "Y"}, {0x3AC, "a"}, {0x3AD, "e"},
                                       {0x3AE, "i"}, {0x3AF, "i"}, {0x3B0, "y"}, {0x3CA, "i"},
                                       {0x3CB, "y"}, {0x3CC, "o"}, {0x3CD, "y"}, {0x3CE, "o"}};

const Spelling* Find(std::span<const Spelling> table, char32_t c) {
    for (const Spelling& spelling : table) {
        if (spelling.codePoint == c) {
            return &spelling;
        }
    }
    return nullptr;
}

bool IsSpaceSeparator(char32_t c) {
    return c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

void Append(SecretBytes& out, std::string_view letters, bool lower) {
    for (char c : letters) {
        if (lower && c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        out.push_back(static_cast<std::uint8_t>(c));
    }
}

void AppendRatingText(SecretBytes& out, char32_t c) {
    if (c >= 0x01 && c <= 0x7F) {
        out.push_back(static_cast<std::uint8_t>(c));
        return;
    }
    if (c >= 0xC0 && c < 0x180) {
        const char base = kLatinBase[c - 0xC0];
        if (base != '?') {
            out.push_back(static_cast<std::uint8_t>(base));
            return;
        }
        if (const Spelling* spelling = Find(kLatinTwoLetters, c)) {
            return Append(out, spelling->letters, false);
        }
    } else if (c >= 0x400 && c < 0x430) {
        return Append(out, kCyrillic[c - 0x400], false);
    } else if (c >= 0x430 && c < 0x450) {
        return Append(out, kCyrillic[c - 0x430 + 16], true);
    } else if (c >= 0x450 && c < 0x460) {
        return Append(out, kCyrillic[c - 0x450], true);
    } else if (c == 0x490 || c == 0x491) {  // Ukrainian ge with upturn
        return Append(out, "G", c == 0x491);
    } else if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) {
        return Append(out, kGreek[c - 0x391], false);
    } else if (c >= 0x3B1 && c <= 0x3C9) {
        return Append(out, kGreek[c - 0x3B1], true);
    } else if (const Spelling* spelling = Find(kGreekAccented, c)) {
        return Append(out, spelling->letters, false);
    } else if (c >= 0x300 && c < 0x370) {
        return;  // a combining mark decorates the letter before it, which was counted already
    } else if (IsSpaceSeparator(c)) {
        out.push_back(' ');
        return;
    } else if (c >= 0xFF01 && c <= 0xFF5E) {
        out.push_back(static_cast<std::uint8_t>(c - 0xFF01 + 0x21));
        return;
    }
    // Anything else, from U+0000 to a supplementary-plane ideograph: one lower-case letter, so it
    // costs what a random lower-case letter costs and never the 100-symbol set zxcvbn assumes.
    out.push_back(static_cast<std::uint8_t>('a' + c % 26));
}

bool IsSeparator(std::uint8_t c) {
    return c == ' ' || c == '-' || c == '.' || c == '_';
}

// The text as zxcvbn gets it: runs cut to kRatedRunLength, zero-terminated.
SecretBytes Prepared(const SecretBytes& text, bool withoutSeparators) {
    SecretBytes out;
    out.reserve(text.size() + 1);
    std::size_t run = 0;
    for (std::uint8_t c : text) {
        if (withoutSeparators && IsSeparator(c)) {
            continue;
        }
        run = !out.empty() && out.back() == c ? run + 1 : 1;
        if (run <= kRatedRunLength) {
            out.push_back(c);
        }
    }
    out.push_back(0);
    return out;
}

double Bits(const SecretBytes& terminated) {
    if (terminated.size() <= 1) {
        return 0.0;
    }
    return ZxcvbnMatch(reinterpret_cast<const char*>(terminated.data()), nullptr, nullptr);
}

}  // namespace

SecretBytes PasswordRatingText(std::u16string_view password) {
    SecretBytes out;
    out.reserve(password.size());
    for (std::size_t i = 0; i < password.size();) {
        char32_t c = password[i++];
        if (c >= 0xD800 && c < 0xDC00 && i < password.size() && password[i] >= 0xDC00 &&
            password[i] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (password[i++] - 0xDC00);
        }
        AppendRatingText(out, c);
    }
    return out;
}

double PasswordLog10Guesses(std::u16string_view password) {
    SecretBytes text = PasswordRatingText(password);
    if (text.size() > kRatedPasswordLength) {
        text.resize(kRatedPasswordLength);
    }
    const SecretBytes whole = Prepared(text, false);
    const SecretBytes joined = Prepared(text, true);
    double bits = Bits(whole);
    if (joined != whole) {
        bits = std::min(bits, Bits(joined));
    }
    // max() also turns a NaN, which zxcvbn should never give, into the weakest rating.
    return std::max(0.0, bits * std::log10(2.0));
}

StrengthBand BandOf(double log10Guesses) {
    if (log10Guesses >= 22.0) {
        return StrengthBand::Strong;
    }
    if (log10Guesses >= 18.0) {
        return StrengthBand::Fair;
    }
    if (log10Guesses >= 12.0) {
        return StrengthBand::Weak;
    }
    return StrengthBand::VeryWeak;
}

}  // namespace vexmora
