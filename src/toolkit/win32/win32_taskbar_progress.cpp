#include "toolkit/win32/win32_taskbar_progress.h"

namespace vexmora {

void TaskbarProgress::Show(HWND window, TaskbarState state, std::uint64_t done,
                           std::uint64_t total) {
    if (!tried_) {
        tried_ = true;
        ComPtr<ITaskbarList3> list;
        if (SUCCEEDED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_ITaskbarList3,
                                       reinterpret_cast<void**>(list.Receive()))) &&
            SUCCEEDED(list->HrInit())) {
            list_ = std::move(list);
        }
    }
    if (!list_ || window == nullptr) {
        return;
    }
    switch (state) {
        case TaskbarState::None:
            list_->SetProgressState(window, TBPF_NOPROGRESS);
            break;
        case TaskbarState::Normal:
            // An unknown total shows an empty bar rather than a full one.
            list_->SetProgressValue(window, total == 0 ? 0 : done, total == 0 ? 1 : total);
            list_->SetProgressState(window, TBPF_NORMAL);
            break;
        case TaskbarState::Error:
            list_->SetProgressValue(window, 1, 1);
            list_->SetProgressState(window, TBPF_ERROR);
            break;
    }
}

}  // namespace vexmora
