// Failed jobs: the error message box, its dismissal, the exit code, and that nothing is left
// behind and no file is changed.
#include <string>

#include "e2e_test_support.h"

namespace vexmora::e2e {
namespace {

class ErrorBoxTest : public ProgramTest {
  protected:
    // Runs a job that must fail and checks the folder afterwards is as it was before.
    void ExpectFailureLeavesFolderUnchanged(const std::wstring& parameters,
                                            std::optional<JobFailure> reason = std::nullopt) {
        SCOPED_TRACE(Narrow(L"parameters: " + parameters));
        const FolderListing before = ListFolder(Folder());
        EXPECT_TRUE(JobFailedWithErrorBox(Run(parameters), reason));
        EXPECT_EQ(ListFolder(Folder()), before);
    }
};

TEST_F(ErrorBoxTest, MissingInputShowsTheBoxUntilItIsDismissed) {
    const FolderListing before = ListFolder(Folder());
    ProgramProcess process = ProgramProcess::Start(
        ProgramPath(), QuotedParameters({L"E", At(L"missing.txt"), At(L"out.vx"), L"pw"}),
        Folder());
    HWND box = WaitForMessageBox(process.Id(), 30s);
    ASSERT_NE(box, nullptr) << "no message box appeared";
    EXPECT_EQ(WindowText(box), kErrorCaption);
    EXPECT_EQ(MessageBoxText(box), FailureBoxText(JobFailure::InputUnreadable));
    std::vector<std::wstring> buttons;
    for (const ChildControl& control : ChildControls(box)) {
        if (SameClass(control.className, L"Button")) {
            buttons.push_back(control.text);
        }
    }
    EXPECT_EQ(buttons, std::vector<std::wstring>{L"OK"});

    // The process waits for the user.
    EXPECT_FALSE(process.PollExit(500ms).has_value()) << "the process ended with the box open";
    ASSERT_TRUE(PressMessageBoxOk(box));
    EXPECT_EQ(process.WaitForExit(30s), 1u);
    EXPECT_EQ(ListFolder(Folder()), before);
}

TEST_F(ErrorBoxTest, MissingInput) {
    ExpectFailureLeavesFolderUnchanged(QuotedParameters({L"E", At(L"missing.txt"), L"pw"}),
                                       JobFailure::InputUnreadable);
    ExpectFailureLeavesFolderUnchanged(
        QuotedParameters({L"D", At(L"missing.vx"), At(L"out.txt"), L"pw"}),
        JobFailure::InputUnreadable);
    ExpectFailureLeavesFolderUnchanged(QuotedParameters({L"D", At(L"missing.vx"), L"pw"}),
                                       JobFailure::InputUnreadable);
}

TEST_F(ErrorBoxTest, OutputFolderDoesNotExist) {
    WriteBytes(At(L"in.txt"), PatternBytes(100, 1));
    ExpectFailureLeavesFolderUnchanged(
        QuotedParameters({L"E", At(L"in.txt"), At(L"no such folder\\out.vx"), L"pw"}),
        JobFailure::FolderMissing);
    EXPECT_FALSE(FileExists(At(L"no such folder")));
}

TEST_F(ErrorBoxTest, OutputSameAsInputKeepsTheInput) {
    const Bytes original = PatternBytes(5000, 2);
    WriteBytes(At(L"in.txt"), original);
    ExpectFailureLeavesFolderUnchanged(
        QuotedParameters({L"E", At(L"in.txt"), At(L"in.txt"), L"pw"}));
    EXPECT_EQ(ReadBytes(At(L"in.txt")), original);

    WriteBytes(At(L"known.vx"), kSpacePasswordContainer);
    ExpectFailureLeavesFolderUnchanged(
        QuotedParameters({L"D", At(L"known.vx"), At(L"known.vx"), L"correct horse"}));
    EXPECT_EQ(ReadBytes(At(L"known.vx")), kSpacePasswordContainer);
}

TEST_F(ErrorBoxTest, WrongPasswordOnDecrypt) {
    WriteBytes(At(L"known.vx"), kSpacePasswordContainer);
    ExpectFailureLeavesFolderUnchanged(QuotedParameters({L"D", At(L"known.vx"), L"wrong horse"}),
                                       JobFailure::WrongPasswordOrDamaged);
    EXPECT_FALSE(FileExists(At(L"known")));

    // An existing destination keeps its content.
    const Bytes kept = PatternBytes(300, 6);
    WriteBytes(At(L"known"), kept);
    ExpectFailureLeavesFolderUnchanged(QuotedParameters({L"D", At(L"known.vx"), L"wrong horse"}));
    EXPECT_EQ(ReadBytes(At(L"known")), kept);
    EXPECT_EQ(ReadBytes(At(L"known.vx")), kSpacePasswordContainer);

    // The right password still works, and replaces the destination.
    ASSERT_TRUE(JobSucceeded(Run(QuotedParameters({L"D", At(L"known.vx"), L"correct horse"}))));
    EXPECT_EQ(ReadBytes(At(L"known")), KnownPlaintext());
}

TEST_F(ErrorBoxTest, DamagedContainers) {
    const Bytes& good = kSpacePasswordContainer;
    struct Damage {
        const wchar_t* name;
        Bytes bytes;
    };
    const Damage cases[] = {
        {L"bad padding.vx", DamagedContainer()},
        {L"truncated inside a block.vx", Bytes(good.begin(), good.end() - 5)},
        {L"iv and half a block.vx", Bytes(good.begin(), good.begin() + 24)},
        {L"iv only.vx", Bytes(good.begin(), good.begin() + 16)},
        {L"shorter than an iv.vx", Bytes(good.begin(), good.begin() + 7)},
        {L"empty.vx", Bytes{}},
    };
    for (const Damage& damage : cases) {
        WriteBytes(At(damage.name), damage.bytes);
    }
    for (const Damage& damage : cases) {
        ExpectFailureLeavesFolderUnchanged(
            QuotedParameters({L"D", At(damage.name), At(L"out.txt"), L"correct horse"}));
    }
}

TEST_F(ErrorBoxTest, EmptyInputOnDecryptWithThreeParameters) {
    WriteBytes(At(L"empty.vx"), {});
    ExpectFailureLeavesFolderUnchanged(QuotedParameters({L"d", At(L"empty.vx"), L"pw"}));
    EXPECT_FALSE(FileExists(At(L"empty")));
}

}  // namespace
}  // namespace vexmora::e2e
