// The program's look on Windows: the scheme's colours handed to each control as it asks for them,
// push buttons drawn by the program where the system has no dark theme for them, and every window
// styled anew when the user changes the apps' mode or high contrast.
#include <windows.h>
// After windows.h:
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <string>

#include "toolkit/win32/win32_toolkit.h"

namespace vexmora {
namespace {

void ColourRichEdit(HWND editor, const Palette* colours) {
    // wParam 1: the system's window colour, which follows high contrast by itself.
    SendMessageW(editor, EM_SETBKGNDCOLOR, colours == nullptr ? 1 : 0,
                 colours == nullptr ? 0 : static_cast<LPARAM>(colours->field));
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_COLOR;
    format.dwEffects = colours == nullptr ? CFE_AUTOCOLOR : 0;
    format.crTextColor = colours == nullptr ? 0 : colours->fieldText;
    // The text there is and the text still to be typed or loaded.
    SendMessageW(editor, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    SendMessageW(editor, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
}

std::wstring TextOf(HWND control) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        std::max(GetWindowTextW(control, text.data(), static_cast<int>(text.size())), 0)));
    return text;
}

void FillWith(HDC dc, const RECT& rect, Colour colour) {
    SetDCBrushColor(dc, colour);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// The caption and frame of a group box, in the palette's colours. The inside stays as it is: the
// controls in the box are its siblings, and filling it could paint over them.
void PaintGroupBox(HWND box, const Palette& colours) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(box, &paint);
    RECT client{};
    GetClientRect(box, &client);
    const HGDIOBJ font =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(box, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT frame = client;
    frame.top += metrics.tmHeight / 2;
    SetDCBrushColor(dc, colours.buttonBorder);
    FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));

    const std::wstring text = TextOf(box);
    const int length = static_cast<int>(text.size());
    if (length > 0) {
        const UINT hidePrefix =
            (SendMessageW(box, WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL) != 0 ? DT_HIDEPREFIX : 0;
        RECT caption{client.left + metrics.tmAveCharWidth, client.top, client.right,
                     client.top + metrics.tmHeight};
        DrawTextW(dc, text.c_str(), length, &caption, DT_SINGLELINE | DT_CALCRECT | hidePrefix);
        caption.right += 2;  // a little room on each side, as the system leaves it
        FillWith(dc, caption, colours.window);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, IsWindowEnabled(box) != FALSE ? colours.text : colours.disabledText);
        OffsetRect(&caption, 1, 0);
        DrawTextW(dc, text.c_str(), length, &caption, DT_SINGLELINE | hidePrefix);
    }
    SelectObject(dc, font);
    EndPaint(box, &paint);
}

// The sunken edge around a field, which the system draws in its light 3D colours: a thin frame
// in the palette's colours instead.
void PaintFieldEdge(HWND field, const Palette& colours) {
    HDC dc = GetWindowDC(field);
    RECT edge{};
    GetWindowRect(field, &edge);
    OffsetRect(&edge, -edge.left, -edge.top);
    const auto brush = static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
    SetDCBrushColor(dc, colours.buttonBorder);
    FrameRect(dc, &edge, brush);
    InflateRect(&edge, -1, -1);
    SetDCBrushColor(dc, colours.field);
    FrameRect(dc, &edge, brush);
    ReleaseDC(field, dc);
}

// A progress bar in the palette's colours: the system's themed bar keeps its light track
// whatever background it is given (Wine's does also without its theme).
void PaintProgressBar(HWND bar, const Palette& colours) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(bar, &paint);
    RECT rect{};
    GetClientRect(bar, &rect);
    FillWith(dc, rect, colours.buttonBorder);
    InflateRect(&rect, -1, -1);
    FillWith(dc, rect, colours.field);
    PBRANGE range{};
    SendMessageW(bar, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    const long long position = SendMessageW(bar, PBM_GETPOS, 0, 0);
    const long long span = static_cast<long long>(range.iHigh) - range.iLow;
    if (span > 0 && position > range.iLow) {
        const long long done = std::min(position - range.iLow, span);
        RECT filled = rect;
        filled.right = rect.left + static_cast<LONG>(done * (rect.right - rect.left) / span);
        // A bar whose colour tells a state (SetProgressState) keeps that colour.
        const auto barColour = static_cast<COLORREF>(SendMessageW(bar, PBM_GETBARCOLOR, 0, 0));
        FillWith(dc, filled, barColour == CLR_DEFAULT ? colours.accent : barColour);
    }
    EndPaint(bar, &paint);
}

}  // namespace

