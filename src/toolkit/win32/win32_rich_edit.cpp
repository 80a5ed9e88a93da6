#include "toolkit/win32/win32_rich_edit.h"

// After windows.h:
#include <commctrl.h>
#include <richedit.h>

#include <string>

#include "platform/win32/wide_string.h"

namespace vexmora {
namespace {

// The largest limit that every rich edit takes as a number: a limit of -1 through EM_LIMITTEXT
// reads as 0 in some implementations, and then no typed character is accepted.
constexpr LPARAM kTextLimit = 0x7FFFFFFE;

void SelectRange(HWND editor, LONG first, LONG last) {
    CHARRANGE range{first, last};
    SendMessageW(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

// A rich edit that the dialog manager asks for its keys with the key message at hand
// (WM_GETDLGCODE with a message, as IsDialogMessage sends it) switches to a dialog mode for good:
// there Tab moves the focus and Esc closes the parent window (Wine's riched20 does so, and
// Windows' rich edit behaves alike). Asked without the message, it never switches; and the whole
// text, which the dialog manager selects in a control it tabs into, stays as the user left it.
LRESULT CALLBACK EditorKeys(HWND editor, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                            DWORD_PTR) {
    if (message == WM_GETDLGCODE) {
        const LRESULT code = DefSubclassProc(editor, message, wParam, 0);
        return (code & ~static_cast<LRESULT>(DLGC_HASSETSEL)) | DLGC_WANTALLKEYS;
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(editor, EditorKeys, id);
    }
    return DefSubclassProc(editor, message, wParam, lParam);
}

}  // namespace

void PrepareRichEdit(HWND editor) {
    SetWindowSubclass(editor, EditorKeys, 0, 0);
    // The editor holds plain text (Load and Save know no other): one format for all of it, so
    // that text pasted from a word processor takes the editor's colours too (black text would not
    // be readable in the dark scheme). Only an empty control switches.
    SendMessageW(editor, EM_SETTEXTMODE, TM_PLAINTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
    SendMessageW(editor, EM_EXLIMITTEXT, 0, kTextLimit);
    const LRESULT mask = SendMessageW(editor, EM_GETEVENTMASK, 0, 0);
    SendMessageW(editor, EM_SETEVENTMASK, 0, mask | ENM_CHANGE);
    SendMessageW(editor, EM_SETTARGETDEVICE, 0, 0);
}

void ReplaceRichEditText(HWND editor, std::u16string_view text) {
    // Drawing while a large text goes in costs more than the text itself; one paint at the end.
    SendMessageW(editor, WM_SETREDRAW, FALSE, 0);
    if (!text.empty()) {
        SetScrollPos(editor, SB_HORZ, 0, TRUE);
    }
    // EM_SETTEXTEX keeping the undo history makes the new text one step that Ctrl+Z takes back
    // (WM_SETTEXT empties the history).
    const std::u16string terminated(text);
    SETTEXTEX how{ST_KEEPUNDO, 1200};  // 1200: UTF-16
    SendMessageW(editor, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how),
                 reinterpret_cast<LPARAM>(WideCStr(terminated)));
    SelectRange(editor, 0, 0);
    SendMessageW(editor, EM_SCROLLCARET, 0, 0);
    SendMessageW(editor, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(editor, nullptr, nullptr,
                 RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

}  // namespace vexmora
