// One run of the program in window mode, driven from outside as a user drives it: its window and
// controls found, typing, clicks, file dialogs and closing. Shared by the window's test files.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "driver/system_dialogs.h"
#include "driver/user_input.h"
#include "e2e_test_support.h"

namespace vexmora::e2e {

// The UTF-8 bytes of a text, by the system's own conversion rather than the program's.
inline Bytes Utf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    Bytes bytes(static_cast<std::size_t>(size));
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                        reinterpret_cast<char*>(bytes.data()), size, nullptr, nullptr);
    return bytes;
}

class MainWindowSession {
  public:
    explicit MainWindowSession(const std::wstring& workingFolder)
        : process_(ProgramProcess::Start(ProgramPath(), L"", workingFolder)) {
        window_ = WaitForWindow(process_.Id(), kTitle, 30s);
        if (window_ != nullptr) {
            // The thirteen controls and the strength line's label and bar.
            WaitUntil([&] { return ChildControls(window_).size() >= 15; }, 10s);
        }
    }

    // The window is there with its controls.
    ::testing::AssertionResult Ready() const {
        if (window_ == nullptr) {
            return ::testing::AssertionFailure() << "no window titled \"Vexmora\" appeared";
        }
        if (PasswordField() == nullptr || Editor() == nullptr) {
            return ::testing::AssertionFailure() << "no password field or no editor";
        }
        return ::testing::AssertionSuccess();
    }

    ProgramProcess& Process() { return process_; }
    HWND Window() const { return window_; }
    HWND PasswordField() const { return ByClass(L"Edit"); }
    HWND Editor() const { return ByClass(L"RichEdit20W"); }
    // The button that shows these words (its access key's "&" aside).
    HWND Button(std::wstring_view text) const {
        for (const ChildControl& control : ChildControls(window_)) {
            if (SameClass(control.className, L"Button") && VisibleText(control.text) == text) {
                return control.window;
            }
        }
        return nullptr;
    }

    std::wstring EditorText() const { return ControlText(Editor()).value_or(L"<no answer>"); }

    ::testing::AssertionResult TypePassword(const std::wstring& password) {
        password_ = password;
        return Typed(PasswordField(), password);
    }

    // Answers what the window asks before the password typed last encrypts: the repeat dialog
    // (`repeat` when given, else that password) and a weak-password question, if one comes.
    ::testing::AssertionResult ConfirmPassword(std::optional<std::wstring> repeat = std::nullopt,
                                               int weakAnswer = IDYES, bool* asked = nullptr) {
        return e2e::ConfirmPassword(process_.Id(), window_,
                                    {repeat.value_or(password_), weakAnswer}, asked);
    }
    ::testing::AssertionResult TypeText(const std::wstring& text) const {
        return Typed(Editor(), text);
    }

    // Types `keys` as key presses into whatever has the focus and waits until `control` holds
    // `expected` (the editor reports each line break as "\r\n").
    ::testing::AssertionResult TypeKeysInto(HWND control, std::wstring_view keys,
                                            const std::wstring& expected) {
        if (control == PasswordField()) {
            password_ = expected;
        }
        if (!TypeKeys(window_, keys)) {
            return ::testing::AssertionFailure() << "the keys could not be sent";
        }
        if (!WaitUntil([&] { return ControlText(control) == expected; }, 15s)) {
            return ::testing::AssertionFailure()
                   << "the control holds \"" << Narrow(ControlText(control).value_or(L"?"))
                   << "\" after typing \"" << Narrow(std::wstring(keys)) << "\"";
        }
        return ::testing::AssertionSuccess();
    }

    // Clicks a text action's button and waits until the editor shows a text other than before.
    // (A WM_NULL sent after a posted click can overtake the click, so the driver waits for the
    // effect instead of a round trip.)
    ::testing::AssertionResult ClickForNewText(std::wstring_view text) {
        HWND button = Button(text);
        if (button == nullptr) {
            return ::testing::AssertionFailure()
                   << "no button \"" << Narrow(std::wstring(text)) << "\"";
        }
        const std::wstring before = EditorText();
        PostClick(button);
        // Encode asks for the password again the first time, and about a weak one.
        const auto asks = [&] {
            return WaitForRepeatDialog(process_.Id(), window_, 0ms) != nullptr;
        };
        if (text == L"Encode" && WaitUntil([&] { return EditorText() != before || asks(); }, 15s) &&
            asks() && !ConfirmPassword()) {
            return ::testing::AssertionFailure() << "the password was not taken";
        }
        if (!WaitUntil([&] { return EditorText() != before; }, 15s)) {
            return ::testing::AssertionFailure()
                   << "\"" << Narrow(std::wstring(text)) << "\" left the editor's text as it was";
        }
        return ::testing::AssertionSuccess();
    }

    // Clicks a button and waits for the file dialog it opens; null when none appears.
    HWND OpenFileDialog(std::wstring_view text) const {
        HWND button = Button(text);
        if (button == nullptr) {
            return nullptr;
        }
        PostClick(button);
        return WaitForFileDialog(process_.Id(), 15s);
    }

    // Clicks a button and chooses `path` in the file dialog that it opens.
    ::testing::AssertionResult ChooseThrough(std::wstring_view button,
                                             const std::wstring& path) const {
        HWND dialog = OpenFileDialog(button);
        if (dialog == nullptr) {
            return ::testing::AssertionFailure()
                   << "\"" << Narrow(std::wstring(button)) << "\" opened no file dialog";
        }
        if (!ChooseInFileDialog(dialog, path)) {
            CancelDialog(dialog);
            return ::testing::AssertionFailure()
                   << "the file dialog did not take \"" << Narrow(path) << "\"";
        }
        return ::testing::AssertionSuccess();
    }

    // Closes the window as its close box does; the process must end with exit code 0.
    std::optional<DWORD> Close() {
        PostCloseRequest(window_);
        return process_.WaitForExit(30s);
    }

  private:
    HWND ByClass(const wchar_t* className) const {
        if (window_ == nullptr) {
            return nullptr;
        }
        for (const ChildControl& control : ChildControls(window_)) {
            if (SameClass(control.className, className)) {
                return control.window;
            }
        }
        return nullptr;
    }

    static ::testing::AssertionResult Typed(HWND control, const std::wstring& text) {
        if (!SetControlText(control, text)) {
            return ::testing::AssertionFailure() << "the control did not take the text";
        }
        const std::optional<std::wstring> now = ControlText(control);
        if (now != text) {
            return ::testing::AssertionFailure()
                   << "the control holds \"" << Narrow(now.value_or(L"<no answer>"))
                   << "\" after typing \"" << Narrow(text) << "\"";
        }
        return ::testing::AssertionSuccess();
    }

    ProgramProcess process_;
    HWND window_ = nullptr;
    std::wstring password_;  // typed last
};

}  // namespace vexmora::e2e
