#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/win32/unique_resources.h"
#include "platform/win32/wide_string.h"
// windows.h names a macro after FileSystem::ReplaceFile.
#undef ReplaceFile
#include "platform/file_system.h"
#include "platform/win32/file_information.h"
#include "platform/win32/file_safety_win32.h"
#include "platform/win32/long_path.h"

namespace vexmora {
namespace {

// ReadFile and WriteFile take 32-bit counts.
constexpr std::size_t kMaxTransfer = 0x40000000;

// The calls of an open file, for File and for TemporaryFile alike.
template <typename Interface>
class Win32FileOf : public Interface {
  public:
    explicit Win32FileOf(UniqueHandle handle) : handle_(std::move(handle)) {}

    bool ReadExactly(std::span<std::uint8_t> buffer) override {
        while (!buffer.empty() && handle_.Valid()) {
            DWORD want = static_cast<DWORD>(std::min(kMaxTransfer, buffer.size()));
            DWORD got = 0;
            if (!ReadFile(handle_.Get(), buffer.data(), want, &got, nullptr) || got == 0) {
                return false;
            }
            buffer = buffer.subspan(got);
        }
        return handle_.Valid();
    }

    std::int64_t ReadSome(std::span<std::uint8_t> buffer) override {
        DWORD got = 0;
        DWORD want = static_cast<DWORD>(std::min(kMaxTransfer, buffer.size()));
        if (!handle_.Valid() || !ReadFile(handle_.Get(), buffer.data(), want, &got, nullptr)) {
            return -1;
        }
        return got;
    }

    bool WriteAll(std::span<const std::uint8_t> data) override {
        while (!data.empty() && handle_.Valid()) {
            DWORD want = static_cast<DWORD>(std::min(kMaxTransfer, data.size()));
            DWORD put = 0;
            if (!WriteFile(handle_.Get(), data.data(), want, &put, nullptr) || put == 0) {
                outOfSpace_ = IsFullError(GetLastError());
                return false;
            }
            data = data.subspan(put);
        }
        return handle_.Valid();
    }

    std::int64_t Size() override {
        LARGE_INTEGER size{};
        if (!handle_.Valid() || !GetFileSizeEx(handle_.Get(), &size)) {
            return -1;
        }
        return size.QuadPart;
    }

    bool Flush() override {
        if (handle_.Valid() && FlushFileBuffers(handle_.Get()) != 0) {
            return true;
        }
        outOfSpace_ = IsFullError(GetLastError());
        return false;
    }

    int IsSameFileAs(std::u16string_view path) override;

    bool Close() override { return handle_.Close(); }

    bool OutOfSpace() const override { return outOfSpace_; }

  protected:
    const UniqueHandle& handle() const { return handle_; }

  private:
    static bool IsFullError(DWORD error) {
        // ERROR_DISK_QUOTA_EXCEEDED, which MinGW's headers lack (System Error Codes 1000-1299).
        constexpr DWORD kQuotaExceeded = 1295;
        return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ||
               error == kQuotaExceeded;
    }

