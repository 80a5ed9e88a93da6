// What the driver sees of the host under Wine: the desktop trash that stands in for the Recycle
// Bin, and host files (such as a FIFO) that the test run made for it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "driver/scratch_files.h"

namespace vexmora::e2e {

// The contents of the files that were moved from `path` to the Recycle Bin, in no set order;
// their entries are taken out of the bin. Empty when there is no bin to look into.
std::vector<Bytes> TakeRecycled(const std::wstring& path);

// The command line of every process on the host, as /proc/<pid>/cmdline holds it (arguments
// separated by zero bytes; under Wine a Windows program's command line as Windows shows it). The
// kernel's view, as process monitors and audit logs read it. Processes that end while they are
// read are left out.
std::vector<Bytes> HostCommandLines();

// The Windows path of the host path in the environment variable `name`; empty when it is not set.
std::optional<std::wstring> HostPathFromEnvironment(const wchar_t* name);

}  // namespace vexmora::e2e
