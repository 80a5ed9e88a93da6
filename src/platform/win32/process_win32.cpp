#include "platform/process.h"
#include "platform/win32/unique_resources.h"
#include "platform/win32/wide_string.h"

namespace vexmora {

std::uint32_t CurrentThreadId() {
    return GetCurrentThreadId();
}

std::uint32_t TickCountMs() {
    return GetTickCount();
}

std::u16string ProcessCommandLine() {
    return FromWide(GetCommandLineW());
}

std::u16string AbsolutePath(std::u16string_view path) {
    const std::wstring wide = ToWide(path);
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (path.empty() || size == 0) {
        return std::u16string(path);
    }
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    return length == 0 || length >= size ? std::u16string(path)
                                         : FromWide(std::wstring_view(full).substr(0, length));
}

std::u16string ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            return FromWide(std::wstring_view(path).substr(0, length));
        }
        path.resize(path.size() * 2);  // truncated: try a larger buffer
    }
}

namespace {

class Win32ChildProcess final : public ChildProcess {
  public:
    explicit Win32ChildProcess(HANDLE process) : process_(process) {}

    bool Running() override {
        return process_.Valid() && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
    }

  private:
    UniqueHandle process_;
};

}  // namespace

std::unique_ptr<ChildProcess> StartProcess(std::u16string_view programPath,
                                           std::u16string_view parameters,
                                           std::u16string_view workingFolder) {
    const std::wstring program = ToWide(programPath);
    const std::wstring arguments = ToWide(parameters);
    std::wstring folder = ToWide(workingFolder);

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
        const UniqueHandle thread(process.hThread);
        return std::make_unique<Win32ChildProcess>(process.hProcess);
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
        return nullptr;
    }
    // The shell may start the program without handing out its process: it then counts as ended.
    return std::make_unique<Win32ChildProcess>(shell.hProcess);
}

}  // namespace vexmora
