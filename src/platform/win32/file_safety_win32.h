// The parts of the Win32 file layer that keep what the program replaces: what a path names, the
// Recycle Bin, and the attributes and access list a replacing file takes over.
#pragma once

#include <string_view>

#include "platform/file_system.h"

namespace vexmora {

// See FileSystem::KindOf. Device names (IsDeviceName) and "\\.\" paths are Other without being
// opened; otherwise the file is opened without access rights and asked for its type.
PathKind KindOfPath(std::u16string_view path);

// SHFileOperationW delete with undo, without confirmation, progress or error windows. A read-only
// file is left alone (it is not replaced either: moving over it fails). True when the shell took
// the file away: into the bin, or (a volume without one) for good.
bool RecycleFile(std::u16string_view path);

// File attributes (hidden, system, archive, not indexed) and the access list of `from` onto `to`.
bool CopyFileAttributes(std::u16string_view from, std::u16string_view to);

}  // namespace vexmora
