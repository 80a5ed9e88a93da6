// Why a file job failed, over a disk that fails on purpose: each cause is told by its own reason,
// and what can be told before the work is told before any byte is written.
#include <gtest/gtest.h>

#include <set>

#include "crypto/key_derivation.h"
#include "faulty_file_system.h"
#include "jobs/file_job.h"
#include "temp_dir.h"
#include "test_support.h"
#include "ui/failure_text.h"

namespace vexmora {
namespace {

TEST(JobFailureTest, EachCauseHasItsOwnReason) {
    struct Row {
        const char* what;
        std::function<void(test::FaultyFileSystem&)> arrange;
        int direction;
        std::string input, output;
        JobFailure expected;
        bool bytesWritten;  // the failure came only after some work
    };
    const std::vector<Row> rows = {
        {"a wrong password",
         {},
         kDecrypt,
         "torn.vx",
         "out",
         JobFailure::WrongPasswordOrDamaged,
         true},
        {"a missing input", {}, kEncrypt, "missing", "out", JobFailure::InputUnreadable, false},
        {"an unreadable input", [](auto& d) { d.readBudget = 100; }, kEncrypt, "plain", "out",
         JobFailure::InputUnreadable, true},
        {"a missing folder",
         {},
         kEncrypt,
         "plain",
         "no folder/out",
         JobFailure::FolderMissing,
         false},
        {"a busy destination", [](auto& d) { d.canReplace = false; }, kEncrypt, "plain", "taken",
         JobFailure::DestinationBusy, false},
        // Over an old file, which stays as it was.
        {"a full disk found while writing", [](auto& d) { d.writeBudget = 1000; }, kEncrypt,
         "plain", "taken", JobFailure::DiskFull, true},
        {"a full disk told before", [](auto& d) { d.freeBytes = 5000; }, kEncrypt, "plain", "taken",
         JobFailure::DiskFull, false},
        // A disk that says nothing of its space is tried, and does not fail for it.
        {"a write that fails otherwise",
         [](auto& d) {
             d.writeBudget = 1000;
             d.budgetIsSpace = false;
             d.freeBytes = -1;
         },
         kEncrypt, "plain", "out", JobFailure::Other, true},
        {"a volume without streams for a marked input", [](auto& d) { d.keepsStreams = false; },
         kEncrypt, "marked", "out", JobFailure::NoMarkOfWeb, false},
    };
    test::TempDir dir;
    dir.Write("plain", test::TestData(10000));
    dir.Write("marked", test::TestData(10000));
    dir.Write("taken", test::Bytes("old"));
    dir.Write("torn.vx", test::TestData(33));  // no whole blocks: no password decrypts it
    const Key key = DeriveKey(u"pw");
    std::set<std::u16string> texts;
    std::set<JobFailure> causes;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        test::FaultyFileSystem disk;
        if (row.arrange) {
            row.arrange(disk);
        }
        disk.zoneMarks[dir.U16("marked")] = test::Bytes("[ZoneTransfer]\r\nZoneId=3\r\n");
        std::int64_t writtenBefore = -1;
        const FileJobOutcome outcome = RunFileJobWithOutcome(
            key.span(), row.direction, dir.U16(row.input), dir.U16(row.output),
            [&](std::int64_t done, std::int64_t) {
                writtenBefore = std::max(writtenBefore, done);
                return 0;
            },
            4096, std::nullopt, disk);
        EXPECT_EQ(outcome.result, 0);
        EXPECT_EQ(outcome.failure, row.expected);
        // Told before the work: no chunk was asked for.
        EXPECT_EQ(writtenBefore >= 0, row.bytesWritten);
        EXPECT_EQ(dir.List(), (std::vector<std::string>{"marked", "plain", "taken", "torn.vx"}));
        EXPECT_EQ(dir.Read("taken"), test::Bytes("old"));
        texts.insert(FailureText(outcome.failure));
        causes.insert(row.expected);
    }
    // One text per cause, each under the same first line.
    EXPECT_EQ(texts.size(), causes.size());
    for (const std::u16string& text : texts) {
        EXPECT_TRUE(text.starts_with(std::u16string(texts::kEncodeDecodeError) + u"\n"));
    }
}

}  // namespace
}  // namespace vexmora
