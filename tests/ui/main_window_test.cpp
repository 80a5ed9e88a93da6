// The main window over the scripted toolkit: its layout and what its buttons do.
#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <functional>

#include "crypto/direction.h"
#include "crypto/random.h"
#include "faulty_file_system.h"
#include "jobs/text_job.h"
#include "password_answers.h"
#include "temp_dir.h"
#include "test_support.h"
#include "test_vectors.h"
#include "toolkit/scripted_toolkit.h"
#include "ui/dpi.h"
#include "ui/file_dialogs.h"
#include "ui/text_file.h"
#include "ui/texts.h"

namespace vexmora {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;

const std::u16string kProgram = u"C:\\Program Files\\Vexmora\\vexmora.exe";
const std::u16string kProgramFolder = u"C:\\Program Files\\Vexmora\\";

std::string Narrow(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        out += c >= 32 && c < 128 ? static_cast<char>(c) : '?';
    }
    return out;
}

struct Start {
    std::u16string program, parameters, folder;
    std::u16string secret;  // what the child gets through its channel, as text
    friend bool operator==(const Start&, const Start&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Start& s) {
        return out << Narrow(s.program) << " | " << Narrow(s.parameters) << " | "
                   << Narrow(s.folder) << " | " << Narrow(s.secret);
    }
};

struct Expected {
    ControlKind kind;
    Rect rect;
    std::u16string text;
};

// The design grid at 96 dpi; the scaled rectangles were worked out with Python's round(), which
// rounds halves to even like the program.
std::vector<Expected> Layout(const std::vector<Rect>& rects) {
    const std::vector<std::pair<ControlKind, std::u16string_view>> controls = {
        {ControlKind::GroupBox, texts::kPasswordFrame},
        {ControlKind::GroupBox, texts::kTextCryptFrame},
        {ControlKind::GroupBox, texts::kFileCryptFrame},
        {ControlKind::FieldLabel, texts::kPasswordLabel},
        {ControlKind::PasswordField, u""},
        {ControlKind::Label, texts::kEditorName},
        {ControlKind::RichEdit, u""},
        {ControlKind::PushButton, texts::kLoadButton},
        {ControlKind::PushButton, texts::kSaveButton},
        {ControlKind::PushButton, texts::kEncodeButton},
        {ControlKind::PushButton, texts::kDecodeButton},
        {ControlKind::PushButton, texts::kEncodeFileButton},
        {ControlKind::PushButton, texts::kDecodeFileButton},
    };
    std::vector<Expected> out;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        out.push_back({controls[i].first, rects[i], std::u16string(controls[i].second)});
    }
    return out;
}

