#include <windows.h>

#include "platform/process.h"

namespace vexmora {

std::uint32_t CurrentThreadId() {
    return GetCurrentThreadId();
}

std::uint32_t TickCountMs() {
    return GetTickCount();
}

std::u16string ProcessCommandLine() {
    return std::u16string(reinterpret_cast<const char16_t*>(GetCommandLineW()));
}

}  // namespace vexmora

namespace vexmora {

std::u16string ProgramPath() {
    std::u16string path(MAX_PATH, u'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(path.data()),
                                          static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);  // truncated: try a larger buffer
    }
}

}  // namespace vexmora
