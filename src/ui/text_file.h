// Text files: the program writes the text's UTF-8 bytes and nothing else (no byte-order mark added
// or removed, no terminator, line ends exactly as the text holds them). It reads those, and also
// the files other programs write in UTF-16 or in the system's ANSI code page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace vexmora {

// The largest file Load takes: the editor holds a megabyte of ordinary lines in a few seconds
// (README: "The main window with big texts"), and reading needs several times the file's size in
// memory on top.
inline constexpr std::int64_t LoadLimit = 1024 * 1024;

enum class TextLoad {
    Loaded,
    CannotOpen,  // missing, no access, a folder, a device, ...
    TooLarge,    // above LoadLimit: refused before a byte was read
    ReadFailed,  // a read failed on the way
    NoMemory,    // the text did not fit in memory
};

struct LoadedText {
    TextLoad result = TextLoad::CannotOpen;
    std::u16string text;  // empty unless Loaded
};

// The text of the file, up to its end or its first zero character, read by what the bytes are:
//   - starting with the UTF-16 byte-order mark FF FE or FE FF: UTF-16 little- or big-endian; the
//     mark is not part of the text, and an odd last byte becomes U+FFFD;
//   - UTF-8, also cut inside its last character (then U+FFFD) once a complete multi-byte
//     character has shown it is UTF-8: UTF-8, a UTF-8 byte-order mark staying as U+FEFF;
//   - anything else: the system's ANSI code page (Windows-1252 on a Western system), so that the
//     letters of an 8-bit file survive rather than becoming U+FFFD.
// A text that is not complete is never handed out: every failure gives no text at all.
LoadedText LoadTextFile(std::u16string_view path, FileSystem& fileSystem = RealFileSystem());

// Writes the text's UTF-8 bytes to the file, replacing it. Returns 1 when the whole text is in
// place, 0 otherwise; the text goes to a temporary file beside the path first and is flushed to
// the disk, so a failed save leaves an existing file as it was, and a replaced file goes to the
// Recycle Bin or stays beside it under a visible name (see PutInPlace), which keptOldFile, when
// given, receives (empty when nothing stays). A path that is no place for a file (a folder, a
// device such as NUL, a read-only or busy file) fails at once.
int SaveTextFile(std::u16string_view path, std::u16string_view text,
                 FileSystem& fileSystem = RealFileSystem(), std::u16string* keptOldFile = nullptr);

}  // namespace vexmora
