#include "driver/program_process.h"

#include <algorithm>
#include <stdexcept>

#include "driver/window_probe.h"

namespace vexmora::e2e {

std::wstring ExecutableFolder() {
    std::wstring path(32768, L'\0');
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) {
        throw std::runtime_error("GetModuleFileNameW failed");
    }
    path.resize(length);
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::wstring ProgramPath() {
    return ExecutableFolder() + L"vexmora.exe";
}

std::wstring QuotedParameters(std::initializer_list<std::wstring_view> parameters) {
    std::wstring line;
    for (std::wstring_view parameter : parameters) {
        if (parameter.find(L'"') != std::wstring_view::npos) {
            throw std::invalid_argument("a quoted parameter cannot contain a double quote");
        }
        if (!line.empty()) {
            line += L' ';
        }
        line += L'"';
        line += parameter;
        line += L'"';
    }
    return line;
}

ProgramProcess ProgramProcess::Start(const std::wstring& program, const std::wstring& parameters,
                                     const std::wstring& workingFolder) {
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!parameters.empty()) {
        commandLine += L' ';
        commandLine += parameters;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    // Wine now and then fails a start with ERROR_INTERNAL_ERROR (1359), about once in a thousand
    // starts on a busy machine; a second try starts the process. Any other error is the test's.
    constexpr DWORD kWineInternalError = 1359;
    for (int attempt = 1;; ++attempt) {
        if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup,
                           &info)) {
            break;
        }
        const DWORD error = GetLastError();
        if (error != kWineInternalError || attempt == 3) {
            throw std::runtime_error("CreateProcessW failed with error " + std::to_string(error));
        }
        Sleep(200);
    }
    const UniqueHandle thread(info.hThread);  // never waited for
    return ProgramProcess(UniqueHandle(info.hProcess), info.dwProcessId);
}

ProgramProcess::~ProgramProcess() {
    if (Running()) {
        Kill();
    }
}

bool ProgramProcess::Running() const {
    return process_.Valid() && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> ProgramProcess::WaitForExit(std::chrono::milliseconds timeout) {
    auto code = PollExit(timeout);
    if (!code) {
        Kill();
    }
    return code;
}

std::optional<DWORD> ProgramProcess::PollExit(std::chrono::milliseconds wait) {
    if (WaitForSingleObject(process_.Get(), static_cast<DWORD>(wait.count())) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.Get(), &code);
    return code;
}

void ProgramProcess::Kill() {
    if (process_.Valid()) {
        TerminateProcess(process_.Get(), 0xDEAD);
        WaitForSingleObject(process_.Get(), 10000);
    }
}

RunResult RunProgram(const std::wstring& parameters, const std::wstring& workingFolder,
                     std::chrono::milliseconds timeout,
                     const std::function<void(const MessageBoxSeen&)>& onMessageBox) {
    RunResult result;
    ProgramProcess process = ProgramProcess::Start(ProgramPath(), parameters, workingFolder);
    std::vector<HWND> boxesSeen;
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        for (HWND window : TopLevelWindows(process.Id())) {
            if (IsMessageBox(window)) {
                // Each box is recorded once, even if it cannot be dismissed.
                if (std::find(boxesSeen.begin(), boxesSeen.end(), window) == boxesSeen.end()) {
                    boxesSeen.push_back(window);
                    MessageBoxSeen box{WindowText(window), MessageBoxText(window), {}};
                    for (const ChildControl& control : ChildControls(window)) {
                        if (SameClass(control.className, L"Button")) {
                            box.buttons.push_back(control.text);
                        }
                    }
                    if (onMessageBox) {
                        onMessageBox(box);
                    }
                    result.messageBoxes.push_back(std::move(box));
                }
                if (PressMessageBoxOk(window)) {
                    WaitUntil([&] { return !IsWindow(window); }, 5s);
                }
                continue;
            }
            std::wstring title = WindowText(window);
            if (std::find(result.windowTitles.begin(), result.windowTitles.end(), title) ==
                result.windowTitles.end()) {
                result.windowTitles.push_back(std::move(title));
            }
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left <= 0ms) {
            process.Kill();
            return result;
        }
        if (auto code = process.PollExit(std::min<std::chrono::milliseconds>(left, 20ms))) {
            result.exitCode = code;
            return result;
        }
    }
}

}  // namespace vexmora::e2e
