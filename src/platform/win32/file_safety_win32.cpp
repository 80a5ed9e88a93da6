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

bool RecycleFile(std::u16string_view path) {
    const std::wstring full = FullPath(path);
    const DWORD attributes = GetFileAttributesW(LongPath(path).c_str());
    if (full.empty() || attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_READONLY)) {
        return false;
    }
    // The shell takes a list of names, each ended by a zero, the list by a second one.
    std::wstring names = full;
    names.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = names.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted &&
           GetFileAttributesW(LongPath(path).c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool CopyFileAttributes(std::u16string_view from, std::u16string_view to) {
    const std::wstring source = LongPath(from);
    const std::wstring target = LongPath(to);
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD attributes = GetFileAttributesW(source.c_str());
    const bool copiedAttributes =
        attributes != INVALID_FILE_ATTRIBUTES &&
        SetFileAttributesW(target.c_str(),
                           (attributes & kKept) != 0 ? attributes & kKept : FILE_ATTRIBUTE_NORMAL);

    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR received = nullptr;
    if (GetNamedSecurityInfoW(source.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &dacl, nullptr, &received) != ERROR_SUCCESS) {
        return copiedAttributes;
    }
    const std::unique_ptr<void, decltype(&LocalFree)> descriptor(received, &LocalFree);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor.get(), &control, &revision);
    const SECURITY_INFORMATION what =
        DACL_SECURITY_INFORMATION |
        ((control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION
                                       : UNPROTECTED_DACL_SECURITY_INFORMATION);
    const bool copiedAccess =
        SetNamedSecurityInfoW(const_cast<wchar_t*>(target.c_str()), SE_FILE_OBJECT, what, nullptr,
                              nullptr, dacl, nullptr) == ERROR_SUCCESS;
    return copiedAttributes || copiedAccess;
}

}  // namespace vexmora
