// The main window: a password field, the "Text Crypt" area (an editor with Load, Save, Encode and
// Decode) and the "File Crypt" area (Encode file, Decode file), and what its buttons do.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "crypto/direction.h"
#include "platform/process.h"
#include "toolkit/toolkit.h"
#include "ui/file_job_starter.h"

namespace vexmora {

struct MainWindowControls {
    Identity window = kNoIdentity;
    Identity passwordFrame = kNoIdentity;
    Identity textCryptFrame = kNoIdentity;
    Identity fileCryptFrame = kNoIdentity;
    Identity passwordLabel = kNoIdentity;
    Identity passwordField = kNoIdentity;
    Identity textEditor = kNoIdentity;
    Identity loadButton = kNoIdentity;
    Identity saveButton = kNoIdentity;
    Identity encodeButton = kNoIdentity;
    Identity decodeButton = kNoIdentity;
    Identity encodeFileButton = kNoIdentity;
    Identity decodeFileButton = kNoIdentity;
};

class MainWindow {
  public:
    MainWindow(Toolkit& toolkit, ProcessStarter startProcess, std::u16string programPath);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    const MainWindowControls& controls() const { return controls_; }
    const FileJobQueue& fileJobs() const { return fileJobs_.jobs(); }

    // Starts a file-job child that encrypts (kEncrypt: output = input + ".vx") or decrypts
    // (kDecrypt: output = input without its last three characters) input with the password of
    // the window. Every way of starting a file job from the window goes through here: a password
    // with a double quote is refused with a box, and an existing output is replaced only after
    // the overwrite question was answered Yes. True when a child was started.
    bool StartFileJob(Direction direction, std::u16string_view input);
    // The same with a password given rather than read from the field.
    bool StartFileJob(Direction direction, std::u16string_view input, std::u16string_view password);

  private:
    friend std::unique_ptr<MainWindow> BuildMainWindow(Toolkit&, int, int, int, int, ProcessStarter,
                                                       std::u16string);
    friend int HandleMainEvent(MainWindow&, int);

    void Load();
    void Save();
    void CryptEditorText(Direction direction);
    void HandleControl(Identity control);
    void CryptFile(Direction direction);
    void CryptDroppedFiles(const std::vector<std::u16string>& paths);
    void StartWaitingFileJobs();
    // False (after an error box) when the password holds a double quote.
    bool PasswordFitsCommandLine(std::u16string_view password);

    Toolkit& toolkit_;
    MainWindowControls controls_;
    FileJobStarter fileJobs_;
};

// Creates the window (title "Vexmora", client area width x height in 96-dpi units, centred; x and
// y are not used) and its twelve controls, scaled; Ctrl+O stands for Load and Ctrl+S for Save,
// and files may be dropped on the window. The window lives until the process ends.
std::unique_ptr<MainWindow> BuildMainWindow(Toolkit& toolkit, int x, int y, int width, int height,
                                            ProcessStarter startProcess,
                                            std::u16string programPath);

// Carries out what an event of the window asks for. Returns 0 when the program is to end (the
// window asked to close), 1 otherwise.
//
// Each dropped file is a file job as if it had been chosen with "Encode file" (a name whose
// extension is not exactly "vx") or "Decode file" (extension "vx"), with the password the field
// held at the drop; folders are passed over. Dropped files start through StartFileJob while
// fewer than FileJobQueue::kMaxRunning of the window's jobs run; the others wait, and every call
// (time-outs too) starts those whose turn has come. Files still waiting when the window closes
// are not started.
int HandleMainEvent(MainWindow& window, int event);

// The parameters of a file-job child: four fields in double quotes, separated by spaces.
std::u16string ChildCommandLine(std::u16string_view letter, std::u16string_view input,
                                std::u16string_view output, std::u16string_view password);

}  // namespace vexmora
