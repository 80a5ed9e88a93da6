#include "ui/prompt_window.h"

#include <chrono>
#include <future>

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

PromptWindow::PromptWindow(Toolkit& toolkit, FileSelection selection, RandomFill random)
    : toolkit_(toolkit), selection_(std::move(selection)), random_(std::move(random)) {}

std::unique_ptr<PromptWindow> OpenPromptWindow(Toolkit& toolkit, FileSelection selection,
                                               RandomFill random) {
    auto prompt = std::make_unique<PromptWindow>(toolkit, std::move(selection), std::move(random));
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
                          std::u16string_view text, bool shown = true,
                          std::u16string_view name = {}, bool joinsGroup = false) {
        return toolkit.CreateControl(c.window,
                                     {.kind = kind,
                                      .rect = {Scaled(x), Scaled(y), Scaled(width), Scaled(height)},
                                      .text = std::u16string(text),
                                      .shown = shown,
                                      .name = std::u16string(name),
                                      .joinsGroup = joinsGroup});
    };
    const int fieldWidth = kClientWidth - kMargin - kFieldX;
    // Created in Tab order, each field right after its label, which names it.
    c.caption = make(ControlKind::Label, kMargin, kMargin, kClientWidth - 2 * kMargin, 20,
                     prompt->selection_.caption);
    c.passwordLabel = make(ControlKind::FieldLabel, kMargin, 46, kFieldX - kMargin - 4, 20,
                           texts::kPasswordLabel);
    c.passwordField = make(ControlKind::PasswordField, kFieldX, 44, fieldWidth, 20, u"", true,
                           texts::kPasswordName);
    if (repeat) {
        c.repeatLabel = make(ControlKind::FieldLabel, kMargin, 46 + kRowStep, kFieldX - kMargin - 4,
                             20, texts::kPromptRepeatLabel);
        c.repeatField = make(ControlKind::PasswordField, kFieldX, 44 + kRowStep, fieldWidth, 20,
                             u"", true, texts::kRepeatName);
        // The line takes the whole width under the fields, which its longest sentence needs
        // ("very weak: found in under a second by 100 graphics cards"); the bar stands under the
        // labels.
        c.strength.label = make(ControlKind::Label, kFieldX, strengthY, fieldWidth, 16, u"");
        c.strength.bar = make(ControlKind::ProgressBar, kMargin, strengthY + 3,
                              kFieldX - kMargin - 8, 9, u"", false, texts::kStrengthName);
        prompt->passphrase_.Create(toolkit, c.window, kMargin, kFieldX, kClientWidth - kMargin,
                                   generateY);
    }
    const int cancelX = kClientWidth - kMargin - kButtonWidth;
    c.okButton = make(ControlKind::PushButton, cancelX - 10 - kButtonWidth, buttonsY, kButtonWidth,
                      kButtonHeight, texts::kOkButton);
    c.cancelButton = make(ControlKind::PushButton, cancelX, buttonsY, kButtonWidth, kButtonHeight,
                          texts::kCancelButton, true, {}, true);
    toolkit.EnableControl(c.okButton, false);
    toolkit.AddShortcut(c.window, ShortcutKey::Enter, c.okButton);
    toolkit.AddShortcut(c.window, ShortcutKey::Escape, c.cancelButton);
    toolkit.FocusControl(c.passwordField);
    return prompt;
}

bool PromptWindow::Acceptable() {
    std::u16string password = toolkit_.ControlText(controls_.passwordField);
    bool acceptable = !password.empty() && !held_;
    if (acceptable && controls_.repeatField != kNoIdentity) {
        std::u16string repeated = toolkit_.ControlText(controls_.repeatField);
        acceptable = password == repeated;
        WipeText(repeated);
    }
    WipeText(password);
    return acceptable;
}

