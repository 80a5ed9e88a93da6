#include "crypto/aes/aes_engine.h"

#include <gtest/gtest.h>

#include <array>

#include "test_support.h"
#include "test_vectors.h"

namespace vexmora {
namespace {

using test::FromHex;
using test::ToHex;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kCbcDecrypt = kDecrypt + kChainingCbc;  // 5
constexpr std::uint32_t kCbcEncrypt = kEncrypt + kChainingCbc;  // 6
constexpr std::uint32_t kEcbDecrypt = kDecrypt + kChainingEcb;  // 9
constexpr std::uint32_t kEcbEncrypt = kEncrypt + kChainingEcb;  // 10

// An engine instance that finishes itself.
class Instance {
  public:
    Instance(const Bytes& key, const Bytes& iv, std::uint32_t flags) {
        std::array<std::uint8_t, 16> ivBlock{};
        std::copy_n(iv.begin(), std::min<std::size_t>(iv.size(), 16), ivBlock.begin());
        handle_ = AesStreamStart(key, static_cast<int>(key.size() * 8), ivBlock, flags);
    }
    ~Instance() { AesStreamFinish(handle_); }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    AesHandle handle() const { return handle_; }
    Bytes Add(const Bytes& in) {
        Bytes out(in.size());
        EXPECT_EQ(AesStreamAdd(handle_, in, out), in.size());
        return out;
    }

