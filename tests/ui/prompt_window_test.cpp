// The password prompt for paths from the command line, over the scripted toolkit and the real
// disk: which files the paths select and what the prompt says about them, the repeat field, and
// which jobs OK starts.
#include <gtest/gtest.h>

#include "faulty_file_system.h"
#include "password_answers.h"
#include "temp_dir.h"
#include "test_support.h"
#include "toolkit/scripted_toolkit.h"
#include "ui/dpi.h"
#include "ui/main_window.h"
#include "ui/prompt_window.h"
#include "ui/texts.h"

namespace vexmora {
namespace {

namespace fs = std::filesystem;

// Photos/ holds plain files, containers, a subfolder, an empty folder and a link back to itself;
// vaults/ holds only containers.
class FileSelectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* folder : {"Photos/sub/deeper", "Photos/empty", "vaults/y"}) {
            fs::create_directories(dir.Path(folder));
        }
        for (const char* file :
             {"Photos/a.jpg", "Photos/b.JPG.VX", "Photos/sub/c.png", "Photos/sub/deeper/d.txt.vx",
              "notes.txt.vx", "one.txt", "vaults/x.vx", "vaults/y/z.Vx"}) {
            dir.Write(file, test::Bytes("data"));
        }
        std::error_code error;
        fs::create_directory_symlink(dir.Path("Photos"), dir.Path("Photos/sub/loop"), error);
        linked = !error;
    }
    std::u16string P(const std::string& relative) const {
        return dir.Path(relative).make_preferred().u16string();
    }
    test::TempDir dir;
    bool linked = false;
};

TEST_F(FileSelectionTest, PathsBecomeFilesAndACaption) {
    EXPECT_TRUE(linked || fs::exists(dir.Path("Photos"))) << "the loop could not be made";
    struct Row {
        std::vector<std::string> paths;
        Direction direction;
        std::vector<std::string> files;
        std::u16string caption;
    };
    const std::vector<Row> rows = {
        {{"Photos"},
         kEncrypt,
         {"Photos/a.jpg", "Photos/sub/c.png"},
         u"Encrypt the folder Photos (2 files)"},
        {{"notes.txt.vx"}, kDecrypt, {"notes.txt.vx"}, u"Decrypt notes.txt.vx"},
        {{"one.txt"}, kEncrypt, {"one.txt"}, u"Encrypt one.txt"},
        // Containers are left alone while there is anything to encrypt.
        {{"one.txt", "notes.txt.vx", "Photos/a.jpg"},
         kEncrypt,
         {"one.txt", "Photos/a.jpg"},
         u"Encrypt 2 files"},
        {{"vaults"},
         kDecrypt,
         {"vaults/x.vx", "vaults/y/z.Vx"},
         u"Decrypt the folder vaults (2 files)"},
        {{"Photos/sub/deeper"},
         kDecrypt,
         {"Photos/sub/deeper/d.txt.vx"},
         u"Decrypt the folder deeper (1 file)"},
        // A folder met again (given twice, or inside one given) is not walked again.
        {{"Photos", "Photos/sub", "Photos"},
         kEncrypt,
         {"Photos/a.jpg", "Photos/sub/c.png"},
         u"Encrypt 2 files"},
        {{"Photos/empty"}, kEncrypt, {}, u"Encrypt the folder empty (0 files)"},
    };
    // Under Wine a Unix link to a folder is listed as a folder: the identities still stop it.
    for (const bool linksLookLikeFolders : {false, true}) {
        test::FaultyFileSystem disk;
        disk.linksLookLikeFolders = linksLookLikeFolders;
        for (const Row& row : rows) {
            SCOPED_TRACE(::testing::Message()
                         << row.paths.front() << " links as folders " << linksLookLikeFolders);
            std::vector<std::u16string> paths;
            for (const std::string& path : row.paths) {
                paths.push_back(P(path));
            }
            const std::optional<FileSelection> selection = SelectFiles(disk, paths);
            ASSERT_TRUE(selection.has_value());
            EXPECT_EQ(selection->direction, row.direction);
            std::vector<std::u16string> files;
            for (const std::string& file : row.files) {
                files.push_back(P(file));
            }
            EXPECT_EQ(selection->files, files);
            EXPECT_EQ(selection->caption, row.caption);
        }
    }
}

