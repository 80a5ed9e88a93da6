// The toolkit's own events waiting to be taken, and what the last one taken named. Shared by the
// backends.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "toolkit/toolkit.h"

namespace vexmora {

class EventQueue {
  public:
    void Push(int code, Identity control, Identity window, std::vector<std::u16string> files = {}) {
        events_.push_back({code, control, window, std::move(files)});
    }
    bool Empty() const { return events_.empty(); }
    std::size_t Size() const { return events_.size(); }

    // Takes the oldest event and returns its code; remembers its control (for a ControlEvent) or
    // window (for a CloseWindowEvent) or files (for a DropFilesEvent). 0 when there is none.
    int Take() {
        if (events_.empty()) {
            return 0;
        }
        Event event = std::move(events_.front());
        events_.pop_front();
        if (event.code == ControlEvent) {
            control_ = event.control;
        }
        if (event.code == CloseWindowEvent) {
            window_ = event.window;
        }
        if (event.code == DropFilesEvent) {
            files_ = std::move(event.files);
        }
        return event.code;
    }
    Identity LastControl() const { return control_; }
    Identity LastWindow() const { return window_; }
    const std::vector<std::u16string>& LastFiles() const { return files_; }

  private:
    struct Event {
        int code;
        Identity control;
        Identity window;
        std::vector<std::u16string> files;
    };
    std::deque<Event> events_;
    Identity control_ = kNoIdentity;
    Identity window_ = kNoIdentity;
    std::vector<std::u16string> files_;
};

}  // namespace vexmora