LRESULT CALLBACK Win32Toolkit::PaintedInPalette(HWND control, UINT message, WPARAM wParam,
                                                LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(control, PaintedInPalette, id);
        return DefSubclassProc(control, message, wParam, lParam);
    }
    const Palette* colours = reinterpret_cast<Win32Toolkit*>(data)->appearance_.Colours();
    if (colours != nullptr) {
        if (message == WM_PAINT && static_cast<ControlKind>(id) == ControlKind::GroupBox) {
            PaintGroupBox(control, *colours);
            return 0;
        }
        if (message == WM_PAINT && static_cast<ControlKind>(id) == ControlKind::ProgressBar) {
            PaintProgressBar(control, *colours);
            return 0;
        }
        // Wine's rich edit draws its edge with the text, so the editor's is painted again after
        // both; the scroll bars are drawn first.
        if ((message == WM_NCPAINT ||
             (message == WM_PAINT && static_cast<ControlKind>(id) == ControlKind::RichEdit)) &&
            (GetWindowLongW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0) {
            const LRESULT result = DefSubclassProc(control, message, wParam, lParam);
            PaintFieldEdge(control, *colours);
            return result;
        }
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

void Win32Toolkit::StyleControl(HWND control, const Entry& entry) {
    appearance_.StyleControl(control, entry.kind);
    if (entry.kind == ControlKind::GroupBox || entry.kind == ControlKind::PasswordField ||
        entry.kind == ControlKind::ReadOnlyField || entry.kind == ControlKind::RichEdit ||
        entry.kind == ControlKind::ProgressBar) {
        // Set again on every change, which only renews it.
        SetWindowSubclass(control, PaintedInPalette, static_cast<UINT_PTR>(entry.kind),
                          reinterpret_cast<DWORD_PTR>(this));
        // A control created visible has had its frame painted already, before the subclass.
        RedrawWindow(control, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    }
    const Palette* colours = appearance_.Colours();
    if (entry.kind == ControlKind::RichEdit) {
        ColourRichEdit(control, colours);
    } else if (entry.kind == ControlKind::ProgressBar && entry.barColoured) {
        // A bar whose colour tells its state stays unthemed in every scheme (SetProgressState).
        appearanceSystem_.SetControlTheme(control, ControlTheme::Classic);
    }
}

void Win32Toolkit::FollowSchemeChange() {
    if (!appearance_.Refresh()) {
        return;
    }
    for (const auto& [identity, entry] : entries_) {
        if (entry.window == kNoIdentity) {
            appearance_.StyleWindow(entry.hwnd);
        } else {
            StyleControl(entry.hwnd, entry);
        }
    }
    for (const auto& [identity, entry] : entries_) {
        if (entry.window == kNoIdentity) {
            RedrawWindow(entry.hwnd, nullptr, nullptr,
                         RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
        }
    }
}

bool Win32Toolkit::PaintBackground(HWND window, HDC dc) {
    const Palette* colours = appearance_.Colours();
    if (colours == nullptr) {
        return false;
    }
    RECT client{};
    GetClientRect(window, &client);
    FillWith(dc, client, colours->window);
    return true;
}

HBRUSH Win32Toolkit::ControlColours(HWND control, HDC dc) {
    const Palette* colours = appearance_.Colours();
    const Entry* entry = EntryOf(control);
    if (colours == nullptr || entry == nullptr) {
        return nullptr;
    }
    const bool field =
        entry->kind == ControlKind::PasswordField || entry->kind == ControlKind::ReadOnlyField;
    SetTextColor(dc, IsWindowEnabled(control) == FALSE ? colours->disabledText
                     : field                           ? colours->fieldText
                                                       : colours->text);
    SetBkColor(dc, field ? colours->field : colours->window);
    SetDCBrushColor(dc, field ? colours->field : colours->window);
    return static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
}

LRESULT Win32Toolkit::DrawButton(const NMCUSTOMDRAW& draw) {
    const Entry* entry = EntryOf(draw.hdr.hwndFrom);
    if (draw.dwDrawStage != CDDS_PREPAINT || !appearance_.ProgramDrawsButtons() ||
        entry == nullptr || entry->kind != ControlKind::PushButton) {
        return CDRF_DODEFAULT;
    }
    const Palette& colours = DarkPalette();
    HWND button = draw.hdr.hwndFrom;
    HDC dc = draw.hdc;
    const bool disabled = (draw.uItemState & CDIS_DISABLED) != 0;
    const bool pressed = (draw.uItemState & CDIS_SELECTED) != 0;
    const bool hot = (draw.uItemState & CDIS_HOT) != 0;
    const bool isDefault =
        (GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON && !disabled;

    RECT rect = draw.rc;
    FillWith(dc, rect, isDefault ? colours.accent : colours.buttonBorder);
    InflateRect(&rect, isDefault ? -2 : -1, isDefault ? -2 : -1);
    FillWith(dc, rect, pressed ? colours.buttonPressed : hot ? colours.buttonHot : colours.button);

    const std::wstring text = TextOf(button);
    const LRESULT uiState = SendMessageW(button, WM_QUERYUISTATE, 0, 0);
    const HGDIOBJ font =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(button, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, disabled ? colours.disabledText : colours.text);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE |
                  ((uiState & UISF_HIDEACCEL) != 0 ? DT_HIDEPREFIX : 0));
    SelectObject(dc, font);
    if ((draw.uItemState & CDIS_FOCUS) != 0 && (uiState & UISF_HIDEFOCUS) == 0) {
        InflateRect(&rect, -2, -2);
        DrawFocusRect(dc, &rect);
    }
    return CDRF_SKIPDEFAULT;
}

}  // namespace vexmora
