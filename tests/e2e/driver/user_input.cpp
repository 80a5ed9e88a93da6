#include "driver/user_input.h"

#include <vector>

#include "driver/window_probe.h"

namespace vexmora::e2e {

namespace {

UINT Milliseconds(std::chrono::milliseconds timeout) {
    return static_cast<UINT>(timeout.count());
}

INPUT Key(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

INPUT UnicodeKey(wchar_t unit, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = unit;
    input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
    return input;
}

INPUT Mouse(DWORD flags, LONG x = 0, LONG y = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = x;
    input.mi.dy = y;
    input.mi.dwFlags = flags;
    return input;
}

bool Send(std::vector<INPUT>& inputs) {
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) ==
           inputs.size();
}

}  // namespace

bool SetControlText(HWND control, const std::wstring& text, std::chrono::milliseconds timeout) {
    DWORD_PTR result = 0;
    // The system copies the text into the other process for WM_SETTEXT.
    if (!SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                             SMTO_ABORTIFHUNG, Milliseconds(timeout), &result)) {
        return false;
    }
    return result != 0;
}

std::optional<std::wstring> ControlText(HWND control, std::chrono::milliseconds timeout) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG,
                             Milliseconds(timeout), &length)) {
        return std::nullopt;
    }
    // WM_GETTEXTLENGTH may report more than WM_GETTEXT delivers (it counts in the worst case).
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXT, buffer.size(),
                             reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                             Milliseconds(timeout), &copied)) {
        return std::nullopt;
    }
    return std::wstring(buffer.data(), std::min<std::size_t>(copied, length));
}

bool Synchronize(HWND window, std::chrono::milliseconds timeout) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, Milliseconds(timeout),
                               &result) != 0;
}

HWND FocusedWindow(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

bool BringToForeground(HWND window, std::chrono::milliseconds timeout) {
    return WaitUntil(
        [&] {
            if (GetForegroundWindow() == window) {
                return true;
            }
            SetForegroundWindow(window);
            return GetForegroundWindow() == window;
        },
        timeout);
}

bool PressKey(HWND window, WORD virtualKey, bool shift) {
    if (!BringToForeground(GetAncestor(window, GA_ROOT))) {
        return false;
    }
    if (!shift) {
        std::vector<INPUT> inputs = {Key(virtualKey, false), Key(virtualKey, true)};
        return Send(inputs);
    }
    return PressChord(window, VK_SHIFT, virtualKey);
}

bool PressChord(HWND window, WORD modifier, WORD key) {
    return PressChord(window, std::vector<WORD>{modifier}, key);
}

bool PressChord(HWND window, const std::vector<WORD>& modifiers, WORD key) {
    if (!BringToForeground(GetAncestor(window, GA_ROOT))) {
        return false;
    }
    std::vector<INPUT> inputs;
    for (WORD modifier : modifiers) {
        inputs.push_back(Key(modifier, false));
    }
    inputs.push_back(Key(key, false));
    inputs.push_back(Key(key, true));
    for (auto modifier = modifiers.rbegin(); modifier != modifiers.rend(); ++modifier) {
        inputs.push_back(Key(*modifier, true));
    }
    return Send(inputs);
}

std::string Describe(const Chord& chord) {
    static const std::pair<WORD, const char*> kNames[] = {
        {VK_CONTROL, "Ctrl"}, {VK_SHIFT, "Shift"}, {VK_MENU, "Alt"},  {VK_TAB, "Tab"},
        {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},  {VK_LEFT, "Left"}, {VK_RIGHT, "Right"},
    };
    const auto name = [](WORD key) {
        for (const auto& [code, text] : kNames) {
            if (code == key) {
                return std::string(text);
            }
        }
        // Letters and digits are their own virtual keys.
        return std::string(1, static_cast<char>(key));
    };
    std::string text;
    for (WORD held : chord.held) {
        text += name(held) + "+";
    }
    return text + name(chord.key);
}

bool Press(HWND window, const Chord& chord) {
    return PressChord(window, chord.held, chord.key);
}

std::string FocusNames::Focused() const {
    HWND focus = FocusedWindow(window_);
    for (const auto& [control, name] : names_) {
        if (control == focus) {
            return name;
        }
    }
    return focus == window_ ? "window" : focus == nullptr ? "nothing" : "other";
}

std::string FocusNames::Press(const Chord& chord) const {
    const std::string before = Focused();
    if (!e2e::Press(window_, chord)) {
        return "<the key could not be sent>";
    }
    WaitUntil(
        [&] {
            const std::string now = Focused();
            return now != before && now != "other";
        },
        std::chrono::seconds(3));
    return Focused();
}

bool TypeKeys(HWND window, std::wstring_view text) {
    if (!BringToForeground(GetAncestor(window, GA_ROOT))) {
        return false;
    }
    std::vector<INPUT> inputs;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' || text[i] == L'\n') {
            if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
                ++i;
            }
            inputs.push_back(Key(VK_RETURN, false));
            inputs.push_back(Key(VK_RETURN, true));
        } else {
            inputs.push_back(UnicodeKey(text[i], false));
            inputs.push_back(UnicodeKey(text[i], true));
        }
    }
    return Send(inputs);
}

bool ClickInto(HWND control) {
    RECT rect{};
    if (!GetWindowRect(control, &rect) || !BringToForeground(GetAncestor(control, GA_ROOT))) {
        return false;
    }
    // Absolute mouse coordinates run from 0 to 65535 across the primary screen.
    const LONG x = ((rect.left + rect.right) / 2) * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    const LONG y = ((rect.top + rect.bottom) / 2) * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    std::vector<INPUT> inputs = {Mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y),
                                 Mouse(MOUSEEVENTF_LEFTDOWN), Mouse(MOUSEEVENTF_LEFTUP)};
    return Send(inputs) &&
           WaitUntil([&] { return FocusedWindow(control) == control; }, std::chrono::seconds(5));
}

}  // namespace vexmora::e2e
