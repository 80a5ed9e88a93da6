// The main window's second question before a password encrypts: the password once more, typed
// without looking at the first (a mistyped character would make the file unrecoverable), or a
// generated passphrase in its place. Modal over its owner; Enter is OK and Esc is Cancel.
#pragma once

#include "crypto/passphrase.h"
#include "crypto/wipe.h"
#include "toolkit/toolkit.h"

namespace vexmora {

struct PasswordRepeat {
    bool answered = false;   // OK; false for Cancel, Esc or the close box
    SecretText password;     // what the repeat field held at OK
    bool generated = false;  // the password is the passphrase generated in the dialog
};

// Shows the dialog over `owner` and returns once it is answered. Events of other windows that
// come meanwhile are dropped: the owner takes no input while the dialog is open.
PasswordRepeat AskPasswordAgain(Toolkit& toolkit, Identity owner, const RandomFill& random);

}  // namespace vexmora
