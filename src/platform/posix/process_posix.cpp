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

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace vexmora {
namespace {

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

}  // namespace

// The parameter text is split by the program's own rules (spaces separate, quotes group).
std::unique_ptr<ChildProcess> StartProcess(std::u16string_view programPath,
                                           std::u16string_view parameters,
                                           std::u16string_view workingFolder) {
    auto native = [](std::u16string_view text) {
        std::vector<std::uint8_t> bytes = Utf16ToUtf8(text);
        return std::string(bytes.begin(), bytes.end());
    };
    std::vector<std::string> arguments{native(programPath)};
    std::u16string current;
    bool quoted = false, any = false;
    for (char16_t c : parameters) {
        if (c == u'"') {
            quoted = !quoted;
            any = true;
        } else if (c == u' ' && !quoted) {
            if (any) {
                arguments.push_back(native(current));
            }
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any) {
        arguments.push_back(native(current));
    }
    std::vector<char*> argv;
    for (std::string& a : arguments) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string folder = native(workingFolder);
    if (!folder.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    }
    pid_t child = 0;
    int result = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
        return nullptr;
    }
    return std::make_unique<PosixChildProcess>(child);
}

}  // namespace vexmora