TEST(MainWindowLayout, ThirteenControlsScaledAtEachDpi) {
    struct Row {
        int dpi;
        int width, height;
        std::vector<Rect> rects;
    };
    const std::vector<Row> rows = {
        {96,
         800,
         600,
         {{10, 10, 780, 70},
          {10, 90, 780, 430},
          {10, 530, 780, 63},
          {20, 41, 60, 20},
          {90, 40, 690, 20},
          {21, 146, 759, 20},
          {21, 146, 759, 364},
          {20, 115, 100, 25},
          {130, 115, 100, 25},
          {240, 115, 100, 25},
          {350, 115, 100, 25},
          {20, 555, 100, 25},
          {130, 555, 100, 25}}},
        {120,
         1000,
         750,
         {{12, 12, 975, 88},
          {12, 112, 975, 538},
          {12, 662, 975, 79},
          {25, 51, 75, 25},
          {112, 50, 862, 25},
          {26, 182, 949, 25},
          {26, 182, 949, 455},
          {25, 144, 125, 31},
          {162, 144, 125, 31},
          {300, 144, 125, 31},
          {438, 144, 125, 31},
          {25, 694, 125, 31},
          {162, 694, 125, 31}}},
        {144,
         1200,
         900,
         {{15, 15, 1170, 105},
          {15, 135, 1170, 645},
          {15, 795, 1170, 94},
          {30, 62, 90, 30},
          {135, 60, 1035, 30},
          {32, 219, 1138, 30},
          {32, 219, 1138, 546},
          {30, 172, 150, 38},
          {195, 172, 150, 38},
          {360, 172, 150, 38},
          {525, 172, 150, 38},
          {30, 832, 150, 38},
          {195, 832, 150, 38}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.dpi);
        ScriptedToolkit toolkit(row.dpi);
        InitDpiScaling(toolkit);
        // x and y do not place the window.
        auto window = BuildMainWindow(toolkit, 123, 456, 800, 600, nullptr, kProgram);
        ASSERT_NE(window, nullptr);
        ASSERT_EQ(toolkit.windows().size(), 1u);
        const auto& w = toolkit.windows().at(window->controls().window);
        EXPECT_TRUE(w.open);
        EXPECT_EQ(w.args.title, u"Vexmora");
        EXPECT_EQ(w.args.clientWidth, row.width);
        EXPECT_EQ(w.args.clientHeight, row.height);
        EXPECT_TRUE(w.args.minimizeBox);
        EXPECT_EQ(w.args.placement, WindowPlacement::Centred);

        const std::vector<Expected> expected = Layout(row.rects);
        // The thirteen, then the strength line (its place is the password tests' business).
        ASSERT_EQ(w.controls.size(), expected.size() + 2);
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const auto& control = toolkit.controls().at(w.controls[i]);
            EXPECT_EQ(control.args.kind, expected[i].kind) << i;
            EXPECT_EQ(control.args.rect, expected[i].rect) << i;
            EXPECT_EQ(control.args.text, expected[i].text) << i;
            EXPECT_EQ(control.window, window->controls().window) << i;
            EXPECT_EQ(control.font, u"Segoe UI") << i;
            EXPECT_EQ(control.fontPoints, 9) << i;
        }
        // The stored identities are the controls in creation order.
        const MainWindowControls& c = window->controls();
        EXPECT_EQ(w.controls,
                  (std::vector<Identity>{c.passwordFrame, c.textCryptFrame, c.fileCryptFrame,
                                         c.passwordLabel, c.passwordField, c.editorLabel,
                                         c.textEditor, c.loadButton, c.saveButton, c.encodeButton,
                                         c.decodeButton, c.encodeFileButton, c.decodeFileButton,
                                         c.strengthLabel, c.strengthBar}));
        EXPECT_TRUE(toolkit.messageBoxes().empty());
        EXPECT_TRUE(toolkit.fileDialogs().empty());
    }
}

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ForgetLastUsedFolder();
        InitDpiScaling(toolkit);
        window = BuildMainWindow(
            toolkit, 0, 0, 800, 600,
            [this](std::u16string_view program, std::u16string_view parameters,
                   std::u16string_view folder, std::span<const std::uint8_t> secret) {
                starts.push_back({std::u16string(program), std::u16string(parameters),
                                  std::u16string(folder), test::SecretAsText(secret)});
                return StartedChild();
            },
            kProgram);
        ASSERT_NE(window, nullptr);
        // A user who repeats each password right and encrypts with a weak one when asked.
        answers.Install(toolkit, c().passwordField);
    }
    void TearDown() override { ForgetLastUsedFolder(); }

    const MainWindowControls& c() const { return window->controls(); }
    int Click(Identity control) {
        toolkit.QueueEvent(ControlEvent, control);
        return HandleMainEvent(*window, toolkit.WaitEvent(0));
    }
    std::u16string Editor() { return toolkit.ControlText(c().textEditor); }
    std::size_t TextChanges() const {
        std::size_t n = 0;
        for (const auto& call : toolkit.calls()) {
            n += call.what == "text";
        }
        return n;
    }
    // After `boxes` boxes and a save over a file: a file kept beside the new one (natively
    // always, there being no bin) is named in one more box.
    void ExpectKeptFileNamed(std::size_t boxes) {
        std::string kept;
        for (const std::string& name : dir.List()) {
            kept = name.find(" (replaced ") != std::string::npos ? name : kept;
        }
        ASSERT_EQ(toolkit.messageBoxes().size(), boxes + (kept.empty() ? 0 : 1));
        if (!kept.empty()) {
            EXPECT_EQ(toolkit.messageBoxes().back().caption, texts::kInfoCaption);
            EXPECT_EQ(toolkit.messageBoxes().back().text,
                      std::u16string(texts::kKeptOldFile) + dir.U16(kept));
        }
    }
    void ExpectOneBox(std::u16string_view caption, std::u16string_view text, unsigned type) {
        ASSERT_EQ(toolkit.messageBoxes().size(), 1u);
        EXPECT_EQ(toolkit.messageBoxes()[0].caption, caption);
        EXPECT_EQ(toolkit.messageBoxes()[0].text, text);
        EXPECT_EQ(toolkit.messageBoxes()[0].type, type);
    }

    // A child for the starter to hand back: null when starting is to fail; otherwise one that runs
    // until the test ends it through `children`.
    std::unique_ptr<ChildProcess> StartedChild() {
        if (!starterWorks) {
            return nullptr;
        }
        auto child = std::make_unique<test::FakeChild>();
        children.push_back(child->running);
        return child;
    }

    ScriptedToolkit toolkit{96};
    test::PasswordAnswers answers;
    std::unique_ptr<MainWindow> window;
    std::vector<Start> starts;
    std::vector<std::shared_ptr<bool>> children;  // whether each started child still runs
    bool starterWorks = true;
    test::TempDir dir;
};

