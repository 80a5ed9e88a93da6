// The password prompt for paths given on the command line: what will happen ("Encrypt 3 files"),
// the password, when encrypting a second field to repeat it, OK (Enter) and Cancel (Esc). OK is
// enabled only while the password is not empty and, when encrypting, both fields match.
#pragma once

#include <memory>

#include "toolkit/path_gathering.h"
#include "toolkit/toolkit.h"
#include "ui/file_job_starter.h"
#include "ui/file_selection.h"

namespace vexmora {

struct PromptControls {
    Identity window = kNoIdentity;
    Identity caption = kNoIdentity;
    Identity passwordLabel = kNoIdentity;
    Identity passwordField = kNoIdentity;
    Identity repeatLabel = kNoIdentity;  // kNoIdentity when decrypting, as is repeatField
    Identity repeatField = kNoIdentity;
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
    PromptWindow(Toolkit& toolkit, FileSelection selection, FileJobStarter& starter);
    PromptWindow(const PromptWindow&) = delete;
    PromptWindow& operator=(const PromptWindow&) = delete;

    const PromptControls& controls() const { return controls_; }
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
    friend std::unique_ptr<PromptWindow> OpenPromptWindow(Toolkit&, FileSelection, FileJobStarter&);
    bool Acceptable();
    void Accept();

    Toolkit& toolkit_;
    FileSelection selection_;
    FileJobStarter& starter_;
    PromptControls controls_;
    PromptState state_ = PromptState::Open;
};

// Opens the prompt, DPI-scaled, centred, with the program's font and icon and the password field
// focused.
std::unique_ptr<PromptWindow> OpenPromptWindow(Toolkit& toolkit, FileSelection selection,
                                               FileJobStarter& starter);

// The prompt's whole life: its events until it is answered, then the accepted jobs started as
// their turn comes (at most FileJobQueue::kMaxRunning at a time). Returns when the last job has
// started, or at once after a cancel; true when the prompt was accepted. While it is open, the
// paths handed into `inbox` (when given) are offered to Widen; the inbox is closed once the
// prompt is answered.
bool RunPrompt(Toolkit& toolkit, FileSelection selection, FileJobStarter& starter,
               PathInbox* inbox = nullptr);

}  // namespace vexmora
