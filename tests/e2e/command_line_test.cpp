// Every row of the file-job command line: which output a command line makes, and which command
// lines do nothing or open the main window instead.
#include <optional>
#include <string>
#include <vector>

#include "driver/host_files.h"
#include "driver/unique_handle.h"
#include "e2e_test_support.h"

namespace vexmora::e2e {
namespace {

class CommandLineTest : public ProgramTest {
  protected:
    // The name of the one file in the listing that keeps a replaced `stem...`: "stem (replaced
    // <date> <time>)" and the extension.
    static std::wstring KeptName(const FolderListing& listing, const std::wstring& stem) {
        std::wstring kept;
        for (const auto& [name, entry] : listing) {
            if (name.rfind(stem + L" (replaced ", 0) == 0) {
                EXPECT_TRUE(kept.empty()) << "two kept files";
                kept = name;
            }
        }
        EXPECT_FALSE(kept.empty()) << "no kept file";
        return kept;
    }

    void SetUp() override {
        original_ = PatternBytes(1000, 7);
        WriteBytes(At(L"in.txt"), original_);
    }

    // Runs a command line that must select window mode: the main window appears (and no progress
    // window), the driver closes it, the process ends with 0 and no file has changed.
    void ExpectWindowMode(const std::wstring& parameters) {
        SCOPED_TRACE(Narrow(L"parameters: " + parameters));
        const FolderListing before = ListFolder(Folder());
        ProgramProcess process = ProgramProcess::Start(ProgramPath(), parameters, Folder());
        HWND window = WaitForWindow(process.Id(), kTitle, 20s);
        ASSERT_NE(window, nullptr) << "the main window did not appear";
        const SIZE client = ClientSize(window);
        EXPECT_EQ(client.cx, 800);
        EXPECT_EQ(client.cy, 600);
        for (const ChildControl& control : ChildControls(window)) {
            EXPECT_FALSE(SameClass(control.className, L"msctls_progress32"))
                << "a progress bar in window mode";
        }
        EXPECT_FALSE(process.PollExit(300ms).has_value()) << "window mode ended on its own";
        ASSERT_TRUE(PostCloseRequest(window));
        EXPECT_EQ(process.WaitForExit(20s), 0u);
        EXPECT_EQ(ListFolder(Folder()), before);
    }

    // Runs a command line that fits no file-job row: exit code 2, no window, no change.
    void ExpectNothingDone(const std::wstring& parameters) {
        SCOPED_TRACE(Narrow(L"parameters: " + parameters));
        const FolderListing before = ListFolder(Folder());
        EXPECT_TRUE(NothingDone(Run(parameters, 30s)));
        EXPECT_EQ(ListFolder(Folder()), before);
    }

    void ExpectInputUnchanged() { EXPECT_EQ(ReadBytes(At(L"in.txt")), original_); }

    Bytes original_;
};

TEST_F(CommandLineTest, EncryptWithFourParametersWritesTheNamedOutput) {
    ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"E", At(L"in.txt"), At(L"out.bin"), L"pw"}))));
    EXPECT_EQ(FileSize(At(L"out.bin")), ContainerSize(original_.size()));
    EXPECT_FALSE(FileExists(At(L"in.txt.vx")));
    EXPECT_EQ(ListFolder(Folder()).size(), 2u);
    ExpectInputUnchanged();

    // The output decrypts back with the same password.
    ASSERT_TRUE(
        JobSucceeded(Run(QuotedParameters({L"D", At(L"out.bin"), At(L"back.txt"), L"pw"}))));
    EXPECT_EQ(ReadBytes(At(L"back.txt")), original_);
}

TEST_F(CommandLineTest, DirectionLetterIgnoresCase) {
    ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"e", At(L"in.txt"), At(L"out.bin"), L"pw"}))));
    ASSERT_TRUE(
        JobSucceeded(Run(QuotedParameters({L"d", At(L"out.bin"), At(L"back.txt"), L"pw"}))));
    EXPECT_EQ(ReadBytes(At(L"back.txt")), original_);
}

TEST_F(CommandLineTest, EncryptWithThreeParametersAppendsVx) {
    ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"E", At(L"in.txt"), L"pw"}))));
    EXPECT_EQ(FileSize(At(L"in.txt.vx")), ContainerSize(original_.size()));
    EXPECT_EQ(ListFolder(Folder()).size(), 2u);
    ExpectInputUnchanged();
}

