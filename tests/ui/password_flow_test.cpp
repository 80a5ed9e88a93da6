// Setting a password to encrypt, over the scripted toolkit: the main window's repeat dialog and
// the question before a weak password, the strength line as the password is typed, generated
// passphrases, and the same in the prompt. Decrypting never asks.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "crypto/passphrase.h"
#include "crypto/password_strength.h"
#include "password_answers.h"
#include "test_support.h"
#include "toolkit/scripted_toolkit.h"
#include "ui/dialog_grid.h"
#include "ui/dpi.h"
#include "ui/file_dialogs.h"
#include "ui/main_window.h"
#include "ui/password_rating.h"
#include "ui/prompt_window.h"
#include "ui/texts.h"

namespace vexmora {
namespace {

// Rated far apart by the estimator (its own tests place them in their bands).
const std::u16string kWeak = u"password";
const std::u16string kStrong = u"gravy unmixed reprint hastily cubical shank";

std::vector<std::u16string> Words(std::u16string_view text) {
    std::vector<std::u16string> words(1);
    for (char16_t c : text) {
        if (c == u' ') {
            words.emplace_back();
        } else {
            words.back().push_back(c);
        }
    }
    return words;
}

bool IsPassphrase(std::u16string_view text) {
    const std::vector<std::u16string> words = Words(text);
    if (words.size() != static_cast<std::size_t>(kPassphraseWords)) {
        return false;
    }
    for (const std::u16string& word : words) {
        bool found = false;
        for (std::size_t i = 0; i < PassphraseWordCount() && !found; ++i) {
            const std::string_view listed = PassphraseWord(i);
            found = std::u16string(listed.begin(), listed.end()) == word;
        }
        if (!found) {
            return false;
        }
    }
    return true;
}

// Counts round down, units change at their boundaries, and the German form follows "in".
TEST(DurationText, LargestUnitThatFitsRoundedDown) {
    constexpr double kDay = 86400;
    constexpr double kYear = 365.25 * kDay;
    const std::vector<std::tuple<double, std::u16string, std::u16string>> rows = {
        {0.45, u"under a second", u"unter einer Sekunde"},
        {1.9, u"1 second", u"einer Sekunde"},
        {59.9, u"59 seconds", u"59 Sekunden"},
        {60, u"1 minute", u"einer Minute"},
        {3 * 3600 + 3599, u"3 hours", u"3 Stunden"},
        {4.6 * kDay, u"4 days", u"4 Tagen"},
        {364 * kDay, u"364 days", u"364 Tagen"},
        {99.9 * kYear, u"99 years", u"99 Jahren"},
        {100 * kYear, u"1 century", u"einem Jahrhundert"},
        {999 * kYear, u"9 centuries", u"9 Jahrhunderten"},
        {1000 * kYear, u"millennia", u"Jahrtausenden"},
        {1e300, u"millennia", u"Jahrtausenden"},
    };
    for (const auto& [seconds, english, german] : rows) {
        EXPECT_EQ(DurationText(seconds, texts::kDurationEnglish), english) << seconds;
        EXPECT_EQ(DurationText(seconds, texts::kDurationGerman), german) << seconds;
    }
    // 10^12 guesses at 2.2e12 per second: the end of the very weak band.
    EXPECT_EQ(DurationText(AttackSeconds(12), texts::kDurationEnglish), u"under a second");
    EXPECT_EQ(DurationText(AttackSeconds(18), texts::kDurationEnglish), u"5 days");
}

class MainWindowPasswordTest : public ::testing::Test {
  public:  // the table's actions reach in
    void SetUp() override {
        ForgetLastUsedFolder();
        InitDpiScaling(toolkit);
        window = BuildMainWindow(
            toolkit, 0, 0, 800, 600,
            [this](std::u16string_view, std::u16string_view parameters, std::u16string_view,
                   std::span<const std::uint8_t> secret) {
                started.push_back(std::u16string(parameters).substr(0, 3) + u" " +
                                  test::SecretAsText(secret));
                return std::make_unique<test::FakeChild>();
            },
            u"C:\\Vexmora\\vexmora.exe", RealFileSystem(), test::SeededRandom(11));
        answers.Install(toolkit, c().passwordField);
    }
    void TearDown() override { ForgetLastUsedFolder(); }

