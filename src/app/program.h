// The process entry, shared by both modes.
#pragma once

namespace vexmora {

// Runs start-up and the mode the command line selects; returns the process exit code.
int RunProgram();

}  // namespace vexmora
