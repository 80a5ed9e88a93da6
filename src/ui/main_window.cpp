#include "ui/main_window.h"

#include <algorithm>
#include <new>

#include "crypto/direction.h"
#include "jobs/text_job.h"
#include "ui/dpi.h"
#include "ui/file_dialogs.h"
#include "ui/paths.h"
#include "ui/repeat_dialog.h"
#include "ui/text_file.h"
#include "ui/texts.h"

namespace vexmora {
namespace {

// Where each control goes, in 96-dpi units. The order of creation is also the Tab order, and a
// screen reader names a field after the label created right before it.
struct ControlLayout {
    Identity MainWindowControls::*slot;
    ControlKind kind;
    int x, y, width, height;
    std::u16string_view text;
    std::u16string_view name = {};  // see ControlArgs
    bool joinsGroup = false;
    bool shown = true;
};
using K = ControlKind;
using C = MainWindowControls;
constexpr ControlLayout kControls[] = {
    {&C::passwordFrame, K::GroupBox, 10, 10, 780, 70, texts::kPasswordFrame},
    {&C::textCryptFrame, K::GroupBox, 10, 90, 780, 430, texts::kTextCryptFrame},
    {&C::fileCryptFrame, K::GroupBox, 10, 530, 780, 63, texts::kFileCryptFrame},
    {&C::passwordLabel, K::FieldLabel, 20, 41, 60, 20, texts::kPasswordLabel},
    {&C::passwordField, K::PasswordField, 90, 40, 690, 20, u"", texts::kPasswordName},
    // Not shown (the frame says what the editor is for): it names the editor, which the
    // password's label would name otherwise.
    {&C::editorLabel, K::Label, 21, 146, 759, 20, texts::kEditorName, {}, false, false},
    {&C::textEditor, K::RichEdit, 21, 146, 759, 364, u"", texts::kEditorName},
    // Each row of buttons is a group: the arrow keys move along it.
    {&C::loadButton, K::PushButton, 20, 115, 100, 25, texts::kLoadButton},
    {&C::saveButton, K::PushButton, 130, 115, 100, 25, texts::kSaveButton, {}, true},
    {&C::encodeButton, K::PushButton, 240, 115, 100, 25, texts::kEncodeButton, {}, true},
    {&C::decodeButton, K::PushButton, 350, 115, 100, 25, texts::kDecodeButton, {}, true},
    {&C::encodeFileButton, K::PushButton, 20, 555, 100, 25, texts::kEncodeFileButton},
    {&C::decodeFileButton, K::PushButton, 130, 555, 100, 25, texts::kDecodeFileButton, {}, true},
};

// The strength line: under the password field, inside the Password frame, so that no other
// control moves. An empty field shows no rating, and no bar.
constexpr ControlLayout kStrengthLabel = {&C::strengthLabel, K::Label, 90, 62, 560, 15, u""};
constexpr ControlLayout kStrengthBar = {&C::strengthBar,      K::ProgressBar, 660,  65, 120, 9, u"",
                                        texts::kStrengthName, false,          false};

}  // namespace

MainWindow::MainWindow(Toolkit& toolkit, ProcessStarter startProcess, std::u16string programPath,
                       FileSystem& fileSystem, RandomFill random)
    : toolkit_(toolkit),
      fileSystem_(fileSystem),
      fileJobs_(toolkit, std::move(startProcess), std::move(programPath), fileSystem),
      random_(std::move(random)) {}

std::unique_ptr<MainWindow> BuildMainWindow(Toolkit& toolkit, int, int, int width, int height,
                                            ProcessStarter startProcess, std::u16string programPath,
                                            FileSystem& fileSystem, RandomFill random) {
    auto main = std::make_unique<MainWindow>(toolkit, std::move(startProcess),
                                             std::move(programPath), fileSystem, std::move(random));
    MainWindowControls& c = main->controls_;
    c.window = toolkit.OpenWindow({.title = std::u16string(texts::kProgramTitle),
                                   .clientWidth = Scaled(width),
                                   .clientHeight = Scaled(height),
                                   .minimizeBox = true,
                                   .placement = WindowPlacement::Centred,
                                   .acceptsFiles = true});
    const auto create = [&](const ControlLayout& control) {
        const Rect rect{Scaled(control.x), Scaled(control.y), Scaled(control.width),
                        Scaled(control.height)};
        c.*control.slot = toolkit.CreateControl(c.window, {.kind = control.kind,
                                                           .rect = rect,
                                                           .text = std::u16string(control.text),
                                                           .shown = control.shown,
                                                           .name = std::u16string(control.name),
                                                           .joinsGroup = control.joinsGroup});
    };
    for (const ControlLayout& control : kControls) {
        create(control);
    }
    create(kStrengthLabel);
    create(kStrengthBar);
    // Someone who starts typing at once types the password.
    toolkit.FocusControl(c.passwordField);
    toolkit.AddShortcut(c.window, ShortcutKey::CtrlO, c.loadButton);
    toolkit.AddShortcut(c.window, ShortcutKey::CtrlS, c.saveButton);
    return main;
}

int HandleMainEvent(MainWindow& window, int event) {
    if (event == CloseWindowEvent && window.MayClose()) {
        return 0;
    }
    if (event == DropFilesEvent) {
        window.CryptDroppedFiles(window.toolkit_.EventFiles());
    }
    if (event == ControlEvent) {
        window.HandleControl(window.toolkit_.EventControl());
    }
    // Menu items, platform messages and time-outs do nothing else.
    window.StartWaitingFileJobs();
    return 1;
}

bool MainWindow::MayClose() {
    return fileJobs_.jobs().Waiting() == 0 ||
           toolkit_.ShowMessageBox(texts::kInfoCaption, texts::kDropWaitingJobsQuestion,
                                   kMessageBoxYesNo) == kAnswerYes;
}

void MainWindow::HandleControl(Identity control) {
    try {
        HandleButton(control);
    } catch (const std::bad_alloc&) {
        // Each action changes the editor in its last step, or not at all: what it holds is
        // still the user's text.
        toolkit_.ShowMessageBox(texts::kErrorCaption, texts::kOutOfMemory, kMessageBoxOk);
    }
}

void MainWindow::HandleButton(Identity control) {
    const MainWindowControls& c = controls_;
    if (control == c.passwordField) {
        ShowStrength();
    } else if (control == c.loadButton) {
        Load();
    } else if (control == c.saveButton) {
        Save();
    } else if (control == c.encodeButton) {
        CryptEditorText(kEncrypt);
    } else if (control == c.decodeButton) {
        CryptEditorText(kDecrypt);
    } else if (control == c.encodeFileButton) {
        CryptFile(kEncrypt);
    } else if (control == c.decodeFileButton) {
        CryptFile(kDecrypt);
    }
}

void MainWindow::Load() {
    const std::u16string path = ChooseFile(toolkit_, texts::kTextPattern, false, fileSystem_);
    if (path.empty()) {
        return;
    }
    TextLoad result;
    {
        BusyCursor busy(toolkit_);
        const LoadedText loaded = LoadTextFile(path, fileSystem_);
        result = loaded.result;
        if (result == TextLoad::Loaded) {
            toolkit_.SetControlText(controls_.textEditor, loaded.text);
            return;
        }
    }
    // A cut or empty text in the editor would pass for the file's, and a Save over the file
    // would store the damage.
    toolkit_.ShowMessageBox(texts::kErrorCaption,
                            result == TextLoad::TooLarge   ? texts::kLoadTooLarge
                            : result == TextLoad::NoMemory ? texts::kOutOfMemory
                                                           : texts::kLoadFailed,
                            kMessageBoxOk);
}

void MainWindow::Save() {
    std::u16string path = ChooseFile(toolkit_, texts::kTextPattern, true, fileSystem_);
    if (path.empty()) {
        return;
    }
    if (ExtensionOf(path).empty()) {
        path += u".txt";
        // The name the user confirmed was the one without ".txt"; a file under the final name
        // must not be replaced unasked.
        if (!MayReplace(toolkit_, path, fileSystem_)) {
            return;
        }
    }
    std::u16string kept;
    if (SaveTextFile(path, toolkit_.ControlText(controls_.textEditor), fileSystem_, &kept) != 1) {
        toolkit_.ShowMessageBox(texts::kErrorCaption, texts::kSaveFailed, kMessageBoxOk);
    }
    if (!kept.empty()) {
        toolkit_.ShowMessageBox(texts::kInfoCaption, std::u16string(texts::kKeptOldFile) + kept,
                                kMessageBoxOk);
    }
}

void MainWindow::CryptEditorText(Direction direction) {
    if (direction == kEncrypt && !ConfirmForEncryption()) {
        return;
    }
    std::optional<std::u16string> result;
    {
        BusyCursor busy(toolkit_);
        const SecretText password = FieldPassword();
        result = CryptText(toolkit_.ControlText(controls_.textEditor), password.view(), direction);
        if (result) {
            // Undoable: a wrong password that passes the padding check gives garbage, and the
            // user gets the text back with Ctrl+Z.
            toolkit_.SetControlText(controls_.textEditor, *result);
        }
    }
    if (!result) {
        // A wrong password or damaged text: the editor keeps what it holds.
        toolkit_.ShowMessageBox(texts::kErrorCaption, texts::kEncodeDecodeError, kMessageBoxOk);
    }
}

void MainWindow::CryptFile(Direction direction) {
    const std::u16string input = ChooseFile(
        toolkit_, direction == kEncrypt ? texts::kAllFilesPattern : texts::kContainerPattern,
        false);
    if (!input.empty() && (direction == kDecrypt || ConfirmForEncryption())) {
        StartFileJob(direction, input);
    }
}

void MainWindow::CryptDroppedFiles(const std::vector<std::u16string>& paths) {
    std::vector<std::u16string> files;
    for (const std::u16string& path : paths) {
        // Folders (and devices, FIFOs) are no file to encrypt; what cannot be told is tried,
        // and the job reports it.
        if (fileSystem_.KindOf(path) != PathKind::Other) {
            files.push_back(path);
        }
    }
    if (files.empty()) {
        return;
    }
    if (FieldPassword().view().empty()) {
        // Far more likely forgotten than meant: every file would be encrypted with no password.
        toolkit_.ShowMessageBox(texts::kInfoCaption, texts::kTypePasswordFirst, kMessageBoxOk);
        return;
    }
    const bool encrypts = std::any_of(files.begin(), files.end(), [](const std::u16string& file) {
        return !IsContainerName(file);
    });
    // One confirmation for the whole drop; without it nothing of the drop starts.
    if (encrypts && !ConfirmForEncryption()) {
        return;
    }
    // Read again: the repeat dialog may have put a generated passphrase into the field.
    const SecretText password = FieldPassword();
    for (std::u16string& file : files) {
        const Direction direction = IsContainerName(file) ? kDecrypt : kEncrypt;
        fileJobs_.Wait({direction, std::move(file), password});
    }
}

void MainWindow::StartWaitingFileJobs() {
    fileJobs_.StartWaiting();
}

SecretText MainWindow::FieldPassword() {
    return SecretText(toolkit_.ControlText(controls_.passwordField));
}

void MainWindow::ShowStrength() {
    const SecretText password = FieldPassword();
    StrengthDisplay{controls_.strengthLabel, controls_.strengthBar}.Show(
        toolkit_, password.view(),
        !generated_.view().empty() && password.view() == generated_.view());
}

bool MainWindow::ConfirmForEncryption() {
    SecretText password = FieldPassword();
    if (confirmed_ && confirmed_->view() == password.view()) {
        return true;
    }
    PasswordRepeat repeat = AskPasswordAgain(toolkit_, controls_.window, random_);
    if (!repeat.answered) {
        return false;
    }
    if (repeat.generated) {
        // The passphrase replaces what the field held; the window keeps it, so that the user can
        // still read it off (or copy it) after the dialog.
        generated_ = repeat.password;
        password = std::move(repeat.password);
        toolkit_.SetControlText(controls_.passwordField, password.view());
        ShowStrength();
    } else if (repeat.password.view() != password.view()) {
        toolkit_.ShowMessageBox(texts::kErrorCaption, texts::kPasswordMismatch, kMessageBoxOk);
        return false;
    }
    if (!MayEncryptWith(toolkit_, password.view())) {
        return false;
    }
    confirmed_ = std::move(password);
    return true;
}

bool MainWindow::StartFileJob(Direction direction, std::u16string_view input) {
    const SecretText password = FieldPassword();
    return StartFileJob(direction, input, password.view());
}

bool MainWindow::StartFileJob(Direction direction, std::u16string_view input,
                              std::u16string_view password) {
    return fileJobs_.Start(direction, input, password);
}

std::u16string ChildCommandLine(std::u16string_view letter, std::u16string_view input,
                                std::u16string_view output) {
    std::u16string line;
    for (std::u16string_view field : {letter, input, output}) {
        if (!line.empty()) {
            line += u' ';
        }
        line += u'"';
        line += field;
        line += u'"';
    }
    return line;
}

}  // namespace vexmora
