// The editor control's own needs: a text limit that typing respects, change notifications and
// wrapping at the control's width, its keys, and replacing the whole text as one step the user
// can undo.
#pragma once

#include <windows.h>

#include <string_view>

namespace vexmora {

// Settings of a rich edit right after it is created. From then on it tells the dialog manager
// that it takes every key itself (Tab, Enter and Esc are text keys in it; the event pump moves
// the focus out on Ctrl+Tab), and being tabbed into keeps its caret and selection.
void PrepareRichEdit(HWND editor);

// Replaces the whole text of the rich edit as one step that Ctrl+Z takes back. A non-empty text
// starts scrolled to its left edge; the caret goes to the start, as after typing a new text.
void ReplaceRichEditText(HWND editor, std::u16string_view text);

}  // namespace vexmora
