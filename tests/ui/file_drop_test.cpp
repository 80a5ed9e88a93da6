// Files dropped on the main window and its keyboard shortcuts, over the scripted toolkit: which
// job each file starts, the limit of two running jobs, and what waits.
#include <gtest/gtest.h>

#include "crypto/aes/aes_engine.h"
#include "password_answers.h"
#include "temp_dir.h"
#include "test_support.h"
#include "toolkit/scripted_toolkit.h"
#include "ui/dpi.h"
#include "ui/file_dialogs.h"
#include "ui/main_window.h"
#include "ui/texts.h"

namespace vexmora {
namespace {

const std::u16string kProgram = u"C:\\Vexmora\\vexmora.exe";

class FileDropTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ForgetLastUsedFolder();
        InitDpiScaling(toolkit);
        window = BuildMainWindow(
            toolkit, 0, 0, 800, 600,
            [this](std::u16string_view, std::u16string_view parameters, std::u16string_view,
                   std::span<const std::uint8_t> secret) {
                started.push_back(std::u16string(parameters) + u" | " + test::SecretAsText(secret));
                if (!starterWorks) {
                    return std::unique_ptr<ChildProcess>();
                }
                auto child = std::make_unique<test::FakeChild>();
                running.push_back(child->running);
                return std::unique_ptr<ChildProcess>(std::move(child));
            },
            kProgram);
        toolkit.SetText(window->controls().passwordField, u"pw");
        answers.Install(toolkit, window->controls().passwordField);
    }
    void TearDown() override { ForgetLastUsedFolder(); }

    // Drops the files and lets the window handle the drop.
    void Drop(std::vector<std::u16string> files) {
        ASSERT_TRUE(toolkit.QueueDrop(window->controls().window, std::move(files)));
        EXPECT_EQ(HandleMainEvent(*window, toolkit.WaitEvent(0)), 1);
    }
    // Ends the n-th started job, then lets a time-out pass, as the window loop does.
    void End(std::size_t n) {
        *running.at(n) = false;
        EXPECT_EQ(HandleMainEvent(*window, toolkit.WaitEvent(0)), 1);
    }
    std::size_t StillRunning() const {
        std::size_t count = 0;
        for (const auto& flag : running) {
            count += *flag ? 1 : 0;
        }
        return count;
    }
    static std::u16string Line(std::u16string_view letter, std::u16string_view in,
                               std::u16string_view out, std::u16string_view password = u"pw") {
        return ChildCommandLine(letter, in, out) + u" | " + std::u16string(password);
    }

    ScriptedToolkit toolkit;
    test::PasswordAnswers answers;
    std::unique_ptr<MainWindow> window;
    std::vector<std::u16string> started;         // parameters and secret of each start, in order
    std::vector<std::shared_ptr<bool>> running;  // of each started job
    bool starterWorks = true;
    test::TempDir dir;
};

TEST_F(FileDropTest, NamesChooseTheJobAndAtMostTwoRun) {
    std::filesystem::create_directory(dir.Path("folder.vx"));
    const std::u16string folder = dir.U16("folder.vx");
    Drop({u"C:\\d\\a.txt", folder, u"C:\\d\\b.txt.vx", u"C:\\d\\c.VX", u"C:\\d\\my file.vx",
          u"C:\\d\\.vx"});
    // The folder is passed over; the first two files start at once.
    EXPECT_EQ(started, (std::vector<std::u16string>{
                           Line(u"E", u"C:\\d\\a.txt", u"C:\\d\\a.txt.vx"),
                           Line(u"D", u"C:\\d\\b.txt.vx", u"C:\\d\\b.txt"),
                       }));
    EXPECT_EQ(window->fileJobs().Waiting(), 3u);

    // Nothing starts while both run, whatever events come.
    for (int event : {0, 0x0200, MenuEvent}) {
        EXPECT_EQ(HandleMainEvent(*window, event), 1);
    }
    EXPECT_EQ(started.size(), 2u);

    End(1);
    ASSERT_EQ(started.size(), 3u);
    // ".vx" in any case decodes, as Decode file does; a name that is nothing but ".vx" has none.
    EXPECT_EQ(started[2], Line(u"D", u"C:\\d\\c.VX", u"C:\\d\\c"));
    End(0);
    End(2);
    EXPECT_EQ(started, (std::vector<std::u16string>{
                           Line(u"E", u"C:\\d\\a.txt", u"C:\\d\\a.txt.vx"),
                           Line(u"D", u"C:\\d\\b.txt.vx", u"C:\\d\\b.txt"),
                           Line(u"D", u"C:\\d\\c.VX", u"C:\\d\\c"),
                           Line(u"D", u"C:\\d\\my file.vx", u"C:\\d\\my file"),
                           Line(u"E", u"C:\\d\\.vx", u"C:\\d\\.vx.vx"),
                       }));
    EXPECT_EQ(StillRunning(), 2u);
    EXPECT_EQ(window->fileJobs().Waiting(), 0u);
    EXPECT_TRUE(toolkit.messageBoxes().empty());
    EXPECT_TRUE(toolkit.fileDialogs().empty());
}

