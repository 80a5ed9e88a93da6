// Path rules of the command line and the file dialogs.
#pragma once

#include <string>
#include <string_view>

namespace vexmora {

// The extension of a path without its dot, case kept; empty when there is none. The scan runs
// back from the end and stops at the first dot, slash, backslash or space; a dot in first place or
// right after a separator starts no extension; the extension ends at a double quote.
std::u16string ExtensionOf(std::u16string_view path);

// Whether the window takes a path as an encrypted container: its name ends in ".vx" in any case.
// (The file-job command line keeps its own, exact rule: see ChooseMode.)
bool IsContainerName(std::u16string_view path);

// The folder part of a path: up to and including its last backslash or slash; empty when there is
// none. A leading double quote is skipped, and the scan stops at the first "|".
std::u16string FolderOf(std::u16string_view path);

// Whether a bare file name may be offered in a file dialog: not empty, no character below 32, and
// none of  " * / : < > ? \ |
bool IsValidFileName(std::u16string_view name);

}  // namespace vexmora
