#include "crypto/base64.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "test_vectors.h"

namespace vexmora {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Encoded {
    std::string text;
    std::size_t result;
};

Encoded Encode(const Bytes& input, int flags = 0) {
    std::string out(Base64EncodedCapacity(input.size()), '#');
    const std::size_t n = Base64Encode(input, out, flags);
    EXPECT_EQ(out[n], '\0');
    return {out.substr(0, n), n};
}

struct Decoded {
    std::string hex;
    std::size_t result;
};

Decoded Decode(std::string_view text) {
    Bytes out(Base64DecodedCapacity(text.size()), 0xEE);
    const std::size_t n = Base64Decode(text, out);
    return {test::ToHex(Bytes(out.begin(), out.begin() + n)), n};
}

TEST(Base64, Rfc4648VectorsBothWays) {
    const auto lines = test::VectorLines("base64_vectors");
    ASSERT_EQ(lines.size(), 7u);
    for (const auto& fields : lines) {
        const std::string plain = fields[0] == "-" ? "" : fields[0];
        const std::string encoded = fields[1] == "-" ? "" : fields[1];
        EXPECT_EQ(Encode(test::Bytes(plain)).text, encoded);
        const Decoded back = Decode(encoded);
        EXPECT_EQ(back.hex, test::ToHex(test::Bytes(plain)));
        EXPECT_EQ(back.result, plain.size());
    }
}

TEST(Base64, EncoderFlags) {
    struct Row {
        Bytes input;
        std::string standard, url, noPadding;
    };
    const std::vector<Row> rows = {
        {{}, "", "", ""},
        {{0x66}, "Zg==", "Zg==", "Zg"},
        {{0x66, 0x6F}, "Zm8=", "Zm8=", "Zm8"},
        {{0x66, 0x6F, 0x6F}, "Zm9v", "Zm9v", "Zm9v"},
        {{0xFB, 0xFF}, "+/8=", "-_8=", "+/8"},
        {{0xFB, 0xFF, 0xBF}, "+/+/", "-_-_", "+/+/"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Encode(row.input).text, row.standard);
        EXPECT_EQ(Encode(row.input, Base64Url).text, row.url);
        EXPECT_EQ(Encode(row.input, Base64NoPadding).text, row.noPadding);
        EXPECT_EQ(Encode(row.input, Base64Url | Base64NoPadding | 0x4).text.size(),
                  row.noPadding.size());  // unknown bits are ignored
    }
    EXPECT_EQ(Encode({0x66, 0x6F}).result, 4u);
    EXPECT_EQ(Encode({0x66, 0x6F}, Base64NoPadding).result, 3u);
}

TEST(Base64, LongInputIsOneUnbrokenLine) {
    const Encoded e = Encode(test::TestData(3000));
    EXPECT_EQ(e.result, 4000u);
    EXPECT_EQ(e.text.find_first_of("\r\n"), std::string::npos);
}

TEST(Base64, DecoderRules) {
    struct Row {
        std::string input;
        std::size_t result;
        std::string hex;
    };
    const std::vector<Row> rows = {
        {"Zm9v", 3, "666f6f"},
        {"Zm8=", 2, "666f"},
        {"Zg==", 1, "66"},
        {"Zm9v\r\nYmFy", 6, "666f6f626172"},
        {"\nZm9v", 3, "666f6f"},
        {"\t\r\n Zm9", 3, "0199bd"},  // a space is an ordinary (zero) character
        {"Zm9v\n", 0, ""},            // whitespace after the last quantum
        {"Zm9", 0, ""},               // truncated quantum
        {"Zm9vYg", 0, ""},            // six characters
        {"Zm\r\n9v", 0, ""},          // whitespace inside a quantum counts, two remain
        {"-_8=", 2, "fbff"},
        {"+/8=", 2, "fbff"},
        {"+_-/", 3, "fbffbf"},  // alphabets mixed within one text
        {"Zg==Zm9v", 4, "66666f6f"},
        {"!!!!", 3, "000000"},
        {"Zg=x", 1, "66"},
        {"==Zg", 3, "000660"},  // "=" counts as 0 in the first two places
        {"", 0, ""},
        {"\xC3\xA4\xC3\xA4", 3, "000000"},  // bytes above 0x7F count as 0
    };
    for (const Row& row : rows) {
        const Decoded d = Decode(row.input);
        EXPECT_EQ(d.result, row.result) << row.input;
        if (row.result > 0) {
            EXPECT_EQ(d.hex, row.hex) << row.input;
        }
    }
}

TEST(Base64, FailedDecodeKeepsWhatItWroteBehindATerminator) {
    Bytes out(Base64DecodedCapacity(7), 0xEE);
    EXPECT_EQ(Base64Decode(std::string_view("Zm9vZm9"), out), 0u);
    EXPECT_EQ(test::ToHex(Bytes(out.begin(), out.begin() + 4)), "666f6f00");
}

TEST(Base64, LowBitsBeforePaddingAreNotChecked) {
    EXPECT_EQ(Decode("Zh==").hex, "66");
    EXPECT_EQ(Decode("Zm9=").hex, "666f");
}

TEST(Base64, TooSmallOutputGetsOnlyATerminator) {
    std::string small(4, '#');  // "fo" needs 4 characters and a terminator
    EXPECT_EQ(Base64Encode(test::Bytes("fo"), small, 0), 0u);
    EXPECT_EQ(small, std::string("\0###", 4));
    std::string none;
    EXPECT_EQ(Base64Encode(test::Bytes("fo"), none, 0), 0u);

    Bytes tiny(3, 0xEE);  // "Zm9v" needs 3 bytes and a terminator
    EXPECT_EQ(Base64Decode(std::string_view("Zm9v"), tiny), 0u);
    EXPECT_EQ(tiny, (Bytes{0, 0xEE, 0xEE}));
}

TEST(Base64, EncodeThenDecodeIsIdentityForEverySizeAndFlagSet) {
    for (int flags : {0, Base64Url}) {
        for (std::size_t size = 0; size < 300; ++size) {
            const Bytes data = test::TestData(size, static_cast<std::uint32_t>(size));
            const Encoded e = Encode(data, flags);
            Bytes out(Base64DecodedCapacity(e.text.size()));
            const std::size_t n = Base64Decode(e.text, out);
            ASSERT_EQ(Bytes(out.begin(), out.begin() + n), data) << size;
        }
    }
}

}  // namespace
}  // namespace vexmora
