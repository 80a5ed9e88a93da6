// The toolkit over Win32: one registered class per top-level window, common controls, a queue of
// the program's own events filled by the window procedure, and Tab / Shift+Tab accelerators.
#include <windows.h>
// After windows.h:
#include <commctrl.h>
#include <commdlg.h>
#include <objbase.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "toolkit/event_queue.h"
#include "toolkit/toolkit.h"
#include "toolkit/win32/modal_guard.h"

namespace vexmora {
namespace {

constexpr WORD kFocusNext = 1;
constexpr WORD kFocusPrevious = 2;

std::wstring Wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

struct ControlClass {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

class Win32Toolkit final : public Toolkit {
  public:
    Win32Toolkit();
    ~Win32Toolkit() override;

    void MakeProcessDpiAware() override;
    int LogicalPixelsX() override;
    void SetDefaultControlFont(std::u16string_view face, int points) override;
    Identity OpenWindow(const WindowArgs& args) override;
    Identity CreateControl(Identity window, const ControlArgs& args) override;
    void CloseWindow(Identity window) override;
    int WaitEvent(int timeoutMs) override;
    Identity EventControl() const override { return events_.LastControl(); }
    Identity EventWindow() const override { return events_.LastWindow(); }
    void SetProgressMaximum(Identity bar, std::int32_t maximum) override;
    void SetProgressPosition(Identity bar, std::int32_t position) override;
    int ShowMessageBox(std::u16string_view caption, std::u16string_view text,
                       unsigned type) override;
    std::u16string ControlText(Identity control) override;
    void SetControlText(Identity control, std::u16string_view text) override;
    std::u16string ShowFileDialog(const FileDialogArgs& args) override;

  private:
    struct Entry {
        HWND hwnd = nullptr;
        Identity window = kNoIdentity;  // kNoIdentity for a top-level window
        std::wstring className;         // top-level windows: their own registered class
        ControlKind kind = ControlKind::Label;
    };

    static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    Identity IdentityOf(HWND hwnd) const;
    HWND HandleOf(Identity identity) const;
    void MoveFocus(Identity window, bool forward);
    ControlClass ClassOf(ControlKind kind);

    HINSTANCE instance_ = GetModuleHandleW(nullptr);
    HACCEL accelerators_ = nullptr;
    HFONT font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    bool ownFont_ = false;
    bool comStarted_ = false;
    int classCount_ = 0;
    Identity lastIdentity_ = kNoIdentity;
    std::map<Identity, Entry> entries_;
    std::map<HWND, Identity> identities_;
    EventQueue events_;
    const wchar_t* richEditClass_ = nullptr;
};

Win32Toolkit::Win32Toolkit() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    comStarted_ = SUCCEEDED(CoInitialize(nullptr));
    ACCEL keys[] = {{FVIRTKEY, VK_TAB, kFocusNext}, {FVIRTKEY | FSHIFT, VK_TAB, kFocusPrevious}};
    accelerators_ = CreateAcceleratorTableW(keys, 2);
}

Win32Toolkit::~Win32Toolkit() {
    while (!entries_.empty()) {
        auto top = entries_.begin();
        CloseWindow(top->second.window == kNoIdentity ? top->first : top->second.window);
    }
    DestroyAcceleratorTable(accelerators_);
    if (ownFont_) {
        DeleteObject(font_);
    }
    if (comStarted_) {
        CoUninitialize();
    }
}

void Win32Toolkit::MakeProcessDpiAware() {
    HMODULE shcore = LoadLibraryW(L"Shcore.dll");
    if (shcore == nullptr) {
        return;
    }
    using SetAwareness = HRESULT(WINAPI*)(int);
    auto set = reinterpret_cast<SetAwareness>(
        reinterpret_cast<void*>(GetProcAddress(shcore, "SetProcessDpiAwareness")));
    if (set != nullptr) {
        set(1);  // PROCESS_SYSTEM_DPI_AWARE
    }
    FreeLibrary(shcore);
}

int Win32Toolkit::LogicalPixelsX() {
    HWND desktop = GetDesktopWindow();
    HDC dc = GetDC(desktop);
    int pixels = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(desktop, dc);
    return pixels;
}

void Win32Toolkit::SetDefaultControlFont(std::u16string_view face, int points) {
    HDC display = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
    int height = -MulDiv(points, GetDeviceCaps(display, LOGPIXELSY), 72);
    DeleteDC(display);
    HFONT font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, Wide(face).c_str());
    if (font == nullptr) {
        return;
    }
    if (ownFont_) {
        DeleteObject(font_);
    }
    font_ = font;
    ownFont_ = true;
}

Identity Win32Toolkit::OpenWindow(const WindowArgs& args) {
    wchar_t className[64];
    std::swprintf(className, 64, L"WindowClass_%lld", static_cast<long long>(++classCount_));
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance_;
    windowClass.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(1));
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

