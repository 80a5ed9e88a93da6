// Owning wrappers for the Win32 handles the driver holds: the program's own owners, and one for
// the registry keys that only the driver opens.
#pragma once

#include "platform/win32/unique_resources.h"

namespace vexmora::e2e {

using vexmora::UniqueFind;
using vexmora::UniqueHandle;
// RegCloseKey returns ERROR_SUCCESS, which is 0, on success.
struct RegistryKeyRelease {
    using Handle = HKEY;
    static bool Release(Handle key) { return RegCloseKey(key) == ERROR_SUCCESS; }
};
using UniqueRegKey = UniqueResource<RegistryKeyRelease>;

}  // namespace vexmora::e2e
