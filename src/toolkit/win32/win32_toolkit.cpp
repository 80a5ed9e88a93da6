// Windows and message boxes: one registered class per top-level window, so that each window's
// class can go with it.
#include "toolkit/win32/win32_toolkit.h"

// After windows.h:
#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "platform/win32/wide_string.h"
#include "toolkit/win32/modal_guard.h"
#include "toolkit/win32/win32_drop_files.h"

namespace vexmora {

Win32Toolkit::Win32Toolkit() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
}

Win32Toolkit::~Win32Toolkit() {
    while (!entries_.empty()) {
        auto top = entries_.begin();
        CloseWindow(top->second.window == kNoIdentity ? top->first : top->second.window);
    }
}

Identity Win32Toolkit::OpenWindow(const WindowArgs& args) {
    wchar_t className[64];
    std::swprintf(className, 64, L"WindowClass_%lld", static_cast<long long>(++classCount_));
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance_;
    windowClass.hIcon = icons_.big;
    windowClass.hIconSm = icons_.small;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className;
    if (RegisterClassExW(&windowClass) == 0) {
        return kNoIdentity;
    }

    const DWORD style = WS_CAPTION | WS_SYSMENU | (args.minimizeBox ? WS_MINIMIZEBOX : 0);
    RECT frame{0, 0, args.clientWidth, args.clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    int x = 0, y = 0;
    if (args.placement == WindowPlacement::Centred) {
        // Larger than the screen: placed at 0 in that dimension, not shrunk.
        const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
        const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
        x = (screenWidth - std::min(width, screenWidth)) / 2;
        y = (screenHeight - std::min(height, screenHeight)) / 2;
    }

    HWND owner = HandleOf(args.owner);
    if (owner != nullptr) {
        // A dialog is centred on its owner, as the system's own dialogs are.
        RECT ownerFrame{};
        GetWindowRect(owner, &ownerFrame);
        x = std::max(0L, ownerFrame.left + (ownerFrame.right - ownerFrame.left - width) / 2);
        y = std::max(0L, ownerFrame.top + (ownerFrame.bottom - ownerFrame.top - height) / 2);
    }
    const Identity identity = ++lastIdentity_;
    entries_[identity] = {nullptr, kNoIdentity, className, ControlKind::Label, owner};
    HWND hwnd = CreateWindowExW(owner != nullptr ? WS_EX_DLGMODALFRAME : 0, className,
                                ToWide(args.title).c_str(), style, x, y, width, height, owner,
                                nullptr, instance_, this);
    if (hwnd == nullptr) {
        entries_.erase(identity);
        UnregisterClassW(className, instance_);
        return kNoIdentity;
    }
    entries_[identity].hwnd = hwnd;
    identities_[hwnd] = identity;
    ShowProgramIcons(hwnd, icons_);
    appearance_.StyleWindow(hwnd);  // before it shows: no light title bar flashes first
    if (args.acceptsFiles) {
        AcceptDroppedFiles(hwnd);
    }
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    if (owner != nullptr) {
        EnableWindow(owner, FALSE);
    }
    return identity;
}

void Win32Toolkit::CloseWindow(Identity window) {
    auto found = entries_.find(window);
    if (found == entries_.end() || found->second.window != kNoIdentity) {
        return;
    }
    const Entry entry = found->second;
    shortcuts_.Forget(entry.hwnd);
    if (entry.owner != nullptr) {
        // Enabled before the dialog goes, so that the system gives the owner the activation
        // back instead of another program's window.
        EnableWindow(entry.owner, TRUE);
    }
    for (const auto& [identity, control] : entries_) {
        if (control.window == window) {
            names_.Forget(control.hwnd);  // while the handle still names the control
        }
    }
    DestroyWindow(entry.hwnd);  // and its controls
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->first == window || it->second.window == window) {
            identities_.erase(it->second.hwnd);
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
    UnregisterClassW(entry.className.c_str(), instance_);
}

int Win32Toolkit::ShowMessageBox(std::u16string_view caption, std::u16string_view text,
                                 unsigned type) {
    ModalGuard guard;
    return MessageBoxW(ForegroundWindowOfThisProcess(), ToWide(text).c_str(),
                       ToWide(caption).c_str(), type);
}

int Win32Toolkit::ShowMessageBoxWithCheck(std::u16string_view caption, std::u16string_view text,
                                          unsigned type, std::u16string_view checkText,
                                          bool& checked) {
    checked = false;
    // Only version 6 of the common controls has task dialogs, and only a process whose manifest
    // asks for it loads that one: looked up, not imported, so that the program still starts
    // with an older version and asks with a plain box.
    using TaskDialogFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
    const HMODULE controls = GetModuleHandleW(L"comctl32.dll");
    const auto taskDialog = controls == nullptr
                                ? nullptr
                                : reinterpret_cast<TaskDialogFunction>(reinterpret_cast<void*>(
                                      GetProcAddress(controls, "TaskDialogIndirect")));
    if (taskDialog == nullptr) {
        return ShowMessageBox(caption, text, type);
    }
    const std::wstring wideCaption = ToWide(caption);
    const std::wstring wideText = ToWide(text);
    const std::wstring wideCheck = ToWide(checkText);
    const bool yesNo = MessageBoxButtons(type) == kMessageBoxYesNo;
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof(config);
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.dwCommonButtons = yesNo ? TDCBF_YES_BUTTON | TDCBF_NO_BUTTON : TDCBF_OK_BUTTON;
    config.pszWindowTitle = wideCaption.c_str();
    config.pszContent = wideText.c_str();
    config.pszVerificationText = wideCheck.c_str();
    config.nDefaultButton = (type & kMessageBoxDefaultSecond) != 0 && yesNo ? IDNO : 0;
    if ((type & kMessageBoxWarning) == kMessageBoxWarning) {
        config.pszMainIcon = TD_WARNING_ICON;
    }
    int answer = 0;
    BOOL ticked = FALSE;
    HRESULT shown = E_FAIL;
    {
        ModalGuard guard;
        config.hwndParent = ForegroundWindowOfThisProcess();
        shown = taskDialog(&config, &answer, nullptr, &ticked);
    }
    if (FAILED(shown)) {
        return ShowMessageBox(caption, text, type);
    }
    // Esc or the close box: the safe answer, as a message box gives it.
    if (answer == IDCANCEL) {
        return yesNo ? kAnswerNo : kAnswerOk;
    }
    checked = ticked != FALSE;
    return answer;
}

Identity Win32Toolkit::IdentityOf(HWND hwnd) const {
    auto found = identities_.find(hwnd);
    return found == identities_.end() ? kNoIdentity : found->second;
}

const Win32Toolkit::Entry* Win32Toolkit::EntryOf(HWND hwnd) const {
    auto found = entries_.find(IdentityOf(hwnd));
    return found == entries_.end() ? nullptr : &found->second;
}

HWND Win32Toolkit::HandleOf(Identity identity) const {
    auto found = entries_.find(identity);
    return found == entries_.end() ? nullptr : found->second.hwnd;
}

std::unique_ptr<Toolkit> CreatePlatformToolkit() {
    return std::make_unique<Win32Toolkit>();
}

}  // namespace vexmora
