// Setting a password to encrypt in the real main window, driven with key presses: the strength
// line as the password is typed, the repeat dialog, the question before a weak password, and
// generated passphrases. Scripts' command lines keep working without a word.
#include <string>
#include <vector>

#include "driver/system_dialogs.h"
#include "main_window_session.h"

namespace vexmora::e2e {
namespace {

const std::wstring kStrong = L"gravy unmixed reprint hastily cubical shank";

class MainWindowPasswordTest : public ProgramTest {
  protected:
    void SetUp() override {
        app_.emplace(Folder());
        ASSERT_TRUE(app_->Ready());
        WritePatternFile(At(L"data.bin"), 70000, 5);
        original_ = ReadBytes(At(L"data.bin"));
    }
    void TearDown() override {
        if (app_) {
            EXPECT_EQ(app_->Close(), 0u);
        }
    }

    // The strength line: the static text under the password field.
    std::wstring StrengthText() const {
        const RECT field = ChildRect(app_->PasswordField());
        for (const ChildControl& control : ChildControls(app_->Window())) {
            if (SameClass(control.className, L"Static") && control.rect.top >= field.bottom &&
                control.rect.top < field.bottom + 20) {
                return control.text;
            }
        }
        return L"<no strength line>";
    }
    RECT ChildRect(HWND control) const {
        for (const ChildControl& child : ChildControls(app_->Window())) {
            if (child.window == control) {
                return child.rect;
            }
        }
        return {};
    }
    // Clicks Encode file and chooses data.bin.
    void EncodeFile() { ASSERT_TRUE(app_->ChooseThrough(L"Encode file", At(L"data.bin"))); }
    // Nothing started and nothing was written, a while after the last answer.
    ::testing::AssertionResult NothingStarted() {
        if (WaitUntil([&] { return !ChildProcessIds(app_->Process().Id()).empty(); }, 2s)) {
            return ::testing::AssertionFailure() << "a job started";
        }
        if (ListFolder(Folder()).size() != 1) {
            return ::testing::AssertionFailure() << "the folder changed";
        }
        return ::testing::AssertionSuccess();
    }
    // The job the window started wrote data.bin.vx, which the script form decrypts with
    // `password` into the original bytes.
    ::testing::AssertionResult EncryptedWith(const std::wstring& password) {
        if (!WaitUntil(
                [&] {
                    return FileExists(At(L"data.bin.vx")) &&
                           FileSize(At(L"data.bin.vx")) == ContainerSize(original_.size()) &&
                           ChildProcessIds(app_->Process().Id()).empty();
                },
                60s)) {
            return ::testing::AssertionFailure() << "no whole data.bin.vx appeared";
        }
        const RunResult run =
            Run(QuotedParameters({L"D", At(L"data.bin.vx"), At(L"back.bin"), password}));
        if (!JobSucceeded(run)) {
            return ::testing::AssertionFailure() << "it does not decrypt with the password";
        }
        if (ReadBytes(At(L"back.bin")) != original_) {
            return ::testing::AssertionFailure() << "it decrypts to other bytes";
        }
        return ::testing::AssertionSuccess();
    }

    std::optional<MainWindowSession> app_;
    Bytes original_;
};

TEST_F(MainWindowPasswordTest, TheRatingFollowsTheTypingAndAnEmptyFieldShowsNone) {
    EXPECT_EQ(StrengthText(), L"");
    // Typed with key presses: each one changes the field, and the line follows.
    ASSERT_TRUE(app_->TypeKeysInto(app_->PasswordField(), L"password", L"password"));
    ASSERT_TRUE(WaitUntil([&] { return StrengthText().starts_with(L"very weak: found in"); }, 10s))
        << Narrow(StrengthText());
    EXPECT_TRUE(StrengthText().ends_with(L"by 100 graphics cards")) << Narrow(StrengthText());
    const std::wstring more = L" gravy unmixed reprint hastily cubical shank";
    ASSERT_TRUE(app_->TypeKeysInto(app_->PasswordField(), more, L"password" + more));
    ASSERT_TRUE(WaitUntil([&] { return StrengthText().starts_with(L"strong: "); }, 10s))
        << Narrow(StrengthText());
    ASSERT_TRUE(app_->TypePassword(L""));
    ASSERT_TRUE(WaitUntil([&] { return StrengthText().empty(); }, 10s)) << Narrow(StrengthText());
}

TEST_F(MainWindowPasswordTest, AMistypedRepeatWritesNothingTheRightOneAFileThatOpens) {
    ASSERT_TRUE(app_->TypePassword(kStrong));
    EncodeFile();
    ASSERT_TRUE(app_->ConfirmPassword(kStrong + L"x"));
    HWND box = WaitForBox(app_->Process().Id(), 15s);
    ASSERT_NE(box, nullptr) << "the mismatch was not told";
    EXPECT_EQ(WindowText(box), kErrorCaption);
    EXPECT_TRUE(MessageBoxText(box).starts_with(L"Die beiden Passw\u00f6rter stimmen nicht"));
    ASSERT_TRUE(AnswerBox(box, IDOK));
    EXPECT_TRUE(NothingStarted());

    EncodeFile();
    bool asked = true;
    ASSERT_TRUE(app_->ConfirmPassword(std::nullopt, IDYES, &asked));
    EXPECT_FALSE(asked) << "a strong password was called weak";
    EXPECT_TRUE(EncryptedWith(kStrong));
    // Decode file asks nothing more than before: the job starts at once.
    ASSERT_TRUE(DeleteFileW(At(L"data.bin").c_str()));
    ASSERT_TRUE(app_->ChooseThrough(L"Decode file", At(L"data.bin.vx")));
    EXPECT_EQ(WaitForRepeatDialog(app_->Process().Id(), app_->Window(), 2s), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return FileExists(At(L"data.bin")); }, 60s));
}

