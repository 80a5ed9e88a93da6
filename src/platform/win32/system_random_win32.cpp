#include <algorithm>

#include "platform/system_random.h"
#include "platform/win32/unique_resources.h"
// After windows.h:
#include <bcrypt.h>

namespace vexmora {

// The system-preferred generator needs no algorithm handle: nothing to hold between calls.
struct SystemRandomSource::Native {};

SystemRandomSource::SystemRandomSource() = default;

SystemRandomSource::~SystemRandomSource() {
    Close();
}

namespace {

bool SystemPreferredRandom(std::uint8_t* destination, ULONG count) {
    return BCryptGenRandom(nullptr, destination, count, BCRYPT_USE_SYSTEM_PREFERRED_RNG) >= 0;
}

}  // namespace

bool SystemRandomSource::Open() {
    if (!open_) {
        // A draw that is thrown away tells whether the system's generator answers at all.
        std::uint8_t probe[16];
        open_ = SystemPreferredRandom(probe, sizeof probe);
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
    // BCryptGenRandom takes a 32-bit count.
    constexpr std::size_t kMaxRequest = 0x40000000;
    for (std::size_t done = 0; done < destination.size();) {
        const auto request = static_cast<ULONG>(std::min(kMaxRequest, destination.size() - done));
        if (!SystemPreferredRandom(destination.data() + done, request)) {
            return false;
        }
        done += request;
    }
    return true;
}

}  // namespace vexmora
