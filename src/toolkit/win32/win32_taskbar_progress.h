// Progress on a window's taskbar button through the shell's ITaskbarList3 (Windows 7 and later).
#pragma once

#include <windows.h>

// After windows.h:
#include <shobjidl.h>

#include <cstdint>

#include "platform/win32/unique_resources.h"
#include "toolkit/toolkit.h"

namespace vexmora {

class TaskbarProgress {
  public:
    // Shows `state` on the taskbar button of `window`. The shell's taskbar list is made on first
    // use (COM must be initialised on this thread); where the shell has none, this and every
    // later call does nothing.
    void Show(HWND window, TaskbarState state, std::uint64_t done, std::uint64_t total);

  private:
    ComPtr<ITaskbarList3> list_;
    bool tried_ = false;
};

}  // namespace vexmora
