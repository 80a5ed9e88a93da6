#include <windows.h>
// wincrypt.h needs the types of windows.h first.
#include <wincrypt.h>

#include <algorithm>

#include "platform/system_random.h"

namespace vexmora {

SystemRandomSource::~SystemRandomSource() {
    Close();
}

bool SystemRandomSource::Open() {
    if (!open_) {
        HCRYPTPROV provider = 0;
        if (CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL,
                                 CRYPT_VERIFYCONTEXT | CRYPT_SILENT)) {
            handle_ = provider;
            open_ = true;
        }
    }
    return open_;
}

void SystemRandomSource::Close() {
    if (open_) {
        CryptReleaseContext(static_cast<HCRYPTPROV>(handle_), 0);
        handle_ = 0;
        open_ = false;
    }
}

bool SystemRandomSource::Fill(std::span<std::uint8_t> destination) {
    if (!open_) {
        return false;
    }
    // CryptGenRandom takes a 32-bit count.
    constexpr std::size_t kMaxRequest = 0x40000000;
    for (std::size_t done = 0; done < destination.size();) {
        DWORD request = static_cast<DWORD>(std::min(kMaxRequest, destination.size() - done));
        if (!CryptGenRandom(static_cast<HCRYPTPROV>(handle_), request, destination.data() + done)) {
            return false;
        }
        done += request;
    }
    return true;
}

}  // namespace vexmora
