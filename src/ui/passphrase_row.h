// "Generate", the passphrase it drew in plain text (so that it can be written down) and "Copy":
// one row of the windows where a password to encrypt is set. The field and Copy stay hidden
// until the first passphrase is drawn.
#pragma once

#include <string_view>

#include "crypto/passphrase.h"
#include "crypto/wipe.h"
#include "toolkit/toolkit.h"

namespace vexmora {

class PassphraseRow {
  public:
    // Creates the row's controls in `window` (Tab order: Generate, the field, Copy; a hidden
    // label before the field names it) at y, in 96-dpi units: Generate at labelX, the field from
    // fieldX to the copy button, which ends at right.
    void Create(Toolkit& toolkit, Identity window, int labelX, int fieldX, int right, int y);

    enum class Click {
        Other,      // not a control of the row
        Generated,  // a new passphrase is shown: put passphrase() into the password fields
        Copied,
        Failed,  // nothing changed; a box said why
    };
    // Carries out a click on one of the row's controls. Each Generate draws a new passphrase.
    Click Handle(Toolkit& toolkit, Identity control, const RandomFill& random);

    // The passphrase drawn last; empty before the first.
    std::u16string_view passphrase() const { return passphrase_.view(); }
    // Whether `password` is the passphrase drawn last, whose strength is then known exactly.
    bool Holds(std::u16string_view password) const {
        return !passphrase_.view().empty() && password == passphrase_.view();
    }
    Identity generateButton() const { return generate_; }
    Identity fieldLabel() const { return fieldLabel_; }  // never shown
    Identity field() const { return field_; }
    Identity copyButton() const { return copy_; }

  private:
    Identity generate_ = kNoIdentity;
    Identity fieldLabel_ = kNoIdentity;
    Identity field_ = kNoIdentity;
    Identity copy_ = kNoIdentity;
    SecretText passphrase_;
};

}  // namespace vexmora
