// The password prompt for paths from the command line, over the scripted toolkit and the real
// disk: which files the paths select and what the prompt says about them, the repeat field, and
// which jobs OK starts.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

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
// vaults/ holds only containers. Both hold hidden system files, as Windows puts them into users'
// folders.
class FileSelectionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* folder : {"Photos/sub/deeper", "Photos/empty", "vaults/y"}) {
            fs::create_directories(dir.Path(folder));
        }
        for (const char* file :
             {"Photos/a.jpg", "Photos/b.JPG.VX", "Photos/sub/c.png", "Photos/sub/deeper/d.txt.vx",
              "notes.txt.vx", "one.txt", "vaults/x.vx", "vaults/y/z.Vx", "vaults/desktop.ini",
              "Photos/Thumbs.db", "Photos/empty/desktop.ini"}) {
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
        std::optional<Direction> chosen;
        Direction direction;
        std::vector<std::string> files;
        std::u16string caption;
        std::u16string nothingToDo = {};
    };
    const std::optional<Direction> byName;
    const std::vector<Row> rows = {
        {{"Photos"},
         byName,
         kEncrypt,
         {"Photos/a.jpg", "Photos/sub/c.png"},
         u"Encrypt the folder Photos (2 files)"},
        {{"notes.txt.vx"}, byName, kDecrypt, {"notes.txt.vx"}, u"Decrypt notes.txt.vx"},
        {{"one.txt"}, byName, kEncrypt, {"one.txt"}, u"Encrypt one.txt"},
        // Containers are left alone while there is anything to encrypt.
        {{"one.txt", "notes.txt.vx", "Photos/a.jpg"},
         byName,
         kEncrypt,
         {"one.txt", "Photos/a.jpg"},
         u"Encrypt 2 files"},
        // desktop.ini is no plain file to decide by.
        {{"vaults"},
         byName,
         kDecrypt,
         {"vaults/x.vx", "vaults/y/z.Vx"},
         u"Decrypt the folder vaults (2 files)"},
        {{"Photos/sub/deeper"},
         byName,
         kDecrypt,
         {"Photos/sub/deeper/d.txt.vx"},
         u"Decrypt the folder deeper (1 file)"},
        // A folder met again (given twice, or inside one given) is not walked again.
        {{"Photos", "Photos/sub", "Photos"},
         byName,
         kEncrypt,
         {"Photos/a.jpg", "Photos/sub/c.png"},
         u"Encrypt 2 files"},
        {{"Photos/empty"},
         byName,
         kEncrypt,
         {},
         u"Encrypt the folder empty (0 files)",
         u"Nothing to encrypt in empty"},
        // A verb's direction: files in folders go that way when their names fit it, files
        // given by their own path whatever their names.
        {{"Photos"},
         kDecrypt,
         kDecrypt,
         {"Photos/b.JPG.VX", "Photos/sub/deeper/d.txt.vx"},
         u"Decrypt the folder Photos (2 files)"},
        {{"vaults"},
         kEncrypt,
         kEncrypt,
         {},
         u"Encrypt the folder vaults (0 files)",
         u"Nothing to encrypt in vaults"},
        {{"notes.txt.vx", "one.txt"},
         kEncrypt,
         kEncrypt,
         {"notes.txt.vx", "one.txt"},
         u"Encrypt 2 files"},
        {{"one.txt", "vaults"},
         kDecrypt,
         kDecrypt,
         {"one.txt", "vaults/x.vx", "vaults/y/z.Vx"},
         u"Decrypt 3 files"},
        {{"Photos/empty", "vaults"},
         kEncrypt,
         kEncrypt,
         {},
         u"Encrypt 0 files",
         u"Nothing to encrypt in 2 selected items"},
    };
    // Under Wine a Unix link to a folder is listed as a folder: the identities still stop it.
    for (const bool linksLookLikeFolders : {false, true}) {
        test::FaultyFileSystem disk;
        disk.linksLookLikeFolders = linksLookLikeFolders;
        disk.hiddenSystemNames = {u"desktop.ini", u"Thumbs.db"};
        for (const Row& row : rows) {
            SCOPED_TRACE(::testing::Message()
                         << row.paths.front() << " links as folders " << linksLookLikeFolders
                         << " chosen " << row.chosen.value_or(Direction{}));
            std::vector<std::u16string> paths;
            for (const std::string& path : row.paths) {
                paths.push_back(P(path));
            }
            const std::optional<FileSelection> selection = SelectFiles(disk, paths, row.chosen);
            ASSERT_TRUE(selection.has_value());
            EXPECT_EQ(selection->direction, row.direction);
            std::vector<std::u16string> files, expected;
            for (const SelectedFile& file : selection->files) {
                files.push_back(file.path);
                // Sizes come from the listing; a file given by its path has none yet.
                EXPECT_EQ(file.size,
                          std::find(paths.begin(), paths.end(), file.path) != paths.end() ? -1 : 4);
            }
            for (const std::string& file : row.files) {
                expected.push_back(P(file));
            }
            EXPECT_EQ(files, expected);
            EXPECT_EQ(selection->caption, row.caption);
            EXPECT_EQ(selection->nothingToDo, row.nothingToDo);
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
        FileSelection selection{direction, {}, u"Encrypt 2 files", {}};
        for (std::u16string& file : files) {
            selection.files.push_back({std::move(file)});
        }
        return Open(std::move(selection), dpi);
    }
    std::unique_ptr<PromptWindow> Open(FileSelection selection, int dpi = 96) {
        NewToolkit(dpi);
        return OpenPromptWindow(*toolkit, std::move(selection), test::SeededRandom(7));
    }
    void NewToolkit(int dpi = 96) {
        toolkit = std::make_unique<ScriptedToolkit>(dpi);
        InitDpiScaling(*toolkit);
        // A user who lets a weak password through when asked (the flows of the question have
        // their own tests).
        toolkit->answerBox = [this](const ScriptedToolkit::MessageBox& box) -> std::optional<int> {
            if (box.caption != texts::kWarningCaption) {
                return std::nullopt;
            }
            ++weakAsked;
            return weakAnswer;
        };
    }
    bool OkEnabled(const PromptWindow& prompt) const {
        return toolkit->controls().at(prompt.controls().okButton).enabled;
    }

    std::unique_ptr<ScriptedToolkit> toolkit;
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
                          row.generateButton(), row.fieldLabel(), row.field(), row.copyButton()});
            // Nothing to show before anything is typed or generated.
            for (Identity hidden :
                 {c.strength.bar, row.fieldLabel(), row.field(), row.copyButton()}) {
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
        EXPECT_EQ(prompt->password().view(), row.ok ? row.password : u"");
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
        EXPECT_EQ(prompt->password().view(), u"");
    }
}