void PromptWindow::Widen(FileSelection selection) {
    selection_ = std::move(selection);
    toolkit_.SetControlText(controls_.caption, selection_.caption);
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
            password_ = SecretText(toolkit_.ControlText(controls_.passwordField));
            state_ = PromptState::Accepted;
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

bool HandInWindow::Take(std::uint32_t now) {
    if (!Open(now)) {
        closed_ = true;
        return false;
    }
    last_ = now;
    return true;
}

std::u16string HandInKind(std::optional<Direction> chosen) {
    return !chosen ? u"" : *chosen == kEncrypt ? u"encrypt" : u"decrypt";
}

namespace {

// What the user does in the prompt (keys, and clicks on its controls) ends the gathering.
bool IsUsersAction(int event) {
    constexpr int kFirstKeyMessage = 0x100;  // WM_KEYDOWN
    constexpr int kLastKeyMessage = 0x109;   // WM_UNICHAR
    return event == ControlEvent || (event >= kFirstKeyMessage && event <= kLastKeyMessage);
}

}  // namespace

std::optional<PromptAnswer> RunPrompt(Toolkit& toolkit, FileSystem& disk,
                                      std::vector<std::u16string> paths,
                                      std::optional<Direction> chosen, PathInbox* inbox,
                                      const std::function<std::uint32_t()>& now,
                                      RandomFill random) {
    HandInWindow window(now());
    std::vector<std::u16string> pending = std::move(paths);
    const std::u16string kind = HandInKind(chosen);
    const auto closeGathering = [&] {
        window.Close();
        if (inbox != nullptr) {
            inbox->Close();
            inbox = nullptr;
        }
    };
    if (inbox != nullptr) {
        // Answered at once: the sender waits, and walking is for later.
        inbox->Receive([&](std::u16string_view theirs, std::vector<std::u16string> more) {
            if (theirs != kind || !window.Take(now())) {
                return false;
            }
            pending.insert(pending.end(), std::make_move_iterator(more.begin()),
                           std::make_move_iterator(more.end()));
            return true;
        });
    }
    FoundFiles found;
    std::future<FoundFiles> walk;
    bool changed = false;
    std::unique_ptr<PromptWindow> prompt;
    for (;;) {
        if (walk.valid() &&
            walk.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready) {
            Merge(found, walk.get());
            changed = true;
        }
        if (!walk.valid() && !pending.empty()) {
            walk = std::async(std::launch::async, [&disk, walked = std::move(pending)] {
                return WalkPaths(disk, walked);
            });
            pending.clear();
        }
        if (inbox != nullptr && !window.Open(now())) {
            closeGathering();
        }
        const bool walking = walk.valid();
        if (changed && !walking && (prompt != nullptr || now() - window.last() >= kQuietMs)) {
            changed = false;
            FileSelection selection = Decide(found, chosen);
            if (prompt == nullptr && selection.files.empty()) {
                closeGathering();
                toolkit.ShowMessageBox(texts::kInfoCaption, selection.nothingToDo, kMessageBoxOk);
                return std::nullopt;
            }
            if (prompt == nullptr || prompt->selection().direction != selection.direction) {
                // A rebuilt prompt keeps what was typed into it.
                SecretText typed;
                if (prompt != nullptr) {
                    typed = SecretText(toolkit.ControlText(prompt->controls().passwordField));
                    toolkit.CloseWindow(prompt->controls().window);
                }
                prompt = OpenPromptWindow(toolkit, std::move(selection), random);
                if (!typed.view().empty()) {
                    toolkit.SetControlText(prompt->controls().passwordField, typed.view());
                }
            } else {
                prompt->Widen(std::move(selection));
            }
        }
        if (prompt != nullptr) {
            prompt->Hold(walking || changed);
        }
        const int event = toolkit.WaitEvent(walking || prompt == nullptr ? 20 : 100);
        if (prompt == nullptr) {
            continue;
        }
        if (IsUsersAction(event)) {
            closeGathering();
        }
        switch (prompt->Handle(event)) {
            case PromptState::Open:
                break;
            case PromptState::Cancelled:
                closeGathering();
                return std::nullopt;
            case PromptState::Accepted:
                closeGathering();
                return PromptAnswer{prompt->selection(), prompt->password()};
        }
    }
}

}  // namespace vexmora