TEST_F(CommandLineTest, EncryptAndDecryptReplaceAnExistingOutputAndRecycleIt) {
    const Bytes olderContainer = PatternBytes(5000, 3);
    const Bytes newerText = PatternBytes(300, 4);
    WriteBytes(At(L"out.bin"), olderContainer);
    WriteBytes(At(L"back.txt"), newerText);
    ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"E", At(L"in.txt"), At(L"out.bin"), L"pw"}))));
    EXPECT_EQ(FileSize(At(L"out.bin")), ContainerSize(original_.size()));
    EXPECT_EQ(TakeRecycled(At(L"out.bin")), std::vector<Bytes>{olderContainer});
    ASSERT_TRUE(
        JobSucceeded(Run(QuotedParameters({L"D", At(L"out.bin"), At(L"back.txt"), L"pw"}))));
    EXPECT_EQ(ReadBytes(At(L"back.txt")), original_);
    EXPECT_EQ(TakeRecycled(At(L"back.txt")), std::vector<Bytes>{newerText});
    EXPECT_EQ(ListFolder(Folder()).size(), 3u) << "a stray file was left behind";
}

TEST_F(CommandLineTest, DecryptWithFourParametersChecksNoExtension) {
    // A container without the .vx extension, decrypted into a freely named file.
    ASSERT_TRUE(
        JobSucceeded(Run(QuotedParameters({L"E", At(L"in.txt"), At(L"sealed.dat"), L"pw"}))));
    ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"D", At(L"sealed.dat"), At(L"b"), L"pw"}))));
    EXPECT_EQ(ReadBytes(At(L"b")), original_);
    EXPECT_EQ(ListFolder(Folder()).size(), 3u);
}

TEST_F(CommandLineTest, DecryptWithThreeParametersDropsVx) {
    ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"E", At(L"in.txt"), L"pw"}))));
    ASSERT_TRUE(DeleteFileW(At(L"in.txt").c_str()));
    ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"D", At(L"in.txt.vx"), L"pw"}))));
    EXPECT_EQ(ReadBytes(At(L"in.txt")), original_);
    EXPECT_EQ(ListFolder(Folder()).size(), 2u);
}

TEST_F(CommandLineTest, DecryptWithThreeParametersAndAnotherExtensionDoesNothing) {
    WriteBytes(At(L"upper.VX"), kSpacePasswordContainer);
    WriteBytes(At(L"noextension"), kSpacePasswordContainer);
    WriteBytes(At(L"longer.vxx"), kSpacePasswordContainer);
    WriteBytes(At(L"inner.vx.bak"), kSpacePasswordContainer);
    for (const wchar_t* name : {L"upper.VX", L"noextension", L"longer.vxx", L"inner.vx.bak"}) {
        ExpectNothingDone(QuotedParameters({L"D", At(name), L"correct horse"}));
    }
    // Relative to the working folder, too.
    ExpectNothingDone(QuotedParameters({L"d", L"upper.VX", L"correct horse"}));
}

TEST_F(CommandLineTest, FiveOrMoreParametersDoNothing) {
    ExpectNothingDone(QuotedParameters({L"E", At(L"in.txt"), At(L"out.bin"), L"pw", L"extra"}));
    ExpectNothingDone(
        QuotedParameters({L"d", At(L"in.txt"), At(L"out.bin"), L"pw", L"extra", L"more"}));
    // Unquoted spaces separate: a password with a space written without quotes is two parameters.
    WriteBytes(At(L"known.vx"), kSpacePasswordContainer);
    ExpectNothingDone(L"D known.vx out.txt correct horse");
}

TEST_F(CommandLineTest, OtherFirstParameterOpensTheMainWindow) {
    ExpectWindowMode(QuotedParameters({L"X", At(L"in.txt"), At(L"out.bin")}));
    ExpectWindowMode(QuotedParameters({L"encrypt", At(L"in.txt"), At(L"out.bin"), L"pw"}));
    ExpectWindowMode(QuotedParameters({L"x", L"a", L"b", L"c", L"d", L"e"}));
}

TEST_F(CommandLineTest, FewerThanThreeParametersOpenTheMainWindow) {
    ExpectWindowMode(L"");
    ExpectWindowMode(QuotedParameters({L"E"}));
    ExpectWindowMode(QuotedParameters({L"E", At(L"in.txt")}));
    ExpectWindowMode(QuotedParameters({L"D", At(L"in.txt")}));
}

TEST_F(CommandLineTest, UnquotedParametersAndTabsInsideThem) {
    // Only spaces separate: the tab belongs to the password, so both lines have 4 parameters.
    ASSERT_TRUE(JobSucceeded(Run(L"E in.txt out.bin two\twords")));
    ASSERT_TRUE(JobSucceeded(Run(L"D out.bin back.txt \"two\twords\"")));
    EXPECT_EQ(ReadBytes(At(L"back.txt")), original_);
}

