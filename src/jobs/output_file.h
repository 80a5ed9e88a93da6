// Writing a file so that nothing is lost: the new content goes to a temporary file beside the
// destination and takes its place only when complete and on the disk; a file it replaces goes
// to the Recycle Bin, or stays beside it under a visible name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace vexmora {

// Whether a new file may be put at destination: it names nothing yet, or a regular file that can
// be replaced now (FileSystem::CanReplace: not read-only, not held open without delete sharing,
// writable). Folders, devices (NUL, CON, COM1, ... in any folder, with any extension), pipes,
// FIFOs and paths that cannot be told are refused.
bool MayWriteTo(FileSystem& fileSystem, std::u16string_view destination);

// The visible name a replaced file keeps beside its successor: "notes.txt" gives
// "notes (replaced 2026-12-07 20-15-03).txt" (the local time of the replacement), the extension
// kept last so that the file still opens with its program; attempt 2 and on add ", 2", ", 3", ...
// inside the brackets. A name without an extension ("README", ".profile") gets the bracket at its
// end. A name that would pass 255 characters loses the end of its stem.
std::u16string KeptNameFor(std::u16string_view destination, std::u16string_view stamp,
                           int attempt = 1);

struct Placement {
    bool placed = false;  // the new file is at the destination
    // Where the replaced file stays beside it, when the Recycle Bin did not (surely) take it;
    // empty when nothing was replaced or the bin holds it.
    std::u16string keptOldFile;
};

// Puts the finished, flushed temporary file `file` (created for destination) at destination, by
// TemporaryFile::Keep: where nothing is there, only while the name is free. An existing file there
// gets a second name and goes to the Recycle Bin right before the new file takes its place; the
// second name is removed only when the bin surely holds the file (the second name's link count
// is what it was before, so the file still has its other name, in the bin). Otherwise (a bin
// that refuses, deletes for good, or is missing) the second name becomes the visible KeptNameFor
// name. On a volume without hard links the bin cannot be checked and is not tried: the old file
// moves to its visible name first. On a failed placement the old file is at destination again,
// or, if even that fails, under keptOldFile, and `file` is as temporary as before.
Placement PutInPlace(FileSystem& fileSystem, TemporaryFile& file, std::u16string_view destination);

// One output on its way to its destination. Discarded (the temporary file gone) when destroyed
// before Commit succeeded; the system removes it also when the process dies before that
// (FileSystem::CreateTemporary).
class OutputFile {
  public:
    OutputFile(FileSystem& fileSystem, std::u16string_view destination);
    ~OutputFile() { Discard(); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // The mark of the web (FileSystem::ReadZoneMark) that the output gets from its creation on;
    // none when empty. Only before Create.
    void SetZoneMark(std::vector<std::uint8_t> mark) { zoneMark_ = std::move(mark); }
    // Creates the temporary file, exclusively, with a fresh name when a name is taken. Where the
    // destination is a regular file now, the temporary file has its attributes and access
    // settings from its creation on. False when it cannot be created or given them, or the mark.
    bool Create();
    // The temporary file; only between a successful Create and Commit or Discard.
    File& file() { return *file_; }
    // Flushes the file to the disk and puts it in place (PutInPlace). False on any failure, and
    // the temporary file is gone.
    bool Commit() { return Finish() && Place(); }
    // Commit in two steps, so that a job can still be cancelled between them: Finish flushes
    // (after it only Place or Discard), Place puts the file in place and closes it. Each is
    // false, and the temporary file gone, on failure.
    bool Finish();
    bool Place();
    void Discard();
    // See Placement::keptOldFile; set by Commit, also when it failed.
    const std::u16string& keptOldFile() const { return keptOldFile_; }

  private:
    FileSystem& fileSystem_;
    std::u16string destination_;
    std::u16string temporary_;
    std::unique_ptr<TemporaryFile> file_;
    std::vector<std::uint8_t> zoneMark_;
    std::u16string keptOldFile_;
};

}  // namespace vexmora
