// The clipboard: a generated passphrase is copied so that it can go into a password manager.
#include <cstring>

#include "platform/win32/wide_string.h"
#include "toolkit/win32/win32_toolkit.h"

namespace vexmora {
namespace {

// Open for as long as it lives: another program waits for the clipboard meanwhile.
class OpenedClipboard {
  public:
    explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != 0) {}
    ~OpenedClipboard() {
        if (open_) {
            CloseClipboard();
        }
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    explicit operator bool() const { return open_; }

  private:
    bool open_;
};

UniqueGlobal GlobalCopy(const void* data, std::size_t size) {
    UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!memory) {
        return {};
    }
    void* target = GlobalLock(memory.Get());
    if (target == nullptr) {
        return {};
    }
    std::memcpy(target, data, size);
    GlobalUnlock(memory.Get());
    return memory;
}

// Placed beside a secret, these formats keep it out of the clipboard history (Win+V) and the
// cloud clipboard, as Windows documents for password managers; older systems ignore them.
void MarkAsSecret() {
    const DWORD no = 0;
    for (const wchar_t* format : {L"CanIncludeInClipboardHistory", L"CanUploadToCloudClipboard"}) {
        const UINT id = RegisterClipboardFormatW(format);
        UniqueGlobal value = GlobalCopy(&no, sizeof(no));
        if (id != 0 && value && SetClipboardData(id, value.Get()) != nullptr) {
            value.Detach();  // the clipboard owns it now
        }
    }
}

}  // namespace

bool Win32Toolkit::CopyToClipboard(std::u16string_view text) {
    // A clipboard opened without a window cannot take data: EmptyClipboard leaves it ownerless.
    HWND owner = nullptr;
    for (const auto& [identity, entry] : entries_) {
        if (entry.window == kNoIdentity && IsWindowVisible(entry.hwnd)) {
            owner = entry.hwnd;
        }
    }
    OpenedClipboard clipboard(owner);
    if (owner == nullptr || !clipboard || EmptyClipboard() == 0) {
        return false;
    }
    std::wstring wide = ToWide(text);
    UniqueGlobal memory = GlobalCopy(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    SecureZeroMemory(wide.data(), wide.size() * sizeof(wchar_t));
    if (!memory || SetClipboardData(CF_UNICODETEXT, memory.Get()) == nullptr) {
        return false;
    }
    memory.Detach();
    MarkAsSecret();
    return true;
}

}  // namespace vexmora