    const Identity identity = ++lastIdentity_;
    entries_[identity] = {nullptr, kNoIdentity, className};
    HWND hwnd = CreateWindowExW(0, className, Wide(args.title).c_str(), style, x, y, width, height,
                                nullptr, nullptr, instance_, this);
    if (hwnd == nullptr) {
        entries_.erase(identity);
        UnregisterClassW(className, instance_);
        return kNoIdentity;
    }
    entries_[identity].hwnd = hwnd;
    identities_[hwnd] = identity;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    return identity;
}

ControlClass Win32Toolkit::ClassOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::GroupBox:
            return {L"Button", BS_GROUPBOX | WS_GROUP, 0};
        case ControlKind::Label:
            return {L"Static", SS_LEFT | SS_NOPREFIX | WS_GROUP, 0};
        case ControlKind::CentredLabel:
            return {L"Static", SS_CENTER | SS_NOPREFIX | WS_GROUP, 0};
        case ControlKind::PasswordField:
            return {L"Edit", ES_PASSWORD | ES_AUTOHSCROLL | WS_GROUP | WS_TABSTOP,
                    WS_EX_CLIENTEDGE};
        case ControlKind::RichEdit:
            if (richEditClass_ == nullptr) {
                richEditClass_ = LoadLibraryW(L"RICHED20.DLL") != nullptr   ? L"RichEdit20W"
                                 : LoadLibraryW(L"RICHED32.DLL") != nullptr ? L"RichEdit"
                                                                            : L"RichEdit20W";
            }
            return {richEditClass_,
                    ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL | ES_WANTRETURN |
                        WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
                    WS_EX_CLIENTEDGE};
        case ControlKind::PushButton:
            return {L"Button", BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, 0};
        case ControlKind::ProgressBar:
            return {PROGRESS_CLASSW, 0, 0};
    }
    return {L"Static", 0, 0};
}

Identity Win32Toolkit::CreateControl(Identity window, const ControlArgs& args) {
    HWND parent = HandleOf(window);
    auto found = entries_.find(window);
    if (parent == nullptr || found->second.window != kNoIdentity) {
        return kNoIdentity;
    }
    const ControlClass kind = ClassOf(args.kind);
    const Identity identity = ++lastIdentity_;
    HWND hwnd = CreateWindowExW(
        kind.exStyle, kind.className, Wide(args.text).c_str(), WS_CHILD | WS_VISIBLE | kind.style,
        args.rect.x, args.rect.y, args.rect.width, args.rect.height, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(identity & 0xFFFF)), instance_, nullptr);
    if (hwnd == nullptr) {
        return kNoIdentity;
    }
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    if (args.kind == ControlKind::RichEdit) {
        SendMessageW(hwnd, EM_LIMITTEXT, static_cast<WPARAM>(-1), 0);
        LRESULT mask = SendMessageW(hwnd, EM_GETEVENTMASK, 0, 0);
        SendMessageW(hwnd, EM_SETEVENTMASK, 0, mask | ENM_CHANGE);
        SendMessageW(hwnd, EM_SETTARGETDEVICE, 0, 0);
    }
    entries_[identity] = {hwnd, window, {}, args.kind};
    identities_[hwnd] = identity;
    return identity;
}