TEST_F(MainWindowTest, EventsThatChangeNothing) {
    toolkit.SetText(c().passwordField, u"pw");
    toolkit.SetText(c().textEditor, u"text");
    struct Row {
        const char* what;
        int event;
        Identity control;
        int result;
    };
    const std::vector<Row> rows = {
        {"time-out", 0, kNoIdentity, 1},
        {"menu", MenuEvent, kNoIdentity, 1},
        {"platform message", 0x0200, kNoIdentity, 1},
        {"negative code", -1, kNoIdentity, 1},
        {"editor changed", ControlEvent, c().textEditor, 1},
        {"group box", ControlEvent, c().textCryptFrame, 1},
        {"label", ControlEvent, c().passwordLabel, 1},
        {"the window itself", ControlEvent, c().window, 1},
        {"unknown control", ControlEvent, 9999, 1},
        {"no control", ControlEvent, kNoIdentity, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        toolkit.QueueEvent(row.event, row.control);
        EXPECT_EQ(HandleMainEvent(*window, toolkit.WaitEvent(0)), row.result);
    }
    // (Typing in the password field changes its strength line: see the password tests.)
    // A button event queued as something else is not a click.
    toolkit.QueueEvent(MenuEvent, c().encodeButton);
    EXPECT_EQ(HandleMainEvent(*window, toolkit.WaitEvent(0)), 1);
    EXPECT_EQ(HandleMainEvent(*window, MenuEvent), 1);

    EXPECT_TRUE(toolkit.fileDialogs().empty());
    EXPECT_TRUE(toolkit.messageBoxes().empty());
    EXPECT_TRUE(starts.empty());
    EXPECT_EQ(TextChanges(), 0u);
    EXPECT_EQ(Editor(), u"text");
    EXPECT_TRUE(toolkit.windows().at(c().window).open);
}

TEST_F(MainWindowTest, CloseEndsTheProgramWithoutAsking) {
    toolkit.SetText(c().textEditor, u"unsaved");
    toolkit.QueueEvent(CloseWindowEvent, kNoIdentity, c().window);
    EXPECT_EQ(HandleMainEvent(*window, toolkit.WaitEvent(0)), 0);
    EXPECT_EQ(HandleMainEvent(*window, CloseWindowEvent), 0);
    EXPECT_TRUE(toolkit.messageBoxes().empty());
    EXPECT_TRUE(toolkit.fileDialogs().empty());
}

TEST_F(MainWindowTest, LoadCancelledLeavesTheEditor) {
    toolkit.SetText(c().textEditor, u"keep me");
    toolkit.QueueFileChoice(u"");
    EXPECT_EQ(Click(c().loadButton), 1);
    EXPECT_EQ(Editor(), u"keep me");
    EXPECT_EQ(TextChanges(), 0u);
    ASSERT_EQ(toolkit.fileDialogs().size(), 1u);
    EXPECT_EQ(toolkit.fileDialogs()[0].args.pattern, texts::kTextPattern);
    EXPECT_EQ(toolkit.fileDialogs()[0].args.pattern, u"Text (*.txt)|*.txt|Alle Dateien (*.*)|*.*");
    EXPECT_FALSE(toolkit.fileDialogs()[0].args.forSaving);
    EXPECT_FALSE(LastUsedFolder().has_value());
}

TEST_F(MainWindowTest, LoadReplacesTheEditorText) {
    dir.Write("in.txt", {0xEF, 0xBB, 0xBF, 'L', 0xC3, 0xA4, 'd', '\r', '\n', 'x', 0, 'y'});
    toolkit.SetText(c().textEditor, u"old text that goes");
    toolkit.QueueFileChoice(dir.U16("in.txt"));
    EXPECT_EQ(Click(c().loadButton), 1);
    EXPECT_EQ(Editor(), u"\uFEFFL\u00e4d\r\nx");
    EXPECT_EQ(LastUsedFolder(), std::optional<std::u16string>(dir.U16("")));
    EXPECT_TRUE(toolkit.messageBoxes().empty());
    // An empty file empties the editor.
    dir.Write("empty.txt", {});
    toolkit.QueueFileChoice(dir.U16("empty.txt"));
    Click(c().loadButton);
    EXPECT_EQ(Editor(), u"");
    EXPECT_TRUE(toolkit.messageBoxes().empty());
    EXPECT_TRUE(toolkit.fileDialogs().back().args.initialFolder.has_value());
}

TEST_F(MainWindowTest, SaveNamesTheFile) {
    const std::u16string text = u"Z\u00e4hler\r\nzwei";
    const Bytes utf8 = {'Z', 0xC3, 0xA4, 'h', 'l', 'e', 'r', '\r', '\n', 'z', 'w', 'e', 'i'};
    struct Row {
        std::string chosen;
        std::string written;
    };
    const std::vector<Row> rows = {
        {"notes", "notes.txt"},
        {"notes.md", "notes.md"},
        {"my.notes final", "my.notes final.txt"},
        {"Notes.TXT", "Notes.TXT"},
        {".profile", ".profile.txt"},
        {"archive.tar.gz", "archive.tar.gz"},
        {"ends in dot.", "ends in dot..txt"},  // the extension after the dot is empty
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.chosen);
        test::TempDir here;
        ScriptedToolkit t;
        InitDpiScaling(t);
        auto w = BuildMainWindow(t, 0, 0, 800, 600, nullptr, kProgram);
        t.SetText(w->controls().textEditor, text);
        t.QueueFileChoice(here.U16(row.chosen));
        t.QueueEvent(ControlEvent, w->controls().saveButton);
        EXPECT_EQ(HandleMainEvent(*w, t.WaitEvent(0)), 1);
        EXPECT_EQ(here.List(), Names{row.written});
        EXPECT_EQ(here.Read(row.written), utf8);
        EXPECT_TRUE(t.messageBoxes().empty());
        ASSERT_EQ(t.fileDialogs().size(), 1u);
        EXPECT_TRUE(t.fileDialogs()[0].args.forSaving);
        EXPECT_EQ(t.fileDialogs()[0].args.pattern, texts::kTextPattern);
        EXPECT_EQ(t.ControlText(w->controls().textEditor), text);
    }
}

