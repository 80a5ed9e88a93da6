#include "crypto/key_derivation.h"

#include <gtest/gtest.h>

#include "crypto/text_bytes.h"
#include "test_vectors.h"

namespace vexmora {
namespace {

std::string KeyHex(std::u16string_view password) {
    Key key = DeriveKey(password, TextFormat::Utf8);
    return test::ToHex({key.data(), key.data() + key.size()});
}

// Expected keys are SHA-256 of the UTF-8 bytes, computed with Python's hashlib.
TEST(DeriveKey, IsSha256OfThePasswordsUtf8BytesWithoutTerminator) {
    EXPECT_EQ(KeyHex(u""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(KeyHex(u"abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // A with diaeresis is the two bytes C3 84.
    EXPECT_EQ(KeyHex(u"\u00C4"),
              "2fe5ca1c1a3d50bd92f1d3cf6da34ceddabe02022b2a0183ab0b805ada6f787a");
    // Non-ASCII letters and a character beyond U+FFFF (a surrogate pair in memory).
    EXPECT_EQ(KeyHex(u"P\u00E4ssw\u00F6rd \U0001F600"),
              "7a51761db4c1090f835365979f7c0737eb6bd6e1cac8f4c102e6d7c36f683a2f");
}

TEST(DeriveKey, UnpairedSurrogateIsHashedAsReplacementCharacter) {
    const std::string replacement =
        "83d544ccc223c057d2bf80d3f2a32982c32c3c0db8e2674820da5064783fb097";
    EXPECT_EQ(KeyHex(std::u16string(1, char16_t{0xD800})), replacement);
    EXPECT_EQ(KeyHex(std::u16string(1, char16_t{0xDC00})), replacement);
}

TEST(DeriveKey, ExactCodeUnitsMatter) {
    EXPECT_NE(KeyHex(u"password"), KeyHex(u"Password"));
    EXPECT_NE(KeyHex(u"password"), KeyHex(u"password "));
    // Composed and decomposed forms of the same letter are different passwords.
    EXPECT_NE(KeyHex(u"\u00E4"), KeyHex(u"a\u0308"));
}

TEST(TextBytes, LengthPerFormat) {
    EXPECT_EQ(TextByteLength(u"", TextFormat::Utf8), 0u);
    EXPECT_EQ(TextByteLength(u"abc", TextFormat::Utf8), 3u);
    EXPECT_EQ(TextByteLength(u"\u00C4", TextFormat::Utf8), 2u);
    EXPECT_EQ(TextByteLength(u"\u20AC", TextFormat::Utf8), 3u);
    EXPECT_EQ(TextByteLength(u"\U0001F600", TextFormat::Utf8), 4u);
    EXPECT_EQ(TextByteLength(u"\U0001F600", TextFormat::Utf16Le), 4u);
    EXPECT_EQ(TextByteLength(u"abc", TextFormat::Utf16Le), 6u);
    EXPECT_EQ(TextByteLength(u"abc", TextFormat::Ansi), 3u);
    // Any unknown code means the ANSI code page.
    EXPECT_EQ(TextByteLength(u"abc", static_cast<TextFormat>(7)), 3u);
}

TEST(TextBytes, WritesTerminatorAndHonoursMaximumUnits) {
    std::vector<std::uint8_t> buffer(16, 0xAA);
    EXPECT_EQ(TextToBytes(buffer, u"h\u00E9llo", -1, TextFormat::Utf8), 6u);
    EXPECT_EQ(test::ToHex({buffer.begin(), buffer.begin() + 8}), "68c3a96c6c6f00aa");

    buffer.assign(16, 0xAA);
    EXPECT_EQ(TextToBytes(buffer, u"h\u00E9llo", 2, TextFormat::Utf8), 3u);
    EXPECT_EQ(test::ToHex({buffer.begin(), buffer.begin() + 5}), "68c3a900aa");

    buffer.assign(16, 0xAA);
    EXPECT_EQ(TextToBytes(buffer, u"A\u00C4", -1, TextFormat::Utf16Le), 4u);
    EXPECT_EQ(test::ToHex({buffer.begin(), buffer.begin() + 7}), "4100c4000000aa");

    buffer.assign(16, 0xAA);
    EXPECT_EQ(TextToBytes(buffer, u"", -1, TextFormat::Utf8), 0u);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[1], 0xAA);
}

TEST(TextBytes, TooSmallDestinationGetsOnlyTheTerminator) {
    std::vector<std::uint8_t> buffer(3, 0xAA);
    // "abc" needs 4 bytes with its terminator.
    EXPECT_EQ(TextToBytes(buffer, u"abc", -1, TextFormat::Utf8), 0u);
    EXPECT_EQ(test::ToHex(buffer), "00aaaa");
    std::vector<std::uint8_t> none;
    EXPECT_EQ(TextToBytes(none, u"abc", -1, TextFormat::Utf8), 0u);
    std::vector<std::uint8_t> one(1, 0xAA);
    EXPECT_EQ(TextToBytes(one, u"a", -1, TextFormat::Utf16Le), 0u);
    EXPECT_EQ(one[0], 0xAA);  // a two-byte terminator does not fit either
}

}  // namespace
}  // namespace vexmora