// The repeat dialog with the keyboard: Esc is Cancel, and so is Enter on Cancel; Enter from the
// field is OK.
TEST_F(MainWindowPasswordTest, EscAndEnterOnCancelStartNothingEnterStartsTheJob) {
    ASSERT_TRUE(app_->TypePassword(kStrong));
    const struct {
        const char* what;
        std::vector<Chord> keys;
    } cancels[] = {
        {"Esc", {{{}, VK_ESCAPE}}},
        // Generate, OK, Cancel.
        {"Enter on Cancel", {{{}, VK_TAB}, {{}, VK_TAB}, {{}, VK_TAB}, {{}, VK_RETURN}}},
    };
    for (const auto& cancel : cancels) {
        SCOPED_TRACE(cancel.what);
        EncodeFile();
        HWND dialog = WaitForRepeatDialog(app_->Process().Id(), app_->Window(), 30s);
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(TypeKeys(dialog, kStrong));
        for (const Chord& chord : cancel.keys) {
            ASSERT_TRUE(Press(dialog, chord)) << Describe(chord);
        }
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 15s)) << "the dialog stayed";
        EXPECT_TRUE(NothingStarted());
        EXPECT_EQ(WaitForBox(app_->Process().Id(), 0ms), nullptr);
    }
    EncodeFile();
    ASSERT_TRUE(app_->ConfirmPassword());
    EXPECT_TRUE(EncryptedWith(kStrong));
}

TEST_F(MainWindowPasswordTest, AWeakPasswordAnsweredNoWritesNothingYesWritesAFileThatOpens) {
    ASSERT_TRUE(app_->TypePassword(L"Summer2024!"));
    EncodeFile();
    bool asked = false;
    ASSERT_TRUE(app_->ConfirmPassword(std::nullopt, IDNO, &asked));
    EXPECT_TRUE(asked);
    EXPECT_TRUE(NothingStarted());
    // No leaves the password unconfirmed: the next try asks both again.
    EncodeFile();
    asked = false;
    ASSERT_TRUE(app_->ConfirmPassword(std::nullopt, IDYES, &asked));
    EXPECT_TRUE(asked);
    EXPECT_TRUE(EncryptedWith(L"Summer2024!"));
}

TEST_F(MainWindowPasswordTest, AGeneratedPassphraseReadOffTheDialogOpensTheFile) {
    ASSERT_TRUE(app_->TypePassword(L"x"));
    EncodeFile();
    HWND dialog = WaitForRepeatDialog(app_->Process().Id(), app_->Window(), 30s);
    ASSERT_NE(dialog, nullptr);
    // The dialog shows before its controls are made.
    HWND generate = nullptr;
    HWND shown = nullptr;
    WaitUntil(
        [&] {
            for (const ChildControl& control : ChildControls(dialog)) {
                if (SameClass(control.className, L"Button") &&
                    VisibleText(control.text) == L"Generate") {
                    generate = control.window;
                }
                if (SameClass(control.className, L"Edit") && (control.style & ES_READONLY) != 0) {
                    shown = control.window;
                }
            }
            return generate != nullptr && shown != nullptr;
        },
        10s);
    ASSERT_NE(generate, nullptr);
    ASSERT_NE(shown, nullptr);
    // Each click draws another six words, shown in plain text.
    std::vector<std::wstring> drawn;
    for (int i = 0; i < 2; ++i) {
        const std::wstring before = ControlText(shown).value_or(L"");
        ASSERT_TRUE(PostClick(generate));
        ASSERT_TRUE(WaitUntil([&] { return ControlText(shown).value_or(L"") != before; }, 10s));
        drawn.push_back(*ControlText(shown));
        EXPECT_EQ(std::count(drawn.back().begin(), drawn.back().end(), L' '), 5)
            << Narrow(drawn.back());
    }
    EXPECT_NE(drawn[0], drawn[1]);
    // The click left the focus on Generate, where Enter would draw again: back in the field (the
    // access key of its label), Enter is OK.
    ASSERT_TRUE(PressChord(dialog, VK_MENU, 'R'));
    ASSERT_TRUE(WaitUntil([&] { return FocusedWindow(dialog) != generate; }, 5s));
    EXPECT_TRUE(SameClass(ClassName(FocusedWindow(dialog)), L"Edit"));
    ASSERT_TRUE(PressKey(dialog, VK_RETURN));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 15s));
    // Strong, so no question; the field now holds the passphrase.
    EXPECT_TRUE(EncryptedWith(drawn.back()));
    EXPECT_EQ(WaitForBox(app_->Process().Id(), 0ms), nullptr);
    EXPECT_EQ(StrengthText(), L"strong: 6 random words, 77.5 bits");
}

TEST_F(ProgramTest, AScriptsOneLetterPasswordNeedsNoAnswer) {
    WriteBytes(At(L"in"), Bytes{'a', 'b', 'c'});
    ASSERT_TRUE(JobSucceeded(Run(L"E \"" + At(L"in") + L"\" a")));
    ASSERT_TRUE(JobSucceeded(Run(L"D \"" + At(L"in.vx") + L"\" \"" + At(L"back") + L"\" a")));
    EXPECT_EQ(ReadBytes(At(L"back")), (Bytes{'a', 'b', 'c'}));
}

}  // namespace
}  // namespace vexmora::e2e