TEST_F(MainWindowTest, SaveCancelledWritesNothing) {
    toolkit.SetText(c().textEditor, u"text");
    toolkit.QueueFileChoice(u"");
    Click(c().saveButton);
    EXPECT_TRUE(dir.List().empty());
    EXPECT_TRUE(toolkit.messageBoxes().empty());
    EXPECT_EQ(Editor(), u"text");
}

TEST_F(MainWindowTest, SaveOfTheEmptyEditorEmptiesTheFile) {
    dir.Write("a.txt", test::Bytes("old"));
    toolkit.QueueFileChoice(dir.U16("a.txt"));
    toolkit.QueueAnswer(kAnswerYes);
    Click(c().saveButton);
    EXPECT_EQ(dir.Read("a.txt"), Bytes{});
    EXPECT_EQ(test::WithoutKeptFiles(dir.List(), 1), Names{"a.txt"});
    ExpectKeptFileNamed(1);
}

TEST_F(MainWindowTest, SaveOntoAnExistingFileAsksFirst) {
    toolkit.SetText(c().textEditor, u"new");
    dir.Write("a.txt", test::Bytes("old"));
    toolkit.QueueFileChoice(dir.U16("a.txt"));
    toolkit.QueueAnswer(kAnswerNo);
    Click(c().saveButton);
    ExpectOneBox(texts::kInfoCaption, texts::kOverwriteQuestion, kMessageBoxYesNo);
    EXPECT_EQ(dir.Read("a.txt"), test::Bytes("old"));

    toolkit.QueueFileChoice(dir.U16("a.txt"));
    toolkit.QueueAnswer(kAnswerYes);
    Click(c().saveButton);
    ExpectKeptFileNamed(2);
    EXPECT_EQ(dir.Read("a.txt"), test::Bytes("new"));
    EXPECT_EQ(test::WithoutKeptFiles(dir.List(), 1), Names{"a.txt"});
}

TEST_F(MainWindowTest, SaveAsksAboutTheNameWithTxtAppended) {
    toolkit.SetText(c().textEditor, u"new");
    dir.Write("notes.txt", test::Bytes("old"));
    // "notes" itself is new, but "notes.txt" would be replaced: No keeps it.
    toolkit.QueueFileChoice(dir.U16("notes"));
    toolkit.QueueAnswer(kAnswerNo);
    Click(c().saveButton);
    ExpectOneBox(u"Info", texts::kOverwriteQuestion, 4u);
    EXPECT_EQ(dir.Read("notes.txt"), test::Bytes("old"));
    EXPECT_EQ(dir.List(), Names{"notes.txt"});

    // Yes writes it.
    toolkit.QueueFileChoice(dir.U16("notes"));
    toolkit.QueueAnswer(kAnswerYes);
    Click(c().saveButton);
    ExpectKeptFileNamed(2);
    EXPECT_EQ(dir.Read("notes.txt"), test::Bytes("new"));
    EXPECT_EQ(test::WithoutKeptFiles(dir.List(), 1), Names{"notes.txt"});
}

TEST_F(MainWindowTest, SaveAsksOnceWhenBothNamesExist) {
    // The user confirmed "notes"; "notes.txt" also exists and is asked about too.
    toolkit.SetText(c().textEditor, u"new");
    dir.Write("notes", test::Bytes("bare"));
    dir.Write("notes.txt", test::Bytes("old"));
    toolkit.QueueFileChoice(dir.U16("notes"));
    toolkit.QueueAnswer(kAnswerYes);
    toolkit.QueueAnswer(kAnswerNo);
    Click(c().saveButton);
    EXPECT_EQ(toolkit.messageBoxes().size(), 2u);
    EXPECT_EQ(dir.Read("notes"), test::Bytes("bare"));
    EXPECT_EQ(dir.Read("notes.txt"), test::Bytes("old"));
}

TEST_F(MainWindowTest, FailedSaveIsReported) {
    toolkit.SetText(c().textEditor, u"text");
    toolkit.QueueFileChoice(dir.U16("no such folder/a.txt"));
    Click(c().saveButton);
    ExpectOneBox(u"Error", u"The text could not be saved.", kMessageBoxOk);
    EXPECT_TRUE(dir.List().empty());
    EXPECT_EQ(Editor(), u"text");
}

