#include <memory>
#include <string>

#include "platform/win32/unique_resources.h"
// After windows.h:
#include <aclapi.h>
// windows.h names a macro after FileSystem::ReplaceFile.
#undef ReplaceFile
#include "platform/device_names.h"
#include "platform/win32/file_safety_win32.h"
#include "platform/win32/long_path.h"

namespace vexmora {

PathKind KindOfPath(std::u16string_view path) {
    const std::wstring wide = LongPath(path);
    if (IsDeviceName(path) || wide.rfind(L"\\\\.\\", 0) == 0) {
        return PathKind::Other;
    }
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::Missing
                                                                              : PathKind::Unknown;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return PathKind::Other;
    }
    const UniqueHandle handle(
        CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.Valid()) {
        return PathKind::Unknown;
    }
    return GetFileType(handle.Get()) == FILE_TYPE_DISK ? PathKind::RegularFile : PathKind::Other;
}

std::wstring ShellPath(std::u16string_view path) {
    const std::wstring full = FullPath(path);
    if (full.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        return L"\\\\" + full.substr(8);
    }
    if (full.rfind(L"\\\\?\\", 0) == 0) {
        return full.substr(4);
    }
    return full;
}

bool RecycleFile(std::u16string_view path) {
    const std::wstring shell = ShellPath(path);
    const DWORD attributes = GetFileAttributesW(LongPath(path).c_str());
    // The shell's path buffers end at MAX_PATH; what it cannot name it may delete for good, so a
    // longer path is not handed to it at all.
    if (shell.empty() || shell.size() >= MAX_PATH || attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_READONLY)) {
        return false;
    }
    // The shell takes a list of names, each ended by a zero, the list by a second one.
    std::wstring names = shell;
    names.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = names.c_str();
    // Without FOF_NO_CONNECTED_ELEMENTS, replacing page.htm would bin page_files\ too.
    operation.fFlags =
        FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI | FOF_NO_CONNECTED_ELEMENTS;
    return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted &&
           GetFileAttributesW(LongPath(path).c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool CanReplaceFile(std::u16string_view path) {
    const std::wstring wide = LongPath(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY)) {
        return false;
    }
    // Opening changes nothing. It fails with a sharing violation while another program holds the
    // file without FILE_SHARE_DELETE (a document open in an office program), and with access
    // denied where the access list forbids writing or deleting it: the cases in which the move
    // over it would fail only after the whole job.
    const UniqueHandle handle(CreateFileW(wide.c_str(), GENERIC_WRITE | DELETE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return handle.Valid();
}

bool RemoveFileThroughHandle(std::u16string_view path) {
    const std::wstring wide = LongPath(path);
    // A scanner or indexer that opened the file without delete sharing lets go within moments.
    constexpr int kAttempts = 10;
    constexpr DWORD kPauseMs = 50;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (attempt > 0) {
            Sleep(kPauseMs);
        }
        const DWORD attributes = GetFileAttributesW(wide.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
                return true;
            }
            continue;
        }
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            // Only files of our own come here: the read-only bit is no wish of the user.
            SetFileAttributesW(wide.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
        }
        const UniqueHandle handle(CreateFileW(
            wide.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
            OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (handle.Valid()) {
            FILE_DISPOSITION_INFO disposition{};
            disposition.DeleteFile = TRUE;
            SetFileInformationByHandle(handle.Get(), FileDispositionInfo, &disposition,
                                       sizeof disposition);
            return true;  // gone when the last handle closes, ours right here
        }
    }
    return false;
}

namespace {

std::wstring ZoneStream(std::u16string_view path) {
    return LongPath(path) + L":Zone.Identifier";
}

}  // namespace

std::vector<std::uint8_t> ReadZoneIdentifier(std::u16string_view path) {
    const UniqueHandle handle(CreateFileW(ZoneStream(path).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.Valid()) {
        return {};
    }
    // The mark is a few lines of text; the limit only bounds what a strange stream could cost.
    constexpr DWORD kMost = 64 * 1024;
    std::vector<std::uint8_t> mark(kMost);
    DWORD got = 0;
    if (!ReadFile(handle.Get(), mark.data(), kMost, &got, nullptr)) {
        return {};
    }
    mark.resize(got);
    return mark;
}

bool WriteZoneIdentifier(std::u16string_view path, std::span<const std::uint8_t> mark) {
    // The file's own handle, with delete access, is open meanwhile (CreateTemporary): the stream
    // lets it be, as it does any other.
    UniqueHandle handle(CreateFileW(ZoneStream(path).c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD put = 0;
    const auto size = static_cast<DWORD>(mark.size());
    return handle.Valid() && WriteFile(handle.Get(), mark.data(), size, &put, nullptr) &&
           put == size && handle.Close();
}

std::optional<PSECURITY_DESCRIPTOR> DescriptorLike(PSECURITY_DESCRIPTOR model,
                                                   SECURITY_DESCRIPTOR& descriptor) {
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (!GetSecurityDescriptorDacl(model, &present, &dacl, &defaulted) ||
        !GetSecurityDescriptorControl(model, &control, &revision)) {
        return std::nullopt;
    }
    const bool isProtected = (control & SE_DACL_PROTECTED) != 0;
    bool onlyInherited = present && dacl != nullptr && !isProtected;
    ACL_SIZE_INFORMATION size{};
    if (onlyInherited && !GetAclInformation(dacl, &size, sizeof size, AclSizeInformation)) {
        return std::nullopt;
    }
    // An empty list grants nothing; the folder or the token's default could grant more.
    onlyInherited = onlyInherited && size.AceCount > 0;
    for (DWORD i = 0; onlyInherited && i < size.AceCount; ++i) {
        void* ace = nullptr;
        onlyInherited = GetAce(dacl, i, &ace) &&
                        (static_cast<const ACE_HEADER*>(ace)->AceFlags & INHERITED_ACE) != 0;
    }
    if (onlyInherited) {
        return nullptr;
    }
    // A list that is present but null grants everyone everything; so did model's.
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, present, dacl, FALSE) ||
        !SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED,
                                      isProtected ? SE_DACL_PROTECTED : 0)) {
        return std::nullopt;
    }
    return &descriptor;
}

UniqueHandle CreateFileLike(std::u16string_view path, DWORD access, DWORD share,
                            std::u16string_view like) {
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    std::unique_ptr<void, decltype(&LocalFree)> model(nullptr, &LocalFree);
    SECURITY_DESCRIPTOR descriptor{};
    SECURITY_ATTRIBUTES security{sizeof security, nullptr, FALSE};
    if (!like.empty()) {
        const std::wstring source = LongPath(like);
        const DWORD found = GetFileAttributesW(source.c_str());
        PSECURITY_DESCRIPTOR received = nullptr;
        if (found == INVALID_FILE_ATTRIBUTES ||
            GetNamedSecurityInfoW(source.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, nullptr, nullptr, &received) != ERROR_SUCCESS) {
            return {};
        }
        model.reset(received);
        const std::optional<PSECURITY_DESCRIPTOR> given = DescriptorLike(received, descriptor);
        if (!given) {
            return {};
        }
        security.lpSecurityDescriptor = *given;
        constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        if ((found & kKept) != 0) {
            attributes = found & kKept;
        }
    }
    return UniqueHandle(CreateFileW(LongPath(path).c_str(), access, share,
                                    security.lpSecurityDescriptor != nullptr ? &security : nullptr,
                                    CREATE_NEW, attributes, nullptr));
}

}  // namespace vexmora
