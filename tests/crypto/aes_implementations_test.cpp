// Every implementation of the AES engine gives the same bytes as the table-driven one, in every
// mode, for every size (ciphertext stealing included) and across calls.
#include <gtest/gtest.h>

#include <random>

#include "crypto/aes/aes_engine.h"
#include "crypto/cipher_stream.h"
#include "test_support.h"
#include "test_vectors.h"

namespace vexmora {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Case {
    AesImplementation implementation;
    const char* name;
};

class AesImplementations : public ::testing::TestWithParam<Case> {
  protected:
    void SetUp() override {
        if (!UseAesImplementation(GetParam().implementation)) {
            GTEST_SKIP() << GetParam().name << " is not available on this processor";
        }
        ASSERT_STREQ(AesImplementationName(), GetParam().name);
    }
    void TearDown() override { UseAesImplementation(AesImplementation::Automatic); }

    // Runs the pieces through one instance of the chosen implementation (or the table one).
    static Bytes Run(bool table, const Bytes& key, const Bytes& iv, std::uint32_t flags,
                     const Bytes& input, const std::vector<std::size_t>& pieces) {
        const AesImplementation chosen =
            table ? AesImplementation::Table : GetParam().implementation;
        UseAesImplementation(chosen);
        std::array<std::uint8_t, 16> ivBlock{};
        std::copy(iv.begin(), iv.end(), ivBlock.begin());
        AesHandle h = AesStreamStart(key, static_cast<int>(key.size() * 8), ivBlock, flags);
        Bytes out(input.size());
        std::size_t at = 0;
        for (std::size_t piece : pieces) {
            EXPECT_EQ(AesStreamAdd(h, std::span(input).subspan(at, piece),
                                   std::span(out).subspan(at, piece)),
                      piece);
            at += piece;
        }
        AesStreamFinish(h);
        UseAesImplementation(GetParam().implementation);
        return out;
    }
};

TEST_P(AesImplementations, PublishedVectors) {
    for (auto& r : test::VectorRecords("aes_vectors")) {
        const Bytes key = test::FromHex(r["key"]);
        const Bytes iv = r.count("iv") ? test::FromHex(r["iv"]) : Bytes(16);
        const Bytes plain = test::FromHex(r["plaintext"]), cipher = test::FromHex(r["ciphertext"]);
        const int mode = r["mode"] == "CBC" ? kChainingCbc : kChainingEcb;
        const auto encrypt = static_cast<std::uint32_t>(kEncrypt + mode);
        const auto decrypt = static_cast<std::uint32_t>(kDecrypt + mode);
        EXPECT_EQ(Run(false, key, iv, encrypt, plain, {plain.size()}), cipher) << r["name"];
        EXPECT_EQ(Run(false, key, iv, decrypt, cipher, {cipher.size()}), plain) << r["name"];
    }
}

TEST_P(AesImplementations, EveryModeKeySizeAndLengthMatchesTheTable) {
    std::mt19937 engine(7);
    for (int keyBytes : {16, 24, 32}) {
        const Bytes key = test::TestData(keyBytes, 100 + keyBytes), iv = test::TestData(16, 3);
        for (int mode : {kChainingCbc, kChainingEcb}) {
            for (int direction : {kEncrypt, kDecrypt}) {
                const auto flags = static_cast<std::uint32_t>(direction + mode);
                // Lengths around every register width and the 16-block loop, with tails.
                for (std::size_t size = 16; size <= 700; size += 1 + engine() % 9) {
                    const Bytes input = test::TestData(size, static_cast<std::uint32_t>(size));
                    ASSERT_EQ(Run(false, key, iv, flags, input, {size}),
                              Run(true, key, iv, flags, input, {size}))
                        << "key " << keyBytes << " flags " << flags << " size " << size;
                }
            }
        }
    }
}

TEST_P(AesImplementations, LongBuffersInWholeBlockPiecesMatchTheTable) {
    const Bytes key = test::TestData(32, 5), iv = test::TestData(16, 6);
    const Bytes input = test::TestData((1 << 20) + 48 + 7, 8);
    const std::vector<std::size_t> pieces = {
        16, 256, 4096, 65536 + 32, 400000, input.size() - 16 - 256 - 4096 - 65568 - 400000};
    for (std::uint32_t flags : {5u, 6u, 9u, 10u}) {
        EXPECT_EQ(Run(false, key, iv, flags, input, pieces),
                  Run(true, key, iv, flags, input, pieces))
            << flags;
    }
}

TEST_P(AesImplementations, DecryptionInvertsEncryption) {
    const Bytes key = test::TestData(32, 9), iv = test::TestData(16, 10);
    for (std::size_t size : {16u, 17u, 63u, 64u, 65u, 255u, 256u, 257u, 1000u}) {
        const Bytes plain = test::TestData(size, static_cast<std::uint32_t>(size));
        for (int mode : {kChainingCbc, kChainingEcb}) {
            const Bytes cipher =
                Run(false, key, iv, static_cast<std::uint32_t>(kEncrypt + mode), plain, {size});
            EXPECT_EQ(
                Run(false, key, iv, static_cast<std::uint32_t>(kDecrypt + mode), cipher, {size}),
                plain);
        }
    }
}

TEST_P(AesImplementations, CipherStreamRoundTrip) {
    const Bytes key = test::TestData(32, 11);
    const Bytes plain = test::TestData(100000, 12);
    auto stream = CreateCipherStream(key, kEncrypt);
    Bytes container(plain.size() + 32);
    container.resize(static_cast<std::size_t>(UpdateCipherStream(*stream, plain, container, true)));
    UseAesImplementation(AesImplementation::Table);
    auto reader = CreateCipherStream(key, kDecrypt);
    Bytes back(container.size() + 32);
    const std::int64_t n = UpdateCipherStream(*reader, container, back, true);
    ASSERT_EQ(n, static_cast<std::int64_t>(plain.size()));
    back.resize(static_cast<std::size_t>(n));
    EXPECT_EQ(back, plain);
}

INSTANTIATE_TEST_SUITE_P(All, AesImplementations,
                         ::testing::Values(Case{AesImplementation::Table, "table"},
                                           Case{AesImplementation::AesNi, "aes-ni"},
                                           Case{AesImplementation::Vaes256, "vaes-256"},
                                           Case{AesImplementation::Vaes512, "vaes-512"}),
                         [](const auto& param) {
                             std::string name = param.param.name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace vexmora
