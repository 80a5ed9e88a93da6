// Controls: the class and styles of each kind, the font they share, their texts and progress.
#include <windows.h>
// After windows.h:
#include <commctrl.h>
#include <richedit.h>
#include <uxtheme.h>

#include <algorithm>

#include "platform/win32/wide_string.h"
#include "toolkit/win32/win32_rich_edit.h"
#include "toolkit/win32/win32_toolkit.h"

namespace vexmora {

// Every kind starts a group (WS_GROUP) unless it joins the one before (ControlArgs::joinsGroup).
// Static texts that show the program's data ("Decrypt Tom & Jerry.txt") keep their "&"
// (SS_NOPREFIX); a field's label shows its access key instead.
ControlClass Win32Toolkit::ClassOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::GroupBox:
            return {L"Button", BS_GROUPBOX | WS_GROUP, 0};
        case ControlKind::Label:
            return {L"Static", SS_LEFT | SS_NOPREFIX | WS_GROUP, 0};
        case ControlKind::CentredLabel:
            return {L"Static", SS_CENTER | SS_NOPREFIX | WS_GROUP, 0};
        case ControlKind::FieldLabel:
            return {L"Static", SS_LEFT | WS_GROUP, 0};
        case ControlKind::PasswordField:
            return {L"Edit", ES_PASSWORD | ES_AUTOHSCROLL | WS_GROUP | WS_TABSTOP,
                    WS_EX_CLIENTEDGE};
        case ControlKind::RichEdit:
            // The rich edit DLL registers its class when loaded; loaded on first use and kept
            // until the toolkit goes.
            if (richEditClass_ == nullptr) {
                richEditModule_.Reset(LoadLibraryW(L"RICHED20.DLL"));
                richEditClass_ = L"RichEdit20W";
                if (!richEditModule_) {
                    richEditModule_.Reset(LoadLibraryW(L"RICHED32.DLL"));
                    richEditClass_ = richEditModule_ ? L"RichEdit" : L"RichEdit20W";
                }
            }
            return {richEditClass_,
                    ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL | ES_WANTRETURN |
                        WS_VSCROLL | WS_HSCROLL | WS_GROUP | WS_TABSTOP,
                    WS_EX_CLIENTEDGE};
        case ControlKind::PushButton:
            return {L"Button", BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, 0};
        case ControlKind::ProgressBar:
            return {PROGRESS_CLASSW, WS_GROUP, 0};
        case ControlKind::ReadOnlyField:
            return {L"Edit", ES_READONLY | ES_AUTOHSCROLL | WS_GROUP | WS_TABSTOP,
                    WS_EX_CLIENTEDGE};
    }
    return {L"Static", WS_GROUP, 0};
}

HFONT Win32Toolkit::ControlFont() const {
    return font_ ? font_.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

Identity Win32Toolkit::CreateControl(Identity window, const ControlArgs& args) {
    HWND parent = HandleOf(window);
    auto found = entries_.find(window);
    if (parent == nullptr || found->second.window != kNoIdentity) {
        return kNoIdentity;
    }
    const ControlClass kind = ClassOf(args.kind);
    const DWORD style = args.joinsGroup ? kind.style & ~static_cast<DWORD>(WS_GROUP) : kind.style;
    const Identity identity = ++lastIdentity_;
    HWND hwnd = CreateWindowExW(kind.exStyle, kind.className, ToWide(args.text).c_str(),
                                WS_CHILD | (args.shown ? WS_VISIBLE : 0) | style, args.rect.x,
                                args.rect.y, args.rect.width, args.rect.height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(identity & 0xFFFF)),
                                instance_, nullptr);
    if (hwnd == nullptr) {
        return kNoIdentity;
    }
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont()), FALSE);
    if (args.kind == ControlKind::RichEdit) {
        PrepareRichEdit(hwnd);
    }
    entries_[identity] = {hwnd, window, {}, args.kind};
    identities_[hwnd] = identity;
    StyleControl(hwnd, entries_[identity]);
    if (!args.name.empty()) {
        names_.Name(hwnd, args.name);
    }
    return identity;
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

void Win32Toolkit::SetProgressState(Identity bar, BarState state) {
    HWND hwnd = HandleOf(bar);
    // With visual styles the bar takes the state's colour; without them (classic theme, Wine
    // without a theme) only the bar colour counts, and the themed bar ignores that colour.
    static constexpr struct {
        WPARAM state;
        COLORREF colour;
    } kLook[] = {
        {PBST_NORMAL, RGB(6, 176, 37)},
        {PBST_PAUSED, RGB(218, 203, 38)},
        {PBST_ERROR, RGB(218, 38, 38)},
    };
    const auto& look = kLook[static_cast<int>(state)];
    // A themed bar draws in the theme's colours (Wine's theme ignores the state), so a bar whose
    // colour carries a meaning is drawn without the theme.
    SetWindowTheme(hwnd, L"", L"");
    if (auto found = entries_.find(bar); found != entries_.end()) {
        found->second.barColoured = true;
    }
    SendMessageW(hwnd, PBM_SETSTATE, look.state, 0);
    SendMessageW(hwnd, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(look.colour));
}

std::u16string Win32Toolkit::ControlText(Identity control) {
    HWND hwnd = HandleOf(control);
    const int length = GetWindowTextLengthW(hwnd);
    if (hwnd == nullptr || length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd, text.data(), length + 1);
    std::u16string result =
        FromWide(std::wstring_view(text).substr(0, static_cast<std::size_t>(std::max(copied, 0))));
    // A password field's text is a secret (a read-only field shows a passphrase): the caller wipes
    // what it gets, this copy goes here.
    if (auto found = entries_.find(control);
        found != entries_.end() && (found->second.kind == ControlKind::PasswordField ||
                                    found->second.kind == ControlKind::ReadOnlyField)) {
        SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t));
    }
    return result;
}

void Win32Toolkit::SetControlText(Identity control, std::u16string_view text) {
    auto found = entries_.find(control);
    if (found == entries_.end()) {
        return;
    }
    if (found->second.kind == ControlKind::RichEdit) {
        ReplaceRichEditText(found->second.hwnd, text);
        return;
    }
    SetWindowTextW(found->second.hwnd, ToWide(text).c_str());
}

void Win32Toolkit::SetControlName(Identity control, std::u16string_view name) {
    names_.Name(HandleOf(control), name);
}

void Win32Toolkit::FocusControl(Identity control) {
    if (HWND hwnd = HandleOf(control)) {
        // A window that is not active (another program's is) takes the focus only once it is
        // activated: it gives it then to the control remembered here.
        RememberFocus(GetAncestor(hwnd, GA_ROOT), hwnd);
        SetFocus(hwnd);
    }
}

void Win32Toolkit::EnableControl(Identity control, bool enabled) {
    if (HWND hwnd = HandleOf(control)) {
        EnableWindow(hwnd, enabled ? TRUE : FALSE);
    }
}

void Win32Toolkit::ShowControl(Identity control, bool shown) {
    if (HWND hwnd = HandleOf(control)) {
        ShowWindow(hwnd, shown ? SW_SHOWNA : SW_HIDE);
    }
}

void Win32Toolkit::ShowBusy(bool busy) {
    // No message is handled while the program is busy, so nothing sets the cursor back early.
    if (busy) {
        cursorBeforeBusy_ = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    } else {
        SetCursor(cursorBeforeBusy_ != nullptr ? cursorBeforeBusy_
                                               : LoadCursorW(nullptr, IDC_ARROW));
    }
}

}  // namespace vexmora