// Types the password (twice, when the prompt encrypts) into the newest window and presses Enter.
void Type(ScriptedToolkit& toolkit, const std::u16string& password) {
    const Identity window = toolkit.windows().rbegin()->first;
    const std::vector<Identity>& controls = toolkit.windows().at(window).controls;
    for (const std::size_t field : {2, 4}) {  // the password and repeat fields (see Tab order)
        const auto found = toolkit.controls().find(controls.at(field));
        if (field < controls.size() && found->second.args.kind == ControlKind::PasswordField) {
            toolkit.SetText(controls.at(field), password);
        }
    }
    toolkit.QueueEvent(0x0102, kNoIdentity, window);  // the typing, as the toolkit reports it
    toolkit.PressShortcut(window, ShortcutKey::Enter);
}

// Hand-ins as a first process receives them from the others.
struct FakeInbox final : PathInbox {
    void Receive(Receiver given) override { receiver = std::move(given); }
    void Close() override { receiver = nullptr, closed = true; }
    bool HandIn(std::u16string path, std::u16string_view kind = u"") {
        return receiver && receiver(kind, {std::move(path)});
    }
    Receiver receiver;
    bool closed = false;
};

// The prompt's life over a clock of our own: which hand-ins join, what the prompt then says, and
// what it answers.
TEST_F(PromptWindowTest, HandInsJoinOnlyWhileTheSelectionIsGathered) {
    test::TempDir dir;
    for (const char* file : {"one.txt", "two.txt", "x.vx", "y.VX"}) {
        dir.Write(file, test::Bytes("data"));
    }
    const auto path = [&](const char* name) { return dir.Path(name).make_preferred().u16string(); };
    struct Row {
        const char* shown;
        std::optional<Direction> chosen;
        const char* late;
        std::u16string_view lateKind;
        std::uint32_t lateAfterMs;  // after the prompt's own start
        bool typedFirst;            // the user typed before the hand-in came
        bool taken;
        std::u16string caption;  // once all is in
    };
    const std::u16string encrypt = HandInKind(kEncrypt);
    const std::vector<Row> rows = {
        {"one.txt", {}, "two.txt", u"", 1500, false, true, u"Encrypt 2 files"},
        {"x.vx", {}, "y.VX", u"", 1900, false, true, u"Decrypt 2 files"},
        // The same file from two processes is one job.
        {"one.txt", {}, "one.txt", u"", 100, false, true, u"Encrypt one.txt"},
        // A plain file turns a selection of containers into one to encrypt: the prompt is
        // made anew.
        {"x.vx", {}, "one.txt", u"", 100, false, true, u"Encrypt one.txt"},
        // Later than the selection, after typing, or from another verb: it goes on alone.
        {"one.txt", {}, "two.txt", u"", 8000, false, false, u"Encrypt one.txt"},
        {"one.txt", {}, "two.txt", u"", 600, true, false, u"Encrypt one.txt"},
        {"one.txt", {}, "two.txt", encrypt, 100, false, false, u"Encrypt one.txt"},
        {"one.txt", kEncrypt, "x.vx", encrypt, 100, false, true, u"Encrypt 2 files"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.shown << " + " << row.late << " after "
                                          << row.lateAfterMs << " typed " << row.typedFirst);
        NewToolkit();
        FakeInbox inbox;
        std::uint32_t clock = 1000;
        int idle = 0;
        std::optional<bool> taken;  // the hand-in's answer, once it came
        bool typed = false;
        toolkit->onIdle = [&](ScriptedToolkit& t) {
            ++idle;
            if (t.windows().empty()) {
                // The first walk runs on a thread of its own: the clock goes slowly meanwhile.
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                clock += 10;
            } else {
                clock += 50;
            }
            if (!taken && (row.typedFirst ? typed : clock >= 1000 + row.lateAfterMs)) {
                taken = inbox.HandIn(path(row.late), row.lateKind);
            }
            if (t.windows().empty()) {
                return;
            }
            const Identity newest = t.windows().rbegin()->first;
            if (row.typedFirst && !typed) {
                t.QueueEvent(0x0102, kNoIdentity, newest);  // a key, not yet the password
                typed = true;
            } else if (taken && clock > 1000 + row.lateAfterMs + 3000) {
                Type(t, u"a password of some length");
            }
        };
        const std::optional<PromptAnswer> answer = RunPrompt(
            *toolkit, RealFileSystem(), {path(row.shown)}, row.chosen, &inbox,
            [&] { return clock; }, test::SeededRandom(7));
        ASSERT_TRUE(answer.has_value());
        EXPECT_EQ(taken, row.taken);
        EXPECT_TRUE(inbox.closed);
        const auto& last = toolkit->windows().rbegin()->second;
        EXPECT_EQ(toolkit->controls().at(last.controls.front()).text, row.caption);
        EXPECT_EQ(answer->selection.caption, row.caption);
        EXPECT_EQ(answer->password.view(), u"a password of some length");
        // One prompt open at the end at most, and none left open.
        for (const auto& [identity, window] : toolkit->windows()) {
            EXPECT_FALSE(window.open);
        }
    }
}

TEST_F(PromptWindowTest, NothingToDoSaysSoWithoutAPrompt) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.Path("Photos"));
    dir.Write("Photos/desktop.ini", test::Bytes("[.ShellClassInfo]"));
    test::FaultyFileSystem disk;
    disk.hiddenSystemNames = {u"desktop.ini"};
    NewToolkit();
    FakeInbox inbox;
    std::uint32_t clock = 0;
    toolkit->onIdle = [&](ScriptedToolkit&) { clock += 100; };
    EXPECT_FALSE(RunPrompt(*toolkit, disk, {dir.Path("Photos").make_preferred().u16string()},
                           std::nullopt, &inbox, [&] { return clock; })
                     .has_value());
    EXPECT_TRUE(inbox.closed);
    EXPECT_EQ(toolkit->windows().size(), 0u);  // no prompt was made
    ASSERT_EQ(toolkit->messageBoxes().size(), 1u);
    EXPECT_EQ(toolkit->messageBoxes()[0].caption, texts::kInfoCaption);
    EXPECT_EQ(toolkit->messageBoxes()[0].text, u"Nothing to encrypt in Photos");
}

}  // namespace
}  // namespace vexmora
