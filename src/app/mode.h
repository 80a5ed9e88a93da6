// The choice of mode from the command line, and the path rule it uses.
#pragma once

#include <string>
#include <string_view>

namespace vexmora {

struct FileJobRequest {
    int direction = 0;  // kEncrypt or kDecrypt
    std::u16string input;
    std::u16string output;
    std::u16string password;
    // Started by the main window, which passed the password privately; such a job tells the user
    // in a box about a kept old file.
    bool fromWindow = false;
};

enum class ModeKind {
    Window,   // the main window
    FileJob,  // one file job with the progress window
    Nothing,  // a file-job command line that fits no form: end at once
};

struct Mode {
    ModeKind kind = ModeKind::Window;
    FileJobRequest job;
};

// The accepted forms (parameter 0 compared without regard to case):
//   E in out password       encrypt in into out
//   E in password           encrypt in into in + ".vx"
//   D in out password       decrypt in into out
//   D in.vx password        decrypt into in without ".vx" (the extension must be exactly "vx")
// E or D with any other count, or D with 3 parameters and another extension: Nothing.
// Fewer than 3 parameters, or a first parameter other than E or D: Window.
Mode ChooseMode(std::u16string_view commandLine);

}  // namespace vexmora
