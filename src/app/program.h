// The process entry, shared by both modes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crypto/direction.h"
#include "toolkit/toolkit.h"

namespace vexmora {

// Process exit codes.
inline constexpr int kExitSuccess = 0;        // a job that succeeded, and window mode
inline constexpr int kExitJobFailed = 1;      // a job that failed or was cancelled
inline constexpr int kExitNotUnderstood = 2;  // a file-job command line that fits no form

// Start-up (DPI scaling, the system random source, the key size), then the mode the command line
// selects. Returns the exit code.
int RunProgram(Toolkit& toolkit, std::u16string_view commandLine);

// One file job with the progress window. Returns kExitSuccess or kExitJobFailed. A file that the
// output replaced and that stays beside it (FileJobOutcome::keptOldFile) is named in a box when
// the main window started the job (fromWindow); a script's job shows none, so that it never waits
// for a click, and ends with kExitSuccess all the same.
int RunCommandLineJob(Toolkit& toolkit, std::u16string_view password, int direction,
                      std::u16string_view inputPath, std::u16string_view outputPath,
                      bool fromWindow = false);

// Paths given on the command line by Explorer (its verbs, Send To, a double-click): they join the
// paths of other processes of the same selection (see JoinPathGathering), and the first process
// shows one password prompt for all of them, then runs their files as one batch. `chosen` is the
// direction a verb named; without one the files' names decide (see SelectFiles). Paths that are
// gone by now are left out. Returns kExitSuccess when every file went through (or the paths were
// handed over), kExitJobFailed after a cancel, a failed file, or a selection with nothing to do.
int RunPromptMode(Toolkit& toolkit, std::vector<std::u16string> paths,
                  std::optional<Direction> chosen = std::nullopt);

// The main window and its event loop, until the window is closed. Returns kExitSuccess.
int RunWindowMode(Toolkit& toolkit);

}  // namespace vexmora
