#include "ui/repeat_dialog.h"

#include "ui/dialog_grid.h"
#include "ui/dpi.h"
#include "ui/passphrase_row.h"
#include "ui/password_rating.h"
#include "ui/texts.h"

namespace vexmora {
namespace {

using namespace dialog_grid;
constexpr int kGenerateY = 76;
constexpr int kButtonsY = 130;

}  // namespace

PasswordRepeat AskPasswordAgain(Toolkit& toolkit, Identity owner, const RandomFill& random) {
    const Identity window =
        toolkit.OpenWindow({.title = std::u16string(texts::kProgramTitle),
                            .clientWidth = Scaled(kClientWidth),
                            .clientHeight = Scaled(kButtonsY + kButtonHeight + kMargin),
                            .minimizeBox = false,
                            .placement = WindowPlacement::Centred,
                            .owner = owner});
    PasswordRepeat result;
    if (window == kNoIdentity) {
        return result;
    }
    const auto make = [&](ControlKind kind, int x, int y, int width, int height,
                          std::u16string_view text, std::u16string_view name = {},
                          bool joinsGroup = false) {
        return toolkit.CreateControl(window,
                                     {.kind = kind,
                                      .rect = {Scaled(x), Scaled(y), Scaled(width), Scaled(height)},
                                      .text = std::u16string(text),
                                      .name = std::u16string(name),
                                      .joinsGroup = joinsGroup});
    };
    const int fieldWidth = kClientWidth - kMargin - kFieldX;
    // Created in Tab order, the field right after its label, which names it.
    make(ControlKind::Label, kMargin, kMargin, kClientWidth - 2 * kMargin, 20,
         texts::kRepeatCaption);
    make(ControlKind::FieldLabel, kMargin, 46, kFieldX - kMargin - 4, 20,
         texts::kPromptRepeatLabel);
    const Identity field =
        make(ControlKind::PasswordField, kFieldX, 44, fieldWidth, 20, u"", texts::kRepeatName);
    PassphraseRow passphrase;
    passphrase.Create(toolkit, window, kMargin, kFieldX, kClientWidth - kMargin, kGenerateY);
    StrengthDisplay strength;
    strength.label = make(ControlKind::Label, kFieldX, kGenerateY + 30, fieldWidth, 16, u"");
    const int cancelX = kClientWidth - kMargin - kButtonWidth;
    const Identity ok = make(ControlKind::PushButton, cancelX - 10 - kButtonWidth, kButtonsY,
                             kButtonWidth, kButtonHeight, texts::kOkButton);
    const Identity cancel = make(ControlKind::PushButton, cancelX, kButtonsY, kButtonWidth,
                                 kButtonHeight, texts::kCancelButton, {}, true);
    toolkit.AddShortcut(window, ShortcutKey::Enter, ok);
    toolkit.AddShortcut(window, ShortcutKey::Escape, cancel);
    toolkit.FocusControl(field);

    for (;;) {
        const int event = toolkit.WaitEvent(100);
        if (event == CloseWindowEvent && toolkit.EventWindow() == window) {
            break;
        }
        if (event != ControlEvent) {
            continue;
        }
        const Identity control = toolkit.EventControl();
        if (control == cancel) {
            break;
        }
        if (control == ok) {
            result.password = SecretText(toolkit.ControlText(field));
            result.generated = passphrase.Holds(result.password.view());
            result.answered = true;
            break;
        }
        if (passphrase.Handle(toolkit, control, random) == PassphraseRow::Click::Generated) {
            toolkit.SetControlText(field, passphrase.passphrase());
            toolkit.SetControlText(strength.label, texts::kGeneratedStrength);
        } else if (control == field) {
            // The line states the generated passphrase's strength only while the field holds it.
            std::u16string typed = toolkit.ControlText(field);
            toolkit.SetControlText(strength.label, passphrase.Holds(typed)
                                                       ? texts::kGeneratedStrength
                                                       : std::u16string_view());
            Wipe(typed.data(), typed.size() * sizeof(char16_t));
        }
    }
    toolkit.CloseWindow(window);
    return result;
}

}  // namespace vexmora
