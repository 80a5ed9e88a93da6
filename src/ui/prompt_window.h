// The password prompt for paths given on the command line: what will happen ("Encrypt 3 files"),
// the password, OK (Enter) and Cancel (Esc). When encrypting, also a second field to repeat it,
// the password's strength line, and a row to generate a passphrase. OK is enabled only while the
// password is not empty and, when encrypting, both fields match; a weak password then needs a
// Yes to the question that says how fast it falls.
#pragma once

#include <memory>

#include "crypto/passphrase.h"
#include "toolkit/path_gathering.h"
#include "toolkit/toolkit.h"
#include "ui/file_job_starter.h"
#include "ui/file_selection.h"
#include "ui/passphrase_row.h"
#include "ui/password_rating.h"

namespace vexmora {

struct PromptControls {
    Identity window = kNoIdentity;
    Identity caption = kNoIdentity;
    Identity passwordLabel = kNoIdentity;
    Identity passwordField = kNoIdentity;
    Identity repeatLabel = kNoIdentity;  // kNoIdentity when decrypting, as is repeatField
    Identity repeatField = kNoIdentity;
    // When encrypting only, as the passphrase row.
    StrengthDisplay strength;
    Identity okButton = kNoIdentity;
    Identity cancelButton = kNoIdentity;
};

enum class PromptState {
    Open,
    Accepted,  // the selection's files wait in the starter with the password
    Cancelled,
};

class PromptWindow {
  public:
    PromptWindow(Toolkit& toolkit, FileSelection selection, FileJobStarter& starter,
                 RandomFill random);
    PromptWindow(const PromptWindow&) = delete;
    PromptWindow& operator=(const PromptWindow&) = delete;

    const PromptControls& controls() const { return controls_; }
    const PassphraseRow& passphraseRow() const { return passphrase_; }
    const FileSelection& selection() const { return selection_; }

    // Carries out an event (time-outs and typing included: OK follows the fields). On OK with a
    // password the children can take, every file of the selection is handed to the starter to
    // wait for its turn, and the window closes; Cancel, Esc or the close box close it too.
    PromptState Handle(int event);

    // Paths that come while the prompt is open (processes of the same selection that started
    // late) join it when on their own they would ask the same (encrypt or decrypt): the selection
    // grows and the sentence says so. False, and nothing changes, once the prompt is answered,
    // for paths that would ask the other, or when the paths select nothing.
    bool Widen(std::vector<std::u16string> paths);

  private:
    friend std::unique_ptr<PromptWindow> OpenPromptWindow(Toolkit&, FileSelection, FileJobStarter&,
                                                          RandomFill);
    bool Acceptable();
    void Accept();
    void HandleControl(Identity control);

    Toolkit& toolkit_;
    FileSelection selection_;
    FileJobStarter& starter_;
    PromptControls controls_;
    PassphraseRow passphrase_;
    RandomFill random_;
    PromptState state_ = PromptState::Open;
};

// Opens the prompt, DPI-scaled, centred, with the program's font and icon and the password field
// focused. Generated passphrases come from `random`.
std::unique_ptr<PromptWindow> OpenPromptWindow(Toolkit& toolkit, FileSelection selection,
                                               FileJobStarter& starter,
                                               RandomFill random = SystemRandomFill());

// The prompt's whole life: its events until it is answered, then the accepted jobs started as
// their turn comes (at most FileJobQueue::kMaxRunning at a time). Returns when the last job has
// started, or at once after a cancel; true when the prompt was accepted. While it is open, the
// paths handed into `inbox` (when given) are offered to Widen; the inbox is closed once the
// prompt is answered.
bool RunPrompt(Toolkit& toolkit, FileSelection selection, FileJobStarter& starter,
               PathInbox* inbox = nullptr, RandomFill random = SystemRandomFill());

}  // namespace vexmora