    const MainWindowControls& c() const { return window->controls(); }
    void Type(std::u16string_view password) {
        toolkit.SetText(c().passwordField, std::u16string(password));
        toolkit.QueueEvent(ControlEvent, c().passwordField);
        HandleMainEvent(*window, toolkit.WaitEvent(0));
    }
    const ScriptedToolkit::Control& Control(Identity id) const { return toolkit.controls().at(id); }
    // Clicks a button; the file dialog it opens, if any, chooses `chosen`.
    void Click(Identity button, std::optional<std::u16string> chosen = u"C:\\d\\a.txt") {
        if (chosen) {
            toolkit.QueueFileChoice(std::move(*chosen));
        }
        toolkit.QueueEvent(ControlEvent, button);
        HandleMainEvent(*window, toolkit.WaitEvent(0));
    }
    // The boxes that said `text`, from the from-th on.
    std::size_t Boxes(std::u16string_view text, std::size_t from = 0) const {
        std::size_t n = 0;
        for (std::size_t i = from; i < toolkit.messageBoxes().size(); ++i) {
            n += toolkit.messageBoxes()[i].text.find(text) != std::u16string::npos;
        }
        return n;
    }

    ScriptedToolkit toolkit{96};
    test::PasswordAnswers answers;
    std::unique_ptr<MainWindow> window;
    std::vector<std::u16string> started;  // "E" or "D" and the secret of each job
};

// Each way of encrypting, with each answer to the repeat dialog and the weak question.
TEST_F(MainWindowPasswordTest, EveryEncryptionRepeatsThePasswordAndAWeakOneNeedsAYes) {
    using Action = std::function<void(MainWindowPasswordTest&)>;
    const std::vector<std::pair<const char*, Action>> actions = {
        {"Encode", [](auto& t) { t.Click(t.c().encodeButton, std::nullopt); }},
        {"Encode file", [](auto& t) { t.Click(t.c().encodeFileButton); }},
        {"drop", [](auto& t) {
             ASSERT_TRUE(t.toolkit.QueueDrop(t.c().window, {u"C:\\d\\a.txt", u"C:\\d\\b.vx"}));
             HandleMainEvent(*t.window, t.toolkit.WaitEvent(0));
         }}};
    struct Row {
        const char* what;
        std::u16string password;
        std::optional<std::u16string> repeat;  // nullopt: the same
        bool cancel;
        int weakAnswer;
        bool encrypts, mismatchBox, weakAsked;
    };
    const std::vector<Row> rows = {
        {"strong, repeated", kStrong, {}, false, kAnswerNo, true, false, false},
        {"strong, mistyped", kStrong, kStrong + u"x", false, kAnswerYes, false, true, false},
        {"strong, cancelled", kStrong, {}, true, kAnswerYes, false, false, false},
        {"weak, No", kWeak, {}, false, kAnswerNo, false, false, true},
        {"weak, Yes", kWeak, {}, false, kAnswerYes, true, false, true},
        {"weak, mistyped", kWeak, u"Password", false, kAnswerYes, false, true, false},
    };
    for (const auto& [name, action] : actions) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(name) + ": " + row.what);
            SetUp();
            answers = {};
            answers.Install(toolkit, c().passwordField);
            started.clear();
            const std::size_t boxesBefore = toolkit.messageBoxes().size();
            answers.repeat = row.repeat;
            answers.cancel = row.cancel;
            answers.weakAnswer = row.weakAnswer;
            Type(row.password);
            toolkit.SetText(c().textEditor, u"plain");
            action(*this);
            EXPECT_EQ(answers.repeatsAsked, 1);
            EXPECT_EQ(Boxes(texts::kPasswordMismatch, boxesBefore), row.mismatchBox ? 1u : 0u);
            EXPECT_EQ(answers.weakAsked, row.weakAsked ? 1 : 0);
            const bool textEncrypted = Control(c().textEditor).text != u"plain";
            if (std::string(name) == "Encode") {
                EXPECT_EQ(textEncrypted, row.encrypts);
                EXPECT_TRUE(started.empty());
            } else {
                EXPECT_FALSE(textEncrypted);
                // A drop that may not encrypt starts nothing of it, its container neither.
                std::vector<std::u16string> expected;
                if (row.encrypts) {
                    expected.push_back(u"\"E\" " + row.password);
                    if (std::string(name) == "drop") {
                        expected.push_back(u"\"D\" " + row.password);
                    }
                }
                EXPECT_EQ(started, expected);
            }
            EXPECT_EQ(toolkit.OpenDialog(), kNoIdentity);
            TearDown();
        }
    }
}