TEST_F(FileSelectionTest, AnyPathThatIsNeitherFileNorFolderSelectsNothing) {
    const std::vector<std::vector<std::u16string>> rows = {
        {},
        {P("missing.txt")},
        {P("one.txt"), P("missing")},
        {P("Photos"), u""},
    };
    for (const auto& paths : rows) {
        EXPECT_FALSE(SelectFiles(RealFileSystem(), paths).has_value()) << paths.size();
    }
}

const std::u16string kProgram = u"C:\\Vexmora\\vexmora.exe";

class PromptWindowTest : public ::testing::Test {
  protected:
    std::unique_ptr<PromptWindow> Open(Direction direction, std::vector<std::u16string> files,
                                       int dpi = 96) {
        return Open({direction, std::move(files), u"Encrypt 2 files", {}}, dpi);
    }
    std::unique_ptr<PromptWindow> Open(FileSelection selection, int dpi = 96) {
        toolkit = std::make_unique<ScriptedToolkit>(dpi);
        InitDpiScaling(*toolkit);
        starter = std::make_unique<FileJobStarter>(
            *toolkit,
            [this](std::u16string_view, std::u16string_view parameters, std::u16string_view,
                   std::span<const std::uint8_t> secret) {
                started.emplace_back(parameters);
                secrets.emplace_back(secret.begin(), secret.end());
                auto child = std::make_unique<test::FakeChild>();
                running.push_back(child->running);
                return std::unique_ptr<ChildProcess>(std::move(child));
            },
            kProgram, RealFileSystem());
        // A user who lets a weak password through when asked (the flows of the question have
        // their own tests).
        toolkit->answerBox = [this](const ScriptedToolkit::MessageBox& box) -> std::optional<int> {
            if (box.caption != texts::kWarningCaption) {
                return std::nullopt;
            }
            ++weakAsked;
            return weakAnswer;
        };
        return OpenPromptWindow(*toolkit, std::move(selection), *starter, test::SeededRandom(7));
    }
    bool OkEnabled(const PromptWindow& prompt) const {
        return toolkit->controls().at(prompt.controls().okButton).enabled;
    }

    std::unique_ptr<ScriptedToolkit> toolkit;
    std::unique_ptr<FileJobStarter> starter;
    std::vector<std::u16string> started;
    std::vector<std::vector<std::uint8_t>> secrets;
    std::vector<std::shared_ptr<bool>> running;
    int weakAnswer = kAnswerYes;
    int weakAsked = 0;
};

TEST_F(PromptWindowTest, ControlsScaledFocusAndKeys) {
    for (const Direction direction : {kEncrypt, kDecrypt}) {
        auto at96 = Open(direction, {});
        const auto base = toolkit->windows().at(at96->controls().window);
        std::vector<Rect> baseRects;
        for (Identity control : base.controls) {
            baseRects.push_back(toolkit->controls().at(control).args.rect);
        }
        auto prompt = Open(direction, {}, 144);
        const PromptControls& c = prompt->controls();
        const auto& window = toolkit->windows().at(c.window);
        EXPECT_EQ(window.args.title, texts::kProgramTitle);
        EXPECT_EQ(window.args.clientWidth, base.args.clientWidth * 3 / 2);
        EXPECT_EQ(window.args.clientHeight, base.args.clientHeight * 3 / 2);
        // The repeat row only when encrypting; Tab goes from the password on to OK.
        std::vector<Identity> order = {c.caption, c.passwordLabel, c.passwordField};
        if (direction == kEncrypt) {
            const PassphraseRow& row = prompt->passphraseRow();
            order.insert(order.end(),
                         {c.repeatLabel, c.repeatField, c.strength.label, c.strength.bar,
                          row.generateButton(), row.field(), row.copyButton()});
            // Nothing to show before anything is typed or generated.
            for (Identity hidden : {c.strength.bar, row.field(), row.copyButton()}) {
                EXPECT_FALSE(toolkit->controls().at(hidden).shown);
            }
        } else {
            EXPECT_EQ(prompt->passphraseRow().generateButton(), kNoIdentity);
            EXPECT_EQ(c.repeatField, kNoIdentity);
        }
        order.insert(order.end(), {c.okButton, c.cancelButton});
        ASSERT_EQ(window.controls, order);
        for (std::size_t i = 0; i < order.size(); ++i) {
            const auto& control = toolkit->controls().at(order[i]);
            const Rect& r = baseRects.at(i);
            EXPECT_EQ(control.args.rect,
                      (Rect{Scaled(r.x), Scaled(r.y), Scaled(r.width), Scaled(r.height)}));
            EXPECT_EQ(control.font, u"Segoe UI");
        }
        EXPECT_EQ(toolkit->controls().at(c.caption).text, u"Encrypt 2 files");
        EXPECT_EQ(toolkit->focus(), c.passwordField);
        EXPECT_EQ(window.shortcuts.at(ShortcutKey::Enter), c.okButton);
        EXPECT_EQ(window.shortcuts.at(ShortcutKey::Escape), c.cancelButton);
    }
}

