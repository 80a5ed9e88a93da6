// The parts of the Win32 file layer that keep what the program replaces: what a path names, the
// Recycle Bin, and the attributes and access list a replacing file takes over.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/win32/unique_resources.h"

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

// Creates the new file path (CREATE_NEW) with `access` and `share`. When `like` is not empty, the
// file has from its creation on the attributes (hidden, system, archive, not indexed) and the
// access list of that file (DescriptorLike); an invalid handle when they cannot be read.
UniqueHandle CreateFileLike(std::u16string_view path, DWORD access, DWORD share,
                            std::u16string_view like);

// The security descriptor to create a file with so that it has the access list of `model` (a
// descriptor with its DACL, as GetNamedSecurityInfoW gives it): nullptr when the folder's
// inheritance alone gives it (a list that is not protected and holds inherited entries only, the
// common case), else `descriptor`, filled with model's list and its protection. The list is given
// whole, inherited entries too: the system merges the folder's inheritable entries into a list
// that is not protected
// (https://learn.microsoft.com/en-us/windows/win32/secauthz/dacl-for-a-new-object), which can only
// repeat what is there. Empty when model cannot be read. `descriptor` points into model: both must
// outlive the creation.
std::optional<PSECURITY_DESCRIPTOR> DescriptorLike(PSECURITY_DESCRIPTOR model,
                                                   SECURITY_DESCRIPTOR& descriptor);

}  // namespace vexmora