TEST_F(MainWindowPasswordTest, AConfirmedPasswordIsNotAskedAgainUntilTheFieldChanges) {
    Type(kWeak);
    Click(c().encodeFileButton);
    Click(c().encodeFileButton, u"C:\\d\\b.txt");
    EXPECT_EQ(answers.repeatsAsked, 1);
    EXPECT_EQ(answers.weakAsked, 1);
    Type(kStrong);
    Click(c().encodeFileButton);
    EXPECT_EQ(answers.repeatsAsked, 2);
    EXPECT_EQ(answers.weakAsked, 1);
    EXPECT_EQ(started.size(), 3u);
    // Answered No, a weak password is asked about again the next time.
    answers.weakAnswer = kAnswerNo;
    Type(kWeak + u"!");
    Click(c().encodeFileButton);
    Click(c().encodeFileButton);
    EXPECT_EQ(answers.repeatsAsked, 4);
    EXPECT_EQ(answers.weakAsked, 3);
    EXPECT_EQ(started.size(), 3u);
}

TEST_F(MainWindowPasswordTest, DecryptingNeverAsksNorRates) {
    Type(u"a");
    toolkit.SetText(c().textEditor, u"not base64 at all");
    Click(c().decodeButton, std::nullopt);
    Click(c().decodeFileButton, u"C:\\d\\a.txt.vx");
    ASSERT_TRUE(toolkit.QueueDrop(c().window, {u"C:\\d\\b.vx"}));
    HandleMainEvent(*window, toolkit.WaitEvent(0));
    EXPECT_EQ(answers.repeatsAsked, 0);
    EXPECT_EQ(answers.weakAsked, 0);
    EXPECT_EQ(started, (std::vector<std::u16string>{u"\"D\" a", u"\"D\" a"}));
}

TEST_F(MainWindowPasswordTest, TheStrengthLineFollowsTheField) {
    const StrengthDisplay line{c().strengthLabel, c().strengthBar};
    EXPECT_EQ(Control(line.label).text, u"");
    EXPECT_FALSE(Control(line.bar).shown);
    // Under the field, inside the Password frame, clear of every other control.
    const Rect frame = Control(c().passwordFrame).args.rect;
    const Rect field = Control(c().passwordField).args.rect;
    for (Identity id : {line.label, line.bar}) {
        const Rect r = Control(id).args.rect;
        EXPECT_GE(r.y, field.y + field.height);
        EXPECT_LE(r.y + r.height, frame.y + frame.height);
        EXPECT_GE(r.x, field.x);
    }

    Type(kWeak);
    EXPECT_EQ(Control(line.label).text, StrengthLine(kWeak));
    EXPECT_EQ(Control(line.label).text.rfind(u"very weak: found in ", 0), 0u);
    EXPECT_TRUE(Control(line.bar).shown);
    EXPECT_EQ(Control(line.bar).barState, BarState::Error);
    const std::int32_t weakBar = Control(line.bar).progressPosition;

    Type(kStrong);
    EXPECT_EQ(Control(line.label).text, StrengthLine(kStrong));
    EXPECT_EQ(Control(line.label).text.rfind(u"strong: ", 0), 0u);
    EXPECT_EQ(Control(line.bar).barState, BarState::Normal);
    EXPECT_GT(Control(line.bar).progressPosition, weakBar);

    Type(u"");
    EXPECT_EQ(Control(line.label).text, u"");
    EXPECT_FALSE(Control(line.bar).shown);
}