TEST_F(FileDropTest, WaitingJobsKeepThePasswordOfTheirDropAndShareTheLimitWithTheButtons) {
    // Two jobs from the buttons are running.
    for (Identity button :
         {window->controls().encodeFileButton, window->controls().decodeFileButton}) {
        toolkit.QueueFileChoice(u"C:\\d\\chosen.vx");
        toolkit.QueueEvent(ControlEvent, button);
        HandleMainEvent(*window, toolkit.WaitEvent(0));
    }
    ASSERT_EQ(started.size(), 2u);
    Drop({u"C:\\d\\x.bin", u"C:\\d\\y.bin"});
    EXPECT_EQ(started.size(), 2u) << "a dropped file started beside two running jobs";

    toolkit.SetText(window->controls().passwordField, u"typed \"later\"");
    End(0);
    End(1);
    ASSERT_EQ(started.size(), 4u);
    EXPECT_EQ(started[2], Line(u"E", u"C:\\d\\x.bin", u"C:\\d\\x.bin.vx"));
    EXPECT_EQ(started[3], Line(u"E", u"C:\\d\\y.bin", u"C:\\d\\y.bin.vx"));

    // A button still starts at once beside two running dropped files.
    toolkit.QueueFileChoice(u"C:\\d\\z.bin");
    toolkit.QueueEvent(ControlEvent, window->controls().encodeFileButton);
    HandleMainEvent(*window, toolkit.WaitEvent(0));
    ASSERT_EQ(started.size(), 5u);
    EXPECT_EQ(started[4], Line(u"E", u"C:\\d\\z.bin", u"C:\\d\\z.bin.vx", u"typed \"later\""));
}

TEST_F(FileDropTest, DropsThatStartNothing) {
    // Only folders: nothing to do, nothing to say.
    std::filesystem::create_directory(dir.Path("only"));
    Drop({dir.U16("only"), dir.U16("")});
    Drop({});
    EXPECT_TRUE(toolkit.messageBoxes().empty());

    // No password: far more likely forgotten than meant.
    toolkit.SetText(window->controls().passwordField, u"");
    Drop({u"C:\\d\\a.txt", u"C:\\d\\b.vx"});
    ASSERT_EQ(toolkit.messageBoxes().size(), 1u);
    EXPECT_EQ(toolkit.messageBoxes()[0].caption, texts::kInfoCaption);
    EXPECT_EQ(toolkit.messageBoxes()[0].text, texts::kTypePasswordFirst);
    EXPECT_TRUE(started.empty());
    EXPECT_EQ(window->fileJobs().Waiting(), 0u);

    // A window that was not made for drops gets none.
    ScriptedToolkit other;
    const Identity plain = other.OpenWindow({.title = u"plain"});
    EXPECT_FALSE(other.QueueDrop(plain, {u"C:\\d\\a.txt"}));
}

