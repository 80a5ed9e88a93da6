#include "driver/host_files.h"

#include <cstdlib>
#include <string_view>

#include "driver/unique_handle.h"

namespace vexmora::e2e {
namespace {

// Wine's own exports for moving between host and Windows paths.
using ToUnix = char*(__cdecl*)(const wchar_t*);
using ToDos = wchar_t*(__cdecl*)(const char*);

template <typename Function>
Function WineExport(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name)));
}

std::optional<std::string> UnixPath(const std::wstring& path) {
    const auto convert = WineExport<ToUnix>("wine_get_unix_file_name");
    char* unix = convert != nullptr ? convert(path.c_str()) : nullptr;
    if (unix == nullptr) {
        return std::nullopt;
    }
    std::string result(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

std::optional<std::wstring> DosPath(const std::string& path) {
    const auto convert = WineExport<ToDos>("wine_get_dos_file_name");
    wchar_t* dos = convert != nullptr ? convert(path.c_str()) : nullptr;
    if (dos == nullptr) {
        return std::nullopt;
    }
    std::wstring result(dos);
    HeapFree(GetProcessHeap(), 0, dos);
    return result;
}

std::optional<std::string> Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::optional<std::string>(value) : std::nullopt;
}

// The trash folder of the freedesktop.org rules, which Wine's shell uses as the Recycle Bin.
std::optional<std::wstring> TrashFolder() {
    std::optional<std::string> data = Environment("XDG_DATA_HOME");
    if (!data) {
        const std::optional<std::string> home = Environment("HOME");
        if (!home) {
            return std::nullopt;
        }
        data = *home + "/.local/share";
    }
    std::optional<std::wstring> folder = DosPath(*data + "/Trash/");
    return folder;
}

// "Path=" of a .trashinfo file, its %XX escapes undone.
std::string TrashedFrom(const Bytes& info) {
    const std::string text(info.begin(), info.end());
    const std::size_t start = text.find("Path=");
    if (start == std::string::npos) {
        return {};
    }
    const std::string escaped =
        text.substr(start + 5, text.find_first_of("\r\n", start) - (start + 5));
    std::string path;
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] == '%' && i + 2 < escaped.size()) {
            path += static_cast<char>(std::stoi(escaped.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            path += escaped[i];
        }
    }
    return path;
}

}  // namespace

std::vector<Bytes> TakeRecycled(const std::wstring& path) {
    std::vector<Bytes> found;
    const std::optional<std::wstring> trash = TrashFolder();
    const std::optional<std::string> original = UnixPath(path);
    if (!trash || !original) {
        return found;
    }
    constexpr std::wstring_view kInfoSuffix = L".trashinfo";
    for (const auto& [name, entry] : ListFolder(*trash + L"info")) {
        if (name.size() <= kInfoSuffix.size() ||
            name.substr(name.size() - kInfoSuffix.size()) != kInfoSuffix) {
            continue;
        }
        const std::wstring info = *trash + L"info\\" + name;
        const std::wstring file =
            *trash + L"files\\" + name.substr(0, name.size() - kInfoSuffix.size());
        if (TrashedFrom(ReadBytes(info)) == *original && FileExists(file)) {
            found.push_back(ReadBytes(file));
            DeleteFileW(file.c_str());
            DeleteFileW(info.c_str());
        }
    }
    return found;
}

UnusableTrash::UnusableTrash() {
    const std::optional<std::wstring> trash = TrashFolder();
    if (!trash) {
        return;
    }
    trash_ = trash->substr(0, trash->size() - 1);  // without its final backslash
    aside_ = trash_ + L".aside";
    const bool moved = MoveFileW(trash_.c_str(), aside_.c_str()) != 0;
    if (!moved) {
        aside_.clear();  // there was no trash yet
    }
    UniqueHandle file(CreateFileW(trash_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    active_ = file.Valid();
}

UnusableTrash::~UnusableTrash() {
    if (active_) {
        DeleteFileW(trash_.c_str());
    }
    if (!aside_.empty()) {
        MoveFileW(aside_.c_str(), trash_.c_str());
    }
}

std::vector<Bytes> HostCommandLines() {
    std::vector<Bytes> lines;
    const std::optional<std::wstring> proc = DosPath("/proc/");
    if (!proc) {
        return lines;
    }
    for (const auto& [name, entry] : ListFolder(*proc)) {
        if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos) {
            continue;
        }
        // The kernel gives these files no size: read until the end.
        const UniqueHandle file(CreateFileW((*proc + name + L"\\cmdline").c_str(), GENERIC_READ,
                                            FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file.Valid()) {
            continue;
        }
        Bytes line;
        std::uint8_t piece[4096];
        DWORD got = 0;
        while (ReadFile(file.Get(), piece, sizeof(piece), &got, nullptr) && got > 0) {
            line.insert(line.end(), piece, piece + got);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::optional<std::wstring> HostPathFromEnvironment(const wchar_t* name) {
    const std::optional<std::string> value = Environment(Narrow(name).c_str());
    return value ? DosPath(*value) : std::nullopt;
}

}  // namespace vexmora::e2e