    UniqueHandle handle_;
    bool outOfSpace_ = false;
};

using Win32File = Win32FileOf<File>;

std::unique_ptr<File> Opened(HANDLE handle) {
    UniqueHandle owner(handle);
    return owner.Valid() ? std::make_unique<Win32File>(std::move(owner)) : nullptr;
}

// A handle that only asks about the file or folder at path (no access to its data, so never
// refused for sharing), links followed.
UniqueHandle OpenForQuery(std::u16string_view path) {
    return UniqueHandle(CreateFileW(LongPath(path).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// 0 when the last open failed because nothing is there, -1 when it cannot be told.
int MissingOrUnknown() {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : -1;
}

// The identity of an open file, from FILE_ID_INFO (a 64-bit volume serial number and a 128-bit
// file number) when `wide`, else from BY_HANDLE_FILE_INFORMATION (32 and 64 bits). Only the wide
// form tells files apart on ReFS, whose 64-bit numbers are not unique:
// https://learn.microsoft.com/en-us/windows/win32/api/fileapi/ns-fileapi-by_handle_file_information
// FileIdInfo is not there before Windows 8, nor in every file system, nor in older Wine; Wine 8
// answers it with the Unix device and inode numbers, the same as the narrow form's.
std::optional<FileIdentity> IdentityOfHandle(HANDLE handle, bool wide) {
    if (wide) {
        FILE_ID_INFO info{};
        if (!GetFileInformationByHandleEx(handle, FileIdInfo, &info, sizeof info)) {
            return std::nullopt;
        }
        return IdentityFromIdInfo(info);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info)) {
        return std::nullopt;
    }
    return IdentityFromHandleInfo(info);
}

std::optional<FileIdentity> IdentityOfHandle(HANDLE handle) {
    std::optional<FileIdentity> identity = IdentityOfHandle(handle, true);
    return identity ? identity : IdentityOfHandle(handle, false);
}

template <typename Interface>
int Win32FileOf<Interface>::IsSameFileAs(std::u16string_view path) {
    if (!handle_.Valid()) {
        return -1;
    }
    const UniqueHandle other = OpenForQuery(path);
    if (!other.Valid()) {
        return MissingOrUnknown();
    }
    // Both sides in the same form: NTFS's 64-bit volume serial number is not the 32-bit one, so a
    // wide and a narrow identity of one file may differ, and an output taken for another file than
    // its input would overwrite it.
    for (const bool wide : {true, false}) {
        const std::optional<FileIdentity> mine = IdentityOfHandle(handle_.Get(), wide);
        const std::optional<FileIdentity> theirs = IdentityOfHandle(other.Get(), wide);
        if (mine && theirs) {
            return *mine == *theirs ? 1 : 0;
        }
    }
    return -1;
}

// Both ask about the volume through the folder's own path, which need not be the volume's root
// (a mounted folder, a share).
std::int64_t Win32FreeBytes(std::u16string_view folder) {
    ULARGE_INTEGER freeToCaller{};
    if (!GetDiskFreeSpaceExW(LongPath(folder).c_str(), &freeToCaller, nullptr, nullptr)) {
        return -1;
    }
    return static_cast<std::int64_t>(
        std::min<ULONGLONG>(freeToCaller.QuadPart, std::numeric_limits<std::int64_t>::max()));
}

bool Win32KeepsStreams(std::u16string_view folder) {
    wchar_t root[MAX_PATH + 1] = L"";
    wchar_t fileSystem[MAX_PATH + 1] = L"";
    DWORD flags = 0;
    if (!GetVolumePathNameW(ToWide(folder).c_str(), root, MAX_PATH) ||
        !GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, &flags, fileSystem, MAX_PATH)) {
        return true;
    }
    return VolumeKeepsStreams(flags, fileSystem);
}

// Marks the open file to be deleted when its last handle closes, or takes the mark back. The
// system keeps its word also when the process is killed, since it closes the handles of a process
// that ends (https://learn.microsoft.com/en-us/windows/win32/fileio/closing-and-deleting-files);
// Wine does the same for TerminateProcess and for a SIGKILL of the process (probe, Wine 8.0).
bool SetDisposition(HANDLE handle, bool deleted) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = deleted ? TRUE : FALSE;
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                      sizeof disposition) != 0;
}

// Renames the open file (its handle has DELETE access). The name goes to the file system as it is
// given, in the system's own form "\??\C:\..." (the documented "C:\..." is the Win32 form;
// Wine 8 takes both, probe).
bool RenameByHandle(HANDLE handle, std::u16string_view path, bool replace) {
    std::wstring target = LongPath(path);
    if (target.rfind(L"\\\\?\\", 0) != 0) {
        return false;  // a device, or a path that could not be resolved
    }
    target.replace(0, 4, L"\\??\\");
    const std::size_t bytes = target.size() * sizeof(wchar_t);
    // Zeroed, and room for the FileName[1] the structure already counts: the name ends in a zero.
    std::vector<std::uint64_t> buffer((sizeof(FILE_RENAME_INFO) + bytes) / 8 + 1);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = replace ? TRUE : FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(bytes);
    std::memcpy(info->FileName, target.data(), bytes);
    return SetFileInformationByHandle(handle, FileRenameInfo, info,
                                      static_cast<DWORD>(buffer.size() * 8)) != 0;
}

// A new file that carries a delete disposition from its creation until Keep, so that it goes
// when its handle closes, however the process ends. Everything about it that needs its name
// happens before the mark: Windows opens no file whose delete is pending ("Subsequent calls to
// CreateFile to open the file fail with ERROR_ACCESS_DENIED",
// https://learn.microsoft.com/en-us/windows/win32/api/fileapi/nf-fileapi-deletefilew); Wine 8
// still opens it by its name, streams too (probe), so only the fake's tests see that rule.
class Win32TemporaryFile final : public Win32FileOf<TemporaryFile> {
  public:
    Win32TemporaryFile(UniqueHandle handle, bool pending)
        : Win32FileOf(std::move(handle)), pending_(pending) {}

    bool DeletedWhenClosed() const override { return pending_; }

    bool Keep(std::u16string_view path, bool replace) override {
        if (!handle().Valid()) {
            return false;
        }
        const HANDLE file = handle().Get();
        // Taking the mark back is documented ("Otherwise, set to FALSE",
        // https://learn.microsoft.com/en-us/windows-hardware/drivers/ddi/ntddk/ns-ntddk-_file_disposition_information)
        // and Wine does it. It comes first: a file renamed with its mark still on would go from
        // its new place when closed (so Wine does).
        const bool wasPending = pending_;
        if (wasPending && !SetDisposition(file, false)) {
            return false;  // still marked: it goes when closed
        }
        pending_ = false;
        if (!RenameByHandle(file, path, replace)) {
            pending_ = wasPending && SetDisposition(file, true);
            return false;
        }
        // The new name on the disk, as MOVEFILE_WRITE_THROUGH did for a move by name. The name is
        // taken whatever the flush answers.
        FlushFileBuffers(file);
        return true;
    }

