#include "ui/main_window.h"

#include "crypto/aes/aes_engine.h"
#include "jobs/text_job.h"
#include "ui/dpi.h"
#include "ui/file_dialogs.h"
#include "ui/paths.h"
#include "ui/text_file.h"

namespace vexmora {
namespace {

constexpr std::u16string_view kErrorCaption = u"Error";
constexpr std::u16string_view kCryptError = u"Encode/Decode Error!";
constexpr std::u16string_view kQuoteInPassword =
    u"The password must not contain a double quote for file encryption.";
constexpr std::u16string_view kSaveFailed = u"The text could not be saved.";
constexpr std::u16string_view kStartFailed = u"The file job could not be started.";

Identity Add(Toolkit& toolkit, Identity window, ControlKind kind, int x, int y, int width,
             int height, std::u16string_view text) {
    return toolkit.CreateControl(
        window,
        {kind, {Scaled(x), Scaled(y), Scaled(width), Scaled(height)}, std::u16string(text)});
}

}  // namespace

MainWindow::MainWindow(Toolkit& toolkit, ProcessStarter startProcess, std::u16string programPath)
    : toolkit_(toolkit),
      startProcess_(std::move(startProcess)),
      programPath_(std::move(programPath)) {}

std::unique_ptr<MainWindow> BuildMainWindow(Toolkit& toolkit, int, int, int width, int height,
                                            ProcessStarter startProcess,
                                            std::u16string programPath) {
    auto main =
        std::make_unique<MainWindow>(toolkit, std::move(startProcess), std::move(programPath));
    MainWindowControls& c = main->controls_;
    c.window = toolkit.OpenWindow({.title = u"Vexmora",
                                   .clientWidth = Scaled(width),
                                   .clientHeight = Scaled(height),
                                   .minimizeBox = true,
                                   .placement = WindowPlacement::Centred});
    // Creation order is also the Tab order.
    const Identity w = c.window;
    c.passwordFrame = Add(toolkit, w, ControlKind::GroupBox, 10, 10, 780, 70, u"Password");
    c.textCryptFrame = Add(toolkit, w, ControlKind::GroupBox, 10, 90, 780, 430, u"Text Crypt");
    c.fileCryptFrame = Add(toolkit, w, ControlKind::GroupBox, 10, 530, 780, 63, u"File Crypt");
    c.passwordLabel = Add(toolkit, w, ControlKind::Label, 20, 41, 60, 20, u"Password:");
    c.passwordField = Add(toolkit, w, ControlKind::PasswordField, 90, 40, 690, 20, u"");
    c.textEditor = Add(toolkit, w, ControlKind::RichEdit, 21, 146, 759, 364, u"");
    c.loadButton = Add(toolkit, w, ControlKind::PushButton, 20, 115, 100, 25, u"Load");
    c.saveButton = Add(toolkit, w, ControlKind::PushButton, 130, 115, 100, 25, u"Save");
    c.encodeButton = Add(toolkit, w, ControlKind::PushButton, 240, 115, 100, 25, u"Encode");
    c.decodeButton = Add(toolkit, w, ControlKind::PushButton, 350, 115, 100, 25, u"Decode");
    c.encodeFileButton = Add(toolkit, w, ControlKind::PushButton, 20, 555, 100, 25, u"Encode file");
    c.decodeFileButton =
        Add(toolkit, w, ControlKind::PushButton, 130, 555, 100, 25, u"Decode file");
    return main;
}

int HandleMainEvent(MainWindow& window, int event) {
    if (event == CloseWindowEvent) {
        return 0;
    }
    if (event != ControlEvent) {
        return 1;  // menu items, platform messages and time-outs
    }
    const Identity control = window.toolkit_.EventControl();
    const MainWindowControls& c = window.controls_;
    if (control == c.loadButton) {
        window.Load();
    } else if (control == c.saveButton) {
        window.Save();
    } else if (control == c.encodeButton) {
        window.CryptEditorText(kEncrypt);
    } else if (control == c.decodeButton) {
        window.CryptEditorText(kDecrypt);
    } else if (control == c.encodeFileButton) {
        window.CryptFile(kEncrypt);
    } else if (control == c.decodeFileButton) {
        window.CryptFile(kDecrypt);
    }
    return 1;
}

void MainWindow::Load() {
    const std::u16string path = ChooseFile(toolkit_, kTextPattern, false);
    if (!path.empty()) {
        toolkit_.SetControlText(controls_.textEditor, LoadTextFile(path));
    }
}

void MainWindow::Save() {
    std::u16string path = ChooseFile(toolkit_, kTextPattern, true);
    if (path.empty()) {
        return;
    }
    if (ExtensionOf(path).empty()) {
        path += u".txt";
        // The name the user confirmed was the one without ".txt"; a file under the final name
        // must not be replaced unasked.
        if (!MayReplace(toolkit_, path)) {
            return;
        }
    }
    if (SaveTextFile(path, toolkit_.ControlText(controls_.textEditor)) != 1) {
        toolkit_.ShowMessageBox(kErrorCaption, kSaveFailed, kMessageBoxOk);
    }
}

void MainWindow::CryptEditorText(int direction) {
    const std::u16string password = toolkit_.ControlText(controls_.passwordField);
    const std::u16string text = toolkit_.ControlText(controls_.textEditor);
    const std::optional<std::u16string> result = CryptText(text, password, direction);
    if (!result) {
        // A wrong password or damaged text: the editor keeps what it holds.
        toolkit_.ShowMessageBox(kErrorCaption, kCryptError, kMessageBoxOk);
        return;
    }
    toolkit_.SetControlText(controls_.textEditor, *result);
}

void MainWindow::CryptFile(int direction) {
    // Refused before the dialog, so that no file is chosen in vain.
    if (!PasswordFitsCommandLine()) {
        return;
    }
    const std::u16string input =
        ChooseFile(toolkit_, direction == kEncrypt ? kAllFilesPattern : kContainerPattern, false);
    if (!input.empty()) {
        StartFileJob(direction, input);
    }
}

bool MainWindow::PasswordFitsCommandLine() {
    // The child reads its command line without escapes: a quote would split the password.
    if (toolkit_.ControlText(controls_.passwordField).find(u'"') == std::u16string::npos) {
        return true;
    }
    toolkit_.ShowMessageBox(kErrorCaption, kQuoteInPassword, kMessageBoxOk);
    return false;
}

bool MainWindow::StartFileJob(int direction, std::u16string_view input) {
    if (!PasswordFitsCommandLine()) {
        return false;
    }
    const bool encrypt = direction == kEncrypt;
    // Decoding drops the last three characters, whatever they are.
    const std::u16string output =
        encrypt ? std::u16string(input) + u".vx"
                : std::u16string(input.substr(0, input.size() >= 3 ? input.size() - 3 : 0));
    // The child replaces without asking (as on the command line): the window asks first.
    if (!MayReplace(toolkit_, output)) {
        return false;
    }
    const std::u16string parameters = ChildCommandLine(
        encrypt ? u"E" : u"D", input, output, toolkit_.ControlText(controls_.passwordField));
    if (!startProcess_(programPath_, parameters, FolderOf(programPath_))) {
        toolkit_.ShowMessageBox(kErrorCaption, kStartFailed, kMessageBoxOk);
        return false;
    }
    return true;
}

std::u16string ChildCommandLine(std::u16string_view letter, std::u16string_view input,
                                std::u16string_view output, std::u16string_view password) {
    std::u16string line;
    for (std::u16string_view field : {letter, input, output, password}) {
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
