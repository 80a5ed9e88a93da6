// Owners of the Win32 resources the program holds. Each owner releases its resource exactly once,
// in its destructor or when a new one is put in its place, so no caller pairs an acquire with a
// release by hand; ownership moves, it is never copied.
#pragma once

#include <windows.h>
// After windows.h:
#include <objbase.h>
#include <shellapi.h>
#include <wincrypt.h>

#include <type_traits>
#include <utility>

namespace vexmora {

// Holds one resource of Traits::Handle and gives it back with Traits::Release. Both the default
// value and, for kernel handles, INVALID_HANDLE_VALUE mean "none".
template <typename Traits>
class UniqueResource {
  public:
    using Handle = typename Traits::Handle;

    UniqueResource() = default;
    explicit UniqueResource(Handle handle) : handle_(handle) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : handle_(other.Detach()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        Reset(other.Detach());
        return *this;
    }
    ~UniqueResource() { Close(); }

    Handle Get() const { return handle_; }
    Handle operator->() const requires std::is_pointer_v<Handle> { return handle_; }
    bool Valid() const {
        if constexpr (std::is_same_v<Handle, HANDLE>) {
            return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE;
        } else {
            return handle_ != Handle{};
        }
    }
    explicit operator bool() const { return Valid(); }

    // Releases the resource now. Returns whether there was one and the system released it
    // (a file's last write can fail only here).
    bool Close() {
        const bool held = Valid();
        const Handle handle = std::exchange(handle_, Handle{});
        return held && Traits::Release(handle);
    }
    // Releases the current resource and takes ownership of handle.
    void Reset(Handle handle = Handle{}) {
        if (handle != handle_) {
            Close();
            handle_ = handle;
        }
    }
    // Gives the resource up without releasing it.
    Handle Detach() { return std::exchange(handle_, Handle{}); }
    // For functions that hand out a resource through an out parameter; releases the current one.
    Handle* Receive() {
        Close();
        return &handle_;
    }

  private:
    Handle handle_{};
};

namespace release {

// The Win32 functions that release one resource and return nonzero on success.
template <typename H, auto Function>
struct By {
    using Handle = H;
    static bool Release(Handle handle) { return Function(handle) != 0; }
};
struct CryptProvider {
    using Handle = HCRYPTPROV;
    static bool Release(Handle provider) { return CryptReleaseContext(provider, 0) != 0; }
};
struct Hdrop {
    using Handle = HDROP;
    static bool Release(Handle drop) {
        DragFinish(drop);
        return true;
    }
};
// GlobalFree returns null on success.
struct GlobalMemory {
    using Handle = HGLOBAL;
    static bool Release(Handle memory) { return GlobalFree(memory) == nullptr; }
};
template <typename T>
struct ComObject {
    using Handle = T*;
    static bool Release(Handle object) {
        object->Release();
        return true;
    }
};

}  // namespace release

using UniqueHandle = UniqueResource<release::By<HANDLE, &CloseHandle>>;
using UniqueFind = UniqueResource<release::By<HANDLE, &FindClose>>;
using UniqueModule = UniqueResource<release::By<HMODULE, &FreeLibrary>>;
using UniqueFont = UniqueResource<release::By<HFONT, &DeleteObject>>;
using UniqueAcceleratorTable = UniqueResource<release::By<HACCEL, &DestroyAcceleratorTable>>;
using UniqueCryptProvider = UniqueResource<release::CryptProvider>;  // CryptReleaseContext
using UniqueHdrop = UniqueResource<release::Hdrop>;                  // DragFinish
using UniqueGlobal = UniqueResource<release::GlobalMemory>;          // GlobalFree
// Owns one reference to a COM object; Receive() suits the T** out parameter of a factory.
template <typename T>
using ComPtr = UniqueResource<release::ComObject<T>>;

// The screen's device context, held only to read its capabilities.
class ScreenDc {
  public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    ~ScreenDc() {
        if (dc_ != nullptr) {
            ReleaseDC(nullptr, dc_);
        }
    }

    // GetDeviceCaps of the screen, e.g. LOGPIXELSX.
    int Capability(int index) const { return GetDeviceCaps(dc_, index); }

  private:
    HDC dc_;
};

// COM on the calling thread for the owner's lifetime (single-threaded apartment by default).
// A failed start leaves nothing to undo.
class ComInitialization {
  public:
    explicit ComInitialization(DWORD model = COINIT_APARTMENTTHREADED)
        : started_(SUCCEEDED(CoInitializeEx(nullptr, model))) {}
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;
    ~ComInitialization() {
        if (started_) {
            CoUninitialize();
        }
    }

    bool Started() const { return started_; }

  private:
    bool started_;
};

}  // namespace vexmora
