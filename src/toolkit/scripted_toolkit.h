// A toolkit backend for tests: it records the windows, controls and message boxes the program
// asks for, plays back queued events, and answers message boxes from a script.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/event_queue.h"
#include "toolkit/toolkit.h"

namespace vexmora {

class ScriptedToolkit final : public Toolkit {
  public:
    struct Window {
        WindowArgs args;
        bool open = true;
        std::vector<Identity> controls;
        std::map<ShortcutKey, Identity> shortcuts;
        TaskbarState taskbarState = TaskbarState::None;
        std::uint64_t taskbarDone = 0;
        std::uint64_t taskbarTotal = 0;
    };
    struct Control {
        Identity window = kNoIdentity;
        ControlArgs args;
        std::u16string font;
        int fontPoints = 0;
        std::int32_t progressMaximum = 100;
        std::int32_t progressPosition = 0;
        BarState barState = BarState::Normal;
        std::u16string text;  // the text as the user sees it now
        std::u16string name;  // what a screen reader calls it now (ControlArgs::name at first)
        bool enabled = true;
        bool shown = true;
    };
    struct FileDialog {
        FileDialogArgs args;
        std::u16string answer;
    };
    struct MessageBox {
        std::u16string caption;
        std::u16string text;
        unsigned type = 0;
        std::u16string checkText;  // the check box's label; empty for a box without one
    };
    // Something that reached the toolkit, in order, for tests of sequences.
    struct Call {
        std::string what;  // "maximum", "position", "message", "text", "busy", "taskbar none",
                           // "taskbar normal" (value: done), "taskbar error"
        std::int64_t value = 0;
    };

    explicit ScriptedToolkit(int logicalPixelsX = 96) : logicalPixelsX_(logicalPixelsX) {}

    // Script.
    void QueueEvent(int event, Identity control = kNoIdentity, Identity window = kNoIdentity);
    // Files dropped on an open window, as the system reports them. False (nothing queued) when
    // the window does not take dropped files.
    bool QueueDrop(Identity window, std::vector<std::u16string> files);
    // The key pressed in the window: the event of the button it stands for. False (nothing
    // queued) when the window has no such shortcut.
    bool PressShortcut(Identity window, ShortcutKey key);
    void QueueAnswer(int answer) { answers_.push_back(answer); }
    // Whether the user ticks the check box of the next box that has one (unticked when none is
    // queued).
    void QueueCheck(bool checked) { checks_.push_back(checked); }
    // A user who answers some boxes on sight, before any queued answer is taken: the boxes it
    // answers are recorded in scriptedBoxes() instead of messageBoxes(), so that tests of the
    // other boxes count only theirs. Boxes it leaves (std::nullopt) take a queued answer; with
    // none left, Yes/No boxes are answered No and the others OK.
    std::function<std::optional<int>(const MessageBox&)> answerBox;
    // The path the next file dialog returns (empty: cancelled).
    void QueueFileChoice(std::u16string path) { fileChoices_.push_back(std::move(path)); }
    // Types into a control, as a user would.
    void SetText(Identity control, std::u16string text) {
        controls_[control].text = std::move(text);
    }
    // Texts longer than this cannot be copied in or out of a control: ControlText and
    // SetControlText throw std::bad_alloc, as the real ones do when memory runs out, and change
    // nothing.
    std::size_t textCopyLimit = SIZE_MAX;
    // Runs before each WaitEvent call that finds the queue empty, e.g. to queue a click at the
    // right moment. When the queue is still empty after it while a dialog is open, the dialog is
    // closed as its close box does (a user who gives up), so that no dialog waits forever.
    std::function<void(ScriptedToolkit&)> onIdle;

    // Record.
    const std::map<Identity, Window>& windows() const { return windows_; }
    const std::map<Identity, Control>& controls() const { return controls_; }
    const std::vector<MessageBox>& messageBoxes() const { return messageBoxes_; }
    const std::vector<MessageBox>& scriptedBoxes() const { return scriptedBoxes_; }
    const std::vector<FileDialog>& fileDialogs() const { return fileDialogs_; }
    const std::vector<Call>& calls() const { return calls_; }
    bool dpiAware() const { return dpiAware_; }
    const std::u16string& clipboard() const { return clipboard_; }
    // The open dialog (a window with an owner) opened last; kNoIdentity when none is open.
    Identity OpenDialog() const;
    // The control of `window` of that kind, with that text when one is given (else the first).
    Identity FindControl(Identity window, ControlKind kind,
                         std::optional<std::u16string_view> text = std::nullopt) const;
    Identity focus() const { return focus_; }
    std::size_t pendingEvents() const { return events_.Size(); }

    // Toolkit.
    void MakeProcessDpiAware() override { dpiAware_ = true; }
    int LogicalPixelsX() override { return logicalPixelsX_; }
    void SetDefaultControlFont(std::u16string_view face, int points) override;
    Identity OpenWindow(const WindowArgs& args) override;
    Identity CreateControl(Identity window, const ControlArgs& args) override;
    void CloseWindow(Identity window) override;
    int WaitEvent(int timeoutMs) override;
    Identity EventControl() const override { return events_.LastControl(); }
    Identity EventWindow() const override { return events_.LastWindow(); }
    std::vector<std::u16string> EventFiles() const override { return events_.LastFiles(); }
    void AddShortcut(Identity window, ShortcutKey key, Identity button) override;
    void SetTaskbarProgress(Identity window, TaskbarState state, std::uint64_t done,
                            std::uint64_t total) override;
    void SetProgressMaximum(Identity bar, std::int32_t maximum) override;
    void SetProgressPosition(Identity bar, std::int32_t position) override;
    void SetProgressState(Identity bar, BarState state) override {
        controls_[bar].barState = state;
    }
    bool CopyToClipboard(std::u16string_view text) override {
        clipboard_ = text;
        return true;
    }
    int ShowMessageBox(std::u16string_view caption, std::u16string_view text,
                       unsigned type) override;
    int ShowMessageBoxWithCheck(std::u16string_view caption, std::u16string_view text,
                                unsigned type, std::u16string_view checkText,
                                bool& checked) override;
    std::u16string ControlText(Identity control) override;
    void SetControlText(Identity control, std::u16string_view text) override;
    std::u16string ShowFileDialog(const FileDialogArgs& args) override;
    void SetControlName(Identity control, std::u16string_view name) override {
        controls_[control].name = name;
    }
    void FocusControl(Identity control) override { focus_ = control; }
    void EnableControl(Identity control, bool enabled) override {
        controls_[control].enabled = enabled;
    }
    void ShowControl(Identity control, bool shown) override { controls_[control].shown = shown; }
    void ShowBusy(bool busy) override { calls_.push_back({"busy", busy ? 1 : 0}); }

  private:
    int Answer(MessageBox box);
    int logicalPixelsX_;
    bool dpiAware_ = false;
    Identity focus_ = kNoIdentity;
    std::u16string clipboard_;
    std::u16string font_;
    int fontPoints_ = 0;
    Identity lastIdentity_ = kNoIdentity;
    std::map<Identity, Window> windows_;
    std::map<Identity, Control> controls_;
    EventQueue events_;
    std::deque<int> answers_;
    std::deque<std::u16string> fileChoices_;
    std::vector<FileDialog> fileDialogs_;
    std::vector<MessageBox> messageBoxes_;
    std::deque<bool> checks_;
    std::vector<MessageBox> scriptedBoxes_;
    std::vector<Call> calls_;
};

}  // namespace vexmora
