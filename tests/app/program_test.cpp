// The whole program over the scripted toolkit and the real disk.
#include "app/program.h"

#include <gtest/gtest.h>

#include "crypto/direction.h"
#include "platform/secret_frame.h"
#include "temp_dir.h"
#include "test_support.h"
#include "toolkit/scripted_toolkit.h"
#include "ui/failure_text.h"

namespace vexmora {
namespace {

std::u16string Quoted(const std::u16string& s) {
    return u"\"" + s + u"\"";
}

class ProgramTest : public ::testing::Test {
  protected:
    int Run(const std::u16string& arguments) {
        return RunProgram(toolkit, u"vexmora.exe " + arguments);
    }
    test::TempDir dir;
    ScriptedToolkit toolkit;
};

TEST_F(ProgramTest, EncryptThenDecryptWithExitCodeZero) {
    const auto plain = test::TestData(70000);
    dir.Write("a.txt", plain);
    EXPECT_EQ(Run(u"E " + Quoted(dir.U16("a.txt")) + u" \"pass word\""), kExitSuccess);
    EXPECT_EQ(dir.Read("a.txt.vx").size(), 70032u);
    std::filesystem::remove(dir.Path("a.txt"));
    EXPECT_EQ(Run(u"d " + Quoted(dir.U16("a.txt.vx")) + u" \"pass word\""), kExitSuccess);
    EXPECT_EQ(dir.Read("a.txt"), plain);
    EXPECT_TRUE(toolkit.messageBoxes().empty());
    // Each job had its progress window, closed at the end.
    ASSERT_EQ(toolkit.windows().size(), 2u);
    for (const auto& [id, window] : toolkit.windows()) {
        EXPECT_EQ(window.args.title, u"Vexmora");
        EXPECT_FALSE(window.open);
    }
}

TEST_F(ProgramTest, FailedJobShowsTheErrorAndExitsWithOne) {
    EXPECT_EQ(Run(u"E " + Quoted(dir.U16("missing")) + u" pw"), kExitJobFailed);
    ASSERT_EQ(toolkit.messageBoxes().size(), 1u);
    EXPECT_EQ(toolkit.messageBoxes()[0].text, FailureText(JobFailure::InputUnreadable));
    EXPECT_TRUE(dir.List().empty());
}

TEST_F(ProgramTest, AKeptOldFileIsNamedOnlyToTheWindowsJobs) {
    dir.Write("in", test::TestData(100));
    for (const bool fromWindow : {false, true}) {
        SCOPED_TRACE(fromWindow ? "from the window" : "from a script");
        ScriptedToolkit t;
        dir.Write("out", test::Bytes("old"));
        EXPECT_EQ(RunCommandLineJob(t, u"pw", kEncrypt, dir.U16("in"), dir.U16("out"), fromWindow),
                  kExitSuccess);
        std::vector<std::string> keptNames;
        for (const std::string& name : dir.List()) {
            if (name.rfind("out (replaced ", 0) == 0) {
                keptNames.push_back(name);
                std::filesystem::remove(dir.Path(name));
            }
        }
#ifndef _WIN32
        // No bin here: every replaced file stays.
        ASSERT_EQ(keptNames.size(), 1u);
#endif
        ASSERT_EQ(t.messageBoxes().size(), fromWindow ? keptNames.size() : 0u);
        if (!t.messageBoxes().empty()) {
            EXPECT_EQ(t.messageBoxes()[0].caption, u"Info");
            const std::u16string& text = t.messageBoxes()[0].text;
            EXPECT_EQ(text.substr(text.size() - keptNames[0].size()),
                      std::u16string(keptNames[0].begin(), keptNames[0].end()));
        }
    }
}

TEST_F(ProgramTest, WrongPasswordFailsAndLeavesNoOutput) {
    // Made outside the program (openssl enc -aes-256-cbc, key SHA-256("pw"), IV 00..0f, text
    // "Hallo Welt"): with a fixed IV the wrong password below fails the padding check every time.
    dir.Write("a", test::TestData(100));
    dir.Write("a.vx", {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a,
                       0x0b, 0x0c, 0x0d, 0x0e, 0x0f, 0x55, 0x1a, 0x0d, 0x8c, 0x17, 0x36,
                       0x80, 0x1d, 0x09, 0x44, 0xb6, 0x91, 0xfe, 0x53, 0xce, 0xcd});
    EXPECT_EQ(Run(u"D " + Quoted(dir.U16("a.vx")) + u" " + Quoted(dir.U16("b")) + u" wrong"),
              kExitJobFailed);
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"a", "a.vx"}));
}

TEST_F(ProgramTest, CancelExitsWithOne) {
    dir.Write("a", test::TestData(100));
    toolkit.onIdle = [](ScriptedToolkit& t) {
        for (const auto& [id, control] : t.controls()) {
            if (control.args.text == u"Cancel") {
                t.QueueEvent(ControlEvent, id);
            }
        }
        t.onIdle = nullptr;
    };
    EXPECT_EQ(Run(u"E " + Quoted(dir.U16("a")) + u" pw"), kExitJobFailed);
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"a"}));
}

