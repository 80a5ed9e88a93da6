// Dropping files on another process's window as the shell does for a window that accepts files:
// a WM_DROPFILES message with a DROPFILES block of the file names.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vexmora::e2e {

// Posts WM_DROPFILES with the full paths `files` to `window`. The block is written into the
// window's process (it reads the names there), where the program releases it with DragFinish.
// Wine's DragFinish passes over a block that its heap did not hand out; on Windows the shell
// makes such drops itself. False when the block cannot be placed or the message not posted.
bool DropFiles(HWND window, const std::vector<std::wstring>& files);

}  // namespace vexmora::e2e
