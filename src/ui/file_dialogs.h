// Choosing files: the system dialogs, opened in the last-used folder, with the program's own
// question before an existing file is replaced.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "toolkit/toolkit.h"

namespace vexmora {

// Opens the dialog in the last-used folder with the first pair of the pattern preselected. For
// saving onto an existing file, asks the overwrite question; anything but Yes gives no path.
// A chosen path makes its folder the last-used folder. Returns the path, empty for none.
std::u16string ChooseFile(Toolkit& toolkit, std::u16string_view pattern, bool forSaving,
                          FileSystem& fileSystem = RealFileSystem());

// Asks the overwrite question when path names an existing file; with `named`, the path stands on
// a line of its own above the question, for questions that come without a dialog before them.
// When what is at the path cannot be told (no access, an error), refuses with a box instead:
// nothing is replaced unasked. True when the path may be written: it names nothing yet, or not a
// file (a folder or device, which the writing itself refuses), or the user answered Yes.
bool MayReplace(Toolkit& toolkit, std::u16string_view path,
                FileSystem& fileSystem = RealFileSystem(), bool named = false);

// The dialog with an initial folder and file name taken from defaultPath: the part before its
// last backslash (after the first character) is the folder, the rest the file name; a name that
// is not a valid file name (see IsValidFileName) is not offered.
std::u16string ShowFileDialog(Toolkit& toolkit, std::u16string_view title,
                              const std::optional<std::u16string>& defaultPath,
                              std::u16string_view pattern, int patternIndex, bool forSaving);

// The folder of the last chosen file, with its separator; absent until a file was chosen. Lives
// only in memory.
const std::optional<std::u16string>& LastUsedFolder();
void ForgetLastUsedFolder();

}  // namespace vexmora
