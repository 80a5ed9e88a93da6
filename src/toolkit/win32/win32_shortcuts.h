// Keys that stand for a button of a top-level window (Esc for "Cancel", Ctrl+O for "Load", ...):
// recognised in the message loop before the focused control sees the key.
#pragma once

#include <windows.h>

#include <vector>

#include "toolkit/toolkit.h"

namespace vexmora {

class ShortcutTable {
  public:
    // `key` in `window` (a top-level window) stands for `button`; replaces an earlier button.
    void Add(HWND window, ShortcutKey key, Identity button);
    // Forgets the shortcuts of a window that is going away.
    void Forget(HWND window);
    // The button that `key` stands for in `window`; kNoIdentity when none.
    Identity Button(HWND window, ShortcutKey key) const;

    // The button that a message stands for: the first press (not an auto-repeat) of a shortcut
    // key, with exactly its modifiers, in the window the shortcut belongs to or one of its
    // controls. kNoIdentity for every other message.
    Identity Match(const MSG& message) const;

  private:
    struct Entry {
        HWND window;
        ShortcutKey key;
        Identity button;
    };
    std::vector<Entry> entries_;
};

}  // namespace vexmora
