// The choice of mode from the command line, and the path rule it uses.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "crypto/direction.h"

namespace vexmora {

struct FileJobRequest {
    int direction = 0;  // kEncrypt or kDecrypt
    std::u16string input;
    std::u16string output;
    std::u16string password;
    std::u16string passwordChannel;  // where a window's job reads its password; empty for scripts
    // The main window started this job: its password came through the channel, and a kept old
    // file is named in a box (a script's job shows none).
    bool fromWindow = false;
};

// Paths from an Explorer verb that names its direction, so that the files' names need not.
struct ExplorerRequest {
    Direction direction = kEncrypt;
    std::vector<std::u16string> paths;  // as given; they need not exist
};

enum class ModeKind {
    Window,    // the main window (or, for a line of existing paths only, the prompt)
    FileJob,   // one file job with the progress window
    Explorer,  // the password prompt for paths in the direction a verb chose
    Nothing,   // a file-job command line that fits no form: end at once
};

struct Mode {
    ModeKind kind = ModeKind::Window;
    FileJobRequest job;
    ExplorerRequest explorer;
};

// The accepted forms (parameter 0 compared without regard to case):
//   E in out password       encrypt in into out
//   E in password           encrypt in into in + ".vx"
//   D in out password       decrypt in into out
//   D in.vx password        decrypt into in without ".vx" (the extension must be exactly "vx")
// E or D with any other count, or D with 3 parameters and another extension: Nothing.
// Otherwise (fewer than 3 parameters, or a first parameter other than E or D), unless parameter
// 0 names a channel (below): Window.
//
// A job that the window starts carries no password on its command line:
//   <channel> E|D in out    (fromWindow; the password comes through the channel, see
//                            kSecretChannelPrefix)
// Every line whose parameter 0 starts with the channel prefix is such a job or, with any other
// count or letter, Nothing; it is never a window or a script's job. The rule keeps every script
// line as it was: a script's first parameter is E or D, so a password that looks like a channel
// (E in out /secret-pipe:5) is still that password, never a handle. Before, such a first parameter
// opened the window, where no file was touched. The channel is not read here: a name that is no
// channel fails the job (exit 1), it never falls back to a password taken from the line.
//
// The setup's context-menu verbs name their direction (ASCII letters in any case):
//   /direction:encrypt PATH...   Explorer, encrypting every file of the paths
//   /direction:decrypt PATH...   Explorer, decrypting
// The switch with no path, or with another value, is Nothing. Without the switch (Send To, the
// open verb of a .vx) a line of paths is Window here and the caller looks at the disk: the
// files' names decide. A script's line starts with E or D, so it never meets the switch.
Mode ChooseMode(std::u16string_view commandLine);

}  // namespace vexmora
