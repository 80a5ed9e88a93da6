// Names that Windows reserves for devices, whatever folder they stand in.
#pragma once

#include <string_view>

namespace vexmora {

// Whether the last part of path is a device name on Windows: CON, PRN, AUX, NUL, COM1 to COM9,
// LPT1 to LPT9 (also with the superscript digits 1 to 3), CONIN$ or CONOUT$, in any case, with
// any extension, trailing spaces or a colon. "C:\docs\nul.txt" is the NUL device, not a file.
bool IsDeviceName(std::u16string_view path);

}  // namespace vexmora
