// Facts about the running process.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace vexmora {

// The id of the calling thread, as a 32-bit value.
std::uint32_t CurrentThreadId();

// Milliseconds since an arbitrary fixed point (system start on Windows), wrapping at 2^32.
std::uint32_t TickCountMs();

// The full path of the running executable.
std::u16string ProgramPath();

// The path made absolute against the process's current folder (a child started elsewhere must
// find it); as given when it is absolute already or cannot be resolved.
std::u16string AbsolutePath(std::u16string_view path);

// The command line of the process as one string: on Windows exactly what GetCommandLineW
// returns; on POSIX the arguments joined by spaces, those containing a space in double quotes.
std::u16string ProcessCommandLine();

// A process that this one started. Destroying the object lets the process run on.
class ChildProcess {
  public:
    virtual ~ChildProcess() = default;
    // Whether the process is still running; never waits. A process whose state cannot be known
    // counts as ended.
    virtual bool Running() = 0;
};

// Starts programPath with the parameter text in workingFolder (empty: the current folder) and does
// not wait for it. On Windows: CreateProcessW with the quoted program path and the parameters,
// then ShellExecuteExW when that fails. Returns the started process, null when none started.
std::unique_ptr<ChildProcess> StartProcess(std::u16string_view programPath,
                                           std::u16string_view parameters,
                                           std::u16string_view workingFolder);

}  // namespace vexmora
