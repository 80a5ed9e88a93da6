#include <windows.h>

#include "platform/process.h"

namespace vexmora {

std::uint32_t CurrentThreadId() {
    return GetCurrentThreadId();
}

std::uint32_t TickCountMs() {
    return GetTickCount();
}

std::u16string ProcessCommandLine() {
    return std::u16string(reinterpret_cast<const char16_t*>(GetCommandLineW()));
}

}  // namespace vexmora

namespace vexmora {

std::u16string ProgramPath() {
    std::u16string path(MAX_PATH, u'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(path.data()),
                                          static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);  // truncated: try a larger buffer
    }
}

}  // namespace vexmora

#include <shellapi.h>

namespace vexmora {

bool StartProcess(std::u16string_view programPath, std::u16string_view parameters,
                  std::u16string_view workingFolder) {
    std::wstring program(programPath.begin(), programPath.end());
    std::wstring arguments(parameters.begin(), parameters.end());
    std::wstring folder(workingFolder.begin(), workingFolder.end());

    std::wstring commandLine = program.rfind(L'"', 0) == 0 ? program : L'"' + program + L'"';
    if (!arguments.empty()) {
        commandLine += L' ' + arguments;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                       nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }

    if (folder.empty()) {
        folder = program.substr(0, program.rfind(L'\\') + 1);
    }
    SHELLEXECUTEINFOW shell{};
    shell.cbSize = sizeof(shell);
    shell.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    shell.lpFile = program.c_str();
    shell.lpParameters = arguments.c_str();
    shell.lpDirectory = folder.c_str();
    shell.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&shell)) {
        return false;
    }
    if (shell.hProcess != nullptr) {
        CloseHandle(shell.hProcess);
    }
    return true;
}

}  // namespace vexmora
