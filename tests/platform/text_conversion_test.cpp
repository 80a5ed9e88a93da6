#include "platform/text_conversion.h"

#include <gtest/gtest.h>

#include "test_vectors.h"

namespace vexmora {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string Utf8Hex(std::u16string_view text) {
    return test::ToHex(Utf16ToUtf8(text));
}

std::u16string FromUtf8(const Bytes& bytes) {
    return Utf8ToUtf16(bytes);
}

TEST(TextConversion, Utf16ToUtf8) {
    EXPECT_EQ(Utf8Hex(u""), "");
    EXPECT_EQ(Utf8Hex(u"A"), "41");
    EXPECT_EQ(Utf8Hex(u"\u00C4"), "c384");
    EXPECT_EQ(Utf8Hex(u"\u20AC"), "e282ac");
    EXPECT_EQ(Utf8Hex(u"\U0001F600"), "f09f9880");
    EXPECT_EQ(Utf8Hex(u"\U0010FFFF"), "f48fbfbf");
    EXPECT_EQ(Utf8Hex(std::u16string(u"a\0b", 3)), "610062");
}

TEST(TextConversion, UnpairedSurrogatesBecomeReplacementCharacters) {
    EXPECT_EQ(Utf8Hex(std::u16string{char16_t{0xD800}}), "efbfbd");
    EXPECT_EQ(Utf8Hex(std::u16string{u'a', char16_t{0xDC00}, u'b'}), "61efbfbd62");
    EXPECT_EQ(Utf8Hex(std::u16string{char16_t{0xD83D}, u'x'}), "efbfbd78");
}

TEST(TextConversion, Utf8ToUtf16) {
    EXPECT_EQ(FromUtf8({}), u"");
    EXPECT_EQ(FromUtf8({0x41, 0xC3, 0x84, 0xE2, 0x82, 0xAC}), u"A\u00C4\u20AC");
    EXPECT_EQ(FromUtf8({0xF0, 0x9F, 0x98, 0x80}), u"\U0001F600");
    EXPECT_EQ(FromUtf8({0x61, 0x00, 0x62}), std::u16string(u"a\0b", 3));
}

TEST(TextConversion, InvalidUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(FromUtf8({0xFF}), u"\uFFFD");
    EXPECT_EQ(FromUtf8({0x61, 0x80, 0x62}), u"a\uFFFDb");
    // A truncated sequence at the end does not swallow what came before.
    EXPECT_EQ(FromUtf8({0x61, 0xE2, 0x82}), u"a\uFFFD");
    EXPECT_EQ(FromUtf8({0xC3}), u"\uFFFD");
}

TEST(TextConversion, RoundTripOfEveryPlane) {
    std::u16string text;
    for (char32_t c :
         {0x24u, 0xA3u, 0x418u, 0x939u, 0x20ACu, 0xD55Cu, 0xFFFDu, 0x10348u, 0x1F600u}) {
        if (c < 0x10000) {
            text.push_back(static_cast<char16_t>(c));
        } else {
            text.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
    }
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
}

TEST(TextConversion, AnsiKeepsAscii) {
    const std::u16string ascii = u"Zm9v+/=-_ 0123 \t\r\n";
    const Bytes bytes = Utf16ToAnsi(ascii);
    EXPECT_EQ(bytes, Bytes(ascii.begin(), ascii.end()));
    EXPECT_EQ(AnsiToUtf16(bytes), ascii);
    EXPECT_EQ(Utf16ToAnsi(u""), Bytes{});
}

}  // namespace
}  // namespace vexmora
