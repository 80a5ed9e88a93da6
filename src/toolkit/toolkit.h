// The window toolkit: windows, controls, identities, events and message boxes, in the program's
// own terms. The Win32 backend (toolkit/win32/) turns them into classes, styles and messages; the
// scripted backend (scripted_toolkit.h) records them for tests.
//
// Every length here is in device pixels: callers scale their 96-dpi design values first.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vexmora {

// What the toolkit assigns to each window and control it creates; 0 names nothing.
using Identity = std::int64_t;
inline constexpr Identity kNoIdentity = 0;

// Event codes. Platform message numbers stay below 0x10000, so the toolkit's own codes never
// collide with them.
inline constexpr int ControlEvent = 0x10001;      // a control was used (EventControl says which)
inline constexpr int CloseWindowEvent = 0x10002;  // close box, system menu or Alt+F4
inline constexpr int MenuEvent = 0x10003;         // a menu or accelerator command
inline constexpr int DropFilesEvent = 0x10004;    // files were dropped (EventFiles says which)

// Message box types and answers (the Win32 values).
inline constexpr unsigned kMessageBoxOk = 0x0;     // MB_OK
inline constexpr unsigned kMessageBoxYesNo = 0x4;  // MB_YESNO
// Added to a type: the second button (No) is the default, and the warning icon shows.
inline constexpr unsigned kMessageBoxDefaultSecond = 0x100;  // MB_DEFBUTTON2
inline constexpr unsigned kMessageBoxWarning = 0x30;         // MB_ICONWARNING
// The buttons of a type, without its default button and icon.
inline constexpr unsigned MessageBoxButtons(unsigned type) {
    return type & 0xF;
}
inline constexpr int kAnswerOk = 1;   // IDOK
inline constexpr int kAnswerYes = 6;  // IDYES
inline constexpr int kAnswerNo = 7;   // IDNO

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Keys that act on a window as a click on one of its buttons (see AddShortcut).
enum class ShortcutKey {
    Escape,
    Enter,
    CtrlO,
    CtrlS,
};

// What the taskbar button of a window shows over its icon.
enum class TaskbarState {
    None,    // nothing
    Normal,  // a progress bar at done / total
    Error,   // the bar in the error colour
};

enum class WindowPlacement {
    Centred,  // centred on the primary screen, clamped to 0 where it is larger than the screen
    TopLeft,  // outer top-left corner at the screen's (0, 0)
};

struct WindowArgs {
    std::u16string title;
    int clientWidth = 0;  // the client area; the frame is added around it
    int clientHeight = 0;
    bool minimizeBox = true;  // caption and system menu always; never sizable or maximizable
    WindowPlacement placement = WindowPlacement::Centred;
    bool acceptsFiles = false;  // files dropped on the window raise DropFilesEvent
    // A dialog of another window: it stays above its owner, and the owner takes no input until
    // the dialog is closed.
    Identity owner = kNoIdentity;
};

enum class ControlKind {
    GroupBox,
    Label,         // left-aligned static text, shown as given ("&" included)
    CentredLabel,  // centred static text, shown as given
    // Left-aligned static text that names the control created right after it: a screen reader
    // reads it as that control's name, and the letter after "&" (underlined, the "&" not shown)
    // is its access key: Alt+letter moves the focus to that control.
    FieldLabel,
    PasswordField,
    RichEdit,
    PushButton,
    ProgressBar,    // range 0..100 when created
    ReadOnlyField,  // one line of text that can be selected and copied, not changed
};

// The colour of a progress bar: what its value means to the user.
enum class BarState {
    Normal,   // the system's usual colour (green)
    Warning,  // yellow
    Error,    // red
};

struct ControlArgs {
    ControlKind kind = ControlKind::PushButton;
    Rect rect;  // relative to the window's client area
    // The text of a button or group box may mark its access key with "&", as a FieldLabel's:
    // Alt+letter clicks the button.
    std::u16string text = {};
    bool shown = true;  // false: created hidden (see ShowControl)
    // What a screen reader calls a control whose text does not name it (fields, the editor,
    // bars); see SetControlName. Empty: the label created before it names it.
    std::u16string name = {};
    // Controls that belong together (a row of buttons) form a group, in which the arrow keys
    // move the focus. true: the control joins the group of the one created before it; false: it
    // starts a group of its own.
    bool joinsGroup = false;
};

struct FileDialogArgs {
    std::u16string title;                         // shown as given, also when empty
    std::optional<std::u16string> initialFolder;  // absent: the system decides
    std::u16string initialFileName;
    std::u16string pattern;  // "label|mask|label|mask..."
    int patternIndex = 0;    // the pair shown first, from 0
    bool forSaving = false;
};

class Toolkit {
  public:
    virtual ~Toolkit() = default;
    Toolkit() = default;
    Toolkit(const Toolkit&) = delete;
    Toolkit& operator=(const Toolkit&) = delete;

    // DPI: declares the process DPI-aware where the system allows it (silently nothing
    // otherwise), reports the screen's horizontal logical pixels per inch, and sets the font of
    // every control created afterwards (a size in points, for the screen's vertical resolution).
    virtual void MakeProcessDpiAware() = 0;
    virtual int LogicalPixelsX() = 0;
    virtual void SetDefaultControlFont(std::u16string_view face, int points) = 0;

