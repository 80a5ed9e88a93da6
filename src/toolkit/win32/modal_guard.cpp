#include "toolkit/win32/modal_guard.h"

namespace vexmora {

ModalGuard::ModalGuard() {
    EnumWindows(Visit, reinterpret_cast<LPARAM>(this));
    for (const Record& record : records_) {
        if (record.topmost) {
            SetWindowPos(record.window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        }
    }
}

ModalGuard::~ModalGuard() {
    for (const Record& record : records_) {
        if (record.disabled) {
            EnableWindow(record.window, TRUE);
        }
        if (record.topmost) {
            SetWindowPos(record.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        }
    }
}

BOOL CALLBACK ModalGuard::Visit(HWND window, LPARAM self) {
    auto& guard = *reinterpret_cast<ModalGuard*>(self);
    if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId() ||
        !IsWindowVisible(window)) {
        return TRUE;
    }
    Record record{window, (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, false};
    if (window != GetForegroundWindow() && IsWindowEnabled(window)) {
        EnableWindow(window, FALSE);
        record.disabled = true;
    }
    guard.records_.push_back(record);
    return TRUE;
}

HWND ForegroundWindowOfThisProcess() {
    HWND foreground = GetForegroundWindow();
    DWORD process = 0;
    if (foreground != nullptr) {
        GetWindowThreadProcessId(foreground, &process);
    }
    return process == GetCurrentProcessId() ? foreground : nullptr;
}

}  // namespace vexmora
