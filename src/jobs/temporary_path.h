#pragma once

#include <string>
#include <string_view>

namespace vexmora {

// A fresh name for a temporary file in the same folder as path (so that it can be moved over
// path in one step): path + "." + 8 random hex digits + ".tmp".
std::u16string TemporaryPathBeside(std::u16string_view path);

}  // namespace vexmora
