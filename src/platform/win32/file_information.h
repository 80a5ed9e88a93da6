// What Win32 reports about a file, read in the program's terms. Pure functions over the structures
// the system fills, so that tests can hand them what Windows reports for placeholders, links and
// ReFS volumes, none of which Wine has.
#pragma once

#include <windows.h>

#include <optional>
#include <string_view>

#include "platform/file_system.h"

// Attribute bits of cloud files and reparse tags of WSL's special files that the MinGW-w64 headers
// lack, with the values of
// https://learn.microsoft.com/en-us/windows/win32/fileio/file-attribute-constants and
// https://learn.microsoft.com/en-us/openspecs/windows_protocols/ms-fscc/c8e77b37-3909-4fe6-a4ea-2b9d423b1ee4
#ifndef FILE_ATTRIBUTE_RECALL_ON_OPEN
#define FILE_ATTRIBUTE_RECALL_ON_OPEN 0x00040000
#endif
#ifndef FILE_ATTRIBUTE_PINNED
#define FILE_ATTRIBUTE_PINNED 0x00080000
#endif
#ifndef FILE_ATTRIBUTE_UNPINNED
#define FILE_ATTRIBUTE_UNPINNED 0x00100000
#endif
#ifndef FILE_ATTRIBUTE_RECALL_ON_DATA_ACCESS
#define FILE_ATTRIBUTE_RECALL_ON_DATA_ACCESS 0x00400000
#endif
#ifndef IO_REPARSE_TAG_LX_SYMLINK
#define IO_REPARSE_TAG_LX_SYMLINK 0xA000001D
#endif
#ifndef IO_REPARSE_TAG_AF_UNIX
#define IO_REPARSE_TAG_AF_UNIX 0x80000023
#endif
#ifndef IO_REPARSE_TAG_LX_FIFO
#define IO_REPARSE_TAG_LX_FIFO 0x80000024
#endif
#ifndef IO_REPARSE_TAG_LX_CHR
#define IO_REPARSE_TAG_LX_CHR 0x80000025
#endif
#ifndef IO_REPARSE_TAG_LX_BLK
#define IO_REPARSE_TAG_LX_BLK 0x80000026
#endif

namespace vexmora {

// One entry that FindFirstFileExW or FindNextFileW found, as ListFolder reports it.
FolderEntry EntryFromFindData(const WIN32_FIND_DATAW& found);

// The 128-bit identity that GetFileInformationByHandleEx(FileIdInfo) gives; empty when the file
// system gave no number.
std::optional<FileIdentity> IdentityFromIdInfo(const FILE_ID_INFO& info);

// The 64-bit identity that GetFileInformationByHandle gives, where FileIdInfo is not to be had.
FileIdentity IdentityFromHandleInfo(const BY_HANDLE_FILE_INFORMATION& info);

// Whether a volume keeps named streams, from what GetVolumeInformationW reports: its flags, not
// its file system's name. Wine calls its Unix drives NTFS but rightly leaves FILE_NAMED_STREAMS
// out: "name:stream" there makes a separate file of that name, which neither moves nor goes with
// its file.
bool VolumeKeepsStreams(DWORD flags, std::wstring_view fileSystem);

}  // namespace vexmora
