// The gathering is a named mutex in the session's namespace, whose owner is the first process,
// and a message-only window of a known class, which takes the others' paths by WM_COPYDATA: the
// kind, then the paths one after the other, each ended by a zero unit.
#include <windows.h>

#include <chrono>
#include <functional>

#include "platform/win32/unique_resources.h"
#include "toolkit/path_gathering.h"

namespace vexmora {
namespace {

constexpr wchar_t kMutexName[] = L"Local\\Vexmora.PathGathering";
constexpr wchar_t kClassName[] = L"Vexmora.PathGathering";
constexpr ULONG_PTR kPathsTag = 0x56585061;  // marks our WM_COPYDATA among others
// The first process's answers; anything else (no answer, a time-out) means not reached.
constexpr LRESULT kTaken = 1;
constexpr LRESULT kRefused = 2;
// How long a later process tries to reach a first one that exists, and how long one hand-in may
// take. The first may still be making its window: the first window of a process can take
// seconds on a busy machine (under Wine it connects to the display then). Or it may be walking
// folders for the prompt it shows. A first process that has stopped answering is given up at once
// (SMTO_ABORTIFHUNG), and one that ends leaves the mutex to a waiter.
constexpr auto kReachFor = std::chrono::milliseconds(10000);
constexpr UINT kSendTimeoutMs = 10000;
constexpr DWORD kRetryMs = 20;

enum class HandIn { Taken, Refused, NotReached };

class Win32PathInbox final : public PathInbox {
  public:
    Win32PathInbox(UniqueHandle mutex) : mutex_(std::move(mutex)) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClassName;
        registered_ = RegisterClassExW(&windowClass) != 0;
        window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, nullptr);
        if (window_ != nullptr) {
            SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        }
    }
    ~Win32PathInbox() override { Close(); }

    bool Open() const { return window_ != nullptr; }

    void Receive(Receiver receiver) override { receiver_ = std::move(receiver); }

    void Close() override {
        receiver_ = nullptr;
        if (window_ != nullptr) {
            DestroyWindow(window_);
            window_ = nullptr;
        }
        if (registered_) {
            UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
            registered_ = false;
        }
        if (mutex_.Valid()) {
            ReleaseMutex(mutex_.Get());
            mutex_.Close();
        }
    }

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Win32PathInbox*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message != WM_COPYDATA || self == nullptr) {
            return DefWindowProcW(window, message, wParam, lParam);
        }
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data == nullptr || data->dwData != kPathsTag || data->cbData % sizeof(char16_t) != 0) {
            return FALSE;
        }
        const std::u16string_view all(static_cast<const char16_t*>(data->lpData),
                                      data->cbData / sizeof(char16_t));
        const std::size_t kindEnd = all.find(u'\0');
        if (kindEnd == std::u16string_view::npos) {
            return kRefused;
        }
        const std::u16string_view kind = all.substr(0, kindEnd);
        std::vector<std::u16string> paths;
        std::size_t start = kindEnd + 1;
        while (start < all.size()) {
            const std::size_t end = std::min(all.find(u'\0', start), all.size());
            if (end > start) {
                paths.emplace_back(all.substr(start, end - start));
            }
            start = end + 1;
        }
        // A copy: the receiver may replace itself.
        const Receiver receiver = self->receiver_;
        return receiver && !paths.empty() && receiver(kind, std::move(paths)) ? kTaken : kRefused;
    }

    UniqueHandle mutex_;
    bool registered_ = false;
    HWND window_ = nullptr;
    Receiver receiver_;
};

HandIn HandOver(std::u16string_view kind, std::span<const std::u16string> paths) {
    const HWND first = FindWindowExW(HWND_MESSAGE, nullptr, kClassName, nullptr);
    if (first == nullptr) {
        return HandIn::NotReached;
    }
    // Explorer gave this process the right to take the foreground; the first one needs it for
    // the prompt that our paths widen or open. Refused quietly where the system does not allow it.
    DWORD firstProcess = 0;
    if (GetWindowThreadProcessId(first, &firstProcess) != 0) {
        AllowSetForegroundWindow(firstProcess);
    }
    std::u16string all(kind);
    all += u'\0';
    for (const std::u16string& path : paths) {
        all += path;
        all += u'\0';
    }
    COPYDATASTRUCT data{kPathsTag, static_cast<DWORD>(all.size() * sizeof(char16_t)), all.data()};
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(first, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                            SMTO_ABORTIFHUNG | SMTO_BLOCK, kSendTimeoutMs, &answer) == 0) {
        return HandIn::NotReached;
    }
    return answer == kTaken     ? HandIn::Taken
           : answer == kRefused ? HandIn::Refused
                                : HandIn::NotReached;
}

}  // namespace

PathGathering JoinPathGathering(std::u16string_view kind, std::span<const std::u16string> paths) {
    // Owning the mutex makes a process the first. A later one waits for it while it tries to reach
    // the first: a first that closes its gathering releases it, one that ends abandons it, and
    // either way a waiter becomes the next first. That the mutex exists tells nothing: the
    // waiters' own handles keep it in existence.
    UniqueHandle mutex(CreateMutexW(nullptr, FALSE, kMutexName));
    if (!mutex.Valid()) {
        return {};
    }
    const auto giveUp = std::chrono::steady_clock::now() + kReachFor;
    DWORD wait = 0;
    for (;;) {
        const DWORD waited = WaitForSingleObject(mutex.Get(), wait);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
            auto inbox = std::make_unique<Win32PathInbox>(std::move(mutex));
            if (!inbox->Open()) {
                return {};
            }
            return {false, std::move(inbox)};
        }
        if (waited != WAIT_TIMEOUT) {
            return {};
        }
        switch (HandOver(kind, paths)) {
            case HandIn::Taken:
                return {true, nullptr};
            case HandIn::Refused:
                return {};
            case HandIn::NotReached:
                break;
        }
        if (std::chrono::steady_clock::now() >= giveUp) {
            return {};
        }
        wait = kRetryMs;
    }
}

}  // namespace vexmora
