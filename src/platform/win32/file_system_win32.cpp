#include <algorithm>

#include "platform/win32/unique_resources.h"
#include "platform/win32/wide_string.h"
// windows.h names a macro after FileSystem::ReplaceFile.
#undef ReplaceFile
#include "platform/file_system.h"
#include "platform/win32/file_safety_win32.h"
#include "platform/win32/long_path.h"

namespace vexmora {
namespace {

// ReadFile and WriteFile take 32-bit counts.
constexpr std::size_t kMaxTransfer = 0x40000000;

class Win32File final : public File {
  public:
    explicit Win32File(UniqueHandle handle) : handle_(std::move(handle)) {}

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

    bool Flush() override { return handle_.Valid() && FlushFileBuffers(handle_.Get()) != 0; }

    int IsSameFileAs(std::u16string_view path) override;

    bool Close() override { return handle_.Close(); }

  private:
    UniqueHandle handle_;
};

std::unique_ptr<File> Opened(HANDLE handle) {
    UniqueHandle owner(handle);
    return owner.Valid() ? std::make_unique<Win32File>(std::move(owner)) : nullptr;
}

// Identity of an existing file: volume serial number and file index.
struct FileId {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
};

// 1 found, 0 not there, -1 cannot tell.
int QueryFileId(std::u16string_view path, FileId& id) {
    UniqueHandle handle(CreateFileW(LongPath(path).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.Valid()) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : -1;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle.Get(), &info)) {
        return -1;
    }
    id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return 1;
}

int Win32File::IsSameFileAs(std::u16string_view path) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!handle_.Valid() || !GetFileInformationByHandle(handle_.Get(), &info)) {
        return -1;
    }
    FileId other;
    const int found = QueryFileId(path, other);
    if (found != 1) {
        return found;
    }
    return info.dwVolumeSerialNumber == other.volume && info.nFileIndexHigh == other.indexHigh &&
                   info.nFileIndexLow == other.indexLow
               ? 1
               : 0;
}

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
        UniqueHandle handle(CreateFileW(
            LongPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
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

    bool CopyAttributes(std::u16string_view from, std::u16string_view to) override {
        return CopyFileAttributes(from, to);
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
            const DWORD a = found.dwFileAttributes;
            // Symbolic links and junctions are reparse points; so are cloud placeholders, which
            // are not followed either.
            const EntryKind kind = (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? EntryKind::Link
                                   : (a & FILE_ATTRIBUTE_DIRECTORY) != 0   ? EntryKind::Folder
                                   : (a & FILE_ATTRIBUTE_DEVICE) != 0      ? EntryKind::Other
                                                                           : EntryKind::File;
            entries.push_back({FromWide(name), kind});
        } while (FindNextFileW(search.Get(), &found));
        if (GetLastError() != ERROR_NO_MORE_FILES) {
            return std::nullopt;
        }
        return entries;
    }

    std::optional<FileIdentity> IdentityOf(std::u16string_view path) override {
        FileId id;
        if (QueryFileId(path, id) != 1) {
            return std::nullopt;
        }
        return FileIdentity{id.volume, (std::uint64_t{id.indexHigh} << 32) | id.indexLow};
    }
};

}  // namespace

FileSystem& RealFileSystem() {
    static Win32FileSystem fileSystem;
    return fileSystem;
}

}  // namespace vexmora
