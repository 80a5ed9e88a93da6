#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/process.h"
#include "platform/text_conversion.h"

namespace vexmora {

std::uint32_t CurrentThreadId() {
    return static_cast<std::uint32_t>(gettid());
}

std::uint32_t TickCountMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
              static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

std::u16string ProcessCommandLine() {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    std::string raw((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::string line;
    std::size_t start = 0;
    while (start < raw.size()) {
        std::size_t end = raw.find('\0', start);
        if (end == std::string::npos) {
            end = raw.size();
        }
        std::string argument = raw.substr(start, end - start);
        if (!line.empty()) {
            line.push_back(' ');
        }
        if (argument.empty() || argument.find(' ') != std::string::npos) {
            line += '"' + argument + '"';
        } else {
            line += argument;
        }
        start = end + 1;
    }
    auto bytes = reinterpret_cast<const std::uint8_t*>(line.data());
    return Utf8ToUtf16({bytes, line.size()});
}

}  // namespace vexmora

namespace vexmora {

std::u16string AbsolutePath(std::u16string_view path) {
    if (path.empty() || path.front() == u'/') {
        return std::u16string(path);
    }
    std::error_code error;
    const std::string folder = std::filesystem::current_path(error).string();
    if (error) {
        return std::u16string(path);
    }
    auto bytes = reinterpret_cast<const std::uint8_t*>(folder.data());
    return Utf8ToUtf16({bytes, folder.size()}) + u'/' + std::u16string(path);
}

std::u16string ProgramPath() {
    std::error_code error;
    std::string path = std::filesystem::read_symlink("/proc/self/exe", error).string();
    auto bytes = reinterpret_cast<const std::uint8_t*>(path.data());
    return Utf8ToUtf16({bytes, path.size()});
}

}  // namespace vexmora

#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <limits>

#include "platform/secret_frame.h"

extern char** environ;

namespace vexmora {
namespace {

std::string Native(std::u16string_view text) {
    std::vector<std::uint8_t> bytes = Utf16ToUtf8(text);
    return std::string(bytes.begin(), bytes.end());
}

class PosixChildProcess final : public ChildProcess {
  public:
    explicit PosixChildProcess(pid_t pid) : pid_(pid) {}

    // Reaps the child once it has ended, so it leaves no zombie behind.
    bool Running() override {
        if (pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0) {
            return true;
        }
        pid_ = 0;
        return false;
    }

  private:
    pid_t pid_;
};


// The parameter text is split by the program's own rules (spaces separate, quotes group).
std::vector<std::string> SplitParameters(std::u16string_view parameters) {
    std::vector<std::string> arguments;
    std::u16string current;
    bool quoted = false, any = false;
    for (char16_t c : parameters) {
        if (c == u'"') {
            quoted = !quoted;
            any = true;
        } else if (c == u' ' && !quoted) {
            if (any) {
                arguments.push_back(Native(current));
            }
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any) {
        arguments.push_back(Native(current));
    }
    return arguments;
}

// `inherited` is a descriptor (opened close-on-exec) that the child keeps under the same number;
// -1 for none.
std::unique_ptr<ChildProcess> Spawn(std::vector<std::string> arguments,
                                    std::u16string_view workingFolder, int inherited) {
    std::vector<char*> argv;
    for (std::string& a : arguments) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string folder = Native(workingFolder);
    if (!folder.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    }
    if (inherited >= 0) {
        // A descriptor duplicated onto itself loses close-on-exec in the child only, so no other
        // child started meanwhile gets it.
        posix_spawn_file_actions_adddup2(&actions, inherited, inherited);
    }
    pid_t child = 0;
    int result = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
        return nullptr;
    }
    return std::make_unique<PosixChildProcess>(child);
}

class UniqueFd {
  public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Close(); }
    int Get() const { return fd_; }
    void Close() {
        if (fd_ >= 0) {
            close(fd_);
        }
        fd_ = -1;
    }

  private:
    int fd_;
};

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written <= 0) {
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

std::unique_ptr<ChildProcess> StartProcess(std::u16string_view programPath,
                                           std::u16string_view parameters,
                                           std::u16string_view workingFolder) {
    std::vector<std::string> arguments = SplitParameters(parameters);
    arguments.insert(arguments.begin(), Native(programPath));
    return Spawn(std::move(arguments), workingFolder, -1);
}

std::unique_ptr<ChildProcess> StartProcess(std::u16string_view programPath,
                                           std::u16string_view parameters,
                                           std::u16string_view workingFolder,
                                           std::span<const std::uint8_t> secret) {
    int ends[2] = {-1, -1};
    if (secret.size() > kMaxSecretBytes || pipe2(ends, O_CLOEXEC) != 0) {
        return nullptr;
    }
    UniqueFd readEnd(ends[0]);
    UniqueFd writeEnd(ends[1]);
    const std::size_t frame = kSecretHeaderSize + secret.size();
    // The whole frame goes in before the child starts; a pipe too small for it fails the start
    // rather than block the caller (the write end does not wait).
    if (fcntl(writeEnd.Get(), F_GETPIPE_SZ) < static_cast<int>(frame)) {
        fcntl(writeEnd.Get(), F_SETPIPE_SZ, static_cast<int>(frame));
    }
    const auto header = SecretFrameHeader(secret.size());
    if (fcntl(writeEnd.Get(), F_SETFL, O_NONBLOCK) != 0 || !WriteAll(writeEnd.Get(), header) ||
        !WriteAll(writeEnd.Get(), secret)) {
        return nullptr;
    }
    writeEnd.Close();
    std::vector<std::string> arguments = SplitParameters(parameters);
    arguments.insert(arguments.begin(),
                     {Native(programPath),
                      Native(SecretChannelName(static_cast<std::uint64_t>(readEnd.Get())))});
    return Spawn(std::move(arguments), workingFolder, readEnd.Get());
}

std::optional<std::size_t> ReadInheritedSecret(std::u16string_view name,
                                               std::span<std::uint8_t> buffer) {
    const std::optional<std::uint64_t> number = SecretChannelNumber(name);
    if (!number || *number > static_cast<std::uint64_t>(std::numeric_limits<int>::max())) {
        return std::nullopt;
    }
    struct stat info {};
    const int fd = static_cast<int>(*number);
    if (fstat(fd, &info) != 0 || !S_ISFIFO(info.st_mode)) {
        return std::nullopt;
    }
    const UniqueFd channel(fd);
    // A pipe whose writer is still open is no channel of a parent: never wait for one.
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) {
        return std::nullopt;
    }
    return ReadSecretFrame(
        [fd](std::span<std::uint8_t> into) -> std::ptrdiff_t {
            for (;;) {
                const ssize_t got = read(fd, into.data(), into.size());
                if (got >= 0 || errno != EINTR) {
                    return got;
                }
            }
        },
        buffer);
}

}  // namespace vexmora
