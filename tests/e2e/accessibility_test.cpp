// The real windows as a keyboard user and a screen reader meet them: the password prompt driven
// with keys only, and the name and state that Microsoft Active Accessibility gives every control
// of the main window, the prompt and the progress window.
#include <windows.h>
// After windows.h:
#include <oleacc.h>

#include <functional>
#include <string>

#include "driver/accessibility.h"
#include "driver/user_input.h"
#include "e2e_test_support.h"
#include "main_window_session.h"

namespace vexmora::e2e {
namespace {

const std::wstring kPassword = L"gravy unmixed reprint hastily cubical shank";

// The prompt of a process started with `parameters`, once its controls are made ("Cancel" comes
// last) and the password field has the focus; null when none came.
HWND WaitForPrompt(const ProgramProcess& process) {
    HWND prompt = nullptr;
    WaitUntil(
        [&] {
            prompt = WaitForWindow(process.Id(), kTitle, 0ms);
            HWND focus = prompt != nullptr ? FocusedWindow(prompt) : nullptr;
            return focus != nullptr && SameClass(ClassName(focus), L"Edit");
        },
        30s);
    return prompt;
}

class AccessibilityTest : public ProgramTest {
  protected:
    ProgramProcess Start(const std::wstring& parameters) {
        return ProgramProcess::Start(ProgramPath(), parameters, Folder());
    }
};

// Tab walks the prompt (OK waits for the passwords, so it is passed over), the labels' access
// keys reach their fields, and Enter is OK. (Esc: the batch tests.)
TEST_F(AccessibilityTest, ThePromptIsAnsweredWithKeysAlone) {
    WriteBytes(At(L"a.txt"), PatternBytes(1000, 3));
    ProgramProcess process = Start(L"\"" + At(L"a.txt") + L"\"");
    HWND prompt = WaitForPrompt(process);
    ASSERT_NE(prompt, nullptr);
    FocusNames focus(prompt);
    int fields = 0;
    for (const ChildControl& control : ChildControls(prompt)) {
        if (SameClass(control.className, L"Edit") && (control.style & ES_PASSWORD) != 0) {
            focus.Add(control.window, fields++ == 0 ? "password" : "repeat");
        } else if (SameClass(control.className, L"Button")) {
            focus.Add(control.window, Narrow(VisibleText(control.text)));
        }
    }
    const auto press = [&](const Chord& chord) { return focus.Press(chord); };
    ASSERT_EQ(focus.Focused(), "password");
    const Chord tab{{}, VK_TAB};
    EXPECT_EQ(press(tab), "repeat");
    EXPECT_EQ(press(tab), "Generate");
    EXPECT_EQ(press(tab), "Cancel");
    EXPECT_EQ(press(tab), "password");
    EXPECT_EQ(press({{VK_MENU}, 'R'}), "repeat");
    ASSERT_TRUE(TypeKeys(prompt, kPassword));
    EXPECT_EQ(press({{VK_MENU}, 'P'}), "password");
    ASSERT_TRUE(TypeKeys(prompt, kPassword));
    ASSERT_TRUE(PressKey(prompt, VK_RETURN));
    EXPECT_EQ(process.WaitForExit(60s), std::optional<DWORD>(0));
    EXPECT_EQ(FileSize(At(L"a.txt.vx")), ContainerSize(1000));
}

// Every control has a name for a screen reader: its own text, the label created right before it
// (Wine, like Windows, names an edit control after it), or the name the program gives it. Wine's
// accessibility layer names neither rich edits nor progress bars and has no Dynamic Annotation
// (IAccPropServices answers E_NOTIMPL), so for those the test checks what a screen reader on
// Windows finds besides: a label with text right before the control. Password fields say that
// they are protected.
TEST_F(AccessibilityTest, EveryControlHasANameAndPasswordsAreProtected) {
    WriteBytes(At(L"a.txt"), PatternBytes(1000, 3));
    WriteZeroFile(At(L"big.bin"), 1024ull * 1024 * 1024);
    std::optional<MainWindowSession> main;
    const struct {
        const char* window;
        int passwordFields;
        // Opens the window as a user has it before them: what can show, shows (the strength line
        // says something, a passphrase was generated).
        std::function<std::optional<ProgramProcess>(HWND&)> open;
    } rows[] = {
        {"main window", 1,
         [&](HWND& window) -> std::optional<ProgramProcess> {
             main.emplace(Folder());
             window = main->Window();
             if (window != nullptr) {
                 EXPECT_TRUE(main->TypeKeysInto(main->PasswordField(), L"secret", L"secret"));
             }
             return std::nullopt;
         }},
        {"prompt", 2,
         [&](HWND& window) -> std::optional<ProgramProcess> {
             ProgramProcess process = Start(L"\"" + At(L"a.txt") + L"\"");
             window = WaitForPrompt(process);
             if (window != nullptr) {
                 EXPECT_TRUE(TypeKeys(window, L"secret"));
                 EXPECT_TRUE(PressChord(window, VK_MENU, 'G'));
                 // Copy shows with the passphrase.
                 EXPECT_TRUE(WaitUntil(
                     [&] {
                         for (const ChildControl& control : ChildControls(window)) {
                             if (VisibleText(control.text) == L"Copy") {
                                 return (control.style & WS_VISIBLE) != 0;
                             }
                         }
                         return false;
                     },
                     10s));
             }
             return process;
         }},
        {"progress window", 0,
         [&](HWND& window) -> std::optional<ProgramProcess> {
             // The table-driven AES keeps the job running while the driver looks.
             SetEnvironmentVariableW(L"VEXMORA_AES", L"table");
             ProgramProcess process = Start(QuotedParameters({L"E", At(L"big.bin"), L"pw"}));
             SetEnvironmentVariableW(L"VEXMORA_AES", nullptr);
             window = WaitForWindow(process.Id(), kTitle, 30s);
             // "Cancel" comes last.
             WaitUntil(
                 [&] {
                     const auto controls = ChildControls(window);
                     return !controls.empty() && SameClass(controls.back().className, L"Button");
                 },
                 10s);
             return process;
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.window);
        HWND window = nullptr;
        std::optional<ProgramProcess> process = row.open(window);
        ASSERT_NE(window, nullptr);
        // Once the strength line has caught up with the typing.
        ASSERT_TRUE(Synchronize(window));
        int protectedFields = 0;
        for (const ChildControl& control : ChildControls(window)) {
            SCOPED_TRACE(Narrow(control.className) + " \"" + Narrow(control.text) + "\"");
            const std::optional<AccessibleControl> seen = Accessible(control.window);
            ASSERT_TRUE(seen.has_value()) << "no accessible object";
            // A screen reader passes over what does not show (a batch's lines in a single job's
            // window); the hidden labels that name a control are checked as its labels.
            if ((control.style & WS_VISIBLE) == 0) {
                continue;
            }
            if (seen->name.empty()) {
                EXPECT_TRUE(SameClass(control.className, L"RichEdit20W") ||
                            SameClass(control.className, L"msctls_progress32"))
                    << "no name";
                HWND label = GetWindow(control.window, GW_HWNDPREV);
                EXPECT_TRUE(label != nullptr && SameClass(ClassName(label), L"Static") &&
                            !WindowText(label).empty())
                    << "no label with text right before it";
            }
            if ((control.style & ES_PASSWORD) != 0 && SameClass(control.className, L"Edit")) {
                ++protectedFields;
                EXPECT_NE(seen->state & STATE_SYSTEM_PROTECTED, 0)
                    << "state 0x" << std::hex << seen->state;
            }
        }
        EXPECT_EQ(protectedFields, row.passwordFields);
        if (process) {
            ASSERT_TRUE(PostCloseRequest(window));
            EXPECT_EQ(process->WaitForExit(60s), std::optional<DWORD>(1));
        } else {
            EXPECT_EQ(main->Close(), std::optional<DWORD>(0));
        }
    }
}

}  // namespace
}  // namespace vexmora::e2e