TEST_F(CommandLineTest, RelativeNamesUseTheWorkingFolder) {
    ASSERT_TRUE(JobSucceeded(Run(L"E in.txt pw")));
    EXPECT_EQ(FileSize(At(L"in.txt.vx")), ContainerSize(original_.size()));
    ASSERT_TRUE(JobSucceeded(Run(L"D in.txt.vx back.txt pw")));
    EXPECT_EQ(ReadBytes(At(L"back.txt")), original_);
}

// Containers made by an independent implementation decrypt with passwords that need quoting.
TEST_F(CommandLineTest, PasswordWithSpaceDecryptsAKnownContainer) {
    WriteBytes(At(L"known.vx"), kSpacePasswordContainer);
    ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"D", At(L"known.vx"), L"correct horse"}))));
    const Bytes expected = KnownPlaintext();
    EXPECT_EQ(ReadBytes(At(L"known")), expected);
}

TEST_F(CommandLineTest, NonAsciiPasswordDecryptsAKnownContainer) {
    WriteBytes(At(L"known file.vx"), kNonAsciiPasswordContainer);
    ASSERT_TRUE(JobSucceeded(
        Run(QuotedParameters({L"d", At(L"known file.vx"), At(L"plain text"), kNonAsciiPassword}))));
    const Bytes expected = KnownPlaintext();
    EXPECT_EQ(ReadBytes(At(L"plain text")), expected);
}

TEST_F(CommandLineTest, NonAsciiPasswordAndFileNamesRoundTrip) {
    const std::wstring name = L"d\u00e4t\u00e4 \u0444\u0430\u0439\u043b.txt";
    WriteBytes(At(name), original_);
    ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"E", At(name), kNonAsciiPassword}))));
    EXPECT_EQ(FileSize(At(name + L".vx")), ContainerSize(original_.size()));
    ASSERT_TRUE(DeleteFileW(At(name).c_str()));
    ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"D", At(name + L".vx"), kNonAsciiPassword}))));
    EXPECT_EQ(ReadBytes(At(name)), original_);
}

// ---------------------------------------------------------------------------------------------
// The line of a job that the window starts: its password comes through an inherited pipe

TEST_F(CommandLineTest, AWindowJobWithoutItsPipeFailsAndNeverRunsAsAScript) {
    // A small handle may be open in the child, but none holds a frame from a parent; the others
    // are not open or no number.
    for (const wchar_t* channel :
         {L"/secret-pipe:4", L"/secret-pipe:987654320", L"/secret-pipe:x"}) {
        SCOPED_TRACE(Narrow(channel));
        EXPECT_TRUE(JobFailedWithErrorBox(
            Run(QuotedParameters({channel, L"E", At(L"in.txt"), At(L"out.bin")}))));
        EXPECT_EQ(ListFolder(Folder()).size(), 1u);
    }
    // Never a script's job, whatever follows.
    ExpectNothingDone(QuotedParameters({L"/secret-pipe:4", L"E", At(L"in.txt")}));
    ExpectNothingDone(QuotedParameters({L"/secret-pipe:4", L"E", At(L"in.txt"), At(L"o"), L"pw"}));
}

// ---------------------------------------------------------------------------------------------
// The line of an Explorer verb that names its direction

TEST_F(CommandLineTest, AVerbsSwitchWithoutAPathOrWithAnotherDirectionDoesNothing) {
    ExpectNothingDone(QuotedParameters({L"/direction:decrypt"}));
    ExpectNothingDone(QuotedParameters({L"/DIRECTION:Encrypt"}));
    ExpectNothingDone(QuotedParameters({L"/direction:sideways", At(L"in.txt")}));
    ExpectNothingDone(QuotedParameters({L"/direction:", At(L"in.txt")}));
    // The switch is only ever the first parameter: as a script's password it is a password.
    ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"E", At(L"in.txt"), L"/direction:decrypt"}))));
    ASSERT_TRUE(JobSucceeded(
        Run(QuotedParameters({L"D", At(L"in.txt.vx"), At(L"back.txt"), L"/direction:decrypt"}))));
    ExpectInputUnchanged();
    EXPECT_EQ(ReadBytes(At(L"back.txt")), original_);
}

// ---------------------------------------------------------------------------------------------
// What is read and where output may go

TEST_F(CommandLineTest, FifoAsInputIsRefusedWithoutAnOutput) {
    // The test run makes the FIFO on the host (Win32 cannot) and names it here.
    const std::optional<std::wstring> fifo = HostPathFromEnvironment(L"VEXMORA_E2E_FIFO");
    ASSERT_TRUE(fifo.has_value()) << "VEXMORA_E2E_FIFO names no FIFO";
    EXPECT_TRUE(JobFailedWithErrorBox(Run(QuotedParameters({L"E", *fifo, At(L"fifo.vx"), L"pw"}))));
    EXPECT_TRUE(JobFailedWithErrorBox(Run(QuotedParameters({L"E", *fifo, L"pw"}))));
    EXPECT_FALSE(FileExists(*fifo + L".vx"));
    EXPECT_EQ(ListFolder(Folder()).size(), 1u);
}

