// Encrypting and decrypting whole files: the bytes come back exactly, the container has the
// expected size, and every encryption draws a fresh IV.
#include <string>

#include "e2e_test_support.h"

namespace vexmora::e2e {
namespace {

class RoundTripTest : public ProgramTest, public ::testing::WithParamInterface<std::uint64_t> {};

TEST_P(RoundTripTest, DecryptRestoresTheBytes) {
    const std::uint64_t size = GetParam();
    WritePatternFile(At(L"plain.bin"), size, size + 11);
    const std::wstring password = L"round trip \u00e9\u00e8";
    ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"E", At(L"plain.bin"), password}), 120s)));
    EXPECT_EQ(FileSize(At(L"plain.bin.vx")), ContainerSize(size));
    ASSERT_TRUE(JobSucceeded(
        Run(QuotedParameters({L"D", At(L"plain.bin.vx"), At(L"restored.bin"), password}), 120s)));
    ASSERT_TRUE(FileExists(At(L"restored.bin")));
    EXPECT_EQ(FileSize(At(L"restored.bin")), size);
    EXPECT_EQ(CompareFiles(At(L"plain.bin"), At(L"restored.bin")), "");
    EXPECT_EQ(ListFolder(Folder()).size(), 3u) << "a stray file was left behind";
}

INSTANTIATE_TEST_SUITE_P(Sizes, RoundTripTest,
                         ::testing::Values(0, 1, 15, 16, 17, kChunk - 1, kChunk, kChunk + 1,
                                           100 * 1024 * 1024),
                         [](const auto& tested) { return "Bytes" + std::to_string(tested.param); });

class EncryptionTest : public ProgramTest {};

TEST_F(EncryptionTest, EmptyInputGivesTheSmallestContainer) {
    WriteBytes(At(L"empty"), {});
    ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"E", At(L"empty"), At(L"empty.vx"), L"pw"}))));
    EXPECT_EQ(FileSize(At(L"empty.vx")), 32u);
}

TEST_F(EncryptionTest, TwoEncryptionsOfTheSameFileDiffer) {
    WritePatternFile(At(L"plain.bin"), 4096, 5);
    ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"E", At(L"plain.bin"), At(L"a.vx"), L"pw"}))));
    ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"E", At(L"plain.bin"), At(L"b.vx"), L"pw"}))));
    const Bytes a = ReadBytes(At(L"a.vx"));
    const Bytes b = ReadBytes(At(L"b.vx"));
    ASSERT_EQ(a.size(), ContainerSize(4096));
    ASSERT_EQ(b.size(), a.size());
    EXPECT_NE(Bytes(a.begin(), a.begin() + 16), Bytes(b.begin(), b.begin() + 16))
        << "both containers start with the same IV";
    EXPECT_NE(a, b);
    // Neither is the plaintext in disguise: the ciphertext differs from the input.
    const Bytes plain = ReadBytes(At(L"plain.bin"));
    EXPECT_NE(Bytes(a.begin() + 16, a.begin() + 16 + 4096), plain);

    // Both decrypt to the same input.
    ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"D", At(L"a.vx"), At(L"a.txt"), L"pw"}))));
    ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"D", At(L"b.vx"), At(L"b.txt"), L"pw"}))));
    EXPECT_EQ(ReadBytes(At(L"a.txt")), plain);
    EXPECT_EQ(ReadBytes(At(L"b.txt")), plain);
}

TEST_F(EncryptionTest, EmptyPasswordIsAPassword) {
    WritePatternFile(At(L"plain.bin"), 100, 9);
    ASSERT_TRUE(
        JobSucceeded(Run(L"E \"" + At(L"plain.bin") + L"\" \"" + At(L"x.vx") + L"\" \"\"")));
    ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"D", At(L"x.vx"), At(L"back.bin"), L""}))));
    EXPECT_EQ(CompareFiles(At(L"plain.bin"), At(L"back.bin")), "");
}

}  // namespace
}  // namespace vexmora::e2e
