// Looking at another process's windows from outside: finding them, reading their classes, texts
// and rectangles, and sending them the requests a user would make.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vexmora::e2e {

// Calls `condition` every few milliseconds until it holds or `timeout` has passed; returns its last
// result.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

std::wstring WindowText(HWND window);
// The words a label or button shows for its text: each "&" that marks an access key left out,
// "&&" as one "&".
std::wstring VisibleText(std::wstring_view text);
std::wstring ClassName(HWND window);
// Window classes compare without regard to case, as the system registers them.
bool SameClass(std::wstring_view a, std::wstring_view b);

// Visible top-level windows (owned ones included) of the process `processId`.
std::vector<HWND> TopLevelWindows(DWORD processId);
// The first visible top-level window of the process with this exact title that is not a message
// box; null when none appears before `timeout`.
HWND WaitForWindow(DWORD processId, std::wstring_view title, std::chrono::milliseconds timeout);

struct ChildControl {
    HWND window = nullptr;
    std::wstring className;
    std::wstring text;
    // Relative to the parent's client area.
    RECT rect{};
    LONG style = 0;
    int id = 0;
};
// The direct children of `parent`, in z-order.
std::vector<ChildControl> ChildControls(HWND parent);

SIZE ClientSize(HWND window);
// The outer top-left corner of the window, in screen coordinates.
POINT OuterTopLeft(HWND window);
LONG WindowStyle(HWND window);

// The colours the screen shows in `rect` of the window's client area, row by row (empty when the
// screen could not be read). Other windows in front of it are read as they are.
std::vector<COLORREF> ScreenPixels(HWND window, RECT rect);
// A colour's brightness from 0 to 255 (the luma of ITU-R BT.601).
int Brightness(COLORREF colour);

// A click on a button (BM_CLICK), queued so that a busy program is not waited for.
bool PostClick(HWND button);
// A close request as the title bar's close box makes it (WM_CLOSE).
bool PostCloseRequest(HWND window);
// A close request through the system menu (WM_SYSCOMMAND with SC_CLOSE).
bool PostSystemClose(HWND window);

// Message boxes are dialogs of the system class "#32770".
bool IsMessageBox(HWND window);
// A message box of the process; null when none appears before `timeout`.
HWND WaitForMessageBox(DWORD processId, std::chrono::milliseconds timeout);
// The message of a message box: the text of its non-empty static control.
std::wstring MessageBoxText(HWND box);
// Clicks the box's "OK" button; false when it has none.
bool PressMessageBoxOk(HWND box);

}  // namespace vexmora::e2e