TEST_F(CommandLineTest, DeviceNamesAsOutputAreRefusedAndNothingStrayIsLeft) {
    const FolderListing before = ListFolder(Folder());
    for (const std::wstring& output : {std::wstring(L"NUL"), At(L"NUL"), At(L"nul.txt"), At(L"CON"),
                                       At(L"com1.vx"), At(L"Lpt2.log")}) {
        SCOPED_TRACE(Narrow(output));
        EXPECT_TRUE(
            JobFailedWithErrorBox(Run(QuotedParameters({L"E", At(L"in.txt"), output, L"pw"}))));
    }
    EXPECT_EQ(ListFolder(Folder()), before);
}

TEST_F(CommandLineTest, LongFileNamesAndPathsOfMoreThan300Characters) {
    // A 250-character name: its ".vx" neighbour and the temporary file must fit beside it.
    const std::wstring name(250, L'n');
    WriteBytes(At(name), original_);
    ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"E", At(name), L"pw"}))));
    EXPECT_EQ(FileSize(At(name + L".vx")), ContainerSize(original_.size()));
    ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"D", At(name + L".vx"), At(L"back"), L"pw"}))));
    EXPECT_EQ(ReadBytes(At(L"back")), original_);

    // A path of more than 300 characters, in folders made for it.
    const std::wstring outer = At(std::wstring(100, L'a'));
    const std::wstring inner = outer + L"\\" + std::wstring(100, L'b');
    MakeFolder(outer);
    MakeFolder(inner);
    const std::wstring deep = inner + L"\\" + std::wstring(100, L'c') + L".txt";
    ASSERT_GT(deep.size(), 300u);
    WriteBytes(deep, original_);
    ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"E", deep, L"pw"}))));
    WriteBytes(deep, PatternBytes(10, 1));  // replaced by the decryption below
    ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"D", deep + L".vx", L"pw"}))));
    EXPECT_EQ(ReadBytes(deep), original_);
    // Windows' shell takes no path of MAX_PATH or more, and may delete what it cannot name for
    // good (SHFileOperationW): such a path is not given to it, and the old file stays, visibly.
    EXPECT_TRUE(TakeRecycled(deep).empty());
    const FolderListing listing = ListFolder(inner);
    EXPECT_EQ(listing.size(), 3u) << "a stray file was left behind";
    EXPECT_EQ(ReadBytes(inner + L"\\" + KeptName(listing, std::wstring(100, L'c'))),
              PatternBytes(10, 1));
}

TEST_F(CommandLineTest, WithTheBinUnusableTheOldOutputStaysUnderAVisibleName) {
    const Bytes older = PatternBytes(5000, 3);
    WriteBytes(At(L"out.bin"), older);
    {
        UnusableTrash trash;
        ASSERT_TRUE(trash.Active());
        ASSERT_TRUE(
            JobSucceeded(Run(QuotedParameters({L"E", At(L"in.txt"), At(L"out.bin"), L"pw"}))));
    }
    EXPECT_EQ(FileSize(At(L"out.bin")), ContainerSize(original_.size()));
    const FolderListing listing = ListFolder(Folder());
    EXPECT_EQ(listing.size(), 3u) << "a stray file was left behind";
    const std::wstring kept = KeptName(listing, L"out");
    EXPECT_EQ(kept.substr(kept.size() - 5), L").bin");
    EXPECT_EQ(ReadBytes(At(kept)), older);
}

TEST_F(CommandLineTest, DestinationsThatCannotBeReplacedAreRefusedBeforeAnyWork) {
    const Bytes older = PatternBytes(500, 3);
    WriteBytes(At(L"read-only.bin"), older);
    ASSERT_TRUE(SetFileAttributesW(At(L"read-only.bin").c_str(), FILE_ATTRIBUTE_READONLY));
    WriteBytes(At(L"busy.bin"), older);
    // Held as an office program holds an open document: without FILE_SHARE_DELETE.
    const UniqueHandle busy(CreateFileW(At(L"busy.bin").c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(busy.Valid());
    const FolderListing before = ListFolder(Folder());
    for (const wchar_t* name : {L"read-only.bin", L"busy.bin"}) {
        SCOPED_TRACE(Narrow(name));
        EXPECT_TRUE(
            JobFailedWithErrorBox(Run(QuotedParameters({L"E", At(L"in.txt"), At(name), L"pw"}))));
        EXPECT_EQ(ListFolder(Folder()), before);
    }
    SetFileAttributesW(At(L"read-only.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace vexmora::e2e
