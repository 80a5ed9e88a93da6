// What the paths given on the command line (by Explorer's verbs, Send To or a double-click) ask
// for: which files to encrypt or decrypt, and the sentence the password prompt says about them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "crypto/direction.h"
#include "platform/file_system.h"

namespace vexmora {

struct SelectedFile {
    std::u16string path;
    std::int64_t size = -1;  // as the folder's listing gave it; -1 for a file given by its path
    friend bool operator==(const SelectedFile&, const SelectedFile&) = default;
};

// What a walk over some paths found, before a direction is chosen: walks of paths handed in one
// after the other are merged (Merge) and decided on once (Decide).
struct FoundFile {
    SelectedFile file;
    bool container = false;  // its name ends in ".vx", any case
    bool given = false;      // given by its own path, not found in a folder
};
struct FoundFiles {
    std::vector<std::u16string> paths;  // the paths walked, in their order
    std::vector<FoundFile> files;       // in the order they were found
    std::size_t folders = 0;            // paths that are folders
    std::vector<std::u16string> gone;   // paths that were neither file nor folder
};

struct FileSelection {
    Direction direction = kEncrypt;
    std::vector<SelectedFile> files;    // one job each, in the order they were found
    std::u16string caption;             // "Decrypt notes.txt.vx", "Encrypt 3 files", ...
    std::vector<std::u16string> paths;  // what it was selected from
    // Said, under the info caption, instead of asking for a password when there are no files:
    // "Nothing to encrypt in Photos".
    std::u16string nothingToDo;
};

// Whether there are paths and each is an existing regular file or a readable folder.
bool AllFilesOrFolders(FileSystem& disk, std::span<const std::u16string> paths);

// The files of the paths: a file counts as given, a folder by its files, walked down through its
// subfolders. Hidden system files in folders (desktop.ini, Thumbs.db) are the system's, not the
// user's: they are passed over. Links and junctions are not followed, and no folder is entered
// twice (by identity: under Wine a Unix link to a folder looks like a folder); placeholders of
// cloud files are files like any other. A path that is neither an existing file nor a readable
// folder goes to `gone`. Runs on any thread: it only asks the disk.
FoundFiles WalkPaths(FileSystem& disk, std::span<const std::u16string> paths);
void Merge(FoundFiles& into, FoundFiles more);

// The direction and files. With `chosen` (a verb that names its direction), files in folders go
// that way when their names fit it (plain files are encrypted, containers decrypted), and a file
// given by its own path goes that way whatever its name. Without it the names decide: with any
// plain file the selection encrypts the plain files and leaves the containers alone, with none it
// decrypts the containers. A file found twice is one job.
FileSelection Decide(const FoundFiles& found, std::optional<Direction> chosen = std::nullopt);

// WalkPaths and Decide at once. Nothing when there are no paths, or one is neither an existing
// file nor a readable folder.
std::optional<FileSelection> SelectFiles(FileSystem& disk, std::span<const std::u16string> paths,
                                         std::optional<Direction> chosen = std::nullopt);

}  // namespace vexmora
