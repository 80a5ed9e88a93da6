// The POSIX build stands in Windows-1252 for the ANSI code page.
#include <gtest/gtest.h>

#include "platform/text_conversion.h"

namespace vexmora {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(TextConversionPosix, AnsiIsWindows1252) {
    EXPECT_EQ(Utf16ToAnsi(u"\u00C4\u00FF\u20AC\u2122\u0178"),
              (Bytes{0xC4, 0xFF, 0x80, 0x99, 0x9F}));
    EXPECT_EQ(AnsiToUtf16(Bytes{0xC4, 0x80, 0x99, 0x9F}), u"\u00C4\u20AC\u2122\u0178");
    // The five bytes Windows-1252 leaves undefined map to the C1 controls and back.
    EXPECT_EQ(AnsiToUtf16(Bytes{0x81, 0x8D, 0x8F, 0x90, 0x9D}), u"\u0081\u008D\u008F\u0090\u009D");
    EXPECT_EQ(Utf16ToAnsi(u"\u0081\u009D"), (Bytes{0x81, 0x9D}));
}

TEST(TextConversionPosix, UnmappableCharactersBecomeQuestionMarks) {
    // One "?" per character, also for a surrogate pair and an unpaired surrogate.
    EXPECT_EQ(Utf16ToAnsi(u"a\u0100\U0001F600b"), (Bytes{'a', '?', '?', 'b'}));
    EXPECT_EQ(Utf16ToAnsi(std::u16string{char16_t{0xDC00}}), Bytes{'?'});
    EXPECT_EQ(Utf16ToAnsi(u"\u0080\u0085"), (Bytes{'?', '?'}));  // C1 controls 1252 does define
}

}  // namespace
}  // namespace vexmora
