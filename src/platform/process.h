// Facts about the running process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

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

// A secret (a password) reaches a child through a pipe that only that child inherits, never
// through its command line, which other programs and the system's process logs can read. The
// child finds the channel's name as its first parameter: this prefix and the number of the
// inherited handle (on POSIX, the file descriptor) in decimal.
inline constexpr std::u16string_view kSecretChannelPrefix = u"/secret-pipe:";
// The largest secret a channel carries: more than the UTF-16 code units of any password field.
inline constexpr std::size_t kMaxSecretBytes = std::size_t{1} << 17;

// Starts programPath as StartProcess does, with the channel's name in front of the parameters
// and the secret already in the pipe, whose writing end the parent has closed. On Windows: only
// CreateProcessW, which can hand down the one handle (no shell fallback, which cannot). Null when
// no process started or the secret is larger than kMaxSecretBytes.
std::unique_ptr<ChildProcess> StartProcess(std::u16string_view programPath,
                                           std::u16string_view parameters,
                                           std::u16string_view workingFolder,
                                           std::span<const std::uint8_t> secret);

// In the child: reads the secret from the channel `name` into `buffer` and closes the channel.
// The secret's size; nothing when the name is not a channel's, the handle is no pipe, or the pipe
// does not hold exactly one frame of its parent (lost, short, longer, foreign or still open for
// writing). Never waits for a writer.
std::optional<std::size_t> ReadInheritedSecret(std::u16string_view name,
                                               std::span<std::uint8_t> buffer);

}  // namespace vexmora
