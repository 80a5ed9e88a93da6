// What a path names on disk.
#pragma once

#include <cstdint>
#include <string_view>

namespace vexmora {

// The size in bytes of an existing file; -1 when nothing is found (also for an empty path); -2
// for a folder or a drive. Paths of any length are taken whole.
std::int64_t FileSizeOf(std::u16string_view path);

}  // namespace vexmora
