#include <sys/random.h>

#include <cerrno>

#include "platform/system_random.h"

namespace vexmora {

// getrandom(2) needs no handle.
struct SystemRandomSource::Native {};

SystemRandomSource::SystemRandomSource() = default;

SystemRandomSource::~SystemRandomSource() {
    Close();
}

bool SystemRandomSource::Open() {
    if (!open_) {
        // A zero-byte request tells whether the kernel offers getrandom at all.
        std::uint8_t probe = 0;
        open_ = getrandom(&probe, 0, 0) == 0;
    }
    return open_;
}

void SystemRandomSource::Close() {
    open_ = false;
}

bool SystemRandomSource::Fill(std::span<std::uint8_t> destination) {
    if (!open_) {
        return false;
    }
    std::size_t done = 0;
    while (done < destination.size()) {
        ssize_t got = getrandom(destination.data() + done, destination.size() - done, 0);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace vexmora