TEST_F(PromptWindowTest, OkOnlyWhenThePasswordIsThereAndRepeated) {
    struct Row {
        Direction direction;
        std::u16string password, repeat;
        bool ok;
    };
    const std::vector<Row> rows = {
        {kEncrypt, u"", u"", false},
        {kEncrypt, u"secret", u"", false},
        {kEncrypt, u"secret", u"secreT", false},
        {kEncrypt, u"secret", u"secret", true},
        {kDecrypt, u"", u"", false},
        {kDecrypt, u"secret", u"", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.direction << " " << row.ok);
        auto prompt = Open(row.direction, {u"C:\\d\\a.txt"});
        const PromptControls& c = prompt->controls();
        EXPECT_FALSE(OkEnabled(*prompt));
        toolkit->SetText(c.passwordField, row.password);
        if (c.repeatField != kNoIdentity) {
            toolkit->SetText(c.repeatField, row.repeat);
        }
        // Typing reaches the program as platform messages.
        EXPECT_EQ(prompt->Handle(0x0102), PromptState::Open);
        EXPECT_EQ(OkEnabled(*prompt), row.ok);
        // Enter stands for OK, also while OK is greyed: the fields decide.
        ASSERT_TRUE(toolkit->PressShortcut(c.window, ShortcutKey::Enter));
        EXPECT_EQ(prompt->Handle(toolkit->WaitEvent(0)),
                  row.ok ? PromptState::Accepted : PromptState::Open);
        EXPECT_EQ(toolkit->windows().at(c.window).open, !row.ok);
        EXPECT_EQ(starter->jobs().Waiting(), row.ok ? 1u : 0u);
    }
}

TEST_F(PromptWindowTest, CancelEscAndCloseStartNothing) {
    for (int way = 0; way < 3; ++way) {
        auto prompt = Open(kDecrypt, {u"C:\\d\\a.vx"});
        const PromptControls& c = prompt->controls();
        toolkit->SetText(c.passwordField, u"secret");
        if (way == 0) {
            ASSERT_TRUE(toolkit->PressShortcut(c.window, ShortcutKey::Escape));
        } else {
            toolkit->QueueEvent(way == 1 ? ControlEvent : CloseWindowEvent,
                                way == 1 ? c.cancelButton : kNoIdentity, c.window);
        }
        EXPECT_EQ(prompt->Handle(toolkit->WaitEvent(0)), PromptState::Cancelled) << way;
        EXPECT_FALSE(toolkit->windows().at(c.window).open);
        EXPECT_EQ(starter->jobs().Waiting(), 0u);
    }
}

// Paths handed in by processes of the selection that started after the prompt opened.
TEST_F(PromptWindowTest, LatePathsJoinWhenTheyAskTheSame) {
    test::TempDir dir;
    for (const char* file : {"one.txt", "two.txt", "x.vx", "y.VX"}) {
        dir.Write(file, test::Bytes("data"));
    }
    const auto path = [&](const char* name) { return dir.Path(name).make_preferred().u16string(); };
    struct Row {
        std::vector<const char*> shown, late;
        bool taken;
        std::u16string caption;
    };
    const std::vector<Row> rows = {
        {{"one.txt"}, {"two.txt"}, true, u"Encrypt 2 files"},
        {{"x.vx"}, {"y.VX"}, true, u"Decrypt 2 files"},
        // The same file from two processes is one job.
        {{"one.txt"}, {"one.txt"}, true, u"Encrypt one.txt"},
        // On their own these would ask the other thing, or select nothing: they go on alone.
        {{"one.txt"}, {"x.vx"}, false, u"Encrypt one.txt"},
        {{"x.vx"}, {"one.txt"}, false, u"Decrypt x.vx"},
        {{"one.txt"}, {"gone.txt"}, false, u"Encrypt one.txt"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.shown.front() << " + " << row.late.front());
        std::vector<std::u16string> shown, late;
        std::transform(row.shown.begin(), row.shown.end(), std::back_inserter(shown), path);
        std::transform(row.late.begin(), row.late.end(), std::back_inserter(late), path);
        auto prompt = Open(*SelectFiles(RealFileSystem(), shown));
        EXPECT_EQ(prompt->Widen(late), row.taken);
        EXPECT_EQ(toolkit->controls().at(prompt->controls().caption).text, row.caption);
        EXPECT_EQ(prompt->selection().caption, row.caption);
    }
}

