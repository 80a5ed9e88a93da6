// The event pump: one message at a time, the window procedure turning messages into the
// program's events, and Tab / Shift+Tab moving the focus through a window's controls.
#include <vector>

#include "toolkit/win32/win32_drop_files.h"
#include "toolkit/win32/win32_toolkit.h"

namespace vexmora {
namespace {

constexpr WORD kFocusNext = 1;
constexpr WORD kFocusPrevious = 2;

}  // namespace

UniqueAcceleratorTable Win32Toolkit::CreateAccelerators() {
    ACCEL keys[] = {{FVIRTKEY, VK_TAB, kFocusNext}, {FVIRTKEY | FSHIFT, VK_TAB, kFocusPrevious}};
    return UniqueAcceleratorTable(CreateAcceleratorTableW(keys, 2));
}

int Win32Toolkit::WaitEvent(int timeoutMs) {
    if (!events_.Empty()) {
        return events_.Take();
    }
    MSG message{};
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD)) {
        if (timeoutMs <= 0) {
            return 0;
        }
        DWORD woken = MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(timeoutMs),
                                                QS_ALLINPUT | QS_ALLPOSTMESSAGE);
        if (woken == WAIT_TIMEOUT ||
            !PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD)) {
            return 0;
        }
    }
    HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (const Identity button = shortcuts_.Match(message); button != kNoIdentity) {
        events_.Push(ControlEvent, button, IdentityOf(root));
    } else if (root != nullptr && identities_.count(root) != 0 &&
               TranslateAcceleratorW(root, accelerators_.Get(), &message)) {
        SendMessageW(root, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    } else {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.message);
}

// Tab order: the window's controls in creation order that are enabled, visible and tab stops.
void Win32Toolkit::MoveFocus(Identity window, bool forward) {
    std::vector<HWND> stops;
    for (const auto& [identity, entry] : entries_) {
        if (entry.window == window && IsWindowEnabled(entry.hwnd) && IsWindowVisible(entry.hwnd) &&
            (GetWindowLongPtrW(entry.hwnd, GWL_STYLE) & WS_TABSTOP) != 0) {
            stops.push_back(entry.hwnd);
        }
    }
    if (stops.empty()) {
        return;
    }
    HWND focus = GetFocus();
    std::size_t at = stops.size();
    for (std::size_t i = 0; i < stops.size(); ++i) {
        if (stops[i] == focus || IsChild(stops[i], focus)) {
            at = i;
        }
    }
    std::size_t next;
    if (at == stops.size()) {
        next = forward ? 0 : stops.size() - 1;
    } else {
        next = forward ? (at + 1) % stops.size() : (at + stops.size() - 1) % stops.size();
    }
    SetFocus(stops[next]);
}

LRESULT CALLBACK Win32Toolkit::WindowProcedure(HWND hwnd, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto toolkit = reinterpret_cast<Win32Toolkit*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (toolkit == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return toolkit->Handle(hwnd, message, wParam, lParam);
}

LRESULT Win32Toolkit::Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const Identity window = IdentityOf(hwnd);
    switch (message) {
        case WM_CLOSE:
            // Closing is the program's decision: the window stays until it is closed.
            events_.Push(CloseWindowEvent, kNoIdentity, window);
            return 0;
        case WM_DROPFILES:
            events_.Push(DropFilesEvent, kNoIdentity, window,
                         TakeDroppedFiles(reinterpret_cast<HDROP>(wParam)));
            return 0;
        case WM_COMMAND:
            if (lParam != 0) {
                events_.Push(ControlEvent, IdentityOf(reinterpret_cast<HWND>(lParam)), window);
            } else if (HIWORD(wParam) == 1 &&
                       (LOWORD(wParam) == kFocusNext || LOWORD(wParam) == kFocusPrevious)) {
                MoveFocus(window, LOWORD(wParam) == kFocusNext);
            } else {
                events_.Push(MenuEvent, kNoIdentity, window);
            }
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace vexmora
