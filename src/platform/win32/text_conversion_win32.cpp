#include <windows.h>

#include <climits>
#include <functional>

#include "platform/text_conversion.h"

namespace vexmora {
namespace {

// The Win32 converters take int lengths; longer inputs go through in pieces whose ends never
// split a character.
constexpr std::size_t kPiece = std::size_t{1} << 30;

template <typename Out, typename EndOfPiece, typename Convert>
Out ConvertInPieces(std::size_t size, EndOfPiece endOfPiece, Convert convert) {
    Out out;
    for (std::size_t start = 0; start < size;) {
        std::size_t end = size - start <= kPiece ? size : endOfPiece(start, start + kPiece);
        convert(start, end, out);
        start = end;
    }
    return out;
}

std::vector<std::uint8_t> FromUtf16(UINT codePage, std::u16string_view text) {
    auto endOfPiece = [&](std::size_t, std::size_t end) {
        return (text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF) ? end - 1 : end;
    };
    auto convert = [&](std::size_t start, std::size_t end, std::vector<std::uint8_t>& out) {
        auto source = reinterpret_cast<const wchar_t*>(text.data() + start);
        int units = static_cast<int>(end - start);
        int bytes = WideCharToMultiByte(codePage, 0, source, units, nullptr, 0, nullptr, nullptr);
        if (bytes <= 0) {
            return;
        }
        std::size_t at = out.size();
        out.resize(at + static_cast<std::size_t>(bytes));
        WideCharToMultiByte(codePage, 0, source, units, reinterpret_cast<char*>(out.data() + at),
                            bytes, nullptr, nullptr);
    };
    return ConvertInPieces<std::vector<std::uint8_t>>(text.size(), endOfPiece, convert);
}

template <typename EndOfPiece>
std::u16string ToUtf16(UINT codePage, std::span<const std::uint8_t> bytes, EndOfPiece endOfPiece) {
    auto convert = [&](std::size_t start, std::size_t end, std::u16string& out) {
        auto source = reinterpret_cast<const char*>(bytes.data() + start);
        int count = static_cast<int>(end - start);
        int units = MultiByteToWideChar(codePage, 0, source, count, nullptr, 0);
        if (units <= 0) {
            return;
        }
        std::size_t at = out.size();
        out.resize(at + static_cast<std::size_t>(units));
        MultiByteToWideChar(codePage, 0, source, count, reinterpret_cast<wchar_t*>(out.data() + at),
                            units);
    };
    return ConvertInPieces<std::u16string>(bytes.size(), endOfPiece, convert);
}

}  // namespace

std::vector<std::uint8_t> Utf16ToUtf8(std::u16string_view text) {
    return FromUtf16(CP_UTF8, text);
}

std::vector<std::uint8_t> Utf16ToAnsi(std::u16string_view text) {
    return FromUtf16(CP_ACP, text);
}

std::u16string Utf8ToUtf16(std::span<const std::uint8_t> bytes) {
    // Back off over continuation bytes so that no sequence is cut in two.
    auto endOfPiece = [&](std::size_t start, std::size_t end) {
        std::size_t cut = end;
        while (cut > start + 1 && end - cut < 3 && (bytes[cut] & 0xC0) == 0x80) {
            --cut;
        }
        return cut;
    };
    return ToUtf16(CP_UTF8, bytes, endOfPiece);
}

std::u16string AnsiToUtf16(std::span<const std::uint8_t> bytes) {
    // Double-byte code pages: walk the characters so that a lead byte keeps its trail byte.
    auto endOfPiece = [&](std::size_t start, std::size_t end) {
        std::size_t at = start;
        while (at < end) {
            std::size_t next = at + (IsDBCSLeadByte(bytes[at]) ? 2 : 1);
            if (next > end) {
                break;
            }
            at = next;
        }
        return at > start ? at : end;
    };
    return ToUtf16(CP_ACP, bytes, endOfPiece);
}

}  // namespace vexmora
