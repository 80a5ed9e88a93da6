// The system's Open and Save As dialogs, owned by the program's foreground window.
#include <windows.h>
// After windows.h:
#include <commdlg.h>

#include <algorithm>

#include "platform/win32/wide_string.h"
#include "toolkit/win32/modal_guard.h"
#include "toolkit/win32/win32_toolkit.h"

namespace vexmora {

std::u16string Win32Toolkit::ShowFileDialog(const FileDialogArgs& args) {
    // Room for the longest path the system takes (32,767 characters and the terminator).
    constexpr std::size_t kBufferUnits = 32768;
    std::wstring file(kBufferUnits, L'\0');
    const std::wstring name = ToWide(args.initialFileName).substr(0, kBufferUnits - 1);
    std::copy(name.begin(), name.end(), file.begin());
    // "label|mask|..." becomes "label\0mask\0...\0\0".
    std::wstring filter = ToWide(args.pattern);
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    filter.push_back(L'\0');
    filter.push_back(L'\0');
    const std::wstring title = ToWide(args.title);
    const std::wstring folder = args.initialFolder ? ToWide(*args.initialFolder) : std::wstring();

    OPENFILENAMEW dialog{};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    dialog.hwndOwner = ForegroundWindowOfThisProcess();
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = static_cast<DWORD>(args.patternIndex + 1);
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(kBufferUnits);
    dialog.lpstrInitialDir = args.initialFolder ? folder.c_str() : nullptr;
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    BOOL chosen;
    {
        ModalGuard guard;
        chosen = args.forSaving ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    }
    if (!chosen) {
        return {};
    }
    return FromWide(std::wstring_view(file).substr(0, file.find(L'\0')));
}

}  // namespace vexmora
