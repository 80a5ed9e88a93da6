#include "toolkit/win32/win32_program_icon.h"

namespace vexmora {
namespace {

constexpr WORD kProgramIconGroup = 1;

HICON LoadSized(HINSTANCE instance, int widthMetric, int heightMetric) {
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kProgramIconGroup), IMAGE_ICON,
                                         GetSystemMetrics(widthMetric),
                                         GetSystemMetrics(heightMetric), LR_SHARED));
}

}  // namespace

ProgramIcons LoadProgramIcons(HINSTANCE instance) {
    return {LoadSized(instance, SM_CXICON, SM_CYICON),
            LoadSized(instance, SM_CXSMICON, SM_CYSMICON)};
}

void ShowProgramIcons(HWND window, const ProgramIcons& icons) {
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons.big));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons.small));
}

}  // namespace vexmora
