// The EFF large word list as the program carries it: its 7,776 words in the file's order (the dice
// numbers are dropped). The table is generated from eff_large_wordlist.txt by
// third_party/CMakeLists.txt, which also checks the file's form.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace vexmora::eff {

inline constexpr std::size_t kLargeWordListSize = 7776;

extern const std::array<std::string_view, kLargeWordListSize> kLargeWordList;

}  // namespace vexmora::eff
