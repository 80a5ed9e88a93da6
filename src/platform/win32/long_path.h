// Paths of any length for the Win32 file functions.
#pragma once

#include <string>
#include <string_view>

namespace vexmora {

// The full path in the form that lifts the 260-character limit: "\\?\C:\..." or
// "\\?\UNC\server\share\...". Relative paths, "." and ".." and forward slashes are resolved first
// (GetFullPathNameW), since the long form takes a path literally. Paths already in the "\\?\" or
// "\\.\" form, and those that cannot be resolved, are returned unchanged.
std::wstring LongPath(std::u16string_view path);

// The full path without the long-form prefix, as the shell takes it; empty when it cannot be had.
std::wstring FullPath(std::u16string_view path);

}  // namespace vexmora
