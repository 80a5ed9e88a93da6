#include "jobs/file_job.h"

#include <gtest/gtest.h>

#include <utility>

#include "crypto/key_derivation.h"
#include "faulty_file_system.h"
#include "temp_dir.h"
#include "test_support.h"

namespace vexmora {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Calls = std::vector<std::pair<std::int64_t, std::int64_t>>;

constexpr std::int64_t kMiB16 = 16 * 1024 * 1024;

using test::FaultyFileSystem;

class FileJobTest : public ::testing::Test {
  protected:
    const Key key = DeriveKey(u"job password");

    int Run(int direction, const std::string& in, const std::string& out,
            std::int64_t chunkSize = 0, std::function<int(int)> answer = nullptr,
            FileSystem& fileSystem = RealFileSystem(),
            const std::optional<CipherParams>& params = std::nullopt) {
        calls.clear();
        auto callback = [&](std::int64_t done, std::int64_t total) {
            calls.emplace_back(done, total);
            return answer ? answer(static_cast<int>(calls.size())) : 0;
        };
        return RunFileJob(key.span(), direction, dir.U16(in), dir.U16(out), callback, chunkSize,
                          params, fileSystem);
    }

    test::TempDir dir;
    Calls calls;
};

TEST_F(FileJobTest, CallbackSequencesAndOutputSizes) {
    struct Row {
        std::int64_t size;
        Calls calls;
    };
    const std::int64_t s = kMiB16 + 1;
    const std::vector<Row> rows = {
        {0, {{0, 0}, {0, 0}}},
        {1, {{0, 1}, {1, 1}}},
        {16, {{0, 16}, {16, 16}}},
        {kMiB16, {{0, kMiB16}, {kMiB16, kMiB16}}},
        {s, {{0, s}, {kMiB16, s}, {s, s}}},
    };
    for (const Row& row : rows) {
        const Bytes plain = test::TestData(static_cast<std::size_t>(row.size));
        dir.Write("in", plain);
        ASSERT_EQ(Run(kEncrypt, "in", "in.vx"), 1) << row.size;
        EXPECT_EQ(calls, row.calls) << row.size;
        const Bytes container = dir.Read("in.vx");
        EXPECT_EQ(static_cast<std::int64_t>(container.size()), 16 + 16 * (row.size / 16 + 1));
        ASSERT_EQ(Run(kDecrypt, "in.vx", "back"), 1) << row.size;
        EXPECT_EQ(dir.Read("back"), plain) << row.size;
        EXPECT_EQ(dir.List(), (std::vector<std::string>{"back", "in", "in.vx"}));
    }
}

TEST_F(FileJobTest, ChunkSizeDoesNotChangeTheOutput) {
    CipherParams params = DefaultCipherParams();
    params.explicitIv = IvBlock{9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2, 3, 4, 5, 6};
    const Bytes plain = test::TestData(5003);
    dir.Write("in", plain);
    ASSERT_EQ(Run(kEncrypt, "in", "whole", kMiB16, nullptr, RealFileSystem(), params), 1);
    const Bytes expected = dir.Read("whole");
    for (std::int64_t chunk : {1, 7, 16, 4096}) {
        ASSERT_EQ(Run(kEncrypt, "in", "pieces", chunk, nullptr, RealFileSystem(), params), 1);
        EXPECT_EQ(dir.Read("pieces"), expected) << chunk;
        EXPECT_EQ(calls.size(), static_cast<std::size_t>((5003 + chunk - 1) / chunk + 1));
        ASSERT_EQ(Run(kDecrypt, "pieces", "back", chunk), 1);
        EXPECT_EQ(dir.Read("back"), plain) << chunk;
    }
}

TEST_F(FileJobTest, CancelAtTheSecondCallbackLeavesNothingAndKeepsTheDestination) {
    dir.Write("in", test::TestData(2500));
    dir.Write("out", test::Bytes("keep me"));
    EXPECT_EQ(Run(kEncrypt, "in", "out", 1000, [](int call) { return call == 2 ? 1 : 0; }), 0);
    EXPECT_EQ(calls, (Calls{{0, 2500}, {1000, 2500}, {0, 0}}));
    EXPECT_EQ(dir.Read("out"), test::Bytes("keep me"));
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"in", "out"}));
}

TEST_F(FileJobTest, MissingInputCreatesNothing) {
    EXPECT_EQ(Run(kEncrypt, "absent", "out"), 0);
    EXPECT_EQ(calls, (Calls{{-1, -1}}));
    EXPECT_TRUE(dir.List().empty());
}

TEST_F(FileJobTest, UncreatableOutputFails) {
    dir.Write("in", test::TestData(100));
    EXPECT_EQ(Run(kEncrypt, "in", "no such folder/out"), 0);
    EXPECT_EQ(calls, (Calls{{-1, -1}}));
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"in"}));
}

