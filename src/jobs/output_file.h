// Writing a file so that nothing is lost: the new content goes to a temporary file beside the
// destination and takes its place only when complete and on the disk; a file it replaces goes
// to the Recycle Bin.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace vexmora {

// Whether a new file may be put at destination: it names nothing yet or a regular file. Folders,
// devices (NUL, CON, COM1, ... in any folder, with any extension), pipes, FIFOs and paths that
// cannot be told are refused.
bool MayWriteTo(FileSystem& fileSystem, std::u16string_view destination);

// Puts the finished file `temporary` (in the same folder) at destination. An existing file there
// first lends the new one its attributes and security settings, then goes to the Recycle Bin
// right before the new file takes its place. The bin is only tried while the old file has a
// second name, so that a bin that deletes for good, fails or is missing never loses it: the
// replacement then goes ahead as a plain move. True when the new file is in place; on false the
// old file is at destination again (or, if even that fails, under a "~vx....tmp" name beside it).
bool PutInPlace(FileSystem& fileSystem, std::u16string_view temporary,
                std::u16string_view destination);

// One output on its way to its destination. Discarded (the temporary file deleted) when
// destroyed before Commit succeeded.
class OutputFile {
  public:
    OutputFile(FileSystem& fileSystem, std::u16string_view destination);
    ~OutputFile() { Discard(); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the temporary file, exclusively, with a fresh name when a name is taken. False
    // when it cannot be created.
    bool Create();
    // The temporary file; only between a successful Create and Commit or Discard.
    File& file() { return *file_; }
    // Flushes the file to the disk, closes it and puts it in place (PutInPlace). False on any
    // failure, and the temporary file is gone.
    bool Commit() { return Finish() && Place(); }
    // Commit in two steps, so that a job can still be cancelled between them: Finish flushes and
    // closes (after it only Place or Discard), Place puts the file in place. Each is false, and
    // the temporary file gone, on failure.
    bool Finish();
    bool Place();
    void Discard();

  private:
    FileSystem& fileSystem_;
    std::u16string destination_;
    std::u16string temporary_;
    std::unique_ptr<File> file_;
};

}  // namespace vexmora
