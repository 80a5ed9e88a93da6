// What a user does with the keyboard and the controls of another process's window: typing a text
// into a control, reading a control's text back, pressing keys, and seeing where the keyboard
// focus is.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexmora::e2e {

// Replaces the control's text (WM_SETTEXT, sent and waited for). False when the control's thread
// did not answer within `timeout` or refused the text.
bool SetControlText(HWND control, const std::wstring& text,
                    std::chrono::milliseconds timeout = std::chrono::seconds(10));

// The control's text as the control itself reports it (WM_GETTEXTLENGTH and WM_GETTEXT, sent and
// waited for). Unlike WindowText() this also sees the text of edit and rich edit controls. Empty
// when the control's thread did not answer within `timeout`.
std::optional<std::wstring> ControlText(
    HWND control, std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Returns once the thread that owns `window` reads messages again (a WM_NULL sent and answered);
// false when it did not answer in time. After a dialog or box of the program has closed, this
// means the action that showed it has finished. Messages posted before may still be waiting: a
// sent message is handled before posted ones.
bool Synchronize(HWND window, std::chrono::milliseconds timeout = std::chrono::seconds(10));

// The window that has the keyboard focus in the thread that owns `window`; null when none.
HWND FocusedWindow(HWND window);

// Makes the top-level window `window` the foreground window, so that keyboard input goes to its
// thread. Under Wine without a window manager SetForegroundWindow from another process is
// honoured.
bool BringToForeground(HWND window, std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Presses and releases the key `virtualKey`, with Shift held when `shift` is set, as keyboard input
// (SendInput) to the foreground window, after bringing `window` to the foreground. The key goes
// through the receiving program's message loop as a real key press does, accelerators included.
bool PressKey(HWND window, WORD virtualKey, bool shift = false);

// Presses `key` while `modifier` (VK_CONTROL, VK_SHIFT, VK_MENU for Alt, ...) is held, as keyboard
// input to the foreground window, after bringing `window` to the foreground.
bool PressChord(HWND window, WORD modifier, WORD key);
// The same with every key of `modifiers` held, in their order (Ctrl+Shift+Tab); none: `key`
// alone.
bool PressChord(HWND window, const std::vector<WORD>& modifiers, WORD key);

// A key as a user presses it: `key` while the keys of `held` are down, in their order.
struct Chord {
    std::vector<WORD> held;
    WORD key = 0;
};
// "Ctrl+Shift+Tab", "Alt+L", "Right", for messages.
std::string Describe(const Chord& chord);
// Presses the chord as PressChord does.
bool Press(HWND window, const Chord& chord);

// A window's controls by the names a test gives them, to follow the focus as keys move it.
class FocusNames {
  public:
    explicit FocusNames(HWND window) : window_(window) {}
    void Add(HWND control, std::string name) { names_.emplace_back(control, std::move(name)); }
    // The name of the control that has the focus: "other" for one without a name, "window" or
    // "nothing".
    std::string Focused() const;
    // Presses the chord and returns where the focus went, once it has gone to a named control
    // (a label's access key passes the label on the way); a key that moves nothing shows up as
    // the name it had.
    std::string Press(const Chord& chord) const;

  private:
    HWND window_;
    std::vector<std::pair<HWND, std::string>> names_;
};

// Types `text` as keyboard input to the focused control of the foreground window, after bringing
// `window` to the foreground: each character as a Unicode key press (KEYEVENTF_UNICODE, which
// arrives as WM_CHAR), each line break ("\r\n" or "\n") as the Enter key.
bool TypeKeys(HWND window, std::wstring_view text);

// A left mouse click in the middle of the control (SendInput), which also gives it the focus.
bool ClickInto(HWND control);

}  // namespace vexmora::e2e