TEST_F(MainWindowPasswordTest, GenerateInTheRepeatDialogEncryptsWithANewPassphrase) {
    Type(kWeak);
    answers.generate = true;
    Click(c().encodeFileButton);
    const std::u16string first = Control(c().passwordField).text;
    EXPECT_TRUE(IsPassphrase(first)) << first.size();
    EXPECT_EQ(Control(c().strengthLabel).text, texts::kGeneratedStrength);
    // No question: six list words are strong, and the generated passphrase is known to be.
    EXPECT_EQ(answers.weakAsked, 0);
    ASSERT_EQ(started, (std::vector<std::u16string>{u"\"E\" " + first}));
    // Once the field holds it, it is the confirmed password.
    Click(c().encodeFileButton, u"C:\\d\\b.txt");
    EXPECT_EQ(answers.repeatsAsked, 1);
    EXPECT_EQ(started.back(), u"\"E\" " + first);

    Type(u"other");
    Click(c().encodeFileButton);
    EXPECT_NE(Control(c().passwordField).text, first);
    EXPECT_TRUE(IsPassphrase(Control(c().passwordField).text));
}

TEST_F(MainWindowPasswordTest, TheRepeatDialogIsAModalDialogOfTheWindow) {
    Type(kStrong);
    std::optional<ScriptedToolkit::Window> seen;
    bool checked = false;
    toolkit.onIdle = [&](ScriptedToolkit& t) {
        const Identity dialog = t.OpenDialog();
        if (dialog == kNoIdentity) {
            return;
        }
        const Identity field = t.FindControl(dialog, ControlKind::PasswordField);
        const Identity copy = t.FindControl(dialog, ControlKind::PushButton, texts::kCopyButton);
        const Identity shown = t.FindControl(dialog, ControlKind::ReadOnlyField);
        if (seen) {
            if (!checked) {
                checked = true;
                EXPECT_TRUE(t.controls().at(copy).shown);
                EXPECT_TRUE(IsPassphrase(t.clipboard()));
                // A second click draws another, into both places.
                EXPECT_NE(t.controls().at(shown).text, t.clipboard());
                EXPECT_EQ(t.controls().at(field).text, t.controls().at(shown).text);
                EXPECT_TRUE(t.PressShortcut(dialog, ShortcutKey::Escape));
            }
            return;
        }
        seen = t.windows().at(dialog);
        EXPECT_EQ(t.focus(), field);
        // Generate shows the passphrase and Copy takes it to the clipboard.
        const Identity generate =
            t.FindControl(dialog, ControlKind::PushButton, texts::kGenerateButton);
        EXPECT_FALSE(t.controls().at(copy).shown);
        t.QueueEvent(ControlEvent, generate, dialog);
        t.QueueEvent(ControlEvent, copy, dialog);
        t.QueueEvent(ControlEvent, generate, dialog);
    };
    Click(c().encodeFileButton);
    ASSERT_TRUE(seen.has_value());
    EXPECT_TRUE(checked);
    EXPECT_EQ(seen->args.owner, c().window);
    EXPECT_EQ(seen->args.clientWidth, Scaled(dialog_grid::kClientWidth));  // as wide as the prompt
    EXPECT_TRUE(seen->shortcuts.count(ShortcutKey::Enter));
    // Esc cancelled: the field keeps the typed password, nothing starts.
    EXPECT_EQ(Control(c().passwordField).text, kStrong);
    EXPECT_TRUE(started.empty());
}

TEST_F(MainWindowPasswordTest, AFailingRandomSourceGeneratesNothing) {
    window = BuildMainWindow(
        toolkit, 0, 0, 800, 600, [](auto...) { return std::make_unique<test::FakeChild>(); },
        u"C:\\v.exe", RealFileSystem(), [](std::span<std::uint8_t>) { return false; });
    answers.Install(toolkit, c().passwordField);
    answers.generate = true;
    Type(kStrong);
    Click(c().encodeFileButton);
    EXPECT_EQ(Boxes(texts::kGenerateFailed), 1u);
    // OK then came with an empty repeat: a mismatch, nothing starts.
    EXPECT_EQ(Boxes(texts::kPasswordMismatch), 1u);
    EXPECT_EQ(Control(c().passwordField).text, kStrong);
}