TEST_F(FileDropTest, ADroppedFileAsksBeforeReplacingItsOutput) {
    dir.Write("x.txt", {1});
    dir.Write("x.txt.vx", {2});
    dir.Write("y.txt", {3});
    toolkit.QueueAnswer(kAnswerNo);
    Drop({dir.U16("x.txt"), dir.U16("y.txt")});
    // No: x.txt is passed over and y.txt, whose output is new, starts without a question.
    ASSERT_EQ(toolkit.messageBoxes().size(), 1u);
    EXPECT_EQ(toolkit.messageBoxes()[0].caption, texts::kInfoCaption);
    EXPECT_EQ(toolkit.messageBoxes()[0].text,
              dir.U16("x.txt.vx") + u"\n" + std::u16string(texts::kOverwriteQuestion));
    EXPECT_EQ(started,
              (std::vector<std::u16string>{Line(u"E", dir.U16("y.txt"), dir.U16("y.txt.vx"))}));
    toolkit.QueueAnswer(kAnswerYes);
    Drop({dir.U16("x.txt")});
    EXPECT_EQ(toolkit.messageBoxes().size(), 2u);
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[1], Line(u"E", dir.U16("x.txt"), dir.U16("x.txt.vx")));
}

// Closing while dropped files wait asks first; jobs already started are processes of their own.
TEST_F(FileDropTest, ClosingWhileFilesWaitAsks) {
    Drop({u"C:\\d\\a", u"C:\\d\\b", u"C:\\d\\c"});
    ASSERT_EQ(window->fileJobs().Waiting(), 1u);
    for (int answer : {kAnswerNo, kAnswerYes}) {
        toolkit.QueueAnswer(answer);
        toolkit.QueueEvent(CloseWindowEvent, kNoIdentity, window->controls().window);
        EXPECT_EQ(HandleMainEvent(*window, toolkit.WaitEvent(0)), answer == kAnswerYes ? 0 : 1);
        EXPECT_EQ(window->fileJobs().Waiting(), 1u);  // kept open, its turn is still to come
    }
    ASSERT_EQ(toolkit.messageBoxes().size(), 2u);
    EXPECT_EQ(toolkit.messageBoxes()[1].caption, texts::kInfoCaption);
    EXPECT_EQ(toolkit.messageBoxes()[1].text, texts::kDropWaitingJobsQuestion);
    EXPECT_EQ(toolkit.messageBoxes()[1].type, kMessageBoxYesNo);
}

TEST_F(FileDropTest, AFailedStartIsReportedAndTheQueueGoesOn) {
    starterWorks = false;
    Drop({u"C:\\d\\a.txt", u"C:\\d\\b.txt", u"C:\\d\\c.txt"});
    // No start holds a place, so every file was tried, and each failure was told.
    EXPECT_EQ(started.size(), 3u);
    ASSERT_EQ(toolkit.messageBoxes().size(), 3u);
    EXPECT_EQ(toolkit.messageBoxes()[2].text, u"The file job could not be started.");
    EXPECT_EQ(window->fileJobs().Running(), 0u);
    EXPECT_EQ(window->fileJobs().Waiting(), 0u);
}

TEST_F(FileDropTest, CtrlOIsLoadAndCtrlSIsSave) {
    const MainWindowControls& c = window->controls();
    EXPECT_EQ(toolkit.controls().at(c.loadButton).text, texts::kLoadButton);
    EXPECT_EQ(toolkit.controls().at(c.saveButton).text, texts::kSaveButton);

    ASSERT_TRUE(toolkit.PressShortcut(c.window, ShortcutKey::CtrlO));
    toolkit.QueueFileChoice(u"");
    HandleMainEvent(*window, toolkit.WaitEvent(0));
    ASSERT_TRUE(toolkit.PressShortcut(c.window, ShortcutKey::CtrlS));
    toolkit.QueueFileChoice(u"");
    HandleMainEvent(*window, toolkit.WaitEvent(0));
    ASSERT_EQ(toolkit.fileDialogs().size(), 2u);
    EXPECT_EQ(toolkit.fileDialogs()[0].args.pattern, texts::kTextPattern);
    EXPECT_FALSE(toolkit.fileDialogs()[0].args.forSaving);
    EXPECT_EQ(toolkit.fileDialogs()[1].args.pattern, texts::kTextPattern);
    EXPECT_TRUE(toolkit.fileDialogs()[1].args.forSaving);
    // Esc means nothing to the main window.
    EXPECT_FALSE(toolkit.PressShortcut(c.window, ShortcutKey::Escape));
}

}  // namespace
}  // namespace vexmora
