#include "crypto/cipher_stream.h"

#include <gtest/gtest.h>

#include <random>

#include "crypto/random.h"
#include "test_support.h"
#include "test_vectors.h"

namespace vexmora {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kKey = test::TestData(32, 1000);
const IvBlock kIv = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

CipherParams WithIv(const IvBlock& iv = kIv) {
    CipherParams params = DefaultCipherParams();
    params.explicitIv = iv;
    return params;
}

// Runs a stream over `input` cut into the given pieces (the rest goes into the final call) and
// returns the joined output with the count of every call.
struct StreamRun {
    Bytes output;
    std::int64_t lastCount = 0;
    std::vector<std::int64_t> counts;
};

StreamRun Stream(int direction, const Bytes& input, const std::vector<std::size_t>& pieces,
                 const CipherParams& params, const Bytes& key = kKey) {
    auto stream = CreateCipherStream(key, direction, params);
    EXPECT_NE(stream, nullptr);
    StreamRun run;
    std::size_t at = 0;
    for (std::size_t i = 0; i <= pieces.size(); ++i) {
        const bool final = i == pieces.size();
        const std::size_t size = final ? input.size() - at : pieces[i];
        Bytes out(size + 32);
        std::int64_t n =
            UpdateCipherStream(*stream, std::span(input).subspan(at, size), out, final);
        run.counts.push_back(n);
        run.lastCount = n;
        if (n > 0) {
            run.output.insert(run.output.end(), out.begin(), out.begin() + n);
        }
        at += size;
    }
    return run;
}

Bytes Encrypt(const Bytes& plain, const CipherParams& params = WithIv()) {
    return Stream(kEncrypt, plain, {}, params).output;
}

TEST(CipherStream, ContainerSizes) {
    for (auto [plain, container] : std::vector<std::pair<std::size_t, std::size_t>>{
             {0, 32}, {1, 32}, {15, 32}, {16, 48}, {17, 48}, {31, 48}, {32, 64}, {1000, 1024}}) {
        EXPECT_EQ(Encrypt(test::TestData(plain)).size(), container) << plain;
    }
}

TEST(CipherStream, EmptyPlaintextIsIvAndOneBlockOfSixteenPadBytes) {
    const Bytes container = Encrypt({});
    ASSERT_EQ(container.size(), 32u);
    EXPECT_TRUE(std::equal(kIv.begin(), kIv.end(), container.begin()));
    CipherParams raw = WithIv();
    raw.noPadding = true;
    const Bytes blocks(container.begin() + 16, container.end());
    EXPECT_EQ(Stream(kDecrypt, blocks, {}, raw).output, Bytes(16, 0x10));
}

TEST(CipherStream, PiecesGiveTheBytesOfOneCallWithCountsInWholeBlocks) {
    const Bytes plain = test::TestData(132, 7);
    const Bytes once = Encrypt(plain);
    const StreamRun pieces = Stream(kEncrypt, plain, {5, 0, 27}, WithIv());  // final call gets 100
    EXPECT_EQ(pieces.output, once);
    EXPECT_EQ(pieces.counts, (std::vector<std::int64_t>{16, 0, 32, 112}));
}

TEST(CipherStream, OutputDoesNotDependOnHowTheInputIsSplit) {
    std::mt19937 engine(99);
    for (int round = 0; round < 200; ++round) {
        const std::size_t size = engine() % (round < 150 ? 200 : 20000);
        const Bytes plain = test::TestData(size, static_cast<std::uint32_t>(round));
        const Bytes container = Encrypt(plain);
        const auto encryptSplit = test::RandomSplit(size, engine);
        ASSERT_EQ(Stream(kEncrypt, plain, encryptSplit, WithIv()).output, container) << round;

        CipherParams params = DefaultCipherParams();
        // The final decryption call must carry the end of the ciphertext (see the next tests).
        const auto decryptSplit = test::RandomSplit(container.size() - 1, engine);
        const StreamRun back = Stream(kDecrypt, container, decryptSplit, params);
        ASSERT_EQ(back.output, plain) << round;
        ASSERT_GE(back.lastCount, 0);
    }
}

TEST(CipherStream, DecryptionAssemblesTheIvAcrossCalls) {
    const Bytes plain = test::TestData(70, 8);
    const Bytes container = Encrypt(plain);
    const StreamRun run = Stream(kDecrypt, container, {1, 20}, DefaultCipherParams());
    EXPECT_EQ(run.output, plain);
    EXPECT_EQ(run.counts[0], 0);  // still collecting the IV
    EXPECT_EQ(run.counts[1], 0);  // IV complete, 5 bytes wait for a block
}

TEST(CipherStream, ThirtyTwoByteContainersGiveSixteenMinusPadBytes) {
    for (std::size_t size = 0; size < 16; ++size) {
        const Bytes plain = test::TestData(size, 9);
        const StreamRun run = Stream(kDecrypt, Encrypt(plain), {}, DefaultCipherParams());
        EXPECT_EQ(run.lastCount, static_cast<std::int64_t>(size));
        EXPECT_EQ(run.output, plain);
    }
}

TEST(CipherStream, FinalCallOfLengthZeroPadsWhatIsPending) {
    const Bytes plain = test::TestData(21, 10);
    const StreamRun pending = Stream(kEncrypt, plain, {21}, WithIv());
    EXPECT_EQ(pending.counts, (std::vector<std::int64_t>{32, 16}));
    EXPECT_EQ(pending.output, Encrypt(plain));
    const Bytes aligned = test::TestData(32, 10);
    const StreamRun whole = Stream(kEncrypt, aligned, {32}, WithIv());
    EXPECT_EQ(whole.counts, (std::vector<std::int64_t>{48, 16}));
}

// Ciphertexts whose last block deciphers to chosen bytes, made with padding switched off.
Bytes ContainerEndingIn(const Bytes& lastBlock) {
    CipherParams raw = WithIv();
    raw.noPadding = true;
    Bytes plain = test::TestData(16, 11);
    plain.insert(plain.end(), lastBlock.begin(), lastBlock.end());
    return Stream(kEncrypt, plain, {}, raw).output;
}

TEST(CipherStream, MalformedPaddingIsRejected) {
    auto block = [](std::initializer_list<std::uint8_t> tail) {
        Bytes b(16 - tail.size(), 0x41);
        b.insert(b.end(), tail);
        return b;
    };
    const std::vector<Bytes> bad = {
        block({0x00}),              // pad value 0
        block({0x11}),              // pad value 17
        block({0xFF}),              // pad value 255
        block({0x03, 0x02, 0x03}),  // pad bytes differ
        block({0x02, 0x03, 0x03}),  // one pad byte short
        Bytes(16, 0x11),            // 17 everywhere
        block({0x0F, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10,
               0x10, 0x10}),  // 16 claimed, first byte differs
    };
    for (const Bytes& last : bad) {
        EXPECT_EQ(Stream(kDecrypt, ContainerEndingIn(last), {}, DefaultCipherParams()).lastCount,
                  -1)
            << test::ToHex(last);
    }
    const StreamRun full =
        Stream(kDecrypt, ContainerEndingIn(Bytes(16, 0x10)), {}, DefaultCipherParams());
    EXPECT_EQ(full.lastCount, 16);  // the first block only
    EXPECT_EQ(full.output, test::TestData(16, 11));
    const StreamRun one =
        Stream(kDecrypt, ContainerEndingIn(block({0x01})), {}, DefaultCipherParams());
    EXPECT_EQ(one.lastCount, 31);
}

TEST(CipherStream, MalformedLengthsAreRejected) {
    const Bytes container = Encrypt(test::TestData(40, 12));  // 16 + 48 bytes
    auto decrypt = [](const Bytes& data, std::vector<std::size_t> pieces = {}) {
        return Stream(kDecrypt, data, pieces, DefaultCipherParams()).lastCount;
    };
    EXPECT_EQ(decrypt(Bytes(container.begin(), container.end() - 1)), -1);  // torn last block
    EXPECT_EQ(decrypt(Bytes(container.begin(), container.end() - 15)), -1);
    EXPECT_EQ(decrypt(Bytes(container.begin(), container.begin() + 16)), -1);  // IV only
    EXPECT_EQ(decrypt(Bytes(container.begin(), container.begin() + 9)), -1);   // part of an IV
    EXPECT_EQ(decrypt({}), -1);
    // The last block went out before the final call, which can no longer strip its padding.
    EXPECT_EQ(decrypt(container, {container.size()}), -1);
    EXPECT_GE(decrypt(container, {container.size() - 1}), 0);
}

TEST(CipherStream, WrongPasswordIsReportedAsFailure) {
    const Bytes container = Encrypt(Bytes(100, 'x'));
    Bytes otherKey = kKey;
    otherKey[0] ^= 1;
    const StreamRun run = Stream(kDecrypt, container, {}, DefaultCipherParams(), otherKey);
    EXPECT_EQ(run.lastCount, -1);
}

TEST(CipherStream, DefaultIvsComeFromTheSystemSourceAndDiffer) {
    ASSERT_TRUE(OpenSystemRandom());
    RandomBytes({});  // make sure the generator will not reseed itself from the clock
    SeedRandom(4242);
    RandomState model;
    model.seeded = true;
    SeedRandom(model, 4242);
    Bytes generatorIv(16);
    RandomBytes(model, generatorIv);

    const Bytes plain = test::TestData(10);
    const Bytes first = Stream(kEncrypt, plain, {}, DefaultCipherParams()).output;
    const Bytes second = Stream(kEncrypt, plain, {}, DefaultCipherParams()).output;
    EXPECT_NE(Bytes(first.begin(), first.begin() + 16), generatorIv);
    EXPECT_NE(first, second);
    EXPECT_EQ(Stream(kDecrypt, first, {}, DefaultCipherParams()).output, plain);
    EXPECT_EQ(Stream(kDecrypt, second, {}, DefaultCipherParams()).output, plain);
}

TEST(CipherStream, WithoutTheSystemSourceNoIvIsDrawnAtAll) {
    const Bytes container = Encrypt(test::TestData(5), DefaultCipherParams());
    CloseSystemRandom();
    CipherParams ecb = DefaultCipherParams();
    ecb.chainingMode = kChainingEcb;
    struct Row {
        const char* what;
        int direction;
        CipherParams params;
        bool created;
    };
    const std::vector<Row> rows = {
        {"CBC encryption with a drawn IV", kEncrypt, DefaultCipherParams(), false},
        {"CBC encryption with a given IV", kEncrypt, WithIv(), true},
        {"ECB needs no IV", kEncrypt, ecb, true},
        {"decryption reads its IV", kDecrypt, DefaultCipherParams(), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(CreateCipherStream(kKey, row.direction, row.params) != nullptr, row.created);
    }
    EXPECT_EQ(Stream(kDecrypt, container, {}, DefaultCipherParams()).output, test::TestData(5));
    ASSERT_TRUE(OpenSystemRandom());
    EXPECT_NE(CreateCipherStream(kKey, kEncrypt, DefaultCipherParams()), nullptr);
}

TEST(CipherStream, OtherParameters) {
    const Bytes plain = test::TestData(77, 13);
    for (int keyBits : {128, 192, 256}) {
        for (int mode : {kChainingCbc, kChainingEcb}) {
            CipherParams params = DefaultCipherParams();
            params.keyBits = keyBits;
            params.chainingMode = mode;
            const Bytes container = Stream(kEncrypt, plain, {}, params).output;
            EXPECT_EQ(container.size(), mode == kChainingCbc ? 96u : 80u);
            EXPECT_EQ(Stream(kDecrypt, container, {33}, params).output, plain);
        }
    }
    // Without the IV in front, the reader needs it given.
    CipherParams noIv = WithIv();
    noIv.writeIv = false;
    const Bytes bare = Stream(kEncrypt, plain, {}, noIv).output;
    EXPECT_EQ(bare.size(), 80u);
    const Bytes withIv = Encrypt(plain);
    EXPECT_EQ(Bytes(withIv.begin() + 16, withIv.end()), bare);
    EXPECT_EQ(Stream(kDecrypt, bare, {7}, WithIv()).output, plain);
    // No padding: whole blocks only, a partial last block is not output.
    CipherParams raw = WithIv();
    raw.noPadding = true;
    const Bytes blocks = test::TestData(64, 14);
    CipherParams rawFromInput = DefaultCipherParams();
    rawFromInput.noPadding = true;
    EXPECT_EQ(Stream(kDecrypt, Stream(kEncrypt, blocks, {}, raw).output, {}, rawFromInput).output,
              blocks);
    EXPECT_EQ(Stream(kEncrypt, test::TestData(70), {}, raw).output.size(), 16u + 64u);
}

TEST(CipherStream, CreationRejectsWhatItCannotRun) {
    EXPECT_EQ(CreateCipherStream(kKey, 0), nullptr);
    EXPECT_EQ(CreateCipherStream(kKey, 3), nullptr);
    CipherParams params = DefaultCipherParams();
    params.chainingMode = 5;
    EXPECT_EQ(CreateCipherStream(kKey, kEncrypt, params), nullptr);
    params = DefaultCipherParams();
    params.keyBits = 64;
    EXPECT_EQ(CreateCipherStream(kKey, kEncrypt, params), nullptr);
    EXPECT_EQ(CreateCipherStream(std::span(kKey).first(31), kEncrypt), nullptr);
    params.keyBits = 128;
    EXPECT_NE(CreateCipherStream(std::span(kKey).first(16), kEncrypt, params), nullptr);
}

TEST(CipherStream, MisuseGivesMinusOneAndChangesNothing) {
    auto stream = CreateCipherStream(kKey, kEncrypt, WithIv());
    Bytes input = test::TestData(40), small(71), out(72);
    EXPECT_EQ(UpdateCipherStream(*stream, input, small, false), -1);
    EXPECT_EQ(UpdateCipherStream(*stream, input, std::span(input).subspan(0, 40), false), -1);
    Bytes overlapping(200);
    EXPECT_EQ(UpdateCipherStream(*stream, std::span(overlapping).first(40),
                                 std::span(overlapping).subspan(20), false),
              -1);
    // The stream is untouched: it still starts with the IV.
    EXPECT_EQ(UpdateCipherStream(*stream, input, out, true), 16 + 48);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 64), Encrypt(input));
    EXPECT_EQ(UpdateCipherStream(*stream, input, out, true), -1);
    EXPECT_EQ(UpdateCipherStream(*stream, {}, out, false), -1);
}

TEST(CipherStream, KeepsItsOwnKeyCopyAndFreesAtAnyPoint) {
    Bytes key = kKey;
    auto stream = CreateCipherStream(key, kEncrypt, WithIv());
    std::fill(key.begin(), key.end(), 0);  // the caller wipes its key at once
    Bytes out(72);
    ASSERT_EQ(UpdateCipherStream(*stream, test::TestData(20), out, true), 48);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 48), Encrypt(test::TestData(20)));
    FreeCipherStream(stream);
    EXPECT_EQ(stream, nullptr);

    auto unused = CreateCipherStream(kKey, kDecrypt);
    FreeCipherStream(unused);  // never updated: no engine to finish
    auto midway = CreateCipherStream(kKey, kDecrypt);
    ASSERT_EQ(UpdateCipherStream(*midway, test::TestData(40), out, false), 16);
    FreeCipherStream(midway);
}

}  // namespace
}  // namespace vexmora
