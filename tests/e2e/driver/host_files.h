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

// While it lives, the Recycle Bin cannot take anything: the desktop trash folder moves aside and
// a plain file takes its name. (Taking the folder's write permission away would not do: the test
// runs may be root's, whom no permission stops.) Wine's shell then deletes for good what it was
// to recycle, as Windows' does where it cannot recycle.
class UnusableTrash {
  public:
    UnusableTrash();
    ~UnusableTrash();
    UnusableTrash(const UnusableTrash&) = delete;
    UnusableTrash& operator=(const UnusableTrash&) = delete;
    bool Active() const { return active_; }

  private:
    std::wstring trash_;
    std::wstring aside_;
    bool active_ = false;
};

// The command line of every process on the host, as /proc/<pid>/cmdline holds it (arguments
// separated by zero bytes; under Wine a Windows program's command line as Windows shows it). The
// kernel's view, as process monitors and audit logs read it. Processes that end while they are
// read are left out.
std::vector<Bytes> HostCommandLines();

// The Windows path of the host path in the environment variable `name`; empty when it is not set.
std::optional<std::wstring> HostPathFromEnvironment(const wchar_t* name);

}  // namespace vexmora::e2e
