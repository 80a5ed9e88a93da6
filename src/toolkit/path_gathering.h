// Processes of one session that are started with paths gather their paths in the first of them,
// for as long as it receives: Explorer starts one process per selected item for a verb, and the
// user expects one prompt for the whole selection. The starts are not evenly spaced (a busy
// machine may take seconds for one), so the first decides how long it receives, not a clock.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vexmora {

// Where the first process receives the others' paths, while it is open.
class PathInbox {
  public:
    // Decides a hand-in as it arrives: true takes the paths (their process ends), false refuses
    // them (their process goes on alone). `kind` is what the sender was asked to do (a verb's
    // direction, say), as it gave it. Called while the toolkit waits for events (WaitEvent), on
    // the same thread; the sender waits for the answer, so a receiver must be quick: it may queue
    // the paths, never walk them.
    using Receiver =
        std::function<bool(std::u16string_view kind, std::vector<std::u16string> paths)>;

    virtual ~PathInbox() = default;
    // Hand-ins go to `receiver` from now on; with none (the start), every hand-in is refused.
    virtual void Receive(Receiver receiver) = 0;
    // Refuses every later hand-in and lets a new gathering begin.
    virtual void Close() = 0;
};

struct PathGathering {
    // The first process took the paths: this process has nothing more to do.
    bool handedOver = false;
    // This process is the first: later ones hand their paths in here. Null when handed over, or
    // when no gathering can be had (then the process goes on alone with its own paths).
    std::unique_ptr<PathInbox> inbox;
};

// Hands `paths` (with their `kind`) to the first process of the session's gathering, or becomes
// that first process. Never drops a path: when the first refuses the paths or cannot be reached,
// the result is neither handed over nor an inbox. A sender lets the first process take the
// foreground, so that the prompt it widens or opens comes to the front.
PathGathering JoinPathGathering(std::u16string_view kind, std::span<const std::u16string> paths);

}  // namespace vexmora
