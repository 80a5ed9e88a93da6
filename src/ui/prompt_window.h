// The password prompt for paths given on the command line: what will happen ("Encrypt 3 files"),
// the password, OK (Enter) and Cancel (Esc). When encrypting, also a second field to repeat it,
// the password's strength line, and a row to generate a passphrase. OK is enabled only while the
// password is not empty and, when encrypting, both fields match; a weak password then needs a
// Yes to the question that says how fast it falls.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "crypto/passphrase.h"
#include "crypto/wipe.h"
#include "toolkit/path_gathering.h"
#include "toolkit/toolkit.h"
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
    Accepted,  // password() holds the password for the selection's files
    Cancelled,
};

class PromptWindow {
  public:
    PromptWindow(Toolkit& toolkit, FileSelection selection, RandomFill random);
    PromptWindow(const PromptWindow&) = delete;
    PromptWindow& operator=(const PromptWindow&) = delete;

    const PromptControls& controls() const { return controls_; }
    const PassphraseRow& passphraseRow() const { return passphrase_; }
    const FileSelection& selection() const { return selection_; }

    // Carries out an event (time-outs and typing included: OK follows the fields). On OK with a
    // password the window closes and keeps the password; Cancel, Esc or the close box close it
    // too.
    PromptState Handle(int event);
    const SecretText& password() const { return password_; }

    // The selection grew (in the same direction) while the prompt was open: the sentence says
    // so.
    void Widen(FileSelection selection);
    // While held (the paths handed in last are still being walked), OK waits.
    void Hold(bool held) { held_ = held; }

  private:
    friend std::unique_ptr<PromptWindow> OpenPromptWindow(Toolkit&, FileSelection, RandomFill);
    bool Acceptable();
    void HandleControl(Identity control);

    Toolkit& toolkit_;
    FileSelection selection_;
    SecretText password_;
    bool held_ = false;
    PromptControls controls_;
    PassphraseRow passphrase_;
    RandomFill random_;
    PromptState state_ = PromptState::Open;
};

// Opens the prompt, DPI-scaled, centred, with the program's font and icon and the password field
// focused. Generated passphrases come from `random`.
std::unique_ptr<PromptWindow> OpenPromptWindow(Toolkit& toolkit, FileSelection selection,
                                               RandomFill random = SystemRandomFill());

// Which hand-ins belong to the selection being gathered: Explorer starts the processes of one
// selection within moments of each other, so a hand-in joins only within kJoinMs of the one
// before it, and never once the user has started to type. A later action (a double-click ten
// minutes on) is the user's next action, with a prompt of its own.
class HandInWindow {
  public:
    static constexpr std::uint32_t kJoinMs = 2000;
    explicit HandInWindow(std::uint32_t now) : last_(now) {}
    bool Open(std::uint32_t now) const { return !closed_ && now - last_ <= kJoinMs; }
    // Takes a hand-in that arrives now, or refuses it and every later one.
    bool Take(std::uint32_t now);
    void Close() { closed_ = true; }
    std::uint32_t last() const { return last_; }

  private:
    std::uint32_t last_;
    bool closed_ = false;
};

// What hand-ins must agree on to join: the direction a verb named, or none.
std::u16string HandInKind(std::optional<Direction> chosen);

struct PromptAnswer {
    FileSelection selection;
    SecretText password;
};

// The prompt's whole life, from the paths given to this process: they are walked on a thread of
// their own (a big folder or a share must not stop the window), together with the paths that
// `inbox` (when given) takes in while the HandInWindow is open; the inbox is closed, so that a
// later action gathers on its own, once it shuts. The prompt shows once the walks are done and no
// hand-in came for kQuietMs, and grows with later ones (rebuilt when they turn a selection to
// decrypt into one to encrypt). A selection without files shows its `nothingToDo` box instead.
// The answer: the selection and password, or nothing after a cancel or with nothing to do.
// `now` is the clock in milliseconds (TickCountMs).
std::optional<PromptAnswer> RunPrompt(Toolkit& toolkit, FileSystem& disk,
                                      std::vector<std::u16string> paths,
                                      std::optional<Direction> chosen, PathInbox* inbox,
                                      const std::function<std::uint32_t()>& now,
                                      RandomFill random = SystemRandomFill());

// Before the prompt shows, the selection may still be arriving: it waits this long after the last
// hand-in.
inline constexpr std::uint32_t kQuietMs = 500;

}  // namespace vexmora
