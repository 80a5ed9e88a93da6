#include <algorithm>

#include "platform/system_random.h"
#include "platform/win32/unique_resources.h"

namespace vexmora {

struct SystemRandomSource::Native {
    UniqueCryptProvider provider;
};

SystemRandomSource::SystemRandomSource() = default;

SystemRandomSource::~SystemRandomSource() {
    Close();
}

bool SystemRandomSource::Open() {
    if (!open_) {
        UniqueCryptProvider provider;
        if (CryptAcquireContextA(provider.Receive(), nullptr, nullptr, PROV_RSA_FULL,
                                 CRYPT_VERIFYCONTEXT | CRYPT_SILENT)) {
            native_ = std::make_unique<Native>(Native{std::move(provider)});
            open_ = true;
        }
    }
    return open_;
}

void SystemRandomSource::Close() {
    native_.reset();
    open_ = false;
}

bool SystemRandomSource::Fill(std::span<std::uint8_t> destination) {
    if (!open_) {
        return false;
    }
    // CryptGenRandom takes a 32-bit count.
    constexpr std::size_t kMaxRequest = 0x40000000;
    for (std::size_t done = 0; done < destination.size();) {
        DWORD request = static_cast<DWORD>(std::min(kMaxRequest, destination.size() - done));
        if (!CryptGenRandom(native_->provider.Get(), request, destination.data() + done)) {
            return false;
        }
        done += request;
    }
    return true;
}

}  // namespace vexmora
