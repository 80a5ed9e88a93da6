// Processes of one session that are started with paths at nearly the same time gather their paths
// in the first of them: Explorer starts one process per selected item for a verb, and the user
// expects one prompt for the whole selection.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vexmora {

// Where the first process receives the others' paths, while it is open.
class PathInbox {
  public:
    virtual ~PathInbox() = default;
    // The paths handed in since the last call, in the order they came. Hand-ins arrive while the
    // toolkit waits for events (WaitEvent), on the same thread.
    virtual std::vector<std::u16string> Take() = 0;
    // Refuses every later hand-in (their processes go on alone) and lets a new gathering begin.
    virtual void Close() = 0;
};

struct PathGathering {
    // The first process took the paths: this process has nothing more to do.
    bool handedOver = false;
    // This process is the first: later ones hand their paths in here. Null when handed over, or
    // when no gathering can be had (then the process goes on alone with its own paths).
    std::unique_ptr<PathInbox> inbox;
};

// Hands `paths` to the first process of the session's gathering, or becomes that first process.
// Never drops a path: when the first cannot be reached, the result is neither handed over nor an
// inbox.
PathGathering JoinPathGathering(std::span<const std::u16string> paths);

}  // namespace vexmora