TEST_F(MainWindowTest, EncodeThenDecodeRoundTripsThroughTheEditor) {
    struct Row {
        std::u16string password;
        std::u16string text;
        std::size_t encodedLength;
    };
    const std::vector<Row> rows = {
        {u"pw", u"Hallo Welt", 44},
        {u"", u"empty password", 44},
        {u"pass word", u"", 44},
        {u"\u00e4\U0001F511", u"\u00c4rger \U0001F600\r\nzweite Zeile", 64},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.text));
        toolkit.SetText(c().passwordField, row.password);
        toolkit.SetText(c().textEditor, row.text);
        EXPECT_EQ(Click(c().encodeButton), 1);
        const std::u16string encoded = Editor();
        EXPECT_EQ(encoded.size(), row.encodedLength);
        EXPECT_NE(encoded, row.text);
        // What the editor holds is the text job's output for this password.
        EXPECT_EQ(CryptText(encoded, row.password, kDecrypt), row.text);
        EXPECT_EQ(Click(c().decodeButton), 1);
        EXPECT_EQ(Editor(), row.text);
    }
    EXPECT_TRUE(toolkit.messageBoxes().empty());
    EXPECT_TRUE(toolkit.fileDialogs().empty());
    EXPECT_TRUE(starts.empty());
    EXPECT_EQ(toolkit.ControlText(c().passwordField), u"\u00e4\U0001F511");
}

// Someone who starts typing at once types the password; the actions that replace the editor's
// text show the wait cursor while they work, and only while they work: an error box or a file
// dialog comes after the cursor is back.
TEST_F(MainWindowTest, FirstFocusAndWaitCursor) {
    EXPECT_EQ(toolkit.focus(), c().passwordField);

    auto sequence = [&] {
        std::string seen;
        for (const auto& call : toolkit.calls()) {
            if (call.what == "busy") {
                seen += call.value != 0 ? "[" : "]";
            } else if (call.what == "text" || call.what == "message") {
                seen += call.what == "text" ? "t" : "m";
            }
        }
        return seen;
    };
    toolkit.SetText(c().passwordField, u"pw");
    toolkit.SetText(c().textEditor, u"text");
    Click(c().encodeButton);
    Click(c().decodeButton);
    EXPECT_EQ(sequence(), "[t][t]");
    toolkit.SetText(c().textEditor, u"no encrypted text");
    Click(c().decodeButton);
    EXPECT_EQ(sequence(), "[t][t][]m");
    dir.Write("in.txt", test::Bytes("loaded"));
    toolkit.QueueFileChoice(dir.U16("in.txt"));
    Click(c().loadButton);
    toolkit.QueueFileChoice(u"");  // cancelled: nothing to wait for
    Click(c().loadButton);
    EXPECT_EQ(sequence(), "[t][t][]m[t]");
    EXPECT_EQ(Editor(), u"loaded");
}

TEST_F(MainWindowTest, DecodeOfAForeignEncryptedText) {
    // Made outside the program (openssl enc -aes-256-cbc with key SHA-256("pw"), IV 00..0f).
    toolkit.SetText(c().passwordField, u"pw");
    toolkit.SetText(c().textEditor, u"AAECAwQFBgcICQoLDA0OD1UaDYwXNoAdCUS2kf5Tzs0=\r\n");
    Click(c().decodeButton);
    EXPECT_EQ(Editor(), u"Hallo Welt");
    EXPECT_TRUE(toolkit.messageBoxes().empty());
}

TEST_F(MainWindowTest, DecodeFailureKeepsTheEditorAndShowsTheError) {
    struct Row {
        std::u16string password;
        std::u16string text;
        Identity MainWindowControls::*button = &MainWindowControls::decodeButton;
        bool systemRandomFails = false;
    };
    const std::vector<Row> rows = {
        // Without the system's random source there is no IV: Encode fails like a bad Decode.
        {u"pw", u"any text", &MainWindowControls::encodeButton, true},
        {u"pw", u"this is no encrypted text"},
        {u"pw", u""},
        {u"pw", u"abc"},
        // The known answer above under a wrong password ("bad decrypt" with openssl, too).
        {u"wrong", u"AAECAwQFBgcICQoLDA0OD1UaDYwXNoAdCUS2kf5Tzs0="},
        {u"", u"AAECAwQFBgcICQoLDA0OD1UaDYwXNoAdCUS2kf5Tzs0="},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.password) + " / " + Narrow(row.text));
        ScriptedToolkit t;
        InitDpiScaling(t);
        auto w = BuildMainWindow(t, 0, 0, 800, 600, nullptr, kProgram);
        test::PasswordAnswers answers;
        answers.Install(t, w->controls().passwordField);
        t.SetText(w->controls().passwordField, row.password);
        t.SetText(w->controls().textEditor, row.text);
        if (row.systemRandomFails) {
            CloseSystemRandom();
        }
        t.QueueEvent(ControlEvent, w->controls().*row.button);
        EXPECT_EQ(HandleMainEvent(*w, t.WaitEvent(0)), 1);
        ASSERT_TRUE(OpenSystemRandom());
        EXPECT_EQ(t.ControlText(w->controls().textEditor), row.text);
        ASSERT_EQ(t.messageBoxes().size(), 1u);
        EXPECT_EQ(t.messageBoxes()[0].caption, u"Error");
        EXPECT_EQ(t.messageBoxes()[0].text, u"Encode/Decode Error!");
        EXPECT_EQ(t.messageBoxes()[0].type, kMessageBoxOk);
        for (const auto& call : t.calls()) {
            EXPECT_NE(call.what, "text");
        }
    }
}