// Types the password twice into the newest window (a prompt that encrypts) and presses Enter.
void Type(ScriptedToolkit& toolkit, const std::u16string& password) {
    const Identity window = toolkit.windows().rbegin()->first;
    const std::vector<Identity>& controls = toolkit.windows().at(window).controls;
    toolkit.SetText(controls.at(2), password);  // the password field,
    toolkit.SetText(controls.at(4), password);  // the repeat field (see the Tab order above)
    toolkit.PressShortcut(window, ShortcutKey::Enter);
}

// Hand-ins as a first process receives them from the others of its selection.
struct FakeInbox final : PathInbox {
    void Receive(Receiver given) override { receiver = std::move(given); }
    void Close() override { receiver = nullptr, closed = true; }
    bool HandIn(std::u16string path) { return receiver && receiver({std::move(path)}); }
    Receiver receiver;
    bool closed = false;
};

TEST_F(PromptWindowTest, RunStartsEveryFileTwoAtATimeAndEndsWhenTheLastHasStarted) {
    test::TempDir dir;
    std::vector<std::u16string> files;
    for (const char* name : {"a.txt", "b", "c d.txt"}) {
        dir.Write(name, test::Bytes("data"));
        files.push_back(dir.Path(name).make_preferred().u16string());
    }
    auto unused = Open(kEncrypt, {});
    FakeInbox inbox;
    int idle = 0;
    std::size_t mostRunning = 0;
    toolkit->onIdle = [&](ScriptedToolkit& t) {
        ++idle;
        std::size_t now = 0;
        for (const auto& flag : running) {
            now += *flag ? 1 : 0;
        }
        mostRunning = std::max(mostRunning, now);
        // The last file's process comes late, while the prompt is open; the user types at the
        // next chance; a running job ends at every later one, and the prompt takes no more.
        if (idle == 1) {
            EXPECT_TRUE(inbox.HandIn(files.back()));
            EXPECT_EQ(t.controls().at(t.windows().rbegin()->second.controls.front()).text,
                      u"Encrypt 3 files");
        } else if (idle == 2) {
            Type(t, u"pw \"quoted\"");
        } else {
            EXPECT_FALSE(inbox.HandIn(files.front()));
            for (const auto& flag : running) {
                if (*flag) {
                    *flag = false;
                    break;
                }
            }
        }
    };
    EXPECT_TRUE(RunPrompt(*toolkit, *SelectFiles(RealFileSystem(), std::span(files).first(2)),
                          *starter, &inbox));
    EXPECT_TRUE(inbox.closed);
    EXPECT_TRUE(toolkit->messageBoxes().empty());
    std::vector<std::u16string> expected;
    for (const std::u16string& file : files) {
        expected.push_back(ChildCommandLine(u"E", file, file + u".vx"));
    }
    EXPECT_EQ(started, expected);
    // Each child gets the password, quotes and all, as its secret.
    const std::u16string typed = u"pw \"quoted\"";
    const SecretText secret{std::u16string(typed)};
    for (const auto& given : secrets) {
        EXPECT_TRUE(
            std::equal(given.begin(), given.end(), secret.bytes().begin(), secret.bytes().end()));
    }
    EXPECT_EQ(secrets.size(), files.size());
    EXPECT_EQ(mostRunning, FileJobQueue::kMaxRunning);
    EXPECT_EQ(starter->jobs().Waiting(), 0u);
}

}  // namespace
}  // namespace vexmora
