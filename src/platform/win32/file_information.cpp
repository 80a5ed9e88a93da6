#include "platform/win32/file_information.h"

#include "platform/win32/wide_string.h"

namespace vexmora {
namespace {

// WSL's sockets, FIFOs and device files on an NTFS volume: what the POSIX listing calls Other.
// Opening one does not give its data.
bool IsSpecialFileTag(DWORD tag) {
    return tag == IO_REPARSE_TAG_AF_UNIX || tag == IO_REPARSE_TAG_LX_FIFO ||
           tag == IO_REPARSE_TAG_LX_CHR || tag == IO_REPARSE_TAG_LX_BLK;
}

std::uint64_t LittleEndian64(const BYTE* bytes) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

}  // namespace

FolderEntry EntryFromFindData(const WIN32_FIND_DATAW& found) {
    const DWORD attributes = found.dwFileAttributes;
    // dwReserved0 holds the reparse tag only on a reparse point and is undefined otherwise:
    // https://learn.microsoft.com/en-us/windows/win32/api/minwinbase/ns-minwinbase-win32_find_dataw
    const bool reparsePoint = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const DWORD tag = reparsePoint ? found.dwReserved0 : 0;
    constexpr DWORD kHiddenSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

    FolderEntry entry;
    entry.name = FromWide(found.cFileName);
    entry.hiddenSystem = (attributes & kHiddenSystem) == kHiddenSystem;
    // Only a name surrogate stands for another file somewhere else (a symbolic link, a junction,
    // a mount point): following one may leave the folder the user chose or lead back into it.
    // Any other reparse point is the file or folder itself with a filter behind it (a cloud
    // placeholder, a deduplicated or WOF-compressed file), which Explorer shows as such. Tag 0 is
    // reserved and never reported by Windows; Wine 8 reports it for a Unix link to a folder (and
    // nothing at all for a Unix link to a file), so that one stays a link too.
    //
    // A file whose data is not here (RECALL_ON_DATA_ACCESS, RECALL_ON_OPEN, OFFLINE) is still a
    // file to read: opening it makes the cloud provider download it, and choosing it asked for
    // exactly that.
    if (IsReparseTagNameSurrogate(tag) || (reparsePoint && tag == 0)) {
        entry.kind = EntryKind::Link;
    } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        entry.kind = EntryKind::Folder;
    } else if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0 || IsSpecialFileTag(tag)) {
        entry.kind = EntryKind::Other;
    } else {
        entry.kind = EntryKind::File;
        entry.size = static_cast<std::int64_t>((std::uint64_t{found.nFileSizeHigh} << 32) |
                                               found.nFileSizeLow);
    }
    return entry;
}

// FileId is 16 bytes, a little-endian number. NTFS widens its 64-bit file number to it, and Wine 8
// its inode number, so the low half is the number BY_HANDLE_FILE_INFORMATION gives. A file system
// without 128-bit numbers may answer with zeros, which "must be ignored":
// https://learn.microsoft.com/en-us/windows-hardware/drivers/ddi/ntifs/ns-ntifs-file_id_information
std::optional<FileIdentity> IdentityFromIdInfo(const FILE_ID_INFO& info) {
    const BYTE* id = info.FileId.Identifier;
    const FileIdentity identity{info.VolumeSerialNumber, LittleEndian64(id),
                                LittleEndian64(id + 8)};
    if (identity.index == 0 && identity.indexHigh == 0) {
        return std::nullopt;
    }
    return identity;
}

FileIdentity IdentityFromHandleInfo(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber,
            (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow, 0};
}

bool VolumeKeepsStreams(DWORD flags, std::wstring_view) {
    return (flags & FILE_NAMED_STREAMS) != 0;
}

}  // namespace vexmora
