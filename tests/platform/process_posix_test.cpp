// Starting a process on POSIX, and what FileSizeOf reports for sizes and paths that only a POSIX
// file system makes cheap to set up.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "platform/file_info.h"
#include "platform/process.h"
#include "temp_dir.h"
#include "test_support.h"

namespace vexmora {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Waits until the file holds `expected` (the child writes it on its own time).
bool WaitForContent(const test::TempDir& dir, const std::string& name, const Bytes& expected) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        if (std::filesystem::exists(dir.Path(name)) && dir.Read(name) == expected) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(StartProcessPosix, SplitsParametersAndRunsInTheWorkingFolder) {
    test::TempDir dir;
    // The script lists its arguments in brackets into a file next to it (a relative path, so
    // the working folder decides where it lands).
    const std::string script = "for a in \"$@\"; do printf '[%s]' \"$a\"; done > args.out\n";
    dir.Write("args.sh", Bytes(script.begin(), script.end()));
    struct Row {
        std::u16string parameters;
        std::string listed;
    };
    const std::vector<Row> rows = {
        {u"args.sh a b", "[a][b]"},
        {u"args.sh \"E\" \"in file\" \"out file\" \"\"", "[E][in file][out file][]"},
        {u"args.sh   spaced   out  ", "[spaced][out]"},
        {u"args.sh \"\" middle \"\" \"\"", "[][middle][][]"},
        {u"args.sh \"\u00e4 \u20ac\"", "[\xC3\xA4 \xE2\x82\xAC]"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.listed);
        std::filesystem::remove(dir.Path("args.out"));
        ASSERT_TRUE(StartProcess(u"/bin/sh", row.parameters, dir.U16("")));
        EXPECT_TRUE(WaitForContent(dir, "args.out", test::Bytes(row.listed)));
    }
}

TEST(StartProcessPosix, TheStartedProcessTellsWhetherItStillRuns) {
    test::TempDir dir;
    const std::string script = "read line < fifo\n";
    dir.Write("wait.sh", Bytes(script.begin(), script.end()));
    ASSERT_EQ(mkfifo(dir.Path("fifo").c_str(), 0600), 0);
    std::unique_ptr<ChildProcess> child = StartProcess(u"/bin/sh", u"wait.sh", dir.U16(""));
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(child->Running());
    EXPECT_TRUE(child->Running()) << "asking twice must not end it";
    // Opening the pipe blocks until the child reads from it; then the child ends.
    std::ofstream(dir.Path("fifo")) << "go\n";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (child->Running() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(child->Running());
    EXPECT_FALSE(child->Running()) << "an ended child stays ended";
}

TEST(StartProcessPosix, FailuresAreReported) {
    test::TempDir dir;
    EXPECT_FALSE(StartProcess(dir.U16("no such program"), u"", u""));
    EXPECT_FALSE(StartProcess(u"/bin/sh", u"-c true", dir.U16("no such folder")));
    EXPECT_TRUE(dir.List().empty());
}

TEST(FileSizeOfPosix, SizesBeyondFourGibibytes) {
    test::TempDir dir;
    // A sparse file: no blocks are written.
    const std::uintmax_t size = (std::uintmax_t{1} << 32) + 5;
    dir.Write("big", {});
    std::error_code error;
    std::filesystem::resize_file(dir.Path("big"), size, error);
    if (error) {
        GTEST_SKIP() << "no sparse file here: " << error.message();
    }
    EXPECT_EQ(FileSizeOf(dir.U16("big")), static_cast<std::int64_t>(size));
}

TEST(FileSizeOfPosix, LongPathsAreTakenWhole) {
    test::TempDir dir;
    const std::u16string folder = dir.U16("");
    ASSERT_LT(folder.size(), 200u);
    // A file whose path is exactly 260 characters, a longer path that starts with it, and a file
    // deeper than 300 characters.
    const std::string name(260 - folder.size(), 'n');
    dir.Write(name, {1, 2, 3});
    const std::u16string path = dir.U16(name);
    ASSERT_EQ(path.size(), 260u);
    EXPECT_EQ(FileSizeOf(path), 3);
    EXPECT_EQ(FileSizeOf(path + u"-and-more"), -1);
    EXPECT_EQ(FileSizeOf(path.substr(0, 259)), -1);
    const std::string deep = std::string(200, 'a') + "/" + std::string(200, 'b');
    std::filesystem::create_directories(dir.Path(std::string(200, 'a')));
    dir.Write(deep, {1, 2, 3, 4});
    EXPECT_EQ(FileSizeOf(dir.U16(deep)), 4);
    EXPECT_EQ(FileSizeOf(dir.U16(std::string(200, 'a'))), -2);
}

TEST(AbsolutePathPosix, RelativePathsGetTheCurrentFolder) {
    const std::u16string here = std::filesystem::current_path().u16string();
    const std::vector<std::pair<std::u16string, std::u16string>> rows = {
        {u"/tmp/a b.txt", u"/tmp/a b.txt"},
        {u"notes.txt.vx", here + u"/notes.txt.vx"},
        {u"sub/x", here + u"/sub/x"},
        {u"", u""},
    };
    for (const auto& [path, expected] : rows) {
        EXPECT_EQ(AbsolutePath(path), expected);
    }
}

}  // namespace
}  // namespace vexmora
