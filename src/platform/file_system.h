// Files, behind an interface so that tests can put a fake or faulty disk under the jobs.
//
// Paths are UTF-16 (converted to UTF-8 on POSIX). Every operation reports failure in its result;
// none throws. On Windows, paths of any length work (the long form is used inside this layer).
#pragma once

#include <compare>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vexmora {

// An open file; closed when the object goes away.
class File {
  public:
    virtual ~File() = default;
    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Reads exactly buffer.size() bytes. False on an error or when the file ends first (the
    // contents of buffer are then unspecified).
    virtual bool ReadExactly(std::span<std::uint8_t> buffer) = 0;
    // Reads what is there, up to buffer.size() bytes: the count, 0 at the end, -1 on an error.
    virtual std::int64_t ReadSome(std::span<std::uint8_t> buffer) = 0;
    // Writes all of data. False when not all of it could be written.
    virtual bool WriteAll(std::span<const std::uint8_t> data) = 0;
    // The size in bytes, or -1 when it cannot be had.
    virtual std::int64_t Size() = 0;
    // Makes what was written durable: on the disk itself, not only in the system's cache
    // (FlushFileBuffers, fsync). False when that fails.
    virtual bool Flush() = 0;
    // 1 when path names this very file (also through another spelling, a link or other case),
    // 0 when it names another file or nothing, -1 when that cannot be told.
    virtual int IsSameFileAs(std::u16string_view path) = 0;
    // Writes buffered data to the disk and closes the file. False when that fails; the file is
    // closed either way. Further calls on a closed file fail.
    virtual bool Close() = 0;
    // Whether the last write or flush that failed did so because the volume is full (or the
    // user's quota is used up). Asked after the writing has ended, never during it.
    virtual bool OutOfSpace() const { return false; }
};

// A new file that exists only while this program holds it, until Keep gives it a name for good:
// the system removes it when it is closed, and also when the process ends without closing it
// (killed, crashed, logged off), so that no partial output outlives its job. On Windows it has a
// name meanwhile and carries a delete disposition; on POSIX it has no name at all (O_TMPFILE).
class TemporaryFile : public File {
  public:
    // Whether the system removes the file when it is closed. False where the volume offers no way
    // to (or the mark could not be set again after a Keep that failed): the file then has the name
    // it was created under, as CreateNew's has, and is the caller's to delete once closed.
    virtual bool DeletedWhenClosed() const = 0;
    // Gives the file the name `path`, in the folder it was created for, for good: over a file of
    // that name in one step when `replace`, else only while the name is free. The new name is on
    // the disk when Keep returns (write-through; on POSIX the folder is synced); the data is not
    // flushed here (Flush first). True: the file stays once closed, under path only. False:
    // nothing changed (the file is as temporary as before, a file at path untouched), except that
    // DeletedWhenClosed may have turned false. Fails on a closed file. Once kept, Keep moves the
    // file on to another name.
    virtual bool Keep(std::u16string_view path, bool replace) = 0;
};

// What a path names, without opening it for reading or writing.
enum class PathKind {
    Missing,      // nothing (the folder exists or not)
    RegularFile,  // a file on a disk
    Other,        // a folder, device (also NUL, CON, COM1, ... in any folder), pipe, FIFO, socket
    Unknown,      // cannot be told (no access, an error)
};

// What an entry of a folder is, as the listing reports it, without following it.
//
// On Windows only name-surrogate reparse points (symbolic links, junctions, mount points) are
// links. Every other reparse point (a cloud placeholder, downloaded or not, a deduplicated file)
// is the file or folder it stands for, as Explorer shows it.
enum class EntryKind {
    File,    // a regular file, also one behind a placeholder
    Folder,  // a folder (under Wine also a Unix symbolic link to one: see FileIdentity)
    Link,    // a symbolic link, junction or mount point
    Other,   // a device, FIFO, socket
};

struct FolderEntry {
    std::u16string name;  // the bare name, never "." or ".."
    EntryKind kind = EntryKind::Other;
    // Hidden and system at once (desktop.ini, Thumbs.db): the system's own files in a user's
    // folder, which Explorer does not show. Never set on POSIX.
    bool hiddenSystem = false;
    // The size in bytes as the listing reports it; -1 when it does not (folders, links).
    std::int64_t size = -1;
    friend bool operator==(const FolderEntry&, const FolderEntry&) = default;
};

// What tells two names of one file or folder apart from two files: the volume and the file's
// number on it. Windows numbers files with 128 bits (ReFS uses all of them); elsewhere the high
// half is 0.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    std::uint64_t indexHigh = 0;
    friend auto operator<=>(const FileIdentity&, const FileIdentity&) = default;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // Opens an existing regular file for reading; others may read it meanwhile but not write it
    // (on Windows). nullptr when it cannot be opened or is anything but a regular file on a disk
    // (a folder, pipe, FIFO, console or other device); a FIFO without a writer is refused at
    // once, never waited for.
    virtual std::unique_ptr<File> OpenForReading(std::u16string_view path) = 0;
    // Creates a new file for writing; fails (nullptr) when the path exists already. On POSIX only
    // its owner may read and write it.
    virtual std::unique_ptr<File> CreateNew(std::u16string_view path) = 0;
    // Creates a new file for reading and writing that lasts only until it is closed, unless kept
    // (see TemporaryFile). `path` is a name that no file has yet, in the folder where the file is
    // to be kept: the file has it until then on Windows, and on POSIX where the volume cannot make
    // a file without a name (there Keep with replace also needs it free for a moment). Before a
    // byte is written, the file has
    // - when `like` is not empty, the attributes and access settings of that file, as a file that
    //   replaces it keeps them: on Windows its hidden, system, archive and not-indexed attributes
    //   and its access list (its inherited entries as the folder gives them); on POSIX its
    //   permission bits and group, never more open than it (bits for a group or owner that the
    //   new file cannot have are dropped). Without `like`, on POSIX only its owner may read and
    //   write it; on Windows it inherits from the folder;
    // - when `zoneMark` is not empty, that mark of the web (see ReadZoneMark).
    // nullptr, and nothing is left behind, when the name is taken, the folder takes no new file,
    // or any of the above cannot be given (`like` cannot be read, the volume keeps no streams).
    virtual std::unique_ptr<TemporaryFile> CreateTemporary(
        std::u16string_view path, std::u16string_view like,
        std::span<const std::uint8_t> zoneMark) = 0;
    // Deletes a file. False when it could not be deleted.
    virtual bool Remove(std::u16string_view path) = 0;
    // The second try for a file that Remove could not delete: through a handle opened with delete
    // access and marked delete-on-close, tried again for a moment while another program (a virus
    // scanner, an indexer) holds the file. True when the name is gone or will be once the last
    // handle closes.
    virtual bool RemoveThroughHandle(std::u16string_view path) = 0;
    // Moves `from` to `to` in the same folder, replacing a file that exists there, in one step
    // where the system allows, and durably (write-through; on POSIX the folder is synced too).
    // False (and nothing changed) on failure.
    virtual bool ReplaceFile(std::u16string_view from, std::u16string_view to) = 0;
    // Renames `from` to `to` in the same folder, durably, but never over a file: false (and
    // nothing changed) when `to` exists or the move fails.
    virtual bool MoveNew(std::u16string_view from, std::u16string_view to) = 0;
    // Makes `link` a second name of the existing file `existing` (a hard link). False when the
    // volume cannot, or `link` exists.
    virtual bool Link(std::u16string_view existing, std::u16string_view link) = 0;
    // How many names (hard links) the file has; -1 when it cannot be told.
    virtual int LinkCount(std::u16string_view path) = 0;
    // Whether the existing file at path could be replaced now: it is not read-only, may be
    // written, and nobody holds it open without letting others delete it (on Windows, an open
    // without FILE_SHARE_DELETE). False when that cannot be told.
    virtual bool CanReplace(std::u16string_view path) = 0;
    // Moves the file to the Recycle Bin, undo allowed, without any window and without the files
    // the shell connects to it (page_files\ beside page.htm). The answer is only the shell's: it
    // may delete for good and still report success (a file over the bin's size, a bin set to
    // remove at once, a drive without a bin), so callers keep a second name of the file first and
    // look whether it survived (LinkCount). Systems without a bin answer false and leave the
    // file alone.
    virtual bool MoveToRecycleBin(std::u16string_view path) = 0;
    // The mark of the web: the file's Zone.Identifier stream, which says where it came from.
    // Empty when it has none, or the volume or system keeps no such streams (POSIX).
    virtual std::vector<std::uint8_t> ReadZoneMark(std::u16string_view path) = 0;
    // Gives the file that stream. False when it cannot be written.
    virtual bool WriteZoneMark(std::u16string_view path, std::span<const std::uint8_t> mark) = 0;
    virtual PathKind KindOf(std::u16string_view path) = 0;
    // Whether something (file or folder) exists at the path.
    virtual bool Exists(std::u16string_view path) = 0;
    // The entries of a folder, in no particular order; nothing (no list) when the path is no
    // folder or cannot be read, while an empty folder gives an empty list.
    virtual std::optional<std::vector<FolderEntry>> ListFolder(std::u16string_view folder) = 0;
    // The identity of what the path names, links followed; empty when it cannot be had.
    virtual std::optional<FileIdentity> IdentityOf(std::u16string_view path) = 0;
    // The bytes this user may still write in the folder (quotas counted); -1 when the system does
    // not tell.
    virtual std::int64_t FreeBytes(std::u16string_view folder) = 0;
    // Whether files in the folder can carry named streams (the mark of the web); true where it
    // cannot be told, so that only a volume known to lack them refuses a mark before the work.
    virtual bool KeepsStreams(std::u16string_view folder) = 0;
};

// The operating system's files.
FileSystem& RealFileSystem();

}  // namespace vexmora
