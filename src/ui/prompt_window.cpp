#include "ui/prompt_window.h"

#include "crypto/wipe.h"
#include "ui/dialog_grid.h"
#include "ui/dpi.h"
#include "ui/texts.h"

namespace vexmora {
namespace {

// The OK row moves up by kRowStep when there is no repeat field.
using namespace dialog_grid;

void WipeText(std::u16string& text) {
    Wipe(text.data(), text.size() * sizeof(char16_t));
    text.clear();
}

}  // namespace

PromptWindow::PromptWindow(Toolkit& toolkit, FileSelection selection, FileJobStarter& starter,
                           RandomFill random)
    : toolkit_(toolkit),
      selection_(std::move(selection)),
      starter_(starter),
      random_(std::move(random)) {}

std::unique_ptr<PromptWindow> OpenPromptWindow(Toolkit& toolkit, FileSelection selection,
                                               FileJobStarter& starter, RandomFill random) {
    auto prompt =
        std::make_unique<PromptWindow>(toolkit, std::move(selection), starter, std::move(random));
    PromptControls& c = prompt->controls_;
    const bool repeat = prompt->selection_.direction == kEncrypt;
    const int rows = repeat ? 2 : 1;
    // Encrypting adds the strength line and the passphrase row under the fields.
    const int strengthY = 44 + rows * kRowStep;
    const int generateY = strengthY + 22;
    const int buttonsY = repeat ? generateY + kButtonHeight + kMargin : 44 + rows * kRowStep + 6;
    c.window = toolkit.OpenWindow({.title = std::u16string(texts::kProgramTitle),
                                   .clientWidth = Scaled(kClientWidth),
                                   .clientHeight = Scaled(buttonsY + kButtonHeight + kMargin),
                                   .minimizeBox = false,
                                   .placement = WindowPlacement::Centred});
    const auto make = [&](ControlKind kind, int x, int y, int width, int height,
                          std::u16string_view text, bool shown = true) {
        return toolkit.CreateControl(c.window,
                                     {kind,
                                      {Scaled(x), Scaled(y), Scaled(width), Scaled(height)},
                                      std::u16string(text),
                                      shown});
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
        const int barWidth = 68;
        c.strength.label =
            make(ControlKind::Label, kFieldX, strengthY, fieldWidth - barWidth - 6, 16, u"");
        c.strength.bar = make(ControlKind::ProgressBar, kClientWidth - kMargin - barWidth,
                              strengthY + 3, barWidth, 9, u"", false);
        prompt->passphrase_.Create(toolkit, c.window, kMargin, kFieldX, kClientWidth - kMargin,
                                   generateY);
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
        HandleControl(toolkit_.EventControl());
    }
    if (state_ != PromptState::Open) {
        toolkit_.CloseWindow(controls_.window);
    } else {
        toolkit_.EnableControl(controls_.okButton, Acceptable());
    }
    return state_;
}

void PromptWindow::HandleControl(Identity control) {
    const bool encrypts = selection_.direction == kEncrypt;
    if (control == controls_.cancelButton) {
        state_ = PromptState::Cancelled;
    } else if (control == controls_.okButton) {
        // Enter arrives here also while OK is disabled: the fields decide, not the button. A
        // weak password answered No leaves the prompt open for another.
        if (Acceptable() &&
            (!encrypts ||
             MayEncryptWith(toolkit_,
                            SecretText(toolkit_.ControlText(controls_.passwordField)).view()))) {
            Accept();
        }
    } else if (encrypts &&
               passphrase_.Handle(toolkit_, control, random_) == PassphraseRow::Click::Generated) {
        toolkit_.SetControlText(controls_.passwordField, passphrase_.passphrase());
        toolkit_.SetControlText(controls_.repeatField, passphrase_.passphrase());
        controls_.strength.Show(toolkit_, passphrase_.passphrase(), true);
    } else if (encrypts && control == controls_.passwordField) {
        const SecretText password(toolkit_.ControlText(controls_.passwordField));
        controls_.strength.Show(toolkit_, password.view(), passphrase_.Holds(password.view()));
    }
}

bool RunPrompt(Toolkit& toolkit, FileSelection selection, FileJobStarter& starter, PathInbox* inbox,
               RandomFill random) {
    std::unique_ptr<PromptWindow> prompt =
        OpenPromptWindow(toolkit, std::move(selection), starter, std::move(random));
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
