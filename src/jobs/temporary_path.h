#pragma once

#include <string>
#include <string_view>

namespace vexmora {

// A fresh name for a temporary file in the same folder as path (so that it can be moved over
// path in one step): the folder part of path (up to its last slash or backslash, or its drive
// "C:") + "~vx" + 8 random hex digits + ".tmp". At 15 characters it fits beside any legal name.
std::u16string TemporaryPathBeside(std::u16string_view path);

}  // namespace vexmora
