#include "toolkit/win32/win32_drop_files.h"

#include <algorithm>

#include "platform/win32/unique_resources.h"
#include "platform/win32/wide_string.h"

namespace vexmora {

void AcceptDroppedFiles(HWND window) {
    DragAcceptFiles(window, TRUE);
}

std::vector<std::u16string> TakeDroppedFiles(HDROP drop) {
    // The drop's memory is the receiver's to free, whatever happens while it is read.
    const UniqueHdrop owner(drop);
    std::vector<std::u16string> files;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0) {
            continue;
        }
        std::wstring name(length + 1, L'\0');
        const UINT copied = DragQueryFileW(drop, i, name.data(), length + 1);
        files.push_back(FromWide(std::wstring_view(name).substr(0, std::min(copied, length))));
    }
    return files;
}

}  // namespace vexmora
