// Text files: the text's UTF-8 bytes and nothing else (no byte-order mark added or removed, no
// terminator, line ends exactly as the text holds them).
#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace vexmora {

// The text of the file: everything up to its end or its first zero byte, read as UTF-8 (invalid
// sequences become U+FFFD; a byte-order mark stays as U+FEFF). Empty when the file cannot be
// opened; a read error ends the text where it happened.
std::u16string LoadTextFile(std::u16string_view path, FileSystem& fileSystem = RealFileSystem());

// Writes the text's UTF-8 bytes to the file, replacing it. Returns 1 when the whole text is in
// place, 0 otherwise; the text goes to a temporary file beside the path first and is flushed to
// the disk, so a failed save leaves an existing file as it was, and a replaced file goes to the
// Recycle Bin (see PutInPlace). A path that is no place for a file (a folder, a device such as
// NUL) fails at once.
int SaveTextFile(std::u16string_view path, std::u16string_view text,
                 FileSystem& fileSystem = RealFileSystem());

}  // namespace vexmora