TEST_F(MainWindowTest, FileButtonsStartTheFileJob) {
    struct Row {
        Identity MainWindowControls::*button;
        std::u16string password;
        std::u16string chosen;
        std::u16string parameters;
        std::u16string_view pattern;
        std::u16string savedAs = {};  // the output named in the save dialog, when one is asked
    };
    const std::vector<Row> rows = {
        {&MainWindowControls::encodeFileButton, u"pw", u"C:\\data\\a.bin",
         u"\"E\" \"C:\\data\\a.bin\" \"C:\\data\\a.bin.vx\"", texts::kAllFilesPattern},
        {&MainWindowControls::decodeFileButton, u"pw", u"C:\\data\\a.bin.vx",
         u"\"D\" \"C:\\data\\a.bin.vx\" \"C:\\data\\a.bin\"", texts::kContainerPattern},
        // A name without ".vx" has no output to derive: the user names it.
        {&MainWindowControls::decodeFileButton, u"pw", u"C:\\data\\report.pdf",
         u"\"D\" \"C:\\data\\report.pdf\" \"D:\\out\\report\"", texts::kContainerPattern,
         u"D:\\out\\report"},
        {&MainWindowControls::decodeFileButton, u"pw", u"C:\\report.vx.bak",
         u"\"D\" \"C:\\report.vx.bak\" \"C:\\r\"", texts::kContainerPattern, u"C:\\r"},
        {&MainWindowControls::decodeFileButton, u"pw", u"C:\\data\\a.VX",
         u"\"D\" \"C:\\data\\a.VX\" \"C:\\data\\a\"", texts::kContainerPattern},
        // An empty password is an empty secret.
        {&MainWindowControls::encodeFileButton, u"", u"C:\\data\\a.bin",
         u"\"E\" \"C:\\data\\a.bin\" \"C:\\data\\a.bin.vx\"", texts::kAllFilesPattern},
        {&MainWindowControls::decodeFileButton, u"", u"C:\\data\\a.bin.vx",
         u"\"D\" \"C:\\data\\a.bin.vx\" \"C:\\data\\a.bin\"", texts::kContainerPattern},
        // Spaces, quotes, an unpaired surrogate and non-ASCII reach the child unchanged.
        {&MainWindowControls::encodeFileButton, u"pass word \u00e4", u"C:\\my docs\\b c.txt",
         u"\"E\" \"C:\\my docs\\b c.txt\" \"C:\\my docs\\b c.txt.vx\"", texts::kAllFilesPattern},
        {&MainWindowControls::encodeFileButton, u"say \"cheese\" \xd800", u"C:\\data\\a.bin",
         u"\"E\" \"C:\\data\\a.bin\" \"C:\\data\\a.bin.vx\"", texts::kAllFilesPattern},
        {&MainWindowControls::decodeFileButton, u"\"", u"C:\\data\\a.bin.vx",
         u"\"D\" \"C:\\data\\a.bin.vx\" \"C:\\data\\a.bin\"", texts::kContainerPattern},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.parameters));
        starts.clear();
        toolkit.SetText(c().passwordField, row.password);
        toolkit.SetText(c().textEditor, u"editor");
        toolkit.QueueFileChoice(row.chosen);
        if (!row.savedAs.empty()) {
            toolkit.QueueFileChoice(row.savedAs);
        }
        const std::size_t dialogs = toolkit.fileDialogs().size();
        EXPECT_EQ(Click(c().*row.button), 1);
        ASSERT_EQ(starts.size(), 1u);
        // The password goes as the secret, never on the child's command line.
        EXPECT_EQ(starts[0], (Start{kProgram, row.parameters, kProgramFolder, row.password}));
        const auto& dialog = toolkit.fileDialogs().at(dialogs).args;
        EXPECT_EQ(dialog.pattern, row.pattern);
        EXPECT_FALSE(dialog.forSaving);
        ASSERT_EQ(toolkit.fileDialogs().size(), dialogs + (row.savedAs.empty() ? 1 : 2));
        if (!row.savedAs.empty()) {
            // Saving, in the input's folder, with no name offered (the input's own would be
            // refused).
            const auto& save = toolkit.fileDialogs().back().args;
            EXPECT_TRUE(save.forSaving);
            EXPECT_EQ(save.pattern, texts::kAllFilesPattern);
            const std::u16string folder = row.chosen.substr(0, row.chosen.rfind(u'\\'));
            EXPECT_EQ(save.initialFolder, folder.back() == u':' ? folder + u"\\" : folder);
            EXPECT_EQ(save.initialFileName, u"");
        }
        EXPECT_EQ(*LastUsedFolder(), row.chosen.substr(0, row.chosen.rfind(u'\\') + 1));
        EXPECT_EQ(Editor(), u"editor");
    }
    EXPECT_EQ(texts::kAllFilesPattern, u"Alle Dateien (*.*)|*.*");
    EXPECT_EQ(texts::kContainerPattern, u"Vexmorix (*.vx)|*.vx|Alle Dateien (*.*)|*.*");
    EXPECT_TRUE(toolkit.messageBoxes().empty());
}

