// What the paths given on the command line (by Explorer's verbs, Send To or a double-click) ask
// for: which files to encrypt or decrypt, and the sentence the password prompt says about them.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "crypto/direction.h"
#include "platform/file_system.h"

namespace vexmora {

struct FileSelection {
    Direction direction = kEncrypt;
    std::vector<std::u16string> files;  // one job each, in the order they were found
    std::u16string caption;             // "Decrypt notes.txt.vx", "Encrypt 3 files", ...
    std::vector<std::u16string> paths;  // what it was selected from
};

// Whether there are paths and each is an existing regular file or a readable folder.
bool AllFilesOrFolders(FileSystem& disk, std::span<const std::u16string> paths);

// The files of the paths: a file counts as given, a folder by its files, walked down through its
// subfolders. Files whose name ends in ".vx" (any case) are containers, the rest plain files.
// With any plain file the selection encrypts the plain files and leaves the containers alone;
// with none it decrypts the containers. Links and junctions are not followed, and no folder is
// entered twice (by identity: under Wine a Unix link to a folder looks like a folder).
// Nothing when there are no paths, or one is neither an existing file nor a readable folder.
std::optional<FileSelection> SelectFiles(FileSystem& disk, std::span<const std::u16string> paths);

}  // namespace vexmora
