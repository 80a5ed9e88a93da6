#include "driver/file_drop.h"

#include <shlobj.h>

#include <cstring>

#include "driver/unique_handle.h"

namespace vexmora::e2e {

bool DropFiles(HWND window, const std::vector<std::wstring>& files) {
    // DROPFILES, then each name with its terminating zero, then one more zero.
    std::wstring names;
    for (const std::wstring& file : files) {
        names += file;
        names.push_back(L'\0');
    }
    names.push_back(L'\0');
    std::vector<char> block(sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::memcpy(block.data(), &header, sizeof(header));
    std::memcpy(block.data() + sizeof(header), names.data(), names.size() * sizeof(wchar_t));

    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId));
    if (!process.Valid()) {
        return false;
    }
    void* remote = VirtualAllocEx(process.Get(), nullptr, block.size(), MEM_COMMIT | MEM_RESERVE,
                                  PAGE_READWRITE);
    SIZE_T written = 0;
    if (remote == nullptr ||
        !WriteProcessMemory(process.Get(), remote, block.data(), block.size(), &written) ||
        written != block.size()) {
        return false;
    }
    return PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0) != 0;
}

}  // namespace vexmora::e2e
