#include "platform/win32/long_path.h"

#include <windows.h>

#include "platform/win32/wide_string.h"

namespace vexmora {

std::wstring FullPath(std::u16string_view path) {
    const std::wstring given = ToWide(path);
    if (given.empty()) {
        return {};
    }
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) {
            return {};
        }
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length);  // the size needed, terminator included
    }
}

std::wstring LongPath(std::u16string_view path) {
    const std::wstring given = ToWide(path);
    if (given.rfind(L"\\\\?\\", 0) == 0 || given.rfind(L"\\\\.\\", 0) == 0) {
        return given;
    }
    const std::wstring full = FullPath(path);
    if (full.rfind(L"\\\\.\\", 0) == 0 || full.rfind(L"\\\\?\\", 0) == 0) {
        return full;  // a device name such as NUL resolves to "\\.\NUL"
    }
    if (full.rfind(L"\\\\", 0) == 0) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\') {
        return L"\\\\?\\" + full;
    }
    return given;
}

}  // namespace vexmora
