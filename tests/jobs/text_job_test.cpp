// The text job: Base64 lines of the file container, in memory.
#include "jobs/text_job.h"

#include <gtest/gtest.h>

#include "crypto/base64.h"
#include "crypto/key_derivation.h"
#include "test_vectors.h"

namespace vexmora {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string Narrow(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        out += c < 128 ? static_cast<char>(c) : '?';
    }
    return out;
}

// Known answers made outside the program: key = SHA-256 of the password's UTF-8 bytes
// (`printf pw | openssl dgst -sha256`), then
//   openssl enc -aes-256-cbc -K <key> -iv <iv>
// over the plain bytes, with the IV put in front and the whole encoded by Python's
// base64.b64encode.
const Bytes kKeyPw =
    test::FromHex("30c952fab122c3f9759f02a6d95c3758b246b4fee239957b2d4fee46e26170c4");
const Bytes kKeyEmpty =
    test::FromHex("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
const IvBlock kIvCounting = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
const IvBlock kIvHigh = {0xf0, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7,
                         0xf8, 0xf9, 0xfa, 0xfb, 0xfc, 0xfd, 0xfe, 0xff};

// "Gr\u00fc\u00dfe, \U0001F600!" under "pw": its Base64 holds both "+" and "/".
const std::u16string kGreeting = u"Gr\u00fc\u00dfe, \U0001F600!";
const std::u16string kGreetingEncrypted = u"AAECAwQFBgcICQoLDA0OD5/nzafrR9DVRqPbZ2Svo/U=";

struct KnownAnswer {
    std::u16string password;
    Bytes key;
    IvBlock iv;
    TextFormat format;
    std::u16string plain;
    std::u16string encrypted;
};

const std::vector<KnownAnswer>& KnownAnswers() {
    static const std::vector<KnownAnswer> rows = {
        {u"pw", kKeyPw, kIvCounting, TextFormat::Utf8, u"Hallo Welt",
         u"AAECAwQFBgcICQoLDA0OD1UaDYwXNoAdCUS2kf5Tzs0="},
        {u"pw", kKeyPw, kIvCounting, TextFormat::Utf8, kGreeting, kGreetingEncrypted},
        {u"", kKeyEmpty, kIvCounting, TextFormat::Utf8, u"",
         u"AAECAwQFBgcICQoLDA0ODzB+FWxM8arlmiFSbWoidvE="},
        {u"pw", kKeyPw, kIvHigh, TextFormat::Utf8, u"The quick brown fox jumps over the lazy dog",
         u"8PHy8/T19vf4+fr7/P3+/"
         u"yggt920qNzonqNSujroqOPBV28UvamM9b0GNRCxeyV4icoRE6QC87Eh5816WEeCYg=="},
        // The plain side as UTF-16LE bytes (48 00 69 00).
        {u"pw", kKeyPw, kIvHigh, TextFormat::Utf16Le, u"Hi",
         u"8PHy8/T19vf4+fr7/P3+/16qoWXAxtxJVJxh3pE+5kA="},
    };
    return rows;
}

CipherParams WithIv(const IvBlock& iv) {
    CipherParams params = DefaultCipherParams();
    params.explicitIv = iv;
    return params;
}

TEST(CryptTextWithKey, KnownAnswersBothWays) {
    for (const KnownAnswer& row : KnownAnswers()) {
        SCOPED_TRACE(Narrow(row.encrypted));
        EXPECT_EQ(CryptTextWithKey(row.key, kEncrypt, row.plain, row.format, WithIv(row.iv)),
                  row.encrypted);
        EXPECT_EQ(CryptTextWithKey(row.key, kDecrypt, row.encrypted, row.format, std::nullopt),
                  row.plain);
    }
}

TEST(CryptText, DerivesTheKeyFromThePasswordsUtf8Bytes) {
    for (const KnownAnswer& row : KnownAnswers()) {
        if (row.format != TextFormat::Utf8) {
            continue;
        }
        SCOPED_TRACE(Narrow(row.encrypted));
        EXPECT_EQ(CryptText(row.encrypted, row.password, kDecrypt), row.plain);
    }
    // A non-ASCII password goes in as its UTF-8 bytes 70 C3 A4 F0 9F 94 91; the key is their
    // SHA-256 (`printf 'p\xc3\xa4\xf0\x9f\x94\x91' | openssl dgst -sha256`).
    const Bytes key =
        test::FromHex("46187e0ed8bcd9790e87ca7555c86f29dbfde69c66234c6a207a188ba1eb2c50");
    const auto encrypted =
        CryptTextWithKey(key, kEncrypt, u"secret", TextFormat::Utf8, WithIv(kIvHigh));
    ASSERT_TRUE(encrypted);
    EXPECT_EQ(CryptText(*encrypted, u"p\u00e4\U0001F511", kDecrypt), u"secret");
    const auto mine = CryptText(u"mine", u"p\u00e4\U0001F511", kEncrypt);
    ASSERT_TRUE(mine);
    EXPECT_EQ(CryptTextWithKey(key, kDecrypt, *mine, TextFormat::Utf8, std::nullopt), u"mine");
}

TEST(CryptText, EncryptedLengthFollowsTheUtf8ByteCount) {
    struct Row {
        std::u16string text;
        std::size_t utf8Bytes;  // for the trace only
        std::size_t characters;
        std::size_t padding;
    };
    const std::vector<Row> rows = {
        {u"", 0, 44, 1},
        {u"a", 1, 44, 1},
        {std::u16string(15, u'x'), 15, 44, 1},
        {std::u16string(16, u'x'), 16, 64, 0},
        {std::u16string(31, u'x'), 31, 64, 0},
        {std::u16string(32, u'x'), 32, 88, 2},
        {std::u16string(47, u'x'), 47, 88, 2},
        // Counted in UTF-8 bytes, not in UTF-16 units: 7 units, 14 bytes / 8 units, 16 bytes.
        {std::u16string(7, u'\u00e4'), 14, 44, 1},
        {std::u16string(8, u'\u00e4'), 16, 64, 0},
        // Four characters beyond U+FFFF: 8 units, 16 bytes.
        {u"\U0001F600\U0001F601\U0001F602\U0001F603", 16, 64, 0},
        // Three-byte characters: 11 of them make 33 bytes.
        {std::u16string(11, u'\u20ac'), 33, 88, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.utf8Bytes);
        const auto encrypted = CryptText(row.text, u"pw", kEncrypt);
        ASSERT_TRUE(encrypted);
        EXPECT_EQ(encrypted->size(), row.characters);
        const std::size_t pad = encrypted->size() - encrypted->find_last_not_of(u'=') - 1;
        EXPECT_EQ(pad, row.padding);
        EXPECT_EQ(encrypted->find_first_not_of(
                      u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/="),
                  std::u16string::npos);
        EXPECT_EQ(CryptText(*encrypted, u"pw", kDecrypt), row.text);
    }
}

TEST(CryptText, EveryEncryptionHasAFreshIv) {
    const auto first = CryptText(u"same text", u"pw", kEncrypt);
    const auto second = CryptText(u"same text", u"pw", kEncrypt);
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    const Bytes a = Base64TextToBytes(*first);
    const Bytes b = Base64TextToBytes(*second);
    ASSERT_EQ(a.size(), 32u);
    ASSERT_EQ(b.size(), 32u);
    EXPECT_NE(Bytes(a.begin(), a.begin() + 16), Bytes(b.begin(), b.begin() + 16));
    EXPECT_EQ(CryptText(*first, u"pw", kDecrypt), u"same text");
    EXPECT_EQ(CryptText(*second, u"pw", kDecrypt), u"same text");
}

TEST(CryptText, RoundTripsTextsAndPasswords) {
    struct Row {
        std::u16string text;
        std::u16string password;
    };
    const std::vector<Row> rows = {
        {u"", u"pw"},
        {u"", u""},
        {u"plain ASCII", u""},
        {u"\u00c4rger \u00fcber \u00df, \u20ac 5, \u65e5\u672c\u8a9e", u"pw"},
        {u"\U0001F600 \U00010348 \U0010FFFF", u"\U0001F511"},
        {u"line 1\r\nline 2\nline 3\r\tend  ", u"pass word"},
        {std::u16string(1000, u'\u00e9'), u"long"},
        {u"\uFEFFwith a byte-order mark", u"pw"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.text.substr(0, 20)));
        const auto encrypted = CryptText(row.text, row.password, kEncrypt);
        ASSERT_TRUE(encrypted);
        const auto decrypted = CryptText(*encrypted, row.password, kDecrypt);
        ASSERT_TRUE(decrypted.has_value());
        EXPECT_EQ(*decrypted, row.text);
    }
}

TEST(CryptText, UnpairedSurrogateComesBackAsReplacementCharacter) {
    const auto encrypted = CryptText(std::u16string{u'a', char16_t{0xD800}, u'b'}, u"pw", kEncrypt);
    ASSERT_TRUE(encrypted);
    EXPECT_EQ(CryptText(*encrypted, u"pw", kDecrypt), u"a\uFFFDb");
}

TEST(CryptText, WhitespaceAroundAndBetweenGroupsIsIgnored) {
    // Breaks between groups of four, in front of the first one, and trailing whitespace.
    const std::u16string& e = kGreetingEncrypted;
    auto brokenEvery = [&](std::size_t n, std::u16string_view lineBreak) {
        std::u16string out;
        for (std::size_t i = 0; i < e.size(); i += n) {
            if (i > 0) {
                out += lineBreak;
            }
            out += e.substr(i, n);
        }
        return out;
    };
    const std::vector<std::u16string> rows = {
        brokenEvery(4, u"\r\n"),
        brokenEvery(8, u"\r\n"),
        brokenEvery(12, u"\n"),
        brokenEvery(4, u"\r\n\r\n"),
        brokenEvery(4, u"\t"),
        u"\r\n" + e,
        e + u"\r\n",
        e + u"\n",
        e + u"\r",
        e + u"   ",
        e + u"\t",
        e + u" \t\r\n \r\n",
        brokenEvery(4, u"\r\n") + u"\r\n",
    };
    for (const std::u16string& text : rows) {
        SCOPED_TRACE(Narrow(text));
        EXPECT_EQ(CryptText(text, u"pw", kDecrypt), kGreeting);
    }
}

TEST(CryptText, UrlSafeAlphabetDecrypts) {
    std::u16string urlSafe = kGreetingEncrypted;
    for (char16_t& c : urlSafe) {
        c = c == u'+' ? u'-' : c == u'/' ? u'_' : c;
    }
    ASSERT_NE(urlSafe, kGreetingEncrypted);  // the vector holds both characters
    EXPECT_EQ(CryptText(urlSafe, u"pw", kDecrypt), kGreeting);
}

TEST(CryptText, WrongPasswordFails) {
    // Each of these keys fails the padding check on the known answer (checked with
    // `openssl enc -d -aes-256-cbc`, which reports "bad decrypt" for all of them).
    for (const KnownAnswer& row : KnownAnswers()) {
        if (row.format != TextFormat::Utf8) {
            continue;
        }
        for (const std::u16string wrong : {u"wrong", u"PW", u"pw "}) {
            SCOPED_TRACE(Narrow(row.encrypted) + " / " + Narrow(wrong));
            EXPECT_EQ(CryptText(row.encrypted, wrong, kDecrypt), std::nullopt);
        }
    }
}

TEST(CryptText, TextsThatAreNoContainerFail) {
    const std::u16string& e = kGreetingEncrypted;
    const std::vector<std::u16string> rows = {
        u"",
        u"A",
        u"AB",
        u"ABC",
        u"\r\n",
        u"    ",
        u"Hello, world!",
        u"AAAAAAAA",                               // decodes, but too short for a container
        e.substr(0, e.size() - 4),                 // torn: the last block is incomplete
        e.substr(4),                               // torn at the front
        e + u"A",                                  // a partial group at the end
        e.substr(0, 21) + u"\r\n" + e.substr(21),  // a break inside a group
        e + e.substr(0, 4),                        // four bytes too many after the last block
    };
    for (const std::u16string& text : rows) {
        SCOPED_TRACE(Narrow(text));
        EXPECT_EQ(CryptText(text, u"pw", kDecrypt), std::nullopt);
    }
}

TEST(CryptText, EmptyTextIsASuccessBothWays) {
    const auto encrypted = CryptText(u"", u"pw", kEncrypt);
    ASSERT_TRUE(encrypted.has_value());
    ASSERT_EQ(encrypted->size(), 44u);
    const auto decrypted = CryptText(*encrypted, u"pw", kDecrypt);
    ASSERT_TRUE(decrypted.has_value());
    EXPECT_EQ(*decrypted, u"");
}

TEST(CryptText, EncryptedTextIsTheFileContainer) {
    // The UTF-8 bytes written out by hand.
    const std::u16string text = u"Caf\u00e9 \U0001F600\r\nnext line with more than 16 bytes";
    Bytes utf8 = {'C', 'a', 'f', 0xC3, 0xA9, ' ', 0xF0, 0x9F, 0x98, 0x80, '\r', '\n'};
    for (char c : std::string_view("next line with more than 16 bytes")) {
        utf8.push_back(static_cast<std::uint8_t>(c));
    }
    for (const std::u16string password : {u"pw", u""}) {
        const auto encrypted = CryptText(text, password, kEncrypt);
        ASSERT_TRUE(encrypted);
        const Bytes container = Base64TextToBytes(*encrypted);
        ASSERT_EQ(container.size(), 16 + 16 * (utf8.size() / 16 + 1));

        const Key key = DeriveKey(password);
        auto stream = CreateCipherStream(key.span(), kDecrypt);
        ASSERT_NE(stream, nullptr);
        Bytes plain(container.size() + 32);
        const std::int64_t count = UpdateCipherStream(*stream, container, plain, true);
        ASSERT_GE(count, 0);
        plain.resize(static_cast<std::size_t>(count));
        EXPECT_EQ(plain, utf8);
    }
}

TEST(BytesToText, FormatsAndTheFirstZeroCharacter) {
    struct Row {
        Bytes bytes;
        TextFormat format;
        std::u16string text;
    };
    const std::vector<Row> rows = {
        {{}, TextFormat::Utf8, u""},
        {{'a', 'b', 'c'}, TextFormat::Utf8, u"abc"},
        {{'a', 0, 'b'}, TextFormat::Utf8, u"a"},
        {{0, 'a'}, TextFormat::Utf8, u""},
        {{0xC3, 0xA4, 0xE2, 0x82, 0xAC}, TextFormat::Utf8, u"\u00e4\u20ac"},
        {{0xF0, 0x9F, 0x98, 0x80}, TextFormat::Utf8, u"\U0001F600"},
        {{'a', 0xFF, 'b'}, TextFormat::Utf8, u"a\uFFFDb"},
        {{'x', 0xFF, 0, 'y'}, TextFormat::Utf8, u"x\uFFFD"},
        {{}, TextFormat::Utf16Le, u""},
        {{'a', 0, 'b', 0}, TextFormat::Utf16Le, u"ab"},
        {{0xE4, 0x00, 0xAC, 0x20}, TextFormat::Utf16Le, u"\u00e4\u20ac"},
        {{0x00, 0x61}, TextFormat::Utf16Le, u"\u6100"},  // little-endian: low byte first
        {{0x3D, 0xD8, 0x00, 0xDE}, TextFormat::Utf16Le, u"\U0001F600"},
        {{'a', 0, 0, 0, 'b', 0}, TextFormat::Utf16Le, u"a"},
        {{'a', 0, 'b'}, TextFormat::Utf16Le, u"a"},  // an odd last byte is dropped
        {{'a'}, TextFormat::Utf16Le, u""},
        {{'A', 'n', 's', 'i'}, TextFormat::Ansi, u"Ansi"},
        {{'a', 0, 'b'}, TextFormat::Ansi, u"a"},
        {{}, TextFormat::Ansi, u""},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(BytesToText(rows[i].bytes, rows[i].format), rows[i].text) << "row " << i;
    }
}

TEST(Base64Text, EncodesInOneLine) {
    // Expected values from Python's base64.b64encode and base64.urlsafe_b64encode ("=" removed
    // for Base64NoPadding).
    struct Row {
        Bytes bytes;
        int flags;
        std::u16string text;
    };
    const std::vector<Row> rows = {
        {{}, 0, u""},
        {{0x00, 0x01, 0x02}, 0, u"AAEC"},
        {{'V', 'e', 'x', 'm', 'o', 'r', 'a'}, 0, u"VmV4bW9yYQ=="},
        {{'V', 'e', 'x', 'm', 'o', 'r', 'a'}, Base64NoPadding, u"VmV4bW9yYQ"},
        {{0xFB, 0xFF, 0xBF}, 0, u"+/+/"},
        {{0xFB, 0xFF, 0xBF}, Base64Url, u"-_-_"},
        {{0xFF}, 0, u"/w=="},
        {{0xFF}, Base64Url, u"_w=="},
        {{0xFF}, Base64Url | Base64NoPadding, u"_w"},
        {{0xFB, 0xEF}, 0, u"++8="},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(BytesToBase64Text(rows[i].bytes, rows[i].flags), rows[i].text) << "row " << i;
    }
    // 100 bytes: one line of 136 characters, no line breaks.
    const std::u16string longText = BytesToBase64Text(Bytes(100, 0xAB), 0);
    EXPECT_EQ(longText.size(), 136u);
    EXPECT_EQ(longText.find_first_of(u"\r\n"), std::u16string::npos);
}

TEST(Base64Text, DecodesLeniently) {
    struct Row {
        std::u16string text;
        Bytes bytes;
    };
    const std::vector<Row> rows = {
        {u"", {}},
        {u"AAEC", {0x00, 0x01, 0x02}},
        {u"VmV4bW9yYQ==", {'V', 'e', 'x', 'm', 'o', 'r', 'a'}},
        {u"+/+/", {0xFB, 0xFF, 0xBF}},
        {u"-_-_", {0xFB, 0xFF, 0xBF}},
        {u"+_-/", {0xFB, 0xFF, 0xBF}},  // alphabets mixed
        {u"/w==", {0xFF}},
        {u"AAEC\r\n", {0x00, 0x01, 0x02}},
        {u"AAEC \t", {0x00, 0x01, 0x02}},
        {u"\r\nAAEC\r\nAAEC", {0x00, 0x01, 0x02, 0x00, 0x01, 0x02}},
        {u"AAE", {}},    // a partial group: nothing
        {u"AAECA", {}},  // the same after a whole one
        {u"VmV4bW9yYQ", {}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Base64TextToBytes(row.text), row.bytes) << Narrow(row.text);
    }
}

}  // namespace
}  // namespace vexmora
