// The main window: a password field, the "Text Crypt" area (an editor with Load, Save, Encode and
// Decode) and the "File Crypt" area (Encode file, Decode file), and what its buttons do.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "crypto/direction.h"
#include "crypto/passphrase.h"
#include "crypto/wipe.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "toolkit/toolkit.h"
#include "ui/file_job_starter.h"
#include "ui/password_rating.h"

namespace vexmora {

struct MainWindowControls {
    Identity window = kNoIdentity;
    Identity passwordFrame = kNoIdentity;
    Identity textCryptFrame = kNoIdentity;
    Identity fileCryptFrame = kNoIdentity;
    Identity passwordLabel = kNoIdentity;
    Identity passwordField = kNoIdentity;
    Identity editorLabel = kNoIdentity;  // hidden: it names the editor for screen readers
    Identity textEditor = kNoIdentity;
    Identity loadButton = kNoIdentity;
    Identity saveButton = kNoIdentity;
    Identity encodeButton = kNoIdentity;
    Identity decodeButton = kNoIdentity;
    Identity encodeFileButton = kNoIdentity;
    Identity decodeFileButton = kNoIdentity;
    // The strength line under the password field, created after the thirteen controls.
    Identity strengthLabel = kNoIdentity;
    Identity strengthBar = kNoIdentity;
};

class MainWindow {
  public:
    MainWindow(Toolkit& toolkit, ProcessStarter startProcess, std::u16string programPath,
               FileSystem& fileSystem = RealFileSystem(), RandomFill random = SystemRandomFill());
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    const MainWindowControls& controls() const { return controls_; }
    const FileJobQueue& fileJobs() const { return fileJobs_.jobs(); }

    // Starts a file-job child that encrypts (kEncrypt: output = input + ".vx") or decrypts
    // (kDecrypt: output = input without its ".vx", see IsContainerName; for any other name the
    // save dialog asks for the output, opened in the input's folder) input with the password of
    // the window. Every way of starting a file job from the window goes through here: the
    // password goes to the child as its secret, never on its command line, and an existing
    // output is replaced only after the overwrite question, which names it, was answered Yes
    // (see MayReplace). True when a child was started.
    bool StartFileJob(Direction direction, std::u16string_view input);
    // The same with a password given rather than read from the field.
    bool StartFileJob(Direction direction, std::u16string_view input, std::u16string_view password);

  private:
    friend std::unique_ptr<MainWindow> BuildMainWindow(Toolkit&, int, int, int, int, ProcessStarter,
                                                       std::u16string, FileSystem&, RandomFill);
    friend int HandleMainEvent(MainWindow&, int);

    void Load();
    void Save();
    void CryptEditorText(Direction direction);
    // A click on a control; an action that runs out of memory is answered with a box.
    void HandleControl(Identity control);
    void HandleButton(Identity control);
    // Whether the window may close: nothing waits, or the user lets the waiting jobs go.
    bool MayClose();
    void CryptFile(Direction direction);
    void CryptDroppedFiles(const std::vector<std::u16string>& paths);
    void StartWaitingFileJobs();
    // The password field's text, wiped when it is no longer used.
    SecretText FieldPassword();
    // Before the field's password encrypts: unless this password was confirmed before, the repeat
    // dialog (which may put a generated passphrase into the field) and, for a weak password, the
    // question. False when nothing may start.
    bool ConfirmForEncryption();
    void ShowStrength();

    Toolkit& toolkit_;
    FileSystem& fileSystem_;
    MainWindowControls controls_;
    FileJobStarter fileJobs_;
    RandomFill random_;
    // The password last repeated (and, when weak, let through); asked again once the field
    // holds another.
    std::optional<SecretText> confirmed_;
    // The passphrase the repeat dialog generated last, whose strength is stated exactly.
    SecretText generated_;
};

// Creates the window (title "Vexmora", client area width x height in 96-dpi units, centred; x and
// y are not used) and its thirteen controls, scaled, then the strength line in the Password frame;
// Ctrl+O stands for Load and Ctrl+S for Save, and files may be dropped on the window. Every label
// and button has an access key; the fields, the editor and the bar have names for screen readers
// (texts::kPasswordName, ...). The window lives until the process ends. Its files (Load, Save, what
// is at a path) are those of fileSystem; generated passphrases come from `random`.
std::unique_ptr<MainWindow> BuildMainWindow(Toolkit& toolkit, int x, int y, int width, int height,
                                            ProcessStarter startProcess, std::u16string programPath,
                                            FileSystem& fileSystem = RealFileSystem(),
                                            RandomFill random = SystemRandomFill());

// Carries out what an event of the window asks for. Returns 0 when the program is to end (the
// window asked to close, and no dropped file waits or the user answered Yes to dropping them), 1
// otherwise. Load, Save, Encode and Decode that run out of memory leave the editor as it was and
// say so.
//
// Every way of encrypting (Encode, Encode file, dropped files to encrypt) first has the password
// confirmed (see MainWindow::ConfirmForEncryption); Decode and Decode file never ask. The
// strength line follows the password field as it is typed.
//
// Each dropped file is a file job as if it had been chosen with "Encode file" or "Decode file"
// (a container name, see IsContainerName), with the password the field held at the drop;
// folders, devices and FIFOs are passed over. With the password field empty nothing starts, and
// a box asks for the password. Dropped files start through StartFileJob while fewer than
// FileJobQueue::kMaxRunning of the window's jobs run; the others wait, and every call (time-outs
// too) starts those whose turn has come. Jobs that have started are processes of their own and go
// on after the window closes.
int HandleMainEvent(MainWindow& window, int event);

// The parameters of a file-job child, which takes its password from its channel: three fields
// in double quotes, separated by spaces (a Windows path holds no double quote).
std::u16string ChildCommandLine(std::u16string_view letter, std::u16string_view input,
                                std::u16string_view output);

}  // namespace vexmora
