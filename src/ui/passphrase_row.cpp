#include "ui/passphrase_row.h"

#include "ui/dpi.h"
#include "ui/texts.h"

namespace vexmora {
namespace {

constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 25;
constexpr int kGap = 5;

}  // namespace

void PassphraseRow::Create(Toolkit& toolkit, Identity window, int labelX, int fieldX, int right,
                           int y) {
    const auto make = [&](ControlKind kind, int x, int dy, int width, int height,
                          std::u16string_view text, bool shown = true,
                          std::u16string_view name = {}) {
        return toolkit.CreateControl(
            window, {.kind = kind,
                     .rect = {Scaled(x), Scaled(y + dy), Scaled(width), Scaled(height)},
                     .text = std::u16string(text),
                     .shown = shown,
                     .name = std::u16string(name)});
    };
    const int copyX = right - kButtonWidth;
    const int fieldWidth = copyX - kGap - fieldX;
    generate_ = make(ControlKind::PushButton, labelX, 0, fieldX - kGap - labelX, kButtonHeight,
                     texts::kGenerateButton);
    // Never shown (Generate says what the field holds): it names the field for screen readers,
    // which would otherwise take the password's label.
    fieldLabel_ =
        make(ControlKind::Label, fieldX, 2, fieldWidth, 20, texts::kPassphraseName, false);
    field_ = make(ControlKind::ReadOnlyField, fieldX, 2, fieldWidth, 20, u"", false,
                  texts::kPassphraseName);
    copy_ = make(ControlKind::PushButton, copyX, 0, kButtonWidth, kButtonHeight, texts::kCopyButton,
                 false);
}

PassphraseRow::Click PassphraseRow::Handle(Toolkit& toolkit, Identity control,
                                           const RandomFill& random) {
    if (control == kNoIdentity) {
        return Click::Other;
    }
    if (control == generate_) {
        std::optional<SecretText> drawn = GeneratePassphrase(random);
        if (!drawn) {
            // Nothing weaker is offered in its place.
            toolkit.ShowMessageBox(texts::kErrorCaption, texts::kGenerateFailed, kMessageBoxOk);
            return Click::Failed;
        }
        passphrase_ = std::move(*drawn);
        toolkit.SetControlText(field_, passphrase_.view());
        toolkit.ShowControl(field_, true);
        toolkit.ShowControl(copy_, true);
        return Click::Generated;
    }
    if (control == copy_) {
        if (!toolkit.CopyToClipboard(passphrase_.view())) {
            toolkit.ShowMessageBox(texts::kErrorCaption, texts::kCopyFailed, kMessageBoxOk);
            return Click::Failed;
        }
        return Click::Copied;
    }
    return Click::Other;
}

}  // namespace vexmora
