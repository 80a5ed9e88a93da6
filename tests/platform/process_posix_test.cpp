// Starting a process on POSIX (also with a secret through its channel), a window's job reading
// its password from a real pipe, and what KindOf reports for sizes and paths that only a POSIX
// file system makes cheap to set up.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "app/program.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/secret_frame.h"
#include "temp_dir.h"
#include "test_support.h"
#include "toolkit/scripted_toolkit.h"
#include "ui/failure_text.h"

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

// A pipe as a parent leaves it for its child: `content` written, the write end closed unless
// `keepWriter`. The read end (close-on-exec, as the program opens it) is the channel.
struct TestChannel {
    explicit TestChannel(const Bytes& content, bool keepWriter = false) {
        int ends[2];
        EXPECT_EQ(pipe2(ends, O_CLOEXEC), 0);
        readEnd = ends[0];
        writeEnd = ends[1];
        EXPECT_EQ(write(writeEnd, content.data(), content.size()),
                  static_cast<ssize_t>(content.size()));
        if (!keepWriter) {
            close(std::exchange(writeEnd, -1));
        }
    }
    ~TestChannel() {
        for (int fd : {readEnd, writeEnd}) {
            if (fd >= 0) {
                close(fd);  // EBADF when the reader closed it already
            }
        }
    }
    std::u16string Name() const { return SecretChannelName(static_cast<std::uint64_t>(readEnd)); }
    int readEnd = -1, writeEnd = -1;
};

Bytes Framed(const Bytes& secret) {
    const auto header = SecretFrameHeader(secret.size());
    Bytes frame(header.size() + secret.size());
    std::copy(secret.begin(), secret.end(), std::copy(header.begin(), header.end(), frame.begin()));
    return frame;
}

TEST(StartProcessPosix, TheSecretReachesTheChildThroughItsChannelOnly) {
    test::TempDir dir;
    // The child copies the channel named by its first parameter (the number after the last
    // colon) and lists its other parameters; `cat` ends only when no writer is left.
    const std::string script =
        "#!/bin/sh\n"
        "n=${1##*:}; printf %s \"$1\" > name.out; cat <&$n > secret.out; shift\n"
        "for a in \"$@\"; do printf '[%s]' \"$a\"; done > args.out\n";
    dir.Write("secret.sh", Bytes(script.begin(), script.end()));
    std::filesystem::permissions(dir.Path("secret.sh"), std::filesystem::perms::owner_all);
    for (const Bytes& secret :
         {test::Bytes("say \"cheese\" now"), Bytes{}, test::TestData(100000)}) {
        SCOPED_TRACE(secret.size());
        for (const char* name : {"name.out", "secret.out", "args.out"}) {
            std::filesystem::remove(dir.Path(name));
        }
        ASSERT_TRUE(StartProcess(dir.U16("secret.sh"), u"\"E\" \"in file\"", dir.U16(""), secret));
        ASSERT_TRUE(WaitForContent(dir, "args.out", test::Bytes("[E][in file]")));
        EXPECT_EQ(dir.Read("secret.out"), Framed(secret));
        const Bytes name = dir.Read("name.out");
        EXPECT_TRUE(SecretChannelNumber(std::u16string(name.begin(), name.end())).has_value());
    }
    // The channel is not left open in the parent.
    const auto before = std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    ASSERT_TRUE(StartProcess(u"/bin/true", u"", dir.U16(""), test::Bytes("pw")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}), before);
    // Too large a secret starts nothing.
    EXPECT_FALSE(StartProcess(dir.U16("secret.sh"), u"", dir.U16(""), Bytes(kMaxSecretBytes + 1)));
}

TEST(ReadInheritedSecretPosix, OnlyAWholeFrameOfAClosedPipeIsASecret) {
    test::TempDir dir;
    const Bytes secret = test::Bytes("pass \"word\"");
    Bytes shortFrame = Framed(secret);
    shortFrame.pop_back();
    Bytes foreign = Framed(secret);
    foreign[0] ^= 0x20;
    struct Row {
        const char* what;
        Bytes content;
        bool keepWriter;
        std::size_t bufferSize;
        std::optional<Bytes> expected;
    };
    const std::vector<Row> rows = {
        {"a whole frame", Framed(secret), false, 64, secret},
        {"an empty secret", Framed({}), false, 64, Bytes{}},
        {"a frame that fills the buffer", Framed(secret), false, secret.size(), secret},
        {"a short frame", shortFrame, false, 64, std::nullopt},
        {"a lone header", Bytes(shortFrame.begin(), shortFrame.begin() + kSecretHeaderSize), false,
         64, std::nullopt},
        {"nothing", {}, false, 64, std::nullopt},
        {"more than the frame",
         [&] {
             Bytes b = Framed(secret);
             b.push_back(0);
             return b;
         }(),
         false, 64, std::nullopt},
        {"another header", foreign, false, 64, std::nullopt},
        {"a writer still open", Framed(secret), true, 64, std::nullopt},
        {"a secret larger than the buffer", Framed(secret), false, secret.size() - 1, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TestChannel channel(row.content, row.keepWriter);
        Bytes buffer(row.bufferSize, 0xEE);
        const std::optional<std::size_t> size = ReadInheritedSecret(channel.Name(), buffer);
        ASSERT_EQ(size.has_value(), row.expected.has_value());
        if (size) {
            EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(*size)),
                      *row.expected);
        }
        EXPECT_EQ(fcntl(channel.readEnd, F_GETFD), -1) << "the channel was left open";
    }
    // Names that are no channel, a descriptor that is no pipe, one that is not open.
    dir.Write("file", Framed(secret));
    const int file = open(dir.Path("file").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(file, 0);
    const TestChannel closed(Framed(secret));
    const int gone = closed.readEnd;
    close(gone);
    const std::u16string prefix(kSecretChannelPrefix);
    for (const std::u16string& name :
         {SecretChannelName(static_cast<std::uint64_t>(file)),
          SecretChannelName(static_cast<std::uint64_t>(gone)), prefix, prefix + u"-3",
          prefix + u"3x", prefix + u" 3", prefix.substr(1) + u"3", prefix + u"99999999999999999999",
          prefix + u"4294967296", std::u16string(u"E")}) {
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        Bytes buffer(64);
        EXPECT_FALSE(ReadInheritedSecret(name, buffer).has_value());
    }
    EXPECT_EQ(fcntl(file, F_GETFD), FD_CLOEXEC) << "a descriptor that is no channel was closed";
    close(file);
}