  private:
    AesHandle handle_ = kNoAes;
};

struct Vector {
    std::string name;
    bool cbc;
    Bytes key, iv, plaintext, ciphertext;
};

std::vector<Vector> Vectors() {
    std::vector<Vector> vectors;
    for (auto& r : test::VectorRecords("aes_vectors")) {
        vectors.push_back({r["name"], r["mode"] == "CBC", FromHex(r["key"]),
                           r.count("iv") ? FromHex(r["iv"]) : Bytes(16), FromHex(r["plaintext"]),
                           FromHex(r["ciphertext"])});
    }
    return vectors;
}

std::uint32_t Flags(const Vector& v, int direction) {
    return static_cast<std::uint32_t>(direction + (v.cbc ? kChainingCbc : kChainingEcb));
}

TEST(AesEngine, PublishedVectorsInOneCall) {
    const auto vectors = Vectors();
    ASSERT_EQ(vectors.size(), 6u);
    for (const auto& v : vectors) {
        Instance encrypt(v.key, v.iv, Flags(v, kEncrypt));
        EXPECT_EQ(ToHex(encrypt.Add(v.plaintext)), ToHex(v.ciphertext)) << v.name;
        Instance decrypt(v.key, v.iv, Flags(v, kDecrypt));
        EXPECT_EQ(ToHex(decrypt.Add(v.ciphertext)), ToHex(v.plaintext)) << v.name;
    }
}

TEST(AesEngine, PublishedVectorsSplitAtEveryBlockBoundary) {
    for (const auto& v : Vectors()) {
        for (std::size_t cut = 16; cut < v.plaintext.size(); cut += 16) {
            for (int direction : {kEncrypt, kDecrypt}) {
                const Bytes& in = direction == kEncrypt ? v.plaintext : v.ciphertext;
                const Bytes& expected = direction == kEncrypt ? v.ciphertext : v.plaintext;
                Instance instance(v.key, v.iv, Flags(v, direction));
                Bytes out = instance.Add(Bytes(in.begin(), in.begin() + cut));
                Bytes second = instance.Add(Bytes(in.begin() + cut, in.end()));
                out.insert(out.end(), second.begin(), second.end());
                EXPECT_EQ(ToHex(out), ToHex(expected)) << v.name << " cut " << cut;
            }
        }
    }
}

TEST(AesEngine, UnsupportedKeySizesStartNothing) {
    const Bytes key(32, 7);
    const std::array<std::uint8_t, 16> iv{};
    EXPECT_EQ(AesStreamStart(Bytes(8, 1), 64, iv, kCbcEncrypt), kNoAes);
    EXPECT_EQ(AesStreamStart(key, 512, iv, kCbcEncrypt), kNoAes);
    // The key must hold exactly the bytes the key size names.
    EXPECT_EQ(AesStreamStart(Bytes(16, 1), 256, iv, kCbcEncrypt), kNoAes);
    EXPECT_EQ(AesStreamStart(Bytes(33, 1), 256, iv, kCbcEncrypt), kNoAes);
}

TEST(AesEngine, HandlesAreNeverReused) {
    const Bytes key(16, 1);
    const std::array<std::uint8_t, 16> iv{};
    AesHandle first = AesStreamStart(key, 128, iv, kEcbEncrypt);
    AesStreamFinish(first);
    AesHandle second = AesStreamStart(key, 128, iv, kEcbEncrypt);
    EXPECT_NE(first, second);
    Bytes in(16), out(16, 0xEE);
    EXPECT_EQ(AesStreamAdd(first, in, out), 0u);
    EXPECT_EQ(out, Bytes(16, 0xEE));
    AesStreamFinish(second);
    AesStreamFinish(second);  // a second finish does nothing
    AesStreamFinish(kNoAes);
}

TEST(AesEngine, RejectedCallsWriteNothing) {
    const Bytes key(32, 3);
    Instance noDirection(key, Bytes(16), kChainingCbc);  // flags 4
    Bytes in = test::TestData(64), out(64, 0xEE);
    EXPECT_EQ(AesStreamAdd(noDirection.handle(), in, out), 0u);
    EXPECT_EQ(out, Bytes(64, 0xEE));
    for (std::uint32_t flags : {0u, 3u, 7u, 11u, 12u, 14u}) {
        Instance odd(key, Bytes(16), flags);
        EXPECT_EQ(AesStreamAdd(odd.handle(), in, out), 0u) << flags;
    }
    EXPECT_EQ(AesStreamAdd(kNoAes, in, out), 0u);

    Instance valid(key, Bytes(16), kCbcEncrypt);
    // Fewer than 16 bytes.
    EXPECT_EQ(AesStreamAdd(valid.handle(), std::span(in).first(15), out), 0u);
    // Output shorter than the input.
    EXPECT_EQ(AesStreamAdd(valid.handle(), in, std::span(out).first(63)), 0u);
    // Overlapping buffers, in place included.
    EXPECT_EQ(AesStreamAdd(valid.handle(), std::span(in).first(32), std::span(in).subspan(16, 32)),
              0u);
    EXPECT_EQ(AesStreamAdd(valid.handle(), in, in), 0u);
    EXPECT_EQ(out, Bytes(64, 0xEE));
    EXPECT_EQ(in, test::TestData(64));
}

// Ciphertext stealing written out from its definition with single ECB blocks, which the published
// vectors pin down.
Bytes EcbBlock(const Bytes& key, std::uint32_t flags, const Bytes& block) {
    Instance instance(key, Bytes(16), flags);
    return instance.Add(block);
}

Bytes Xor(Bytes a, const Bytes& b) {
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        a[i] ^= b[i];
    }
    return a;
}

TEST(AesEngine, CbcStealingFollowsItsDefinition) {
    const Bytes key = test::TestData(32, 11), iv = test::TestData(16, 12);
    const Bytes plain = test::TestData(40, 13);  // two whole blocks and an 8-byte tail
    Instance encrypt(key, iv, kCbcEncrypt);
    const Bytes cipher = encrypt.Add(plain);
    ASSERT_EQ(cipher.size(), 40u);

    const Bytes p1(plain.begin(), plain.begin() + 16), p2(plain.begin() + 16, plain.begin() + 32);
    const Bytes tail(plain.begin() + 32, plain.end());
    const Bytes c1 = EcbBlock(key, kEcbEncrypt, Xor(p1, iv));
    const Bytes x = EcbBlock(key, kEcbEncrypt, Xor(p2, c1));
    const Bytes c2 = EcbBlock(key, kEcbEncrypt, Xor(x, tail));
    Bytes expected = c1;
    expected.insert(expected.end(), c2.begin(), c2.end());
    expected.insert(expected.end(), x.begin(), x.begin() + 8);
    EXPECT_EQ(ToHex(cipher), ToHex(expected));

    // The chaining value after the call is the block written at the last whole position: the next
    // block chains on c2.
    const Bytes next = test::TestData(16, 14);
    EXPECT_EQ(ToHex(encrypt.Add(next)), ToHex(EcbBlock(key, kEcbEncrypt, Xor(next, c2))));

    Instance decrypt(key, iv, kCbcDecrypt);
    EXPECT_EQ(ToHex(decrypt.Add(cipher)), ToHex(plain));
}

TEST(AesEngine, EcbStealingFollowsItsDefinition) {
    const Bytes key = test::TestData(16, 21);
    const Bytes plain = test::TestData(21, 22);  // one whole block and a 5-byte tail
    Instance encrypt(key, Bytes(16), kEcbEncrypt);
    const Bytes cipher = encrypt.Add(plain);

    const Bytes x = EcbBlock(key, kEcbEncrypt, Bytes(plain.begin(), plain.begin() + 16));
    Bytes joined(plain.begin() + 16, plain.end());
    joined.insert(joined.end(), x.begin() + 5, x.end());
    Bytes expected = EcbBlock(key, kEcbEncrypt, joined);
    expected.insert(expected.end(), x.begin(), x.begin() + 5);
    EXPECT_EQ(ToHex(cipher), ToHex(expected));
}

TEST(AesEngine, EveryModeAndKeySizeInvertsForSizes16To100) {
    for (int keyBytes : {16, 24, 32}) {
        const Bytes key = test::TestData(keyBytes, 30);
        const Bytes iv = test::TestData(16, 31);
        for (int mode : {kChainingCbc, kChainingEcb}) {
            for (std::size_t size = 16; size <= 100; ++size) {
                const Bytes plain = test::TestData(size, static_cast<std::uint32_t>(size));
                Instance encrypt(key, iv, static_cast<std::uint32_t>(kEncrypt + mode));
                Instance decrypt(key, iv, static_cast<std::uint32_t>(kDecrypt + mode));
                const Bytes cipher = encrypt.Add(plain);
                ASSERT_NE(cipher, plain);
                ASSERT_EQ(decrypt.Add(cipher), plain)
                    << "key " << keyBytes * 8 << " mode " << mode << " size " << size;
            }
        }
    }
}

TEST(AesEngine, CbcChainsAcrossCallsOfUnevenSizesAsDecryptionExpects) {
    // Calls ending in a stolen tail still leave a chaining value that the matching decryption
    // calls reproduce.
    const Bytes key = test::TestData(32, 40), iv = test::TestData(16, 41);
    const std::vector<std::size_t> sizes = {16, 37, 48, 17, 100, 32};
    Instance encrypt(key, iv, kCbcEncrypt);
    Instance decrypt(key, iv, kCbcDecrypt);
    std::uint32_t seed = 50;
    for (std::size_t size : sizes) {
        const Bytes plain = test::TestData(size, seed++);
        ASSERT_EQ(decrypt.Add(encrypt.Add(plain)), plain) << size;
    }
}

}  // namespace
}  // namespace vexmora
