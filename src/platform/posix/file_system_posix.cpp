#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/file_system.h"
#include "platform/text_conversion.h"

namespace vexmora {
namespace {

std::string NativePath(std::u16string_view path) {
    std::vector<std::uint8_t> bytes = Utf16ToUtf8(path);
    return std::string(bytes.begin(), bytes.end());
}

class PosixFile final : public File {
  public:
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() override { Close(); }

    bool ReadExactly(std::span<std::uint8_t> buffer) override {
        while (!buffer.empty()) {
            ssize_t got = ::read(fd_, buffer.data(), buffer.size());
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                return false;
            }
            buffer = buffer.subspan(static_cast<std::size_t>(got));
        }
        return fd_ >= 0;
    }

    std::int64_t ReadSome(std::span<std::uint8_t> buffer) override {
        for (;;) {
            ssize_t got = ::read(fd_, buffer.data(), buffer.size());
            if (got >= 0 || errno != EINTR) {
                return got;
            }
        }
    }

    bool WriteAll(std::span<const std::uint8_t> data) override {
        while (!data.empty()) {
            ssize_t put = ::write(fd_, data.data(), data.size());
            if (put < 0 && errno == EINTR) {
                continue;
            }
            if (put <= 0) {
                return false;
            }
            data = data.subspan(static_cast<std::size_t>(put));
        }
        return fd_ >= 0;
    }

    std::int64_t Size() override {
        struct stat info {};
        return fd_ >= 0 && fstat(fd_, &info) == 0 ? static_cast<std::int64_t>(info.st_size) : -1;
    }

    bool Close() override {
        if (fd_ < 0) {
            return false;
        }
        int result = ::close(fd_);
        fd_ = -1;
        return result == 0;
    }

  private:
    int fd_;
};

class PosixFileSystem final : public FileSystem {
  public:
    std::unique_ptr<File> OpenForReading(std::u16string_view path) override {
        int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            return nullptr;
        }
        struct stat info {};
        if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<PosixFile>(fd);
    }

    std::unique_ptr<File> CreateNew(std::u16string_view path) override {
        int fd = ::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        return fd < 0 ? nullptr : std::make_unique<PosixFile>(fd);
    }

    bool Remove(std::u16string_view path) override {
        return ::unlink(NativePath(path).c_str()) == 0;
    }

    bool ReplaceFile(std::u16string_view from, std::u16string_view to) override {
        return std::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0;
    }

    int SameFile(std::u16string_view a, std::u16string_view b) override {
        struct stat first {
        }, second{};
        if (::stat(NativePath(a).c_str(), &first) != 0) {
            return errno == ENOENT || errno == ENOTDIR ? 0 : -1;
        }
        if (::stat(NativePath(b).c_str(), &second) != 0) {
            return errno == ENOENT || errno == ENOTDIR ? 0 : -1;
        }
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino ? 1 : 0;
    }

    bool Exists(std::u16string_view path) override {
        struct stat info {};
        return ::stat(NativePath(path).c_str(), &info) == 0;
    }
};

}  // namespace

FileSystem& RealFileSystem() {
    static PosixFileSystem fileSystem;
    return fileSystem;
}

}  // namespace vexmora