TEST_F(ProgramTest, CommandLinesThatFitNoFormDoNothing) {
    dir.Write("a.VX", test::TestData(100));
    EXPECT_EQ(Run(u"D " + Quoted(dir.U16("a.VX")) + u" pw"), kExitNotUnderstood);
    EXPECT_EQ(Run(u"E " + Quoted(dir.U16("a.VX")) + u" b c d"), kExitNotUnderstood);
    // A verb's switch without a path, or with a direction it does not know, opens nothing either.
    EXPECT_EQ(Run(u"/direction:decrypt"), kExitNotUnderstood);
    EXPECT_EQ(Run(u"/direction:sideways " + Quoted(dir.U16("a.VX"))), kExitNotUnderstood);
    EXPECT_TRUE(toolkit.windows().empty());
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"a.VX"}));
}

TEST_F(ProgramTest, WindowJobWithoutItsChannelFailsAndTakesNoOtherPassword) {
    dir.Write("in", test::TestData(100));
    // No handle this process holds: far beyond any that is open, or not a number at all.
    for (const std::u16string& channel :
         {SecretChannelName(987654320), SecretChannelName(987654320) + u"x"}) {
        SCOPED_TRACE(std::string(channel.begin(), channel.end()));
        ScriptedToolkit t;
        EXPECT_EQ(RunProgram(t, u"vexmora.exe " + channel + u" E " + Quoted(dir.U16("in")) + u" " +
                                    Quoted(dir.U16("out"))),
                  kExitJobFailed);
        ASSERT_EQ(t.messageBoxes().size(), 1u);
        EXPECT_EQ(t.messageBoxes()[0].text, FailureText(JobFailure::Other));
        EXPECT_EQ(dir.List(), (std::vector<std::string>{"in"}));
    }
}

TEST_F(ProgramTest, WindowModeRunsUntilTheWindowIsClosed) {
    toolkit.QueueEvent(0x0200);
    toolkit.QueueEvent(ControlEvent, 99);
    toolkit.QueueEvent(CloseWindowEvent, kNoIdentity, 1);
    EXPECT_EQ(Run(u"X a b"), kExitSuccess);
    ASSERT_EQ(toolkit.windows().size(), 1u);
    // The main window: thirteen controls and the strength line's two.
    EXPECT_EQ(toolkit.windows().begin()->second.controls.size(), 15u);
    EXPECT_EQ(toolkit.pendingEvents(), 0u);
}

TEST_F(ProgramTest, PathsThatAllExistOpenThePromptOthersTheMainWindow) {
    dir.Write("a.txt", test::Bytes("a"));
    std::filesystem::create_directory(dir.Path("Photos"));
    dir.Write("Photos/b.vx", test::Bytes("b"));
    struct Row {
        std::u16string arguments;
        std::u16string prompt;  // the prompt's sentence; empty: the main window
    };
    const std::vector<Row> rows = {
        {Quoted(dir.U16("a.txt")), u"Encrypt a.txt"},
        {Quoted(dir.U16("Photos")), u"Decrypt the folder Photos (1 file)"},
        {Quoted(dir.U16("a.txt")) + u" " + Quoted(dir.U16("Photos")), u"Encrypt 1 file"},
        {Quoted(dir.U16("a.txt")) + u" " + Quoted(dir.U16("missing")), u""},
        {u"", u""},
        // A verb's direction wins over the names, and its line is the prompt's even with a path
        // gone.
        {u"/direction:decrypt " + Quoted(dir.U16("a.txt")), u"Decrypt a.txt"},
        {u"/Direction:Encrypt " + Quoted(dir.U16("Photos/b.vx")), u"Encrypt b.vx"},
        {u"/direction:encrypt " + Quoted(dir.U16("a.txt")) + u" " + Quoted(dir.U16("missing")),
         u"Encrypt a.txt"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.arguments.begin(), row.arguments.end()));
        ScriptedToolkit scripted;
        // The user closes whatever window opens. (On Windows the prompt first waits a moment for
        // other processes' paths, with no window yet.)
        scripted.onIdle = [](ScriptedToolkit& t) {
            if (!t.windows().empty() && t.windows().rbegin()->second.open) {
                t.QueueEvent(CloseWindowEvent, kNoIdentity, t.windows().rbegin()->first);
            }
        };
        const int exitCode = RunProgram(scripted, u"vexmora.exe " + row.arguments);
        ASSERT_EQ(scripted.windows().size(), 1u);
        const auto& window = scripted.windows().begin()->second;
        if (row.prompt.empty()) {
            EXPECT_EQ(exitCode, kExitSuccess);
            EXPECT_EQ(window.controls.size(), 15u);
        } else {
            // A prompt closed unanswered is a cancel; the files stay as they were.
            EXPECT_EQ(exitCode, kExitJobFailed);
            EXPECT_EQ(scripted.controls().at(window.controls.front()).text, row.prompt);
        }
    }
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"Photos", "a.txt"}));
}

}  // namespace
}  // namespace vexmora
