// DPI scaling: every length of the user interface is designed at 96 dpi and converted once.
#pragma once

#include "toolkit/toolkit.h"

namespace vexmora {

// Makes the process DPI-aware, sets the DPI scale to the screen's horizontal logical pixels per
// inch / 96, and makes 9-point "Segoe UI" the font of every control created afterwards. Run once
// at start-up, before the first window.
void InitDpiScaling(Toolkit& toolkit);

// 1.0 until InitDpiScaling has run.
double DpiScale();

// length * DpiScale(), rounded to the nearest integer with exact halves to the even neighbour.
int Scaled(int length);

}  // namespace vexmora
