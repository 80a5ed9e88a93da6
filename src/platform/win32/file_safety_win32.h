// The parts of the Win32 file layer that keep what the program replaces: what a path names, the
// Recycle Bin, and the attributes and access list a replacing file takes over.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace vexmora {

// See FileSystem::KindOf. Device names (IsDeviceName) and "\\.\" paths are Other without being
// opened; otherwise the file is opened without access rights and asked for its type.
PathKind KindOfPath(std::u16string_view path);

// SHFileOperationW delete with undo, without confirmation, progress or error windows, and without
// the files the shell connects to this one. The shell gets the plain form of the path (never
// "\\?\"); a path too long for the shell, or a read-only file, is left alone. True when the shell
// took the file away: into the bin, or (a volume without one) for good.
bool RecycleFile(std::u16string_view path);

// The path as the shell takes it: full, without the long-form prefix ("\\?\C:\..." gives
// "C:\...", "\\?\UNC\server\..." gives "\\server\..."); empty when it cannot be had.
std::wstring ShellPath(std::u16string_view path);

// See FileSystem::CanReplace: not read-only, and a handle with write and delete access, sharing
// everything, can be had.
bool CanReplaceFile(std::u16string_view path);

// See FileSystem::RemoveThroughHandle.
bool RemoveFileThroughHandle(std::u16string_view path);

// The "Zone.Identifier" alternate data stream of the file; empty when it has none.
std::vector<std::uint8_t> ReadZoneIdentifier(std::u16string_view path);
bool WriteZoneIdentifier(std::u16string_view path, std::span<const std::uint8_t> mark);

// File attributes (hidden, system, archive, not indexed) and the access list of `from` onto `to`.
bool CopyFileAttributes(std::u16string_view from, std::u16string_view to);

}  // namespace vexmora
