#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <utility>

#include "platform/file_system.h"
#include "platform/text_conversion.h"

namespace vexmora {
namespace {

std::string NativePath(std::u16string_view path) {
    std::vector<std::uint8_t> bytes = Utf16ToUtf8(path);
    return std::string(bytes.begin(), bytes.end());
}

// The folder that holds path, for syncing it after a rename.
std::string FolderOfNative(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool SyncFolder(const std::string& path) {
    const int fd = ::open(FolderOfNative(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// The calls of an open file, for File and for TemporaryFile alike.
template <typename Interface>
class PosixFileOf : public Interface {
  public:
    explicit PosixFileOf(int fd) : fd_(fd) {}
    ~PosixFileOf() override { Close(); }

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
                outOfSpace_ = put < 0 && (errno == ENOSPC || errno == EDQUOT);
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

    bool Flush() override {
        if (fd_ >= 0 && ::fsync(fd_) == 0) {
            return true;
        }
        // Space for delayed writes is found missing only now on some file systems.
        outOfSpace_ = errno == ENOSPC || errno == EDQUOT;
        return false;
    }

    bool OutOfSpace() const override { return outOfSpace_; }

    int IsSameFileAs(std::u16string_view path) override {
        struct stat mine {
        }, other{};
        if (fd_ < 0 || fstat(fd_, &mine) != 0) {
            return -1;
        }
        if (::stat(NativePath(path).c_str(), &other) != 0) {
            return errno == ENOENT || errno == ENOTDIR ? 0 : -1;
        }
        return mine.st_dev == other.st_dev && mine.st_ino == other.st_ino ? 1 : 0;
    }

    bool Close() override {
        if (fd_ < 0) {
            return false;
        }
        int result = ::close(fd_);
        fd_ = -1;
        return result == 0;
    }

  protected:
    int Descriptor() const { return fd_; }

  private:
    int fd_;
    bool outOfSpace_ = false;
};

using PosixFile = PosixFileOf<File>;

// The permission bits and group of `model` onto the open file, never more open than `model`.
bool TakeSettingsOf(int fd, const struct stat& model) {
    // Only the owner of a file may give it to a group, and only to one of their own.
    ::fchown(fd, static_cast<uid_t>(-1), model.st_gid);
    struct stat copy {};
    if (::fstat(fd, &copy) != 0) {
        return false;
    }
    mode_t mode = model.st_mode & 0777;
    if (copy.st_gid != model.st_gid) {
        mode &= ~static_cast<mode_t>(0070);  // another group must not gain what `model` gave
    }
    if (copy.st_uid != model.st_uid) {
        mode &= ~static_cast<mode_t>(0077);
    }
    return ::fchmod(fd, mode) == 0;
}

// A file without a name (O_TMPFILE) until Keep links it into its folder; or, where the volume
// cannot make one, a file with its temporary name, as CreateNew's.
class PosixTemporaryFile final : public PosixFileOf<TemporaryFile> {
  public:
    PosixTemporaryFile(int fd, std::string path, bool named)
        : PosixFileOf(fd), path_(std::move(path)), named_(named) {}

    bool DeletedWhenClosed() const override { return !named_; }

    bool Keep(std::u16string_view path, bool replace) override {
        const std::string target = NativePath(path);
        if (Descriptor() < 0 || !(named_ ? Move(target, replace) : Link(target, replace))) {
            return false;
        }
        named_ = true;
        path_ = target;
        // The name is there; a folder that cannot be synced does not take it back.
        SyncFolder(target);
        return true;
    }

  private:
    bool Move(const std::string& target, bool replace) {
        return replace ? ::rename(path_.c_str(), target.c_str()) == 0
                       : ::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target.c_str(),
                                     RENAME_NOREPLACE) == 0;
    }

    bool Link(const std::string& target, bool replace) {
        if (!replace) {
            return LinkAs(target);  // fails where the name is taken
        }
        // A link never replaces: the file takes its temporary name, then moves over target in
        // one step.
        if (!LinkAs(path_)) {
            return false;
        }
        if (::rename(path_.c_str(), target.c_str()) == 0) {
            return true;
        }
        // Nameless again, as before; a name that cannot be taken back is the caller's to delete.
        named_ = ::unlink(path_.c_str()) != 0;
        return false;
    }

    // Gives the nameless file the name `name`. /proc names the open file for anyone; AT_EMPTY_PATH
    // needs a capability on older kernels, but works where /proc is not mounted.
    bool LinkAs(const std::string& name) {
        const std::string self = "/proc/self/fd/" + std::to_string(Descriptor());
        return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
               ::linkat(Descriptor(), "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0;
    }

    std::string path_;  // the name it has, or takes on its way over a file
    bool named_;
};

class PosixFileSystem final : public FileSystem {
  public:
    std::unique_ptr<File> OpenForReading(std::u16string_view path) override {
        // Non-blocking, so that a FIFO without a writer is refused instead of waited for.
        int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            return nullptr;
        }
        struct stat info {};
        if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<PosixFile>(fd);
    }

    std::unique_ptr<File> CreateNew(std::u16string_view path) override {
        int fd = ::open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        return fd < 0 ? nullptr : std::make_unique<PosixFile>(fd);
    }

    std::unique_ptr<TemporaryFile> CreateTemporary(
        std::u16string_view path, std::u16string_view like,
        std::span<const std::uint8_t> zoneMark) override {
        if (!zoneMark.empty()) {
            return nullptr;  // no streams here
        }
        struct stat model {};
        if (!like.empty() && ::stat(NativePath(like).c_str(), &model) != 0) {
            return nullptr;
        }
        const std::string native = NativePath(path);
        bool named = false;
        int fd = ::open(FolderOfNative(native).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd < 0) {
            // A volume without nameless files (EOPNOTSUPP), a kernel without them (EISDIR,
            // EINVAL): a named file as before. Where the folder is the trouble, this fails too.
            fd = ::open(native.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            named = true;
        }
        if (fd < 0) {
            return nullptr;
        }
        if (!like.empty() && !TakeSettingsOf(fd, model)) {
            ::close(fd);
            if (named) {
                ::unlink(native.c_str());
            }
            return nullptr;
        }
        return std::make_unique<PosixTemporaryFile>(fd, native, named);
    }

    bool Remove(std::u16string_view path) override {
        return ::unlink(NativePath(path).c_str()) == 0;
    }

    bool RemoveThroughHandle(std::u16string_view path) override {
        // POSIX has no sharing modes that block a delete: a second unlink is all there is.
        const std::string native = NativePath(path);
        return ::unlink(native.c_str()) == 0 || errno == ENOENT;
    }

    bool MoveNew(std::u16string_view from, std::u16string_view to) override {
        const std::string target = NativePath(to);
        if (::renameat2(AT_FDCWD, NativePath(from).c_str(), AT_FDCWD, target.c_str(),
                        RENAME_NOREPLACE) != 0) {
            return false;
        }
        SyncFolder(target);
        return true;
    }

    int LinkCount(std::u16string_view path) override {
        struct stat info {};
        return ::lstat(NativePath(path).c_str(), &info) == 0 ? static_cast<int>(info.st_nlink) : -1;
    }

    bool CanReplace(std::u16string_view path) override {
        const std::string native = NativePath(path);
        return ::access(native.c_str(), W_OK) == 0 &&
               ::access(FolderOfNative(native).c_str(), W_OK | X_OK) == 0;
    }

    std::vector<std::uint8_t> ReadZoneMark(std::u16string_view) override { return {}; }

    bool WriteZoneMark(std::u16string_view, std::span<const std::uint8_t>) override {
        return false;
    }

    bool ReplaceFile(std::u16string_view from, std::u16string_view to) override {
        const std::string target = NativePath(to);
        if (std::rename(NativePath(from).c_str(), target.c_str()) != 0) {
            return false;
        }
        // The rename is done; a folder that cannot be synced does not undo it.
        SyncFolder(target);
        return true;
    }

    bool Link(std::u16string_view existing, std::u16string_view link) override {
        return ::link(NativePath(existing).c_str(), NativePath(link).c_str()) == 0;
    }

    bool MoveToRecycleBin(std::u16string_view) override { return false; }

    PathKind KindOf(std::u16string_view path) override {
        struct stat info {};
        if (::stat(NativePath(path).c_str(), &info) != 0) {
            return errno == ENOENT || errno == ENOTDIR ? PathKind::Missing : PathKind::Unknown;
        }
        return S_ISREG(info.st_mode) ? PathKind::RegularFile : PathKind::Other;
    }

    bool Exists(std::u16string_view path) override {
        struct stat info {};
        return ::stat(NativePath(path).c_str(), &info) == 0;
    }

    std::optional<std::vector<FolderEntry>> ListFolder(std::u16string_view folder) override {
        const int fd = ::open(NativePath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            return std::nullopt;
        }
        DIR* listing = ::fdopendir(fd);
        if (listing == nullptr) {
            ::close(fd);
            return std::nullopt;
        }
        std::vector<FolderEntry> entries;
        while (const dirent* entry = ::readdir(listing)) {
            const std::string_view name = entry->d_name;
            if (name == "." || name == "..") {
                continue;
            }
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(name.data());
            FolderEntry found;
            found.name = Utf8ToUtf16({bytes, name.size()});
            struct stat info {};
            // lstat: a link is reported as itself, never as what it points to.
            if (::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
                found.kind = S_ISLNK(info.st_mode)   ? EntryKind::Link
                             : S_ISDIR(info.st_mode) ? EntryKind::Folder
                             : S_ISREG(info.st_mode) ? EntryKind::File
                                                     : EntryKind::Other;
                if (found.kind == EntryKind::File) {
                    found.size = static_cast<std::int64_t>(info.st_size);
                }
            }
            entries.push_back(std::move(found));
        }
        ::closedir(listing);  // closes fd too
        return entries;
    }

    std::int64_t FreeBytes(std::u16string_view folder) override {
        struct statvfs info {};
        if (::statvfs(NativePath(folder).c_str(), &info) != 0) {
            return -1;
        }
        return static_cast<std::int64_t>(info.f_bavail) * static_cast<std::int64_t>(info.f_frsize);
    }

    // No streams here, and no mark to carry either (ReadZoneMark finds none).
    bool KeepsStreams(std::u16string_view) override { return true; }

    std::optional<FileIdentity> IdentityOf(std::u16string_view path) override {
        struct stat info {};
        if (::stat(NativePath(path).c_str(), &info) != 0) {
            return std::nullopt;
        }
        return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                            static_cast<std::uint64_t>(info.st_ino), 0};
    }
};

}  // namespace

FileSystem& RealFileSystem() {
    static PosixFileSystem fileSystem;
    return fileSystem;
}

}  // namespace vexmora
