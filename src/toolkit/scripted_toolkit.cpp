#include "toolkit/scripted_toolkit.h"

#include <new>

namespace vexmora {

void ScriptedToolkit::QueueEvent(int event, Identity control, Identity window) {
    events_.Push(event, control, window);
}

bool ScriptedToolkit::QueueDrop(Identity window, std::vector<std::u16string> files) {
    auto found = windows_.find(window);
    if (found == windows_.end() || !found->second.open || !found->second.args.acceptsFiles) {
        return false;
    }
    events_.Push(DropFilesEvent, kNoIdentity, window, std::move(files));
    return true;
}

bool ScriptedToolkit::PressShortcut(Identity window, ShortcutKey key) {
    auto found = windows_.find(window);
    if (found == windows_.end() || !found->second.open) {
        return false;
    }
    auto shortcut = found->second.shortcuts.find(key);
    if (shortcut == found->second.shortcuts.end()) {
        return false;
    }
    events_.Push(ControlEvent, shortcut->second, window);
    return true;
}

void ScriptedToolkit::AddShortcut(Identity window, ShortcutKey key, Identity button) {
    auto found = windows_.find(window);
    if (found != windows_.end()) {
        found->second.shortcuts[key] = button;
    }
}

void ScriptedToolkit::SetTaskbarProgress(Identity window, TaskbarState state, std::uint64_t done,
                                         std::uint64_t total) {
    auto found = windows_.find(window);
    if (found == windows_.end()) {
        return;
    }
    found->second.taskbarState = state;
    found->second.taskbarDone = done;
    found->second.taskbarTotal = total;
    const char* names[] = {"taskbar none", "taskbar normal", "taskbar error"};
    calls_.push_back({names[static_cast<int>(state)], static_cast<std::int64_t>(done)});
}

void ScriptedToolkit::SetDefaultControlFont(std::u16string_view face, int points) {
    font_ = face;
    fontPoints_ = points;
}

Identity ScriptedToolkit::OpenWindow(const WindowArgs& args) {
    Identity id = ++lastIdentity_;
    windows_[id] = {args, true, {}, {}, TaskbarState::None, 0, 0};
    return id;
}

Identity ScriptedToolkit::CreateControl(Identity window, const ControlArgs& args) {
    auto found = windows_.find(window);
    if (found == windows_.end() || !found->second.open) {
        return kNoIdentity;
    }
    Identity id = ++lastIdentity_;
    controls_[id] = {window,           args,      font_,     fontPoints_, 100,       0,
                     BarState::Normal, args.text, args.name, true,        args.shown};
    found->second.controls.push_back(id);
    return id;
}

void ScriptedToolkit::CloseWindow(Identity window) {
    auto found = windows_.find(window);
    if (found != windows_.end()) {
        found->second.open = false;
    }
}

int ScriptedToolkit::WaitEvent(int) {
    if (events_.Empty() && onIdle) {
        onIdle(*this);
    }
    if (events_.Empty()) {
        if (const Identity dialog = OpenDialog(); dialog != kNoIdentity) {
            events_.Push(CloseWindowEvent, kNoIdentity, dialog);
        }
    }
    return events_.Take();
}

Identity ScriptedToolkit::OpenDialog() const {
    Identity dialog = kNoIdentity;
    for (const auto& [identity, window] : windows_) {
        if (window.open && window.args.owner != kNoIdentity) {
            dialog = identity;
        }
    }
    return dialog;
}

Identity ScriptedToolkit::FindControl(Identity window, ControlKind kind,
                                      std::optional<std::u16string_view> text) const {
    auto found = windows_.find(window);
    if (found == windows_.end()) {
        return kNoIdentity;
    }
    for (Identity id : found->second.controls) {
        const Control& control = controls_.at(id);
        if (control.args.kind == kind && (!text || control.args.text == *text)) {
            return id;
        }
    }
    return kNoIdentity;
}

void ScriptedToolkit::SetProgressMaximum(Identity bar, std::int32_t maximum) {
    controls_[bar].progressMaximum = maximum;
    calls_.push_back({"maximum", maximum});
}

void ScriptedToolkit::SetProgressPosition(Identity bar, std::int32_t position) {
    controls_[bar].progressPosition = position;
    calls_.push_back({"position", position});
}

int ScriptedToolkit::ShowMessageBoxWithCheck(std::u16string_view caption, std::u16string_view text,
                                             unsigned type, std::u16string_view checkText,
                                             bool& checked) {
    checked = false;
    if (!checks_.empty()) {
        checked = checks_.front();
        checks_.pop_front();
    }
    return Answer({std::u16string(caption), std::u16string(text), type, std::u16string(checkText)});
}

int ScriptedToolkit::ShowMessageBox(std::u16string_view caption, std::u16string_view text,
                                    unsigned type) {
    return Answer({std::u16string(caption), std::u16string(text), type, {}});
}

int ScriptedToolkit::Answer(MessageBox box) {
    if (answerBox) {
        if (const std::optional<int> answer = answerBox(box)) {
            scriptedBoxes_.push_back(std::move(box));
            return *answer;
        }
    }
    messageBoxes_.push_back(std::move(box));
    calls_.push_back({"message", static_cast<std::int64_t>(messageBoxes_.size())});
    if (answers_.empty()) {
        return MessageBoxButtons(messageBoxes_.back().type) == kMessageBoxYesNo ? kAnswerNo
                                                                                : kAnswerOk;
    }
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

std::u16string ScriptedToolkit::ControlText(Identity control) {
    auto found = controls_.find(control);
    if (found == controls_.end()) {
        return {};
    }
    if (found->second.text.size() > textCopyLimit) {
        throw std::bad_alloc();
    }
    return found->second.text;
}

void ScriptedToolkit::SetControlText(Identity control, std::u16string_view text) {
    if (text.size() > textCopyLimit) {
        throw std::bad_alloc();
    }
    auto found = controls_.find(control);
    if (found != controls_.end()) {
        found->second.text = text;
        calls_.push_back({"text", static_cast<std::int64_t>(text.size())});
    }
}

std::u16string ScriptedToolkit::ShowFileDialog(const FileDialogArgs& args) {
    std::u16string answer;
    if (!fileChoices_.empty()) {
        answer = fileChoices_.front();
        fileChoices_.pop_front();
    }
    fileDialogs_.push_back({args, answer});
    return answer;
}

}  // namespace vexmora