  private:
    bool pending_;
};

class Win32FileSystem final : public FileSystem {
  public:
    std::unique_ptr<File> OpenForReading(std::u16string_view path) override {
        const HANDLE handle = CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        std::unique_ptr<File> file = Opened(handle);
        // Pipes, consoles and devices read as if empty or without end: only disk files.
        return file != nullptr && GetFileType(handle) == FILE_TYPE_DISK ? std::move(file) : nullptr;
    }

    std::unique_ptr<File> CreateNew(std::u16string_view path) override {
        return Opened(CreateFileW(LongPath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    }

    std::unique_ptr<TemporaryFile> CreateTemporary(
        std::u16string_view path, std::u16string_view like,
        std::span<const std::uint8_t> zoneMark) override {
        // DELETE access lets this handle mark, rename and unmark the file. Others may read it
        // meanwhile (a scanner, an indexer), nobody may write or delete it.
        UniqueHandle handle =
            CreateFileLike(path, GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ, like);
        if (!handle.Valid()) {
            return nullptr;
        }
        if (!zoneMark.empty() && !WriteZoneIdentifier(path, zoneMark)) {
            if (!SetDisposition(handle.Get(), true)) {
                handle.Close();
                DeleteFileW(LongPath(path).c_str());
            }
            return nullptr;
        }
        // Where the volume takes no mark, the file keeps its name and the caller deletes it.
        const bool pending = SetDisposition(handle.Get(), true);
        return std::make_unique<Win32TemporaryFile>(std::move(handle), pending);
    }

    bool Remove(std::u16string_view path) override {
        return DeleteFileW(LongPath(path).c_str()) != 0;
    }

    bool RemoveThroughHandle(std::u16string_view path) override {
        return RemoveFileThroughHandle(path);
    }

    bool MoveNew(std::u16string_view from, std::u16string_view to) override {
        return MoveFileExW(LongPath(from).c_str(), LongPath(to).c_str(), MOVEFILE_WRITE_THROUGH) !=
               0;
    }

    int LinkCount(std::u16string_view path) override {
        const UniqueHandle handle = OpenForQuery(path);
        BY_HANDLE_FILE_INFORMATION info{};
        if (!handle.Valid() || !GetFileInformationByHandle(handle.Get(), &info)) {
            return -1;
        }
        return static_cast<int>(info.nNumberOfLinks);
    }

    bool CanReplace(std::u16string_view path) override { return CanReplaceFile(path); }

    std::vector<std::uint8_t> ReadZoneMark(std::u16string_view path) override {
        return ReadZoneIdentifier(path);
    }

    bool WriteZoneMark(std::u16string_view path, std::span<const std::uint8_t> mark) override {
        return WriteZoneIdentifier(path, mark);
    }

    bool ReplaceFile(std::u16string_view from, std::u16string_view to) override {
        return MoveFileExW(LongPath(from).c_str(), LongPath(to).c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }

    bool Link(std::u16string_view existing, std::u16string_view link) override {
        return CreateHardLinkW(LongPath(link).c_str(), LongPath(existing).c_str(), nullptr) != 0;
    }

    bool MoveToRecycleBin(std::u16string_view path) override { return RecycleFile(path); }

    PathKind KindOf(std::u16string_view path) override { return KindOfPath(path); }

    bool Exists(std::u16string_view path) override {
        return GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    std::optional<std::vector<FolderEntry>> ListFolder(std::u16string_view folder) override {
        const DWORD attributes = GetFileAttributesW(LongPath(folder).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            return std::nullopt;
        }
        std::u16string pattern(folder);
        if (!pattern.empty() && pattern.back() != u'\\' && pattern.back() != u'/') {
            pattern += u'\\';
        }
        pattern += u'*';
        WIN32_FIND_DATAW found{};
        UniqueFind search(FindFirstFileExW(LongPath(pattern).c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, 0));
        std::vector<FolderEntry> entries;
        if (!search.Valid()) {
            // An empty folder (a drive's root) has not even "." to report.
            return GetLastError() == ERROR_FILE_NOT_FOUND
                       ? std::optional<std::vector<FolderEntry>>(std::move(entries))
                       : std::nullopt;
        }
        do {
            const std::wstring_view name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            entries.push_back(EntryFromFindData(found));
        } while (FindNextFileW(search.Get(), &found));
        if (GetLastError() != ERROR_NO_MORE_FILES) {
            return std::nullopt;
        }
        return entries;
    }

    std::int64_t FreeBytes(std::u16string_view folder) override { return Win32FreeBytes(folder); }

    bool KeepsStreams(std::u16string_view folder) override { return Win32KeepsStreams(folder); }

    std::optional<FileIdentity> IdentityOf(std::u16string_view path) override {
        const UniqueHandle handle = OpenForQuery(path);
        return handle.Valid() ? IdentityOfHandle(handle.Get()) : std::nullopt;
    }
};

}  // namespace

FileSystem& RealFileSystem() {
    static Win32FileSystem fileSystem;
    return fileSystem;
}

}  // namespace vexmora
