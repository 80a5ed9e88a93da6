#include <string>

#include "platform/file_info.h"
#include "platform/win32/long_path.h"
#include "platform/win32/unique_resources.h"
#include "platform/win32/wide_string.h"

namespace vexmora {
namespace {

bool IsDrive(const std::wstring& path) {
    UINT type = GetDriveTypeW(path.c_str());
    return type != DRIVE_UNKNOWN && type != DRIVE_NO_ROOT_DIR;
}

}  // namespace

std::int64_t FileSizeOf(std::u16string_view path) {
    if (path.empty()) {
        return -1;
    }
    std::wstring copy = ToWide(path);
    // A drive name: "C:" or "C:\".
    if ((copy.size() == 2 || copy.size() == 3) && copy[1] == L':') {
        if (copy.size() == 2) {
            copy += L'\\';
        }
        return IsDrive(copy) ? -2 : -1;
    }
    while (!copy.empty() && copy.back() == L'\\') {
        copy.pop_back();
    }
    WIN32_FIND_DATAW found{};
    if (UniqueFind(FindFirstFileW(LongPath(FromWide(copy)).c_str(), &found)).Valid()) {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            return -2;
        }
        return (static_cast<std::int64_t>(found.nFileSizeHigh) << 32) + found.nFileSizeLow;
    }
    // Network shares (\\server\share) and relative ".." paths are not found by a search.
    if (copy.rfind(L"\\\\", 0) == 0 || copy.rfind(L"..", 0) == 0) {
        DWORD attributes = GetFileAttributesW(copy.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return IsDrive(copy) ? -2 : -1;
        }
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? -2 : -1;
    }
    return -1;
}

}  // namespace vexmora
