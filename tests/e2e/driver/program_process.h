// Starting vexmora.exe as a child process, waiting for it with a time limit, and watching its
// windows while it runs.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/unique_handle.h"

namespace vexmora::e2e {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The folder that holds the running test executable, with a trailing backslash.
std::wstring ExecutableFolder();
// vexmora.exe next to the test executable.
std::wstring ProgramPath();

// Parameters in the program's quoted form: each one enclosed in double quotes, separated by single
// spaces. The program's splitting has no escape, so a parameter must not contain a double quote.
std::wstring QuotedParameters(std::initializer_list<std::wstring_view> parameters);

// One running instance of the program. The destructor kills a process that is still running.
class ProgramProcess {
  public:
    // Starts `program` with the command line `"program" ` followed by `parameters` exactly as
    // given (already quoted as the test wants), in `workingFolder` (empty: the driver's own).
    static ProgramProcess Start(const std::wstring& program, const std::wstring& parameters,
                                const std::wstring& workingFolder = {});

    ProgramProcess(ProgramProcess&&) = default;
    ProgramProcess& operator=(ProgramProcess&&) = default;
    ~ProgramProcess();

    DWORD Id() const { return id_; }
    bool Running() const;
    // The exit code once the process ended within `timeout`; empty after a time-out, in which
    // case the process has been killed.
    std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout);
    // The exit code if the process ends within `wait`; empty (and still running) otherwise.
    std::optional<DWORD> PollExit(std::chrono::milliseconds wait = 0ms);
    void Kill();

  private:
    ProgramProcess(UniqueHandle process, DWORD id) : process_(std::move(process)), id_(id) {}

    UniqueHandle process_;
    DWORD id_ = 0;
};

// What the driver saw of one run that it watched to the end.
struct MessageBoxSeen {
    std::wstring caption;
    std::wstring text;
    std::vector<std::wstring> buttons;
};

struct RunResult {
    // Empty when the process did not end in time (it has then been killed).
    std::optional<DWORD> exitCode;
    // Titles of the visible top-level windows other than message boxes, each once, in the order
    // they were first seen.
    std::vector<std::wstring> windowTitles;
    // Message boxes seen, each once, in order; every one is dismissed with its OK button.
    std::vector<MessageBoxSeen> messageBoxes;
};

// Runs the program to its end: polls its windows while it runs, records them, and dismisses every
// message box it shows with OK, so that a job that fails unexpectedly does not hang the suite.
// `onMessageBox`, when given, hears of each box as soon as it is seen, before it is dismissed.
RunResult RunProgram(const std::wstring& parameters, const std::wstring& workingFolder,
                     std::chrono::milliseconds timeout = 60s,
                     const std::function<void(const MessageBoxSeen&)>& onMessageBox = {});

}  // namespace vexmora::e2e
