#include "driver/window_probe.h"

#include <cstdint>
#include <thread>

namespace vexmora::e2e {

namespace {

struct EnumState {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM state) {
    auto* s = reinterpret_cast<EnumState*>(state);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == s->processId && IsWindowVisible(window)) {
        s->windows.push_back(window);
    }
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM state) {
    auto* s = reinterpret_cast<std::pair<HWND, std::vector<HWND>>*>(state);
    // EnumChildWindows also walks grandchildren; only direct children count.
    if (GetAncestor(window, GA_PARENT) == s->first) {
        s->second.push_back(window);
    }
    return TRUE;
}

}  // namespace

std::wstring VisibleText(std::wstring_view text) {
    std::wstring shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) {
            ++i;
        }
        shown += text[i];
    }
    return shown;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
    }
}

std::wstring WindowText(HWND window) {
    // For a window of another process GetWindowTextW reads the stored text without sending
    // WM_GETTEXT, so a program busy with a chunk does not block the driver.
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256] = {};
    int length = GetClassNameW(window, name, 256);
    return std::wstring(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

bool SameClass(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::vector<HWND> TopLevelWindows(DWORD processId) {
    EnumState state{processId, {}};
    EnumWindows(CollectProcessWindow, reinterpret_cast<LPARAM>(&state));
    return state.windows;
}

HWND WaitForWindow(DWORD processId, std::wstring_view title, std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopLevelWindows(processId)) {
                if (!IsMessageBox(window) && WindowText(window) == title) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return found;
}

std::vector<ChildControl> ChildControls(HWND parent) {
    std::pair<HWND, std::vector<HWND>> state{parent, {}};
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&state));
    std::vector<ChildControl> controls;
    for (HWND child : state.second) {
        ChildControl control;
        control.window = child;
        control.className = ClassName(child);
        control.text = WindowText(child);
        GetWindowRect(child, &control.rect);
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&control.rect), 2);
        control.style = GetWindowLongW(child, GWL_STYLE);
        control.id = GetDlgCtrlID(child);
        controls.push_back(std::move(control));
    }
    return controls;
}

SIZE ClientSize(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return {client.right - client.left, client.bottom - client.top};
}

std::vector<COLORREF> ScreenPixels(HWND window, RECT rect) {
    MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) {
        return {};
    }
    // One copy of the region into a top-down 32-bit bitmap, rather than a read per pixel.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<COLORREF> pixels;
    if (bitmap != nullptr) {
        const HGDIOBJ before = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY)) {
            GdiFlush();
            const auto* bgrx = static_cast<const std::uint8_t*>(bits);
            for (int i = 0; i < width * height; ++i) {
                pixels.push_back(RGB(bgrx[4 * i + 2], bgrx[4 * i + 1], bgrx[4 * i]));
            }
        }
        SelectObject(memory, before);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

int Brightness(COLORREF colour) {
    return (GetRValue(colour) * 299 + GetGValue(colour) * 587 + GetBValue(colour) * 114) / 1000;
}

POINT OuterTopLeft(HWND window) {
    RECT outer{};
    GetWindowRect(window, &outer);
    return {outer.left, outer.top};
}

LONG WindowStyle(HWND window) {
    return GetWindowLongW(window, GWL_STYLE);
}

bool PostClick(HWND button) {
    return PostMessageW(button, BM_CLICK, 0, 0) != FALSE;
}

bool PostCloseRequest(HWND window) {
    return PostMessageW(window, WM_CLOSE, 0, 0) != FALSE;
}

bool PostSystemClose(HWND window) {
    return PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE;
}

bool IsMessageBox(HWND window) {
    return ClassName(window) == L"#32770";
}

HWND WaitForMessageBox(DWORD processId, std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopLevelWindows(processId)) {
                if (IsMessageBox(window)) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return found;
}

std::wstring MessageBoxText(HWND box) {
    for (const ChildControl& control : ChildControls(box)) {
        if (SameClass(control.className, L"Static") && !control.text.empty()) {
            return control.text;
        }
    }
    return {};
}

bool PressMessageBoxOk(HWND box) {
    for (const ChildControl& control : ChildControls(box)) {
        if (SameClass(control.className, L"Button") && control.text == L"OK") {
            return PostClick(control.window);
        }
    }
    return false;
}

}  // namespace vexmora::e2e
