// The frame that carries a secret to a child, read however the pipe splits it, and the names of
// channels.
#include "platform/secret_frame.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/process.h"
#include "test_support.h"

namespace vexmora {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A pipe's content handed out `piece` bytes at a time; after `failAfter` bytes a read fails.
PipeReader Pipe(const Bytes& content, std::size_t piece, std::size_t failAfter = SIZE_MAX) {
    auto at = std::make_shared<std::size_t>(0);
    return [=](std::span<std::uint8_t> into) -> std::ptrdiff_t {
        if (*at >= failAfter) {
            return -1;
        }
        const std::size_t n = std::min({piece, into.size(), content.size() - *at});
        std::copy_n(content.begin() + static_cast<std::ptrdiff_t>(*at), n, into.begin());
        *at += n;
        return static_cast<std::ptrdiff_t>(n);
    };
}

TEST(SecretFrame, ReadWholeHoweverThePipeSplitsItAndNeverPastAFailure) {
    for (const Bytes& secret : {Bytes{}, test::Bytes("pw"), test::TestData(3000)}) {
        const auto header = SecretFrameHeader(secret.size());
        Bytes frame(header.size() + secret.size());
        std::copy(secret.begin(), secret.end(),
                  std::copy(header.begin(), header.end(), frame.begin()));
        for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{7}, frame.size()}) {
            SCOPED_TRACE(std::to_string(secret.size()) + " bytes in pieces of " +
                         std::to_string(piece));
            Bytes buffer(4000);
            EXPECT_EQ(ReadSecretFrame(Pipe(frame, piece), buffer), secret.size());
            EXPECT_TRUE(std::equal(secret.begin(), secret.end(), buffer.begin()));
            // A read that fails anywhere, also after the whole frame, gives no secret.
            for (std::size_t failAfter :
                 {std::size_t{0}, std::size_t{5}, frame.size() - 1, frame.size()}) {
                EXPECT_FALSE(ReadSecretFrame(Pipe(frame, piece, failAfter), buffer).has_value())
                    << "failing after " << failAfter;
            }
        }
    }
    // A header that announces more than a channel carries is refused however large the buffer.
    const auto header = SecretFrameHeader(kMaxSecretBytes + 1);
    Bytes big(header.begin(), header.end());
    big.resize(big.size() + kMaxSecretBytes + 1);
    Bytes buffer(big.size());
    EXPECT_FALSE(ReadSecretFrame(Pipe(big, big.size()), buffer).has_value());
}

TEST(SecretFrame, ChannelNamesRoundTripAndNothingElseIsOne) {
    for (std::uint64_t number :
         {std::uint64_t{0}, std::uint64_t{4}, std::uint64_t{1234567}, UINT64_MAX}) {
        EXPECT_EQ(SecretChannelNumber(SecretChannelName(number)), number);
    }
    const std::u16string name = SecretChannelName(84);
    const std::u16string prefix = name.substr(0, name.size() - 2);
    for (const std::u16string& other : {prefix, prefix + u"+84", prefix + u"8 4", prefix + u"84 ",
                                        prefix + u"18446744073709551616", u"E" + name.substr(1),
                                        name.substr(1), std::u16string(u"84")}) {
        EXPECT_FALSE(SecretChannelNumber(other).has_value())
            << std::string(other.begin(), other.end());
    }
}

}  // namespace
}  // namespace vexmora
