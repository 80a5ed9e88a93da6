#include <array>

#include "platform/text_conversion.h"

namespace vexmora {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Reads one code point at text[i], advancing i. An unpaired surrogate reads as U+FFFD.
char32_t NextCodePoint(std::u16string_view text, std::size_t& i) {
    char32_t c = text[i++];
    if (IsHighSurrogate(c)) {
        if (i < text.size() && IsLowSurrogate(text[i])) {
            char32_t low = text[i++];
            return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        }
        return kReplacement;
    }
    return IsLowSurrogate(c) ? kReplacement : c;
}

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    }
}

// Windows-1252 bytes 0x80..0x9F. The five bytes the code page leaves undefined map to the C1
// control of the same value, as Windows' own conversion does.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::uint8_t ToCp1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<std::uint8_t>(c);
    }
    for (std::size_t b = 0; b < kCp1252High.size(); ++b) {
        if (kCp1252High[b] == c) {
            return static_cast<std::uint8_t>(0x80 + b);
        }
    }
    return '?';
}

}  // namespace

std::vector<std::uint8_t> Utf16ToUtf8(std::u16string_view text) {
    std::vector<std::uint8_t> out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = NextCodePoint(text, i);
        if (c < 0x80) {
            out.push_back(static_cast<std::uint8_t>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<std::uint8_t>(0xC0 | (c >> 6)));
            out.push_back(static_cast<std::uint8_t>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<std::uint8_t>(0xE0 | (c >> 12)));
            out.push_back(static_cast<std::uint8_t>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<std::uint8_t>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<std::uint8_t>(0xF0 | (c >> 18)));
            out.push_back(static_cast<std::uint8_t>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<std::uint8_t>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<std::uint8_t>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

// Each maximal ill-formed subpart becomes one U+FFFD (the Unicode "best practice" that browsers
// follow), so a stray byte never swallows the valid characters after it.
std::u16string Utf8ToUtf16(std::span<const std::uint8_t> bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::uint8_t lead = bytes[i++];
        if (lead < 0x80) {
            out.push_back(lead);
            continue;
        }
        int needed = 0;
        char32_t c = 0;
        std::uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            needed = 1;
            c = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            needed = 2;
            c = lead & 0x0F;
            if (lead == 0xE0)
                low = 0xA0;
            if (lead == 0xED)
                high = 0x9F;  // no surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            needed = 3;
            c = lead & 0x07;
            if (lead == 0xF0)
                low = 0x90;
            if (lead == 0xF4)
                high = 0x8F;  // nothing above U+10FFFF
        } else {
            out.push_back(kReplacement);
            continue;
        }
        bool complete = true;
        for (int k = 0; k < needed; ++k) {
            if (i >= bytes.size() || bytes[i] < low || bytes[i] > high) {
                complete = false;
                break;
            }
            c = (c << 6) | (bytes[i++] & 0x3F);
            low = 0x80;
            high = 0xBF;
        }
        if (complete) {
            AppendUtf16(out, c);
        } else {
            out.push_back(kReplacement);
        }
    }
    return out;
}

std::vector<std::uint8_t> Utf16ToAnsi(std::u16string_view text) {
    std::vector<std::uint8_t> out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        out.push_back(ToCp1252(NextCodePoint(text, i)));
    }
    return out;
}

std::u16string AnsiToUtf16(std::span<const std::uint8_t> bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (std::uint8_t b : bytes) {
        out.push_back(b >= 0x80 && b <= 0x9F ? kCp1252High[b - 0x80] : char16_t{b});
    }
    return out;
}

}  // namespace vexmora
