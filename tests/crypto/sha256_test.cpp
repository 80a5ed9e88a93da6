#include "crypto/sha256.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include "test_vectors.h"

namespace vexmora {
namespace {

using test::Bytes;
using test::FromHex;
using test::ToHex;

std::string Hex(const Sha256Digest& digest) {
    return ToHex({digest.begin(), digest.end()});
}

struct Vector {
    std::vector<std::uint8_t> message;
    std::string digest;
};

std::vector<Vector> Vectors() {
    std::vector<Vector> vectors;
    for (const auto& fields : test::VectorLines("sha256_vectors")) {
        std::vector<std::uint8_t> unit =
            fields[0] == "-" ? std::vector<std::uint8_t>{} : FromHex(fields[0]);
        std::vector<std::uint8_t> message;
        for (long i = 0; i < std::stol(fields[1]); ++i) {
            message.insert(message.end(), unit.begin(), unit.end());
        }
        vectors.push_back({message, fields[2]});
    }
    return vectors;
}

TEST(Sha256, PublishedAndBoundaryVectorsInOneCall) {
    const auto vectors = Vectors();
    ASSERT_EQ(vectors.size(), 10u);
    for (const auto& v : vectors) {
        EXPECT_EQ(Hex(Sha256(v.message)), v.digest) << "length " << v.message.size();
    }
}

TEST(Sha256, EveryVectorSplitAtEveryOffsetAndInSmallPieces) {
    for (const auto& v : Vectors()) {
        if (v.message.size() > 1000) {
            continue;  // the million-byte vector is split below
        }
        std::span<const std::uint8_t> m = v.message;
        for (std::size_t cut = 0; cut <= m.size(); ++cut) {
            Sha256Context context;
            Sha256Start(context);
            Sha256Add(context, m.first(cut));
            Sha256Add(context, {});
            Sha256Add(context, m.subspan(cut));
            ASSERT_EQ(Hex(Sha256Finish(context)), v.digest) << "cut at " << cut;
        }
    }
}

TEST(Sha256, MillionBytesInUnevenPieces) {
    const auto vectors = Vectors();
    const auto& million = vectors[4];
    ASSERT_EQ(million.message.size(), 1000000u);
    Sha256Context context;
    Sha256Start(context);
    std::span<const std::uint8_t> rest = million.message;
    for (std::size_t piece = 1; !rest.empty(); piece = piece * 3 % 1021 + 1) {
        const std::size_t take = std::min(piece, rest.size());
        Sha256Add(context, rest.first(take));
        rest = rest.subspan(take);
    }
    EXPECT_EQ(Hex(Sha256Finish(context)), million.digest);
}

TEST(Sha256, PiecesOf1And63And65EqualOneCallOver129Bytes) {
    const auto data = test::TestData(129);
    std::span<const std::uint8_t> all = data;
    Sha256Context context;
    Sha256Start(context);
    Sha256Add(context, all.first(1));
    Sha256Add(context, all.subspan(1, 63));
    Sha256Add(context, all.subspan(64));
    EXPECT_EQ(Sha256Finish(context), Sha256(data));
}

TEST(Sha256, LengthArgument) {
    const auto data = test::TestData(100);
    EXPECT_EQ(Sha256(data, -1), Sha256(data));
    EXPECT_EQ(Sha256(data, 40), Sha256(std::span(data).first(40)));
    EXPECT_EQ(Sha256(data, 0), Sha256({}));
    // Out-of-range lengths never read past the block.
    EXPECT_EQ(Sha256(data, 1000), Sha256(data));
    EXPECT_EQ(Sha256(data, -7), Sha256({}));
}

TEST(Sha256, FinishWipesTheContextAndAStartedAgainContextWorks) {
    Sha256Context context;
    Sha256Start(context);
    Sha256Add(context, Bytes("secret password"));
    Sha256Finish(context);
    EXPECT_EQ(context.totalLength, 0);
    for (std::uint32_t word : context.schedule) {
        EXPECT_EQ(word, 0u);
    }
    for (std::uint32_t word : context.state) {
        EXPECT_EQ(word, 0u);
    }
    Sha256Start(context);
    Sha256Add(context, Bytes("abc"));
    EXPECT_EQ(Hex(Sha256Finish(context)),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

}  // namespace
}  // namespace vexmora
