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
    std::vector<INPUT> inputs;
    if (shift) {
        inputs.push_back(Key(VK_SHIFT, false));
    }
    inputs.push_back(Key(virtualKey, false));
    inputs.push_back(Key(virtualKey, true));
    if (shift) {
        inputs.push_back(Key(VK_SHIFT, true));
    }
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) ==
           inputs.size();
}

}  // namespace vexmora::e2e
