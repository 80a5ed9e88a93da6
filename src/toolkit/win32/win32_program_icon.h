// The program's own icon (icon group 1 of the executable) on its windows.
#pragma once

#include <windows.h>

namespace vexmora {

struct ProgramIcons {
    HICON big = nullptr;    // title bar at large sizes, Alt+Tab, taskbar
    HICON small = nullptr;  // title bar, taskbar
};

// The icon at the system's big and small icon sizes for the current DPI (the group holds 16 to
// 256 px); null where the executable has none. The system shares and keeps them: never destroyed.
ProgramIcons LoadProgramIcons(HINSTANCE instance);

// Sets both icons on the window, so that it reports them (WM_GETICON) besides its class.
void ShowProgramIcons(HWND window, const ProgramIcons& icons);

}  // namespace vexmora