    // Opens and shows a top-level window; the controls created next are its children. Closing
    // destroys the window with its controls. kNoIdentity when the window cannot be made.
    virtual Identity OpenWindow(const WindowArgs& args) = 0;
    virtual Identity CreateControl(Identity window, const ControlArgs& args) = 0;
    virtual void CloseWindow(Identity window) = 0;

    // The next event: a toolkit event code, or the number of a platform message that has
    // already been dispatched, or 0 when nothing arrived within timeoutMs (0: do not wait).
    virtual int WaitEvent(int timeoutMs) = 0;
    int PollEvent() { return WaitEvent(0); }
    // The control of the last ControlEvent, and the window of the last CloseWindowEvent.
    virtual Identity EventControl() const = 0;
    virtual Identity EventWindow() const = 0;
    // The full paths of the last DropFilesEvent, in the order the system gave them (folders
    // included; nothing is checked).
    virtual std::vector<std::u16string> EventFiles() const = 0;

    // From now on, `key` pressed while `window` (or any of its controls) has the keyboard focus
    // raises a ControlEvent of `button`, as a click on it does; the key itself reaches no control.
    // A key given again for the same window is moved to the new button. Enter's button is the
    // window's default button, drawn as such; while another push button has the focus, Enter
    // clicks that one instead.
    //
    // The keyboard besides: Tab and Shift+Tab move the focus through the window's controls in
    // creation order (the editor keeps Tab, Enter and Esc as its own keys: Ctrl+Tab and
    // Ctrl+Shift+Tab leave it, and move the focus from any other control too); the arrow keys move
    // it within a group (see ControlArgs::joinsGroup); Alt+letter reaches the control of an access
    // key; Enter and Esc that no shortcut, focused button or the editor takes do nothing.
    virtual void AddShortcut(Identity window, ShortcutKey key, Identity button) = 0;

    // Progress bars: the range's maximum (the minimum stays as it is) and the position, as the
    // control holds them (32-bit).
    virtual void SetProgressMaximum(Identity bar, std::int32_t maximum) = 0;
    virtual void SetProgressPosition(Identity bar, std::int32_t position) = 0;
    virtual void SetProgressState(Identity bar, BarState state) = 0;
    // The progress that the window's taskbar button shows: done of total for Normal (total 0
    // shows an empty bar), a full bar for Error, nothing for None. Does nothing where the system
    // has no such taskbar.
    virtual void SetTaskbarProgress(Identity window, TaskbarState state, std::uint64_t done,
                                    std::uint64_t total) = 0;

    // The text of a window or control, and replacing it. The text of a rich edit is replaced as
    // one step that the user can take back with Ctrl+Z; a non-empty one starts scrolled to its
    // left edge, with the caret at its start.
    virtual std::u16string ControlText(Identity control) = 0;
    virtual void SetControlText(Identity control, std::u16string_view text) = 0;

    // The name that a screen reader gives the control (ControlArgs::name), replaced; the control's
    // own text and the label before it stay as they are. Where the system cannot attach a name,
    // this does nothing: the label before the control then names it.
    virtual void SetControlName(Identity control, std::u16string_view name) = 0;

    // Gives the control the keyboard focus.
    virtual void FocusControl(Identity control) = 0;
    // A disabled control is greyed and takes neither clicks nor the focus; controls start enabled.
    virtual void EnableControl(Identity control, bool enabled) = 0;
    // A hidden control is not drawn and takes neither clicks nor the focus; controls start
    // shown.
    virtual void ShowControl(Identity control, bool shown) = 0;
    // The wait cursor while busy is set (for an action that blocks the windows), and the cursor
    // from before it once it is cleared.
    virtual void ShowBusy(bool busy) = 0;

    // Puts the text on the clipboard as Unicode text; false when the clipboard could not be had.
    virtual bool CopyToClipboard(std::u16string_view text) = 0;

    // The system's open or save dialog, modal over the program's windows. Returns the chosen full
    // path, or empty when the dialog was cancelled or failed (also for a path too long for it).
    // It never asks before replacing a file: that is the caller's business.
    virtual std::u16string ShowFileDialog(const FileDialogArgs& args) = 0;

    // A modal message box over the program's windows, which cannot be used until it is
    // dismissed. Returns the answer (kAnswerOk, kAnswerYes, ...).
    virtual int ShowMessageBox(std::u16string_view caption, std::u16string_view text,
                               unsigned type) = 0;
    // ShowMessageBox with a check box below the text (unchecked when shown), for an answer that
    // may stand for the questions that follow. `checked` receives its state when the box closes.
    // Where the system cannot show such a box, a plain one asks, and `checked` is false.
    virtual int ShowMessageBoxWithCheck(std::u16string_view caption, std::u16string_view text,
                                        unsigned type, std::u16string_view checkText,
                                        bool& checked) = 0;
};

// Shows the wait cursor for as long as it lives.
class BusyCursor {
  public:
    explicit BusyCursor(Toolkit& toolkit) : toolkit_(toolkit) { toolkit_.ShowBusy(true); }
    ~BusyCursor() { toolkit_.ShowBusy(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

  private:
    Toolkit& toolkit_;
};

// The toolkit of the platform the program runs on (Win32), started: common controls and COM are
// initialised. Defined only in the Windows build.
std::unique_ptr<Toolkit> CreatePlatformToolkit();

}  // namespace vexmora
