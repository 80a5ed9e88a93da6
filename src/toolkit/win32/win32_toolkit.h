// The toolkit over Win32, shared by its files, one per concern: windows and message boxes
// (win32_toolkit.cpp), controls (win32_controls.cpp), the event pump and keyboard
// (win32_event_pump.cpp), file dialogs (win32_file_dialog.cpp), DPI and fonts
// (win32_dpi_fonts.cpp), names for screen readers (win32_accessible_names.cpp), colours and the
// light or dark look (win32_appearance.cpp).
#pragma once

#include <windows.h>
// After windows.h:
#include <commctrl.h>

#include <map>
#include <string>

#include "platform/win32/unique_resources.h"
#include "toolkit/appearance.h"
#include "toolkit/event_queue.h"
#include "toolkit/toolkit.h"
#include "toolkit/win32/win32_accessible_names.h"
#include "toolkit/win32/win32_appearance_system.h"
#include "toolkit/win32/win32_program_icon.h"
#include "toolkit/win32/win32_shortcuts.h"
#include "toolkit/win32/win32_taskbar_progress.h"

namespace vexmora {

// The control that a top-level window gives the focus to when it is activated again; nullptr as
// the control forgets it (before the window goes).
void RememberFocus(HWND window, HWND control);
HWND RememberedFocus(HWND window);

// Class name, style and extended style of a control kind.
struct ControlClass {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

class Win32Toolkit final : public Toolkit {
  public:
    Win32Toolkit();
    ~Win32Toolkit() override;

    void MakeProcessDpiAware() override;
    int LogicalPixelsX() override;
    void SetDefaultControlFont(std::u16string_view face, int points) override;
    Identity OpenWindow(const WindowArgs& args) override;
    Identity CreateControl(Identity window, const ControlArgs& args) override;
    void CloseWindow(Identity window) override;
    int WaitEvent(int timeoutMs) override;
    Identity EventControl() const override { return events_.LastControl(); }
    Identity EventWindow() const override { return events_.LastWindow(); }
    std::vector<std::u16string> EventFiles() const override { return events_.LastFiles(); }
    void AddShortcut(Identity window, ShortcutKey key, Identity button) override;
    void SetProgressMaximum(Identity bar, std::int32_t maximum) override;
    void SetProgressPosition(Identity bar, std::int32_t position) override;
    void SetProgressState(Identity bar, BarState state) override;
    void SetTaskbarProgress(Identity window, TaskbarState state, std::uint64_t done,
                            std::uint64_t total) override {
        taskbar_.Show(HandleOf(window), state, done, total);
    }
    int ShowMessageBox(std::u16string_view caption, std::u16string_view text,
                       unsigned type) override;
    int ShowMessageBoxWithCheck(std::u16string_view caption, std::u16string_view text,
                                unsigned type, std::u16string_view checkText,
                                bool& checked) override;
    std::u16string ControlText(Identity control) override;
    void SetControlText(Identity control, std::u16string_view text) override;
    void SetControlName(Identity control, std::u16string_view name) override;
    bool CopyToClipboard(std::u16string_view text) override;
    std::u16string ShowFileDialog(const FileDialogArgs& args) override;
    void FocusControl(Identity control) override;
    void EnableControl(Identity control, bool enabled) override;
    void ShowControl(Identity control, bool shown) override;
    void ShowBusy(bool busy) override;

  private:
    struct Entry {
        HWND hwnd = nullptr;
        Identity window = kNoIdentity;  // kNoIdentity for a top-level window
        std::wstring className;         // top-level windows: their own registered class
        ControlKind kind = ControlKind::Label;
        HWND owner = nullptr;      // top-level windows: the window this one is a dialog of
        bool barColoured = false;  // progress bars: SetProgressState gave it a state's colour
    };

    // Event pump and keyboard.
    static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Carries out a key message for the program's window `root`; false when it is left to the
    // control it was sent to.
    bool HandleKey(HWND root, MSG& message);

    // Controls.
    ControlClass ClassOf(ControlKind kind);
    // The font set by SetDefaultControlFont, else the system's GUI font.
    HFONT ControlFont() const;

    // Colours and the look (win32_appearance.cpp). StyleControl gives a control the current
    // scheme's theme and colours; FollowSchemeChange styles and redraws every window after the
    // settings changed. PaintBackground fills a window's client area and ControlColours answers
    // WM_CTLCOLOR*: false and nullptr where the system's colours hold. DrawButton answers a push
    // button's NM_CUSTOMDRAW.
    void StyleControl(HWND control, const Entry& entry);
    void FollowSchemeChange();
    bool PaintBackground(HWND window, HDC dc);
    HBRUSH ControlColours(HWND control, HDC dc);
    LRESULT DrawButton(const NMCUSTOMDRAW& draw);
    // Group boxes and the edges of fields in the dark palette (a subclass of those controls).
    static LRESULT CALLBACK PaintedInPalette(HWND control, UINT message, WPARAM wParam,
                                             LPARAM lParam, UINT_PTR id, DWORD_PTR data);

    Identity IdentityOf(HWND hwnd) const;
    const Entry* EntryOf(HWND hwnd) const;
    HWND HandleOf(Identity identity) const;

    // Declared first so that they outlive every window: the modules that define control classes
    // and COM for the file dialogs.
    ComInitialization com_;
    UniqueModule richEditModule_;
    const wchar_t* richEditClass_ = nullptr;
    TaskbarProgress taskbar_;  // COM objects: released before COM ends
    AccessibleNames names_;
    Win32AppearanceSystem appearanceSystem_;
    Appearance appearance_{appearanceSystem_};

    HINSTANCE instance_ = GetModuleHandleW(nullptr);
    ProgramIcons icons_ = LoadProgramIcons(instance_);
    ShortcutTable shortcuts_;
    UniqueFont font_;
    int classCount_ = 0;
    Identity lastIdentity_ = kNoIdentity;
    std::map<Identity, Entry> entries_;
    std::map<HWND, Identity> identities_;
    EventQueue events_;
    HCURSOR cursorBeforeBusy_ = nullptr;
};

}  // namespace vexmora
