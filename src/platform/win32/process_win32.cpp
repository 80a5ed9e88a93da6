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
