// The toolkit's own events waiting to be taken, and what the last one taken named. Shared by the
// backends.
#pragma once

#include <deque>

#include "toolkit/toolkit.h"

namespace vexmora {

class EventQueue {
  public:
    void Push(int code, Identity control, Identity window) {
        events_.push_back({code, control, window});
    }
    bool Empty() const { return events_.empty(); }
    std::size_t Size() const { return events_.size(); }

    // Takes the oldest event and returns its code; remembers its control (for a ControlEvent) or
    // window (for a CloseWindowEvent). 0 when there is none.
    int Take() {
        if (events_.empty()) {
            return 0;
        }
        const Event event = events_.front();
        events_.pop_front();
        if (event.code == ControlEvent) {
            control_ = event.control;
        }
        if (event.code == CloseWindowEvent) {
            window_ = event.window;
        }
        return event.code;
    }
    Identity LastControl() const { return control_; }
    Identity LastWindow() const { return window_; }

  private:
    struct Event {
        int code;
        Identity control;
        Identity window;
    };
    std::deque<Event> events_;
    Identity control_ = kNoIdentity;
    Identity window_ = kNoIdentity;
};

}  // namespace vexmora