class PromptPasswordTest : public ::testing::Test {
  protected:
    std::unique_ptr<PromptWindow> Open(Direction direction) {
        InitDpiScaling(toolkit);
        toolkit.answerBox = [this](const ScriptedToolkit::MessageBox& box) -> std::optional<int> {
            EXPECT_EQ(box.caption, texts::kWarningCaption);
            EXPECT_EQ(box.type, kMessageBoxYesNo | kMessageBoxDefaultSecond | kMessageBoxWarning);
            ++weakAsked;
            return weakAnswer;
        };
        const std::u16string file = direction == kEncrypt ? u"C:\\d\\a.txt" : u"C:\\d\\a.vx";
        return OpenPromptWindow(toolkit, {direction, {{file}}, u"caption", {file}},
                                test::SeededRandom(5));
    }
    PromptState Press(PromptWindow& prompt, Identity control) {
        toolkit.QueueEvent(ControlEvent, control, prompt.controls().window);
        return prompt.Handle(toolkit.WaitEvent(0));
    }
    void TypeBoth(PromptWindow& prompt, std::u16string_view password) {
        toolkit.SetText(prompt.controls().passwordField, std::u16string(password));
        toolkit.SetText(prompt.controls().repeatField, std::u16string(password));
        Press(prompt, prompt.controls().passwordField);
    }

    ScriptedToolkit toolkit{96};
    int weakAnswer = kAnswerNo;
    int weakAsked = 0;
};

TEST_F(PromptPasswordTest, AWeakPasswordNeedsAYesAndNoKeepsThePromptOpen) {
    auto prompt = Open(kEncrypt);
    const PromptControls& c = prompt->controls();
    TypeBoth(*prompt, kWeak);
    EXPECT_EQ(toolkit.controls().at(c.strength.label).text, StrengthLine(kWeak));
    EXPECT_EQ(Press(*prompt, c.okButton), PromptState::Open);
    EXPECT_EQ(weakAsked, 1);
    EXPECT_EQ(prompt->password().view(), u"");
    weakAnswer = kAnswerYes;
    EXPECT_EQ(Press(*prompt, c.okButton), PromptState::Accepted);
    EXPECT_EQ(prompt->password().view(), kWeak);

    // A strong password is not asked about; decrypting never is.
    for (const Direction direction : {kEncrypt, kDecrypt}) {
        weakAsked = 0;
        auto other = Open(direction);
        if (direction == kEncrypt) {
            TypeBoth(*other, kStrong);
        } else {
            toolkit.SetText(other->controls().passwordField, u"a");
            EXPECT_EQ(other->controls().strength.label, kNoIdentity);
        }
        EXPECT_EQ(Press(*other, other->controls().okButton), PromptState::Accepted);
        EXPECT_EQ(weakAsked, 0);
    }
}

TEST_F(PromptPasswordTest, GenerateFillsBothFieldsAndEachClickDrawsAnew) {
    auto prompt = Open(kEncrypt);
    const PromptControls& c = prompt->controls();
    const PassphraseRow& row = prompt->passphraseRow();
    std::vector<std::u16string> drawn;
    for (int i = 0; i < 3; ++i) {
        Press(*prompt, row.generateButton());
        drawn.push_back(toolkit.controls().at(row.field()).text);
        EXPECT_TRUE(IsPassphrase(drawn.back()));
        EXPECT_EQ(toolkit.controls().at(c.passwordField).text, drawn.back());
        EXPECT_EQ(toolkit.controls().at(c.repeatField).text, drawn.back());
        EXPECT_EQ(toolkit.controls().at(c.strength.label).text, texts::kGeneratedStrength);
        EXPECT_TRUE(toolkit.controls().at(c.okButton).enabled);
    }
    EXPECT_NE(drawn[0], drawn[1]);
    EXPECT_NE(drawn[1], drawn[2]);
    Press(*prompt, row.copyButton());
    EXPECT_EQ(toolkit.clipboard(), drawn[2]);
    EXPECT_EQ(Press(*prompt, c.okButton), PromptState::Accepted);
    EXPECT_EQ(weakAsked, 0);
}

}  // namespace
}  // namespace vexmora
