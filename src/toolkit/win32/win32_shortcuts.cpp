#include "toolkit/win32/win32_shortcuts.h"

#include <algorithm>
#include <array>

namespace vexmora {
namespace {

struct KeyChord {
    ShortcutKey key;
    WPARAM virtualKey;
    bool control;
};

constexpr std::array<KeyChord, 4> kChords = {{
    {ShortcutKey::Escape, VK_ESCAPE, false},
    {ShortcutKey::Enter, VK_RETURN, false},
    {ShortcutKey::CtrlO, 'O', true},
    {ShortcutKey::CtrlS, 'S', true},
}};

bool Down(int virtualKey) {
    return GetKeyState(virtualKey) < 0;
}

}  // namespace

void ShortcutTable::Add(HWND window, ShortcutKey key, Identity button) {
    for (Entry& entry : entries_) {
        if (entry.window == window && entry.key == key) {
            entry.button = button;
            return;
        }
    }
    entries_.push_back({window, key, button});
}

void ShortcutTable::Forget(HWND window) {
    std::erase_if(entries_, [window](const Entry& entry) { return entry.window == window; });
}

Identity ShortcutTable::Button(HWND window, ShortcutKey key) const {
    for (const Entry& entry : entries_) {
        if (entry.window == window && entry.key == key) {
            return entry.button;
        }
    }
    return kNoIdentity;
}

Identity ShortcutTable::Match(const MSG& message) const {
    constexpr LPARAM kRepeat = LPARAM{1} << 30;  // the key was already down
    if (message.message != WM_KEYDOWN || (message.lParam & kRepeat) != 0 ||
        message.hwnd == nullptr || Down(VK_MENU) || Down(VK_SHIFT)) {
        return kNoIdentity;
    }
    const auto chord = std::find_if(kChords.begin(), kChords.end(), [&](const KeyChord& c) {
        return c.virtualKey == message.wParam && c.control == Down(VK_CONTROL);
    });
    if (chord == kChords.end()) {
        return kNoIdentity;
    }
    return Button(GetAncestor(message.hwnd, GA_ROOT), chord->key);
}

}  // namespace vexmora
