// Files dropped on a window from the shell (Explorer or any other drag source that offers
// CF_HDROP), as WM_DROPFILES delivers them.
#pragma once

#include <windows.h>
// After windows.h:
#include <shellapi.h>

#include <string>
#include <vector>

namespace vexmora {

// From now on files dropped on `window` arrive as WM_DROPFILES.
void AcceptDroppedFiles(HWND window);

// The full paths of a WM_DROPFILES drop, in the order the drop lists them. Releases the drop,
// which is no longer valid afterwards.
std::vector<std::u16string> TakeDroppedFiles(HDROP drop);

}  // namespace vexmora
