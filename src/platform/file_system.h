// Files, behind an interface so that tests can put a fake or faulty disk under the jobs.
//
// Paths are UTF-16 (converted to UTF-8 on POSIX). Every operation reports failure in its result;
// none throws.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

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
    // Writes buffered data to the disk and closes the file. False when that fails; the file is
    // closed either way. Further calls on a closed file fail.
    virtual bool Close() = 0;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // Opens an existing file for reading; others may read it meanwhile but not write it (on
    // Windows). nullptr when it cannot be opened.
    virtual std::unique_ptr<File> OpenForReading(std::u16string_view path) = 0;
    // Creates a new file for writing; fails (nullptr) when the path exists already.
    virtual std::unique_ptr<File> CreateNew(std::u16string_view path) = 0;
    // Deletes a file. False when it could not be deleted.
    virtual bool Remove(std::u16string_view path) = 0;
    // Moves `from` to `to`, replacing a file that exists there, in one step where the system
    // allows. False (and nothing changed) on failure.
    virtual bool ReplaceFile(std::u16string_view from, std::u16string_view to) = 0;
    // 1 when both paths name the same existing file (also through different spellings, links or
    // case), 0 when they do not (or one does not exist), -1 when that cannot be told.
    virtual int SameFile(std::u16string_view a, std::u16string_view b) = 0;
    // Whether something (file or folder) exists at the path.
    virtual bool Exists(std::u16string_view path) = 0;
};

// The operating system's files.
FileSystem& RealFileSystem();

}  // namespace vexmora