TEST_F(MainWindowTest, FileJobsAskBeforeReplacingAnExistingOutput) {
    dir.Write("a.bin", test::Bytes("plain"));
    dir.Write("a.bin.vx", test::Bytes("container"));
    toolkit.SetText(c().passwordField, u"pw");
    const std::u16string encode =
        u"\"E\" \"" + dir.U16("a.bin") + u"\" \"" + dir.U16("a.bin.vx") + u"\"";
    const std::u16string decode =
        u"\"D\" \"" + dir.U16("a.bin.vx") + u"\" \"" + dir.U16("a.bin") + u"\"";
    struct Row {
        const char* how;
        std::function<void()> start;
        std::u16string parameters;
        std::u16string output;
    };
    const std::vector<Row> rows = {
        {"Encode file",
         [&] {
             toolkit.QueueFileChoice(dir.U16("a.bin"));
             Click(c().encodeFileButton);
         },
         encode, dir.U16("a.bin.vx")},
        {"Decode file",
         [&] {
             toolkit.QueueFileChoice(dir.U16("a.bin.vx"));
             Click(c().decodeFileButton);
         },
         decode, dir.U16("a.bin")},
        // Any other way into a file job (a dropped file) asks the same.
        {"a file handed to the window", [&] { window->StartFileJob(kEncrypt, dir.U16("a.bin")); },
         encode, dir.U16("a.bin.vx")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.how);
        for (int answer : {kAnswerNo, kAnswerYes}) {
            starts.clear();
            const std::size_t boxes = toolkit.messageBoxes().size();
            toolkit.QueueAnswer(answer);
            row.start();
            ASSERT_EQ(toolkit.messageBoxes().size(), boxes + 1);
            EXPECT_EQ(toolkit.messageBoxes().back().caption, texts::kInfoCaption);
            // The file on a line of its own above the question, which may come long after the
            // file was chosen or dropped.
            EXPECT_EQ(toolkit.messageBoxes().back().text,
                      row.output + u"\n" + std::u16string(texts::kOverwriteQuestion));
            EXPECT_EQ(toolkit.messageBoxes().back().type, kMessageBoxYesNo);
            if (answer == kAnswerNo) {
                EXPECT_TRUE(starts.empty());
            } else {
                ASSERT_EQ(starts.size(), 1u);
                EXPECT_EQ(starts[0].parameters, row.parameters);
            }
        }
    }
    // An output that does not exist yet is not asked about.
    dir.Write("b.bin", test::Bytes("plain"));
    const std::size_t boxes = toolkit.messageBoxes().size();
    EXPECT_TRUE(window->StartFileJob(kEncrypt, dir.U16("b.bin")));
    EXPECT_EQ(toolkit.messageBoxes().size(), boxes);
    EXPECT_EQ(dir.Read("a.bin.vx"), test::Bytes("container"));
}

TEST_F(MainWindowTest, FileButtonCancelledStartsNothing) {
    for (Identity button : {c().encodeFileButton, c().decodeFileButton}) {
        toolkit.QueueFileChoice(u"");
        EXPECT_EQ(Click(button), 1);
    }
    EXPECT_EQ(toolkit.fileDialogs().size(), 2u);
    EXPECT_FALSE(LastUsedFolder().has_value());
    // Decode file of a name without ".vx", its output not named.
    toolkit.QueueFileChoice(u"C:\\data\\report.pdf");
    toolkit.QueueFileChoice(u"");
    EXPECT_EQ(Click(c().decodeFileButton), 1);
    EXPECT_EQ(toolkit.fileDialogs().size(), 4u);
    ForgetLastUsedFolder();
    EXPECT_TRUE(starts.empty());
    EXPECT_TRUE(toolkit.messageBoxes().empty());
    EXPECT_FALSE(LastUsedFolder().has_value());
}

TEST_F(MainWindowTest, QuoteInThePasswordStartsTheJobWithItAsTheSecret) {
    for (const std::u16string password : {u"pa\"ss", u"\"", u"end\" \"E\" \"x\""}) {
        for (auto button :
             {&MainWindowControls::encodeFileButton, &MainWindowControls::decodeFileButton}) {
            starts.clear();
            toolkit.SetText(c().passwordField, password);
            toolkit.QueueFileChoice(u"C:\\data\\a.bin.vx");
            EXPECT_EQ(Click(c().*button), 1);
            ASSERT_EQ(starts.size(), 1u);
            EXPECT_EQ(starts[0].secret, password);
            EXPECT_EQ(starts[0].parameters,
                      button == &MainWindowControls::encodeFileButton
                          ? u"\"E\" \"C:\\data\\a.bin.vx\" \"C:\\data\\a.bin.vx.vx\""
                          : u"\"D\" \"C:\\data\\a.bin.vx\" \"C:\\data\\a.bin\"");
        }
    }
    EXPECT_TRUE(toolkit.messageBoxes().empty());
    // Text actions take such a password as they did.
    toolkit.SetText(c().passwordField, u"pa\"ss");
    toolkit.SetText(c().textEditor, u"quoted");
    Click(c().encodeButton);
    Click(c().decodeButton);
    EXPECT_EQ(Editor(), u"quoted");
    EXPECT_TRUE(toolkit.messageBoxes().empty());
}

