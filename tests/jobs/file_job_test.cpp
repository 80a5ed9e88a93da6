#include "jobs/file_job.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <utility>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "crypto/key_derivation.h"
#include "crypto/random.h"
#include "faulty_file_system.h"
#include "jobs/temporary_path.h"
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
            if (done == StillWorking) {
                return 0;  // how often the job looks up depends on the machine's load
            }
            calls.emplace_back(done, total);
            return answer ? answer(static_cast<int>(calls.size())) : 0;
        };
        const FileJobOutcome outcome =
            RunFileJobWithOutcome(key.span(), direction, dir.U16(in), dir.U16(out), callback,
                                  chunkSize, params, fileSystem);
        kept = outcome.keptOldFile;
        return outcome.result;
    }

    test::TempDir dir;
    Calls calls;
    std::u16string kept;  // FileJobOutcome::keptOldFile of the last Run
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
    std::size_t replaced = 0;  // the outputs of the rows before
    for (const Row& row : rows) {
        const Bytes plain = test::TestData(static_cast<std::size_t>(row.size));
        dir.Write("in", plain);
        ASSERT_EQ(Run(kEncrypt, "in", "in.vx"), 1) << row.size;
        EXPECT_EQ(calls, row.calls) << row.size;
        const Bytes container = dir.Read("in.vx");
        EXPECT_EQ(static_cast<std::int64_t>(container.size()), 16 + 16 * (row.size / 16 + 1));
        ASSERT_EQ(Run(kDecrypt, "in.vx", "back"), 1) << row.size;
        EXPECT_EQ(dir.Read("back"), plain) << row.size;
        EXPECT_EQ(test::WithoutKeptFiles(dir.List(), replaced),
                  (std::vector<std::string>{"back", "in", "in.vx"}));
        replaced += 2;
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

TEST_F(FileJobTest, EncryptionWithoutTheSystemRandomSourceFailsBeforeAnyOutput) {
    dir.Write("in", test::TestData(100));
    dir.Write("out", test::Bytes("kept"));
    FaultyFileSystem disk;
    CloseSystemRandom();
    const int result = Run(kEncrypt, "in", "out", 0, nullptr, disk);
    ASSERT_TRUE(OpenSystemRandom());
    EXPECT_EQ(result, 0);
    EXPECT_EQ(calls, (Calls{{-1, -1}}));
    EXPECT_TRUE(disk.created.empty());
    EXPECT_EQ(dir.Read("out"), test::Bytes("kept"));
}

TEST_F(FileJobTest, TheMarkOfTheWebTravelsWithTheOutput) {
    // On Windows the Zone.Identifier stream; the fake keeps it beside its file.
    const Bytes mark = test::Bytes("[ZoneTransfer]\r\nZoneId=3\r\n");
    FaultyFileSystem disk;
    dir.Write("in", test::TestData(100));
    struct Row {
        const char* what;
        int direction;
        std::string from;
        std::string to;
        bool marked;
        bool failWrite;
        int result;
    };
    const std::vector<Row> rows = {
        {"encrypting a downloaded file", kEncrypt, "in", "in.vx", true, false, 1},
        {"decrypting a downloaded container", kDecrypt, "in.vx", "back", true, false, 1},
        {"a file without a mark", kEncrypt, "in", "plain.vx", false, false, 1},
        {"a mark that cannot be written fails the job", kEncrypt, "in", "lost.vx", true, true, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        disk.zoneMarks.clear();
        if (row.marked) {
            disk.zoneMarks[dir.U16(row.from)] = mark;
        }
        disk.failWriteZoneMark = row.failWrite;
        EXPECT_EQ(Run(row.direction, row.from, row.to, 0, nullptr, disk), row.result);
        EXPECT_EQ(disk.ReadZoneMark(dir.U16(row.to)),
                  row.result == 1 && row.marked ? mark : Bytes());
    }
    EXPECT_EQ(dir.Read("back"), test::TestData(100));
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"back", "in", "in.vx", "plain.vx"}));
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