TEST_F(FileJobTest, OutputThatNamesTheInputFailsBeforeWriting) {
    const Bytes plain = test::TestData(100);
    dir.Write("in", plain);
    EXPECT_EQ(Run(kEncrypt, "in", "in"), 0);
    EXPECT_EQ(calls, (Calls{{-1, -1}}));
    // The same file under another spelling.
    std::filesystem::create_directories(dir.Path("sub"));
    EXPECT_EQ(Run(kEncrypt, "in", "sub/../in"), 0);
    EXPECT_EQ(calls, (Calls{{-1, -1}}));
    EXPECT_EQ(dir.Read("in"), plain);
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"in", "sub"}));
}

TEST_F(FileJobTest, FailedWriteLeavesNothingAndKeepsTheDestination) {
    dir.Write("in", test::TestData(3000));
    dir.Write("out", test::Bytes("old"));
    for (std::int64_t budget : {0, 16, 1500}) {
        FaultyFileSystem disk;
        disk.writeBudget = budget;
        EXPECT_EQ(Run(kEncrypt, "in", "out", 1000, nullptr, disk), 0) << budget;
        EXPECT_EQ(calls.back(), std::make_pair(std::int64_t{-1}, std::int64_t{-1}));
        EXPECT_EQ(dir.Read("out"), test::Bytes("old"));
        EXPECT_EQ(dir.List(), (std::vector<std::string>{"in", "out"}));
    }
}

TEST_F(FileJobTest, ShortReadFails) {
    dir.Write("in", test::TestData(3000));
    FaultyFileSystem disk;
    disk.readBudget = 2000;  // the file "ends" during the third chunk
    EXPECT_EQ(Run(kEncrypt, "in", "out", 1000, nullptr, disk), 0);
    EXPECT_EQ(calls, (Calls{{0, 3000}, {1000, 3000}, {2000, 3000}, {-1, -1}}));
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"in"}));
}

TEST_F(FileJobTest, FailedMoveIntoPlaceFails) {
    dir.Write("in", test::TestData(300));
    FaultyFileSystem disk;
    disk.failReplace = true;
    EXPECT_EQ(Run(kEncrypt, "in", "out", 0, nullptr, disk), 0);
    EXPECT_EQ(calls.back(), std::make_pair(std::int64_t{-1}, std::int64_t{-1}));
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"in"}));
}

TEST_F(FileJobTest, WrongPasswordAndDamagedContainersFailWithoutOutput) {
    dir.Write("in", test::TestData(1000));
    ASSERT_EQ(Run(kEncrypt, "in", "in.vx"), 1);
    const Key other = DeriveKey(u"wrong password");
    calls.clear();
    auto record = [&](std::int64_t done, std::int64_t total) {
        calls.emplace_back(done, total);
        return 0;
    };
    EXPECT_EQ(RunFileJob(other.span(), kDecrypt, dir.U16("in.vx"), dir.U16("out"), record), 0);
    EXPECT_EQ(calls.back(), std::make_pair(std::int64_t{-1}, std::int64_t{-1}));

    Bytes torn = dir.Read("in.vx");
    torn.pop_back();
    dir.Write("torn.vx", torn);
    EXPECT_EQ(Run(kDecrypt, "torn.vx", "out"), 0);
    dir.Write("empty.vx", {});
    EXPECT_EQ(Run(kDecrypt, "empty.vx", "out"), 0);
    EXPECT_EQ(calls, (Calls{{0, 0}, {-1, -1}}));
    dir.Write("short.vx", test::TestData(20));
    EXPECT_EQ(Run(kDecrypt, "short.vx", "out"), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("out")));
    EXPECT_EQ(dir.List().size(), 5u);  // in, in.vx, torn.vx, empty.vx, short.vx
}

TEST_F(FileJobTest, SuccessReplacesAnExistingDestination) {
    const Bytes plain = test::TestData(40);
    dir.Write("in", plain);
    dir.Write("out", test::TestData(100000));
    ASSERT_EQ(Run(kEncrypt, "in", "out"), 1);
    EXPECT_EQ(dir.Read("out").size(), 64u);
}

TEST_F(FileJobTest, RunsWithoutCallback) {
    dir.Write("in", test::TestData(40));
    EXPECT_EQ(RunFileJob(key.span(), kEncrypt, dir.U16("in"), dir.U16("out"), nullptr), 1);
    EXPECT_EQ(RunFileJob(key.span(), kEncrypt, dir.U16("absent"), dir.U16("x"), nullptr), 0);
    EXPECT_EQ(RunFileJob(key.span(), 7, dir.U16("in"), dir.U16("y"), nullptr), 0);
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"in", "out"}));
}

}  // namespace
}  // namespace vexmora