TEST_F(MainWindowTest, StarterThatFailsIsReported) {
    starterWorks = false;
    toolkit.SetText(c().passwordField, u"pw");
    toolkit.QueueFileChoice(u"C:\\data\\a.bin");
    Click(c().encodeFileButton);
    EXPECT_EQ(starts.size(), 1u);
    ExpectOneBox(u"Error", u"The file job could not be started.", kMessageBoxOk);
}

// Whatever fails in Load, Save, Encode or Decode, the editor keeps what it held, and a box says
// what happened. "No memory" is a copy of the text that cannot be had.
TEST(MainWindowFailures, TheEditorsTextIsNeverLost) {
    struct Row {
        const char* what;
        Identity MainWindowControls::*button;
        std::string file;  // chosen in the dialog
        std::size_t fileSize;
        std::int64_t readBudget;
        std::size_t textCopyLimit;
        std::u16string_view box;
    };
    constexpr std::size_t kNoLimit = SIZE_MAX;
    const auto load = &MainWindowControls::loadButton;
    const auto size = static_cast<std::size_t>(LoadLimit);
    const std::vector<Row> rows = {
        {"Load of a missing file", load, "missing.txt", 0, -1, kNoLimit, texts::kLoadFailed},
        {"Load failing half-way", load, "in.txt", 6000, 4096, kNoLimit, texts::kLoadFailed},
        {"Load above the limit", load, "in.txt", size + 1, -1, kNoLimit, texts::kLoadTooLarge},
        {"Load without memory", load, "in.txt", 300, -1, 100, texts::kOutOfMemory},
        {"Encode without memory", &MainWindowControls::encodeButton, "", 0, -1, 40,
         texts::kOutOfMemory},
        {"Decode without memory", &MainWindowControls::decodeButton, "", 0, -1, 10,
         texts::kOutOfMemory},
        {"Save without memory", &MainWindowControls::saveButton, "out.txt", 0, -1, 10,
         texts::kOutOfMemory},
    };
    const std::u16string kept = u"the user's unsaved text";  // longer than any limit above
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        test::TempDir dir;
        if (row.fileSize > 0) {
            dir.Write(row.file, Bytes(row.fileSize, 'f'));
        }
        test::FaultyFileSystem disk;
        disk.readBudget = row.readBudget;
        ScriptedToolkit t;
        InitDpiScaling(t);
        auto w = BuildMainWindow(t, 0, 0, 800, 600, nullptr, kProgram, disk);
        test::PasswordAnswers answers;
        answers.Install(t, w->controls().passwordField);
        t.SetText(w->controls().passwordField, u"pw");
        t.SetText(w->controls().textEditor, kept);
        if (!row.file.empty()) {
            t.QueueFileChoice(dir.U16(row.file));
        }
        t.textCopyLimit = row.textCopyLimit;
        t.QueueEvent(ControlEvent, w->controls().*row.button);
        EXPECT_EQ(HandleMainEvent(*w, t.WaitEvent(0)), 1);
        t.textCopyLimit = kNoLimit;

        EXPECT_EQ(t.ControlText(w->controls().textEditor), kept);
        ASSERT_EQ(t.messageBoxes().size(), 1u);
        EXPECT_EQ(t.messageBoxes()[0].caption, texts::kErrorCaption);
        EXPECT_EQ(t.messageBoxes()[0].text, row.box);
        EXPECT_FALSE(std::filesystem::exists(dir.Path("out.txt")));
        if (row.box == texts::kLoadTooLarge) {
            EXPECT_EQ(disk.bytesRead.load(), 0);  // refused before reading
        }
        // The wait cursor is gone again.
        ASSERT_FALSE(t.calls().empty());
        for (auto call = t.calls().rbegin(); call != t.calls().rend(); ++call) {
            if (call->what == "busy") {
                EXPECT_EQ(call->value, 0);
                break;
            }
        }
    }
}

TEST(ChildCommandLine, ThreeQuotedFields) {
    struct Row {
        std::u16string letter, input, output, line;
    };
    const std::vector<Row> rows = {
        {u"E", u"a", u"a.vx", u"\"E\" \"a\" \"a.vx\""},
        {u"D", u"", u"", u"\"D\" \"\" \"\""},
        {u"E", u"C:\\a b\\c", u"C:\\a b\\c.vx", u"\"E\" \"C:\\a b\\c\" \"C:\\a b\\c.vx\""},
        // Nothing inside a field is escaped.
        {u"E", u"in\\", u"out", u"\"E\" \"in\\\" \"out\""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ChildCommandLine(row.letter, row.input, row.output), row.line)
            << Narrow(row.line);
    }
}

}  // namespace
}  // namespace vexmora