// The program as a window's child: the password comes from the channel, and a channel that fails
// fails the job with the error box, without touching any file.
TEST(WindowJobPosix, ThePasswordComesThroughTheChannelOrTheJobFails) {
    test::TempDir dir;
    const Bytes plain = test::TestData(5000);
    dir.Write("in", plain);
    // Without a quote, so that a script's job can check it below.
    const std::u16string password = u"pass word \u00e4";
    Bytes secret;
    for (char16_t c : password) {
        secret.push_back(static_cast<std::uint8_t>(c));
        secret.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    const auto quoted = [&](const char* name) { return u"\"" + dir.U16(name) + u"\""; };
    struct Row {
        const char* what;
        Bytes content;
        int exitCode;
    };
    Bytes odd = secret;
    odd.pop_back();
    const std::vector<Row> rows = {
        {"a short channel",
         [&] {
             Bytes b = Framed(secret);
             b.pop_back();
             return b;
         }(),
         kExitJobFailed},
        {"an odd number of bytes", Framed(odd), kExitJobFailed},
        {"a foreign channel", secret, kExitJobFailed},
        {"an empty channel", {}, kExitJobFailed},
        {"the password", Framed(secret), kExitSuccess},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ScriptedToolkit toolkit;
        TestChannel channel(row.content);
        EXPECT_EQ(RunProgram(toolkit, u"vexmora " + channel.Name() + u" E " + quoted("in") + u" " +
                                          quoted("out")),
                  row.exitCode);
        if (row.exitCode == kExitJobFailed) {
            ASSERT_EQ(toolkit.messageBoxes().size(), 1u);
            EXPECT_EQ(toolkit.messageBoxes()[0].text, FailureText(JobFailure::Other));
            EXPECT_EQ(dir.List(), (std::vector<std::string>{"in"}));
        }
    }
    // What the channel carried was the password: a script's job decrypts with it.
    ScriptedToolkit toolkit;
    EXPECT_EQ(RunProgram(toolkit, u"vexmora D " + quoted("out") + u" " + quoted("back") +
                                      u" \"pass word \u00e4\""),
              kExitSuccess);
    EXPECT_EQ(dir.Read("back"), plain);
}

TEST(PathKindPosix, FilesBeyondFourGibibytesAreFiles) {
    test::TempDir dir;
    // A sparse file: no blocks are written.
    const std::uintmax_t size = (std::uintmax_t{1} << 32) + 5;
    dir.Write("big", {});
    std::error_code error;
    std::filesystem::resize_file(dir.Path("big"), size, error);
    if (error) {
        GTEST_SKIP() << "no sparse file here: " << error.message();
    }
    EXPECT_EQ(RealFileSystem().KindOf(dir.U16("big")), PathKind::RegularFile);
}

TEST(PathKindPosix, LongPathsAreTakenWhole) {
    test::TempDir dir;
    const std::u16string folder = dir.U16("");
    ASSERT_LT(folder.size(), 200u);
    // A file whose path is exactly 260 characters, a longer path that starts with it, and a file
    // deeper than 300 characters.
    const std::string name(260 - folder.size(), 'n');
    dir.Write(name, {1, 2, 3});
    const std::u16string path = dir.U16(name);
    ASSERT_EQ(path.size(), 260u);
    FileSystem& disk = RealFileSystem();
    EXPECT_EQ(disk.KindOf(path), PathKind::RegularFile);
    EXPECT_EQ(disk.KindOf(path + u"-and-more"), PathKind::Missing);
    EXPECT_EQ(disk.KindOf(path.substr(0, 259)), PathKind::Missing);
    const std::string deep = std::string(200, 'a') + "/" + std::string(200, 'b');
    std::filesystem::create_directories(dir.Path(std::string(200, 'a')));
    dir.Write(deep, {1, 2, 3, 4});
    EXPECT_EQ(disk.KindOf(dir.U16(deep)), PathKind::RegularFile);
    EXPECT_EQ(disk.KindOf(dir.U16(std::string(200, 'a'))), PathKind::Other);
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
