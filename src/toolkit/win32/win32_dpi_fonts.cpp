// DPI awareness, the screen's resolution, and the font every control is given.
#include <windows.h>

#include "platform/win32/wide_string.h"
#include "toolkit/win32/win32_toolkit.h"

namespace vexmora {

void Win32Toolkit::MakeProcessDpiAware() {
    // Shcore.dll, and with it SetProcessDpiAwareness, exists from Windows 8.1 on.
    const UniqueModule shcore(LoadLibraryW(L"Shcore.dll"));
    if (!shcore) {
        return;
    }
    using SetAwareness = HRESULT(WINAPI*)(int);
    auto set = reinterpret_cast<SetAwareness>(
        reinterpret_cast<void*>(GetProcAddress(shcore.Get(), "SetProcessDpiAwareness")));
    if (set != nullptr) {
        set(1);  // PROCESS_SYSTEM_DPI_AWARE
    }
}

int Win32Toolkit::LogicalPixelsX() {
    return ScreenDc().Capability(LOGPIXELSX);
}

void Win32Toolkit::SetDefaultControlFont(std::u16string_view face, int points) {
    const int height = -MulDiv(points, ScreenDc().Capability(LOGPIXELSY), 72);
    UniqueFont font(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                DEFAULT_PITCH | FF_DONTCARE, ToWide(face).c_str()));
    if (font) {
        font_ = std::move(font);
    }
}

}  // namespace vexmora
