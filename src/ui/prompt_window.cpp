#include "ui/prompt_window.h"

#include "crypto/wipe.h"
#include "ui/dpi.h"
#include "ui/texts.h"

namespace vexmora {
namespace {

// The layout in 96-dpi units; the OK row moves up by kRowStep when there is no repeat field.
constexpr int kClientWidth = 380;
constexpr int kMargin = 12;
constexpr int kRowStep = 28;
constexpr int kFieldX = 100;
constexpr int kButtonWidth = 85;
constexpr int kButtonHeight = 25;

void WipeText(std::u16string& text) {
    Wipe(text.data(), text.size() * sizeof(char16_t));
    text.clear();
}

}  // namespace

PromptWindow::PromptWindow(Toolkit& toolkit, FileSelection selection, FileJobStarter& starter)
    : toolkit_(toolkit), selection_(std::move(selection)), starter_(starter) {}

std::unique_ptr<PromptWindow> OpenPromptWindow(Toolkit& toolkit, FileSelection selection,
                                               FileJobStarter& starter) {
    auto prompt = std::make_unique<PromptWindow>(toolkit, std::move(selection), starter);
    PromptControls& c = prompt->controls_;
    const bool repeat = prompt->selection_.direction == kEncrypt;
    const int rows = repeat ? 2 : 1;
    const int buttonsY = 44 + rows * kRowStep + 6;
    c.window = toolkit.OpenWindow({.title = std::u16string(texts::kProgramTitle),
                                   .clientWidth = Scaled(kClientWidth),
                                   .clientHeight = Scaled(buttonsY + kButtonHeight + kMargin),
                                   .minimizeBox = false,
                                   .placement = WindowPlacement::Centred});
    const auto make = [&](ControlKind kind, int x, int y, int width, int height,
                          std::u16string_view text) {
        return toolkit.CreateControl(
            c.window,
            {kind, {Scaled(x), Scaled(y), Scaled(width), Scaled(height)}, std::u16string(text)});
    };
    const int fieldWidth = kClientWidth - kMargin - kFieldX;
    // Created in Tab order.
    c.caption = make(ControlKind::Label, kMargin, kMargin, kClientWidth - 2 * kMargin, 20,
                     prompt->selection_.caption);
    c.passwordLabel =
        make(ControlKind::Label, kMargin, 46, kFieldX - kMargin - 4, 20, texts::kPasswordLabel);
    c.passwordField = make(ControlKind::PasswordField, kFieldX, 44, fieldWidth, 20, u"");
    if (repeat) {
        c.repeatLabel = make(ControlKind::Label, kMargin, 46 + kRowStep, kFieldX - kMargin - 4, 20,
                             texts::kPromptRepeatLabel);
        c.repeatField =
            make(ControlKind::PasswordField, kFieldX, 44 + kRowStep, fieldWidth, 20, u"");
    }
    const int cancelX = kClientWidth - kMargin - kButtonWidth;
    c.okButton = make(ControlKind::PushButton, cancelX - 10 - kButtonWidth, buttonsY, kButtonWidth,
                      kButtonHeight, texts::kOkButton);
    c.cancelButton = make(ControlKind::PushButton, cancelX, buttonsY, kButtonWidth, kButtonHeight,
                          texts::kCancelButton);
    toolkit.EnableControl(c.okButton, false);
    toolkit.AddShortcut(c.window, ShortcutKey::Enter, c.okButton);
    toolkit.AddShortcut(c.window, ShortcutKey::Escape, c.cancelButton);
    toolkit.FocusControl(c.passwordField);
    return prompt;
}

bool PromptWindow::Acceptable() {
    std::u16string password = toolkit_.ControlText(controls_.passwordField);
    bool acceptable = !password.empty();
    if (acceptable && controls_.repeatField != kNoIdentity) {
        std::u16string repeated = toolkit_.ControlText(controls_.repeatField);
        acceptable = password == repeated;
        WipeText(repeated);
    }
    WipeText(password);
    return acceptable;
}

void PromptWindow::Accept() {
    const SecretText password(toolkit_.ControlText(controls_.passwordField));
    for (const std::u16string& file : selection_.files) {
        starter_.Wait({selection_.direction, file, password});
    }
    state_ = PromptState::Accepted;
}

bool PromptWindow::Widen(std::vector<std::u16string> paths) {
    if (state_ != PromptState::Open) {
        return false;
    }
    FileSystem& disk = starter_.fileSystem();
    const std::optional<FileSelection> alone = SelectFiles(disk, paths);
    if (!alone || alone->direction != selection_.direction) {
        return false;
    }
    paths.insert(paths.begin(), selection_.paths.begin(), selection_.paths.end());
    std::optional<FileSelection> wider = SelectFiles(disk, paths);
    if (!wider || wider->direction != selection_.direction) {
        return false;
    }
    selection_ = std::move(*wider);
    toolkit_.SetControlText(controls_.caption, selection_.caption);
    return true;
}

PromptState PromptWindow::Handle(int event) {
    if (state_ != PromptState::Open) {
        return state_;
    }
    if (event == CloseWindowEvent) {
        state_ = PromptState::Cancelled;
    } else if (event == ControlEvent) {
        const Identity control = toolkit_.EventControl();
        if (control == controls_.cancelButton) {
            state_ = PromptState::Cancelled;
        } else if (control == controls_.okButton && Acceptable()) {
            // Enter arrives here also while OK is disabled: the fields decide, not the button.
            Accept();
        }
    }
    if (state_ != PromptState::Open) {
        toolkit_.CloseWindow(controls_.window);
    } else {
        toolkit_.EnableControl(controls_.okButton, Acceptable());
    }
    return state_;
}

bool RunPrompt(Toolkit& toolkit, FileSelection selection, FileJobStarter& starter,
               PathInbox* inbox) {
    std::unique_ptr<PromptWindow> prompt = OpenPromptWindow(toolkit, std::move(selection), starter);
    if (inbox != nullptr) {
        inbox->Receive(
            [&](std::vector<std::u16string> paths) { return prompt->Widen(std::move(paths)); });
    }
    PromptState state = PromptState::Open;
    while (state == PromptState::Open) {
        state = prompt->Handle(toolkit.WaitEvent(100));
    }
    if (inbox != nullptr) {
        inbox->Close();
    }
    if (state != PromptState::Accepted) {
        return false;
    }
    for (;;) {
        starter.StartWaiting();
        if (starter.jobs().Waiting() == 0) {
            return true;
        }
        toolkit.WaitEvent(100);
    }
}

}  // namespace vexmora