void Win32Toolkit::CloseWindow(Identity window) {
    auto found = entries_.find(window);
    if (found == entries_.end() || found->second.window != kNoIdentity) {
        return;
    }
    const Entry entry = found->second;
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
    if (root != nullptr && identities_.count(root) != 0 &&
        TranslateAcceleratorW(root, accelerators_, &message)) {
        SendMessageW(root, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    } else {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.message);
}

void Win32Toolkit::SetProgressMaximum(Identity bar, std::int32_t maximum) {
    HWND hwnd = HandleOf(bar);
    PBRANGE range{};
    SendMessageW(hwnd, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    SendMessageW(hwnd, PBM_SETRANGE32, static_cast<WPARAM>(range.iLow), maximum);
}

void Win32Toolkit::SetProgressPosition(Identity bar, std::int32_t position) {
    SendMessageW(HandleOf(bar), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

int Win32Toolkit::ShowMessageBox(std::u16string_view caption, std::u16string_view text,
                                 unsigned type) {
    ModalGuard guard;
    return MessageBoxW(ForegroundWindowOfThisProcess(), Wide(text).c_str(), Wide(caption).c_str(),
                       type);
}

std::u16string Win32Toolkit::ControlText(Identity control) {
    HWND hwnd = HandleOf(control);
    const int length = GetWindowTextLengthW(hwnd);
    if (hwnd == nullptr || length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd, text.data(), length + 1);
    return std::u16string(text.begin(), text.begin() + std::max(copied, 0));
}

void Win32Toolkit::SetControlText(Identity control, std::u16string_view text) {
    auto found = entries_.find(control);
    if (found == entries_.end()) {
        return;
    }
    if (found->second.kind == ControlKind::RichEdit && !text.empty()) {
        SetScrollPos(found->second.hwnd, SB_HORZ, 0, TRUE);
    }
    SetWindowTextW(found->second.hwnd, Wide(text).c_str());
}

std::u16string Win32Toolkit::ShowFileDialog(const FileDialogArgs& args) {
    constexpr std::size_t kBufferUnits = 260;
    std::wstring file(kBufferUnits, L'\0');
    const std::wstring name = Wide(args.initialFileName).substr(0, kBufferUnits - 1);
    std::copy(name.begin(), name.end(), file.begin());
    // "label|mask|..." becomes "label\0mask\0...\0\0".
    std::wstring filter = Wide(args.pattern);
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    filter.push_back(L'\0');
    filter.push_back(L'\0');
    const std::wstring title = Wide(args.title);
    const std::wstring folder = args.initialFolder ? Wide(*args.initialFolder) : std::wstring();

    OPENFILENAMEW dialog{};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    dialog.hwndOwner = ForegroundWindowOfThisProcess();
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = static_cast<DWORD>(args.patternIndex + 1);
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(kBufferUnits);
    dialog.lpstrInitialDir = args.initialFolder ? folder.c_str() : nullptr;
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    BOOL chosen;
    {
        ModalGuard guard;
        chosen = args.forSaving ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    }
    if (!chosen) {
        return {};
    }
    return std::u16string(file.begin(),
                          file.begin() + static_cast<std::ptrdiff_t>(file.find(L'\0')));
}

Identity Win32Toolkit::IdentityOf(HWND hwnd) const {
    auto found = identities_.find(hwnd);
    return found == identities_.end() ? kNoIdentity : found->second;
}

HWND Win32Toolkit::HandleOf(Identity identity) const {
    auto found = entries_.find(identity);
    return found == entries_.end() ? nullptr : found->second.hwnd;
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

}  // namespace

std::unique_ptr<Toolkit> CreatePlatformToolkit() {
    return std::make_unique<Win32Toolkit>();
}

}  // namespace vexmora
