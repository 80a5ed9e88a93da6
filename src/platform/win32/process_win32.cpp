#include "platform/process.h"
#include "platform/secret_frame.h"
#include "platform/win32/unique_resources.h"
#include "platform/win32/wide_string.h"

#include <algorithm>
#include <limits>
#include <vector>

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

// The quoted program path, then the parameters.
std::wstring CommandLineOf(const std::wstring& program, std::u16string_view parameters) {
    std::wstring commandLine = program.rfind(L'"', 0) == 0 ? program : L'"' + program + L'"';
    if (!parameters.empty()) {
        commandLine += L' ' + ToWide(parameters);
    }
    return commandLine;
}

bool WriteAll(HANDLE pipe, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 16));
        if (!WriteFile(pipe, bytes.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes = bytes.subspan(written);
    }
    return true;
}

// The attribute list that names the only handles a child inherits.
class InheritedHandleList {
  public:
    explicit InheritedHandleList(HANDLE* handle) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        storage_.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
        if (size == 0 || !InitializeProcThreadAttributeList(list, 1, 0, &size)) {
            return;
        }
        list_ = list;
        if (!UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handle,
                                       sizeof(HANDLE), nullptr, nullptr)) {
            DeleteProcThreadAttributeList(std::exchange(list_, nullptr));
        }
    }
    InheritedHandleList(const InheritedHandleList&) = delete;
    InheritedHandleList& operator=(const InheritedHandleList&) = delete;
    ~InheritedHandleList() {
        if (list_ != nullptr) {
            DeleteProcThreadAttributeList(list_);
        }
    }
    LPPROC_THREAD_ATTRIBUTE_LIST Get() const { return list_; }

  private:
    std::vector<std::uint8_t> storage_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

}  // namespace

std::unique_ptr<ChildProcess> StartProcess(std::u16string_view programPath,
                                           std::u16string_view parameters,
                                           std::u16string_view workingFolder) {
    const std::wstring program = ToWide(programPath);
    const std::wstring arguments = ToWide(parameters);
    std::wstring folder = ToWide(workingFolder);

    std::wstring commandLine = CommandLineOf(program, parameters);
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

std::unique_ptr<ChildProcess> StartProcess(std::u16string_view programPath,
                                           std::u16string_view parameters,
                                           std::u16string_view workingFolder,
                                           std::span<const std::uint8_t> secret) {
    if (secret.size() > kMaxSecretBytes) {
        return nullptr;
    }
    // Neither end is inheritable yet: a child that another thread starts meanwhile gets neither.
    UniqueHandle readEnd, writeEnd;
    // The size is a suggestion to the system: some room on top of the frame.
    const auto buffer = static_cast<DWORD>(kSecretHeaderSize + secret.size() + 4096);
    if (!CreatePipe(readEnd.Receive(), writeEnd.Receive(), nullptr, buffer)) {
        return nullptr;
    }
    // The pipe's buffer holds the whole frame, so the writes end before the child starts, and
    // closing the write end lets the child see where the frame ends.
    if (!WriteAll(writeEnd.Get(), SecretFrameHeader(secret.size())) ||
        !WriteAll(writeEnd.Get(), secret) || !writeEnd.Close()) {
        return nullptr;
    }
    HANDLE inherited = readEnd.Get();
    const InheritedHandleList handles(&inherited);
    if (handles.Get() == nullptr ||
        !SetHandleInformation(inherited, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) {
        return nullptr;
    }
    const std::u16string channel = SecretChannelName(reinterpret_cast<std::uintptr_t>(inherited));
    std::wstring commandLine =
        CommandLineOf(ToWide(programPath),
                      parameters.empty() ? channel : channel + u' ' + std::u16string(parameters));
    const std::wstring folder = ToWide(workingFolder);

    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof(startup);
    startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW;
    startup.StartupInfo.wShowWindow = SW_SHOWNORMAL;
    startup.lpAttributeList = handles.Get();
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                        NORMAL_PRIORITY_CLASS | EXTENDED_STARTUPINFO_PRESENT, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup.StartupInfo,
                        &process)) {
        return nullptr;
    }
    const UniqueHandle thread(process.hThread);
    return std::make_unique<Win32ChildProcess>(process.hProcess);
}

std::optional<std::size_t> ReadInheritedSecret(std::u16string_view name,
                                               std::span<std::uint8_t> buffer) {
    const std::optional<std::uint64_t> number = SecretChannelNumber(name);
    if (!number || *number > std::numeric_limits<std::uintptr_t>::max()) {
        return std::nullopt;
    }
    HANDLE handle = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(*number));
    DWORD flags = 0;
    if (!GetHandleInformation(handle, &flags) || GetFileType(handle) != FILE_TYPE_PIPE) {
        return std::nullopt;
    }
    const UniqueHandle channel(handle);
    return ReadSecretFrame(
        [handle](std::span<std::uint8_t> into) -> std::ptrdiff_t {
            // Peeking first, so that a pipe whose writer is still open never makes us wait: the
            // parent closed its end before it started us.
            DWORD available = 0;
            if (!PeekNamedPipe(handle, nullptr, 0, nullptr, &available, nullptr)) {
                return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
            }
            if (available == 0) {
                return -1;
            }
            DWORD got = 0;
            const auto wanted = static_cast<DWORD>(std::min<std::size_t>(into.size(), available));
            if (!ReadFile(handle, into.data(), wanted, &got, nullptr)) {
                return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
            }
            return static_cast<std::ptrdiff_t>(got);
        },
        buffer);
}

}  // namespace vexmora
