// The grid of the program's small password windows (the prompt and the repeat dialog), in 96-dpi
// units, so that both look alike: labels at the margin, fields from kFieldX, buttons at the
// bottom right.
#pragma once

namespace vexmora::dialog_grid {

inline constexpr int kClientWidth = 440;
inline constexpr int kMargin = 12;
inline constexpr int kRowStep = 28;
inline constexpr int kFieldX = 100;
inline constexpr int kButtonWidth = 85;
inline constexpr int kButtonHeight = 25;

}  // namespace vexmora::dialog_grid