// Reads, the cipher and writes run at once, in pieces inside each chunk: a failure or cancel of
// any of them, while the others are busy, still leaves nothing and waits for the busy ones.
TEST_F(FileJobTest, PipelineFailingOrCancelledMidwayLeavesNothingAndKeepsTheDestination) {
    constexpr std::int64_t kMiB = 1024 * 1024;
    const std::int64_t total = 3 * kMiB + 12345;  // pieces inside the one chunk
    dir.Write("in", test::TestData(static_cast<std::size_t>(total)));
    dir.Write("out", test::Bytes("old"));
    auto nothingLeft = [&](const char* what) {
        EXPECT_EQ(dir.Read("out"), test::Bytes("old")) << what;
        EXPECT_EQ(dir.List(), (std::vector<std::string>{"in", "out"})) << what;
    };
    {
        FaultyFileSystem disk;
        disk.readBudget = kMiB + kMiB / 2;  // the second piece's read fails
        EXPECT_EQ(Run(kEncrypt, "in", "out", 0, nullptr, disk), 0);
        EXPECT_EQ(calls, (Calls{{0, total}, {-1, -1}}));
        nothingLeft("read");
    }
    for (std::int64_t budget : {2 * kMiB + 100, total + 17}) {  // a middle piece, the last one
        FaultyFileSystem disk;
        disk.writeBudget = budget;
        EXPECT_EQ(Run(kEncrypt, "in", "out", 0, nullptr, disk), 0) << budget;
        EXPECT_EQ(calls, (Calls{{0, total}, {-1, -1}})) << budget;
        nothingLeft("write");
    }
    {
        // The third callback cancels while the first write is still under way; the job must
        // let the write return before it closes and removes the file.
        dir.Write("in", test::TestData(10000));
        FaultyFileSystem disk;
        std::promise<void> writing, cancelled;
        std::atomic<int> writes = 0;
        disk.duringWrite = [&] {
            if (writes++ == 0) {
                writing.set_value();
                cancelled.get_future().wait();
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        };
        EXPECT_EQ(Run(
                      kEncrypt, "in", "out", 1000,
                      [&](int call) {
                          if (call != 3) {
                              return 0;
                          }
                          writing.get_future().wait();
                          cancelled.set_value();
                          return 1;
                      },
                      disk),
                  0);
        EXPECT_EQ(calls, (Calls{{0, 10000}, {1000, 10000}, {2000, 10000}, {0, 0}}));
        EXPECT_FALSE(disk.closedDuringWrite.load());
        EXPECT_LE(disk.bytesRead.load(), 2000);  // nothing of the refused chunk
        nothingLeft("cancel");
    }
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
    // A fixed IV: with a random one, about 1 run in 256 would see the wrong key's last block
    // end in valid padding, which no padding check can tell from the right key.
    CipherParams params = DefaultCipherParams();
    params.explicitIv = IvBlock{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    dir.Write("in", test::TestData(1000));
    ASSERT_EQ(Run(kEncrypt, "in", "in.vx", 0, nullptr, RealFileSystem(), params), 1);
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

// ---------------------------------------------------------------------------------------------
// What is read and where it may go

TEST_F(FileJobTest, OnlyRegularFilesAreReadAndOnlyFilesReplaced) {
    std::filesystem::create_directories(dir.Path("folder"));
    dir.Write("in", test::TestData(100));
    dir.Write("out", test::Bytes("old"));
    std::vector<std::u16string> inputs = {dir.U16("folder")};
    std::vector<std::u16string> outputs = {dir.U16("folder")};
#ifdef _WIN32
    inputs.push_back(u"NUL");
    inputs.push_back(u"CON");
    for (const char16_t* name : {u"NUL", u"nul.txt", u"COM1.log", u"lpt9", u"Con .vx", u"aux"}) {
        outputs.push_back(dir.U16("") + name);
    }
#else
    ASSERT_EQ(mkfifo(dir.Path("fifo").c_str(), 0600), 0);
    inputs.push_back(dir.U16("fifo"));  // no writer: refused at once, not waited for
    inputs.push_back(u"/dev/null");
    inputs.push_back(u"/dev/zero");
    outputs.push_back(dir.U16("fifo"));
    outputs.push_back(u"/dev/null");
#endif
    const auto before = dir.List();
    for (const std::u16string& input : inputs) {
        SCOPED_TRACE(std::filesystem::path(input).string());
        calls.clear();
        auto record = [&](std::int64_t done, std::int64_t total) {
            calls.emplace_back(done, total);
            return 0;
        };
        EXPECT_EQ(RunFileJob(key.span(), kEncrypt, input, dir.U16("out"), record), 0);
        EXPECT_EQ(calls, (Calls{{-1, -1}}));
    }
    for (const std::u16string& output : outputs) {
        SCOPED_TRACE(std::filesystem::path(output).string());
        EXPECT_EQ(RunFileJob(key.span(), kEncrypt, dir.U16("in"), output, nullptr), 0);
    }
    // A file that cannot be replaced now (read-only, held open without delete sharing) is
    // refused before the temporary file exists.
    FaultyFileSystem disk;
    disk.canReplace = false;
    EXPECT_EQ(Run(kEncrypt, "in", "out", 0, nullptr, disk), 0);
    EXPECT_TRUE(disk.created.empty());
#ifdef _WIN32
    std::filesystem::permissions(dir.Path("out"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_EQ(RunFileJob(key.span(), kEncrypt, dir.U16("in"), dir.U16("out"), nullptr), 0);
    std::filesystem::permissions(dir.Path("out"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
#endif
    EXPECT_EQ(dir.Read("out"), test::Bytes("old"));
    EXPECT_EQ(dir.List(), before);
}

TEST_F(FileJobTest, ChangingInputOrUnflushedOutputFailsAndKeepsTheDestination) {
    dir.Write("in", test::TestData(3000));
    dir.Write("out", test::Bytes("old"));
    struct Row {
        const char* what;
        std::int64_t sizeChange;
        bool failFlush;
    };
    const std::vector<Row> rows = {
        {"grown by a byte", 1, false},
        {"grown by more than a chunk", 1500, false},
        {"shrunk within the last chunk", -1, false},
        {"shrunk by whole chunks", -2500, false},
        {"the output cannot be flushed to the disk", 0, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FaultyFileSystem disk;
        disk.sizeChange = row.sizeChange;
        disk.failFlush = row.failFlush;
        EXPECT_EQ(Run(kEncrypt, "in", "out", 1000, nullptr, disk), 0);
        EXPECT_EQ(calls.back(), std::make_pair(std::int64_t{-1}, std::int64_t{-1}));
        EXPECT_EQ(dir.Read("out"), test::Bytes("old"));
        EXPECT_EQ(dir.List(), (std::vector<std::string>{"in", "out"}));
    }
    // The same input that keeps its size goes through the same wrapper.
    FaultyFileSystem steady;
    EXPECT_EQ(Run(kEncrypt, "in", "out", 1000, nullptr, steady), 1);
}

TEST_F(FileJobTest, SameFileCheckFailsClosed) {
    dir.Write("in", test::TestData(100));
    // A second name of the input (a hard link) is the input.
    ASSERT_TRUE(RealFileSystem().Link(dir.U16("in"), dir.U16("alias")));
    EXPECT_EQ(Run(kEncrypt, "in", "alias"), 0);
    EXPECT_EQ(dir.Read("alias"), test::TestData(100));
    // "Cannot tell" refuses, too.
    FaultyFileSystem disk;
    disk.sameFile = -1;
    EXPECT_EQ(Run(kEncrypt, "in", "out", 0, nullptr, disk), 0);
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"alias", "in"}));
}

TEST_F(FileJobTest, DestinationNamesOfTheLongestLegalLength) {
    // The temporary name must fit beside any name the folder takes, also one of 255 characters.
    const std::string longest(255, 'n');
    const std::string almost = std::string(252, 'v') + ".vx";
    dir.Write("in", test::TestData(100));
    ASSERT_EQ(Run(kEncrypt, "in", almost), 1);
    ASSERT_EQ(Run(kDecrypt, almost, longest), 1);
    EXPECT_EQ(dir.Read(longest), test::TestData(100));
    ASSERT_EQ(Run(kEncrypt, "in", longest), 1);  // replacing one, too
    // Its path is too long for the shell, which is not asked: the old file stays visibly.
    EXPECT_EQ(test::WithoutKeptFiles(dir.List(), 1, true),
              (std::vector<std::string>{"in", longest, almost}));
}

TEST(TemporaryPath, ShortRandomNameInTheDestinationsFolder) {
    struct Row {
        std::u16string destination;
        std::u16string folder;
    };
    const std::vector<Row> rows = {
        {u"C:\\docs\\notes.txt", u"C:\\docs\\"},
        {u"/home/user/" + std::u16string(255, u'n'), u"/home/user/"},
        {u"\\\\server\\share\\a.vx", u"\\\\server\\share\\"},
        {u"C:relative.txt", u"C:"},
        {u"bare-name", u""},
        {u"mixed/sep\\arators", u"mixed/sep\\"},
    };
    for (const Row& row : rows) {
        const std::u16string first = TemporaryPathBeside(row.destination);
        const std::u16string second = TemporaryPathBeside(row.destination);
        EXPECT_NE(first, second);
        for (const std::u16string& path : {first, second}) {
            ASSERT_EQ(path.size(), row.folder.size() + 15);
            EXPECT_EQ(path.substr(0, row.folder.size()), row.folder);
            const std::u16string name = path.substr(row.folder.size());
            EXPECT_EQ(name.substr(0, 3), u"~vx");
            EXPECT_EQ(name.substr(11), u".tmp");
            EXPECT_EQ(name.find_first_not_of(u"0123456789abcdef", 3), 11u);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// What happens to the file that is replaced

class FileJobReplaceTest : public FileJobTest {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(dir.Path("bin"));
        dir.Write("in", plain);
        dir.Write("out", old);
        disk.binFolder = dir.Path("bin");
        // At the moment the new file moves in, the old one must be somewhere: in the bin, at its
        // place, or under a second name beside it.
        disk.beforeReplace = [&](std::u16string_view to) {
            if (to != dir.U16("out")) {
                return;
            }
            bool found = false;
            for (const auto& folder : {dir.Path(""), dir.Path("bin")}) {
                for (const auto& entry : std::filesystem::directory_iterator(folder)) {
                    found = found || (entry.is_regular_file() && ReadAll(entry.path()) == old);
                }
            }
            EXPECT_TRUE(found) << "the old file is gone before the new one is in place";
            binHeldOldAtMove = std::filesystem::exists(dir.Path("bin/out"));
        };
    }
    static Bytes ReadAll(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::u16string Out() const { return dir.U16("out"); }

    const Bytes plain = test::TestData(100);
    const Bytes old = test::Bytes("the old output");
    FaultyFileSystem disk;
    bool binHeldOldAtMove = false;
};

TEST_F(FileJobReplaceTest, OldFileGoesToTheBinRightBeforeTheNewOneTakesItsPlace) {
    disk.bin = FaultyFileSystem::Bin::Works;
    ASSERT_EQ(Run(kEncrypt, "in", "out", 0, nullptr, disk), 1);
    EXPECT_TRUE(binHeldOldAtMove);
    EXPECT_EQ(dir.Read("bin/out"), old);
    EXPECT_EQ(dir.Read("out").size(), 16u + 112u);
    ASSERT_EQ(disk.log.size(), 4u);
    EXPECT_EQ(disk.log[1], u"bin " + Out());
    EXPECT_EQ(disk.log[2], u"replace " + Out());
    // The second name that guarded the old file is gone again.
    EXPECT_EQ(disk.log[0].substr(5), disk.log[3].substr(7));
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"bin", "in", "out"}));
}

TEST_F(FileJobReplaceTest, OldBytesSurviveEveryBinAndFailureAndWhatStaysIsAnnounced) {
    using Bin = FaultyFileSystem::Bin;
    enum class Kept { Nothing, Visibly, UnderTheSecondName };
    struct Row {
        const char* what;
        Bin bin;
        bool failLink = false;
        int replaceFailures = 0;  // 1: the new file's move; 2: also the old one's move back
        int removeFailures = 0;   // deletes that fail before RemoveThroughHandle is tried
        bool failRemoveThroughHandle = false;
        bool failMoveNew = false;
        int result = 1;
        bool oldInBin = false;
        Kept kept = Kept::Nothing;
    };
    const std::vector<Row> rows = {
        {.what = "the bin takes it", .bin = Bin::Works, .oldInBin = true},
        {.what = "the bin refuses", .bin = Bin::Refuses, .kept = Kept::Visibly},
        {.what = "the bin deletes for good and reports success",
         .bin = Bin::DeletesForGood,
         .kept = Kept::Visibly},
        {.what = "no bin", .bin = Bin::Absent, .kept = Kept::Visibly},
        {.what = "no hard links: the bin cannot be checked",
         .bin = Bin::Works,
         .failLink = true,
         .kept = Kept::Visibly},
        {.what = "the spare name's delete fails once",
         .bin = Bin::Works,
         .removeFailures = 1,
         .oldInBin = true},
        {.what = "the spare name cannot be deleted",
         .bin = Bin::Works,
         .removeFailures = 9,
         .failRemoveThroughHandle = true,
         .oldInBin = true,
         .kept = Kept::Visibly},
        {.what = "no visible name can be taken",
         .bin = Bin::Refuses,
         .failMoveNew = true,
         .kept = Kept::UnderTheSecondName},
        {.what = "deleted for good, the new file's move fails",
         .bin = Bin::DeletesForGood,
         .replaceFailures = 1,
         .result = 0},
        {.what = "refused, the new file's move fails",
         .bin = Bin::Refuses,
         .replaceFailures = 1,
         .result = 0},
        {.what = "no hard links, the new file's move fails",
         .bin = Bin::Works,
         .failLink = true,
         .replaceFailures = 1,
         .result = 0},
        {.what = "refused, the move fails, the spare's and the temporary file's deletes fail once",
         .bin = Bin::Refuses,
         .replaceFailures = 1,
         .removeFailures = 2,
         .result = 0},
        {.what = "deleted for good, the move and the move back fail",
         .bin = Bin::DeletesForGood,
         .replaceFailures = 2,
         .result = 0,
         .kept = Kept::Visibly},
    };
    const Bytes container = [&] {
        EXPECT_EQ(Run(kEncrypt, "in", "fresh"), 1);
        return dir.Read("fresh");
    }();
    std::filesystem::remove(dir.Path("fresh"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        for (const std::string& name : dir.List()) {
            if (name != "in" && name != "bin") {
                std::filesystem::remove_all(dir.Path(name));
            }
        }
        std::filesystem::remove_all(dir.Path("bin/out"));
        dir.Write("out", old);
        disk.bin = row.bin;
        disk.failLink = row.failLink;
        disk.replaceFailures = row.replaceFailures;
        disk.removeFailures = row.removeFailures;
        disk.failRemoveThroughHandle = row.failRemoveThroughHandle;
        disk.failMoveNew = row.failMoveNew;
        CipherParams params = DefaultCipherParams();
        params.explicitIv = IvBlock{};
        std::copy_n(container.begin(), 16, params.explicitIv->begin());
        EXPECT_EQ(Run(kEncrypt, "in", "out", 0, nullptr, disk, params), row.result);

        const std::string keptName = std::filesystem::path(kept).filename().string();
        std::vector<std::string> expected = {"bin", "in"};
        if (!(row.result == 0 && row.replaceFailures == 2)) {
            expected.push_back("out");
            EXPECT_EQ(dir.Read("out"), row.result == 1 ? container : old);
        }
        switch (row.kept) {
            case Kept::Nothing:
                EXPECT_TRUE(kept.empty());
                break;
            case Kept::Visibly:
                EXPECT_EQ(keptName.rfind("out (replaced ", 0), 0u) << keptName;
                EXPECT_EQ(keptName.back(), ')');
                break;
            case Kept::UnderTheSecondName:
                EXPECT_EQ(keptName.rfind("~vx", 0), 0u) << keptName;
                break;
        }
        if (!kept.empty()) {
            EXPECT_EQ(dir.Read(keptName), old);
            expected.push_back(keptName);
        }
        // Nothing else of ours stays in the folder: the listing is exactly what was announced.
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(dir.List(), expected);
        EXPECT_EQ(std::filesystem::exists(dir.Path("bin/out")), row.oldInBin);
    }
}

TEST_F(FileJobReplaceTest, FailedMoveAfterTheBinPutsTheOldFileBack) {
    disk.bin = FaultyFileSystem::Bin::Works;
    disk.failReplace = true;
    int moves = 0;
    auto check = disk.beforeReplace;
    disk.beforeReplace = [&](std::u16string_view to) {
        check(to);
        disk.failReplace = ++moves == 1;  // only the move of the new file fails
    };
    EXPECT_EQ(Run(kEncrypt, "in", "out", 0, nullptr, disk), 0);
    EXPECT_EQ(dir.Read("out"), old);
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"bin", "in", "out"}));
}

// The temporary file goes by itself until it is put in place (a delete disposition; natively it
// has no name) and has the replaced file's settings from its creation on. Whichever step of the
// system fails, with or without a file to replace: no old file is lost, no destination is half
// written, and a file of ours stays in the folder only where the system could remove it neither
// by itself nor by its name.
TEST_F(FileJobReplaceTest, EachStepOfTheTemporaryFileMayFail) {
    struct Row {
        const char* what;
        bool failTakeSettings = false;
        bool failSetDisposition = false;
        bool failClearDisposition = false;
        int replaceFailures = 0;  // the temporary file's rename (then the old file's move back)
        bool failSetDispositionAgain = false;
        bool failRemove = false;  // by name and through a handle
        int resultWithoutOld = 0;
        int resultOverOld = 0;
        bool leftOver = false;
    };
    const std::vector<Row> rows = {
        {.what = "nothing fails", .resultWithoutOld = 1, .resultOverOld = 1},
        {.what = "the replaced file's settings cannot be given",
         .failTakeSettings = true,
         .resultWithoutOld = 1},
        {.what = "no disposition: the file is deleted by its name",
         .failSetDisposition = true,
         .resultWithoutOld = 1,
         .resultOverOld = 1},
        {.what = "no disposition, the rename fails",
         .failSetDisposition = true,
         .replaceFailures = 1},
        {.what = "no disposition, the rename and the deletes fail",
         .failSetDisposition = true,
         .replaceFailures = 1,
         .failRemove = true,
         .leftOver = true},
        {.what = "the disposition cannot be taken back", .failClearDisposition = true},
        {.what = "the disposition cannot be taken back, the deletes would fail",
         .failClearDisposition = true,
         .failRemove = true},
        {.what = "the rename fails", .replaceFailures = 1},
        {.what = "the rename fails, the deletes would fail",
         .replaceFailures = 1,
         .failRemove = true},
        {.what = "the rename and the disposition again fail",
         .replaceFailures = 1,
         .failSetDispositionAgain = true},
        {.what = "the rename, the disposition again and the deletes fail",
         .replaceFailures = 1,
         .failSetDispositionAgain = true,
         .failRemove = true,
         .leftOver = true},
    };
    const Bytes container = [&] {
        EXPECT_EQ(Run(kEncrypt, "in", "fresh"), 1);
        return dir.Read("fresh");
    }();
    CipherParams params = DefaultCipherParams();
    params.explicitIv = IvBlock{};
    std::copy_n(container.begin(), 16, params.explicitIv->begin());
    const auto oldSomewhere = disk.beforeReplace;
    for (const Row& row : rows) {
        for (const bool overOld : {false, true}) {
            SCOPED_TRACE(std::string(row.what) + (overOld ? ", over a file" : ", no file there"));
            for (const std::string& name : dir.List()) {
                if (name != "in" && name != "bin") {
                    std::filesystem::remove(dir.Path(name));
                }
            }
            std::filesystem::remove(dir.Path("bin/out"));
            if (overOld) {
                dir.Write("out", old);
            }
            FaultyFileSystem faulty;
            faulty.bin = FaultyFileSystem::Bin::Works;
            faulty.binFolder = dir.Path("bin");
            faulty.beforeReplace = overOld ? oldSomewhere : nullptr;
            faulty.failTakeSettings = row.failTakeSettings;
            faulty.failSetDisposition = row.failSetDisposition;
            faulty.failClearDisposition = row.failClearDisposition;
            faulty.replaceFailures = row.replaceFailures;
            faulty.failSetDispositionAgain = row.failSetDispositionAgain;
            faulty.removeFailures = row.failRemove ? 1 : 0;
            faulty.failRemoveThroughHandle = row.failRemove;
            const int result = overOld ? row.resultOverOld : row.resultWithoutOld;
            EXPECT_EQ(Run(kEncrypt, "in", "out", 0, nullptr, faulty, params), result);

            std::vector<std::string> expected = {"bin", "in"};
            if (result == 1) {
                expected.push_back("out");
                EXPECT_EQ(dir.Read("out"), container);
                EXPECT_EQ(dir.Read("bin/out"), overOld ? old : Bytes());
            } else if (overOld) {
                expected.push_back("out");
                EXPECT_EQ(dir.Read("out"), old);
            }
            const auto ours = [](const std::string& name) { return name.rfind("~vx", 0) == 0; };
            std::vector<std::string> listing = dir.List();
            EXPECT_EQ(std::count_if(listing.begin(), listing.end(), ours), row.leftOver ? 1 : 0);
            listing.erase(std::remove_if(listing.begin(), listing.end(), ours), listing.end());
            EXPECT_EQ(listing, expected);
            // The new file took the old one's settings when it was made, and only from it.
            const auto settings = faulty.settingsFrom.find(Out());
            EXPECT_EQ(settings != faulty.settingsFrom.end() ? settings->second : u"",
                      result == 1 && overOld ? Out() : u"");
            if (row.failTakeSettings && overOld) {
                EXPECT_EQ(faulty.bytesRead.load(), 0) << "work done for an output that cannot be";
            }
            EXPECT_TRUE(faulty.byNameWhilePending.empty());
        }
    }
}

#ifndef _WIN32
TEST_F(FileJobReplaceTest, NewFileIsNeverMoreOpenThanTheOldOneOrTheInput) {
    const auto mode = [&](const char* name) {
        struct stat info {};
        stat(dir.Path(name).c_str(), &info);
        return info.st_mode & 0777;
    };
    for (mode_t oldMode : {0600, 0640, 0604}) {
        chmod(dir.Path("out").c_str(), oldMode);
        ASSERT_EQ(Run(kEncrypt, "in", "out"), 1);
        EXPECT_EQ(mode("out"), oldMode);
    }
    // A new file: for its owner only.
    chmod(dir.Path("in").c_str(), 0644);
    ASSERT_EQ(Run(kEncrypt, "in", "new"), 1);
    EXPECT_EQ(mode("new"), 0600u);
}
#endif

}  // namespace
}  // namespace vexmora
