// The event pump: one message at a time, the keyboard as the dialog manager handles it (with the
// program's own keys first), and the window procedure turning messages into the program's events.
#include "toolkit/win32/win32_drop_files.h"
#include "toolkit/win32/win32_toolkit.h"

namespace vexmora {
namespace {

constexpr LPARAM kRepeat = LPARAM{1} << 30;  // WM_KEYDOWN: the key was already down

bool Down(int virtualKey) {
    return GetKeyState(virtualKey) < 0;
}

LRESULT DialogCode(HWND control, MSG* message) {
    return SendMessageW(control, WM_GETDLGCODE, message != nullptr ? message->wParam : 0,
                        reinterpret_cast<LPARAM>(message));
}

bool IsPushButton(HWND control) {
    return (DialogCode(control, nullptr) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

// The focus moves as the dialog manager moves it: a field that asks for it (DLGC_HASSETSEL) has
// its text selected, so that typing replaces it.
void FocusStop(HWND control) {
    if (control == nullptr) {
        return;
    }
    SetFocus(control);
    if ((DialogCode(control, nullptr) & DLGC_HASSETSEL) != 0) {
        SendMessageW(control, EM_SETSEL, 0, -1);
    }
}

// Once the keyboard has moved the focus, the focused control shows it (the system hides the focus
// rectangle until then).
void ShowFocusRectangle(HWND root) {
    SendMessageW(root, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

}  // namespace

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
    if (root == nullptr || identities_.count(root) == 0 || !HandleKey(root, message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.message);
}

// The program's keys come first: Ctrl+Tab, Enter on a focused button, the shortcuts, and Enter or
// Esc that nothing takes. The dialog manager (IsDialogMessage) does the rest: Tab, the arrow
// keys, access keys, and passing every other message on to its control.
bool Win32Toolkit::HandleKey(HWND root, MSG& message) {
    const Identity window = IdentityOf(root);
    HWND focus = GetFocus();
    const bool inWindow = focus != nullptr && IsChild(root, focus);
    if (message.message == WM_KEYDOWN && !Down(VK_MENU)) {
        const bool control = Down(VK_CONTROL);
        if (message.wParam == VK_TAB && control) {
            // Tab is text in the editor; Ctrl+Tab leaves it, and moves on from any other control
            // as Tab does.
            FocusStop(GetNextDlgTabItem(root, inWindow ? focus : nullptr, Down(VK_SHIFT)));
            ShowFocusRectangle(root);
            return true;
        }
        if (message.wParam == VK_RETURN && !control && !Down(VK_SHIFT) && inWindow &&
            IsPushButton(focus)) {
            // The button that the user has gone to is the one Enter means, also where the window
            // has a default button.
            if ((message.lParam & kRepeat) == 0) {
                events_.Push(ControlEvent, IdentityOf(focus), window);
            }
            return true;
        }
    }
    if (const Identity button = shortcuts_.Match(message); button != kNoIdentity) {
        events_.Push(ControlEvent, button, window);
        return true;
    }
    if (message.message == WM_KEYDOWN &&
        (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE) &&
        !(inWindow && (DialogCode(focus, &message) & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)))) {
        // Neither a shortcut nor the focused control takes it: Enter in the password field starts
        // nothing, and no beep.
        return true;
    }
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB) {
        ShowFocusRectangle(root);
    }
    return IsDialogMessageW(root, &message) != FALSE;
}

void Win32Toolkit::AddShortcut(Identity window, ShortcutKey key, Identity button) {
    HWND root = HandleOf(window);
    if (key == ShortcutKey::Enter) {
        // The default button is drawn with the heavier frame, so that the user sees what Enter
        // does.
        if (HWND before = HandleOf(shortcuts_.Button(root, key))) {
            SendMessageW(before, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
        }
        if (HWND now = HandleOf(button)) {
            SendMessageW(now, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
        }
    }
    shortcuts_.Add(root, key, button);
}

namespace {
constexpr wchar_t kFocusProperty[] = L"Vexmora.Focus";
}  // namespace

void RememberFocus(HWND window, HWND control) {
    if (control != nullptr && IsChild(window, control)) {
        SetPropW(window, kFocusProperty, control);
    } else if (control == nullptr) {
        RemovePropW(window, kFocusProperty);  // a window's properties must go before it does
    }
}

HWND RememberedFocus(HWND window) {
    const auto control = static_cast<HWND>(GetPropW(window, kFocusProperty));
    return control != nullptr && IsChild(window, control) && IsWindowVisible(control) &&
                   IsWindowEnabled(control)
               ? control
               : nullptr;
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
            } else {
                events_.Push(MenuEvent, kNoIdentity, window);
            }
            return 0;
        // The program's windows are not dialogs, but the dialog manager asks them as it asks a
        // dialog: where the focus goes next (the arrow keys, the access key of a label) ...
        case WM_NEXTDLGCTL:
            FocusStop(LOWORD(lParam) != 0 ? reinterpret_cast<HWND>(wParam)
                                          : GetNextDlgTabItem(hwnd, GetFocus(), wParam != 0));
            return 0;
        // A window that becomes active again gives the focus back to the control that had it (or
        // that the program chose while the window was inactive), as a dialog does: the default
        // would give it to the window itself, where typing goes nowhere.
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                if (HWND focus = GetFocus()) {
                    RememberFocus(hwnd, focus);  // only a control of this window is taken
                }
                return 0;
            }
            if (HWND focus = RememberedFocus(hwnd)) {
                SetFocus(focus);
                return 0;
            }
            return DefWindowProcW(hwnd, message, wParam, lParam);
        case WM_NCDESTROY:
            RememberFocus(hwnd, nullptr);
            return DefWindowProcW(hwnd, message, wParam, lParam);
        // The look: the scheme's colours where the program paints, and a change of the apps' mode
        // or of high contrast followed at once (every top-level window hears of it; the first
        // restyles them all).
        case WM_ERASEBKGND:
            return PaintBackground(hwnd, reinterpret_cast<HDC>(wParam))
                       ? 1
                       : DefWindowProcW(hwnd, message, wParam, lParam);
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            if (HBRUSH brush =
                    ControlColours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam))) {
                return reinterpret_cast<LRESULT>(brush);
            }
            return DefWindowProcW(hwnd, message, wParam, lParam);
        case WM_NOTIFY:
            if (auto header = reinterpret_cast<const NMHDR*>(lParam);
                header != nullptr && header->code == NM_CUSTOMDRAW) {
                return DrawButton(*reinterpret_cast<const NMCUSTOMDRAW*>(lParam));
            }
            return DefWindowProcW(hwnd, message, wParam, lParam);
        case WM_SETTINGCHANGE: {
            const auto area = reinterpret_cast<const char16_t*>(lParam);
            if (Appearance::AnnouncesSchemeChange(
                    static_cast<std::uint32_t>(wParam),
                    area != nullptr ? std::u16string_view(area) : std::u16string_view())) {
                FollowSchemeChange();
            }
            return DefWindowProcW(hwnd, message, wParam, lParam);
        }
        case WM_SYSCOLORCHANGE:
            FollowSchemeChange();
            return DefWindowProcW(hwnd, message, wParam, lParam);
        // ... and which button is the default one.
        case DM_GETDEFID:
            if (HWND button = HandleOf(shortcuts_.Button(hwnd, ShortcutKey::Enter))) {
                return MAKELRESULT(GetDlgCtrlID(button), DC_HASDEFID);
            }
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace vexmora
