// Every text the program shows, in one place: window titles, labels, message boxes and the file
// dialogs' patterns. The labels are English and the dialog texts German, exactly as users know
// them; change none of them casually.
#pragma once

#include <string_view>

namespace vexmora::texts {

// Both windows' title.
inline constexpr std::u16string_view kProgramTitle = u"Vexmora";

// The main window.
inline constexpr std::u16string_view kPasswordFrame = u"Password";
inline constexpr std::u16string_view kTextCryptFrame = u"Text Crypt";
inline constexpr std::u16string_view kFileCryptFrame = u"File Crypt";
inline constexpr std::u16string_view kPasswordLabel = u"Password:";
inline constexpr std::u16string_view kLoadButton = u"Load";
inline constexpr std::u16string_view kSaveButton = u"Save";
inline constexpr std::u16string_view kEncodeButton = u"Encode";
inline constexpr std::u16string_view kDecodeButton = u"Decode";
inline constexpr std::u16string_view kEncodeFileButton = u"Encode file";
inline constexpr std::u16string_view kDecodeFileButton = u"Decode file";

// The progress window.
inline constexpr std::u16string_view kPleaseWait = u"Please wait ...";
inline constexpr std::u16string_view kCancelButton = u"Cancel";

// The password prompt for paths given on the command line: "Decrypt notes.txt.vx",
// "Encrypt 3 files", "Encrypt the folder Photos (37 files)".
inline constexpr std::u16string_view kPromptEncrypt = u"Encrypt";
inline constexpr std::u16string_view kPromptDecrypt = u"Decrypt";
inline constexpr std::u16string_view kPromptTheFolder = u"the folder";
inline constexpr std::u16string_view kPromptFile = u"file";
inline constexpr std::u16string_view kPromptFiles = u"files";
inline constexpr std::u16string_view kPromptRepeatLabel = u"Repeat:";
inline constexpr std::u16string_view kOkButton = u"OK";

// Message boxes.
inline constexpr std::u16string_view kErrorCaption = u"Error";
inline constexpr std::u16string_view kInfoCaption = u"Info";
// A wrong password, damaged input, or a file job that failed.
inline constexpr std::u16string_view kEncodeDecodeError = u"Encode/Decode Error!";
inline constexpr std::u16string_view kQuoteInPassword =
    u"The password must not contain a double quote for file encryption.";
inline constexpr std::u16string_view kSaveFailed = u"The text could not be saved.";
inline constexpr std::u16string_view kStartFailed = u"The file job could not be started.";
// Asked, under kInfoCaption, before an existing file is replaced.
inline constexpr std::u16string_view kOverwriteQuestion =
    u"Es existiert schon eine Datei mit diesem Namen. M\u00f6chten sie diese Datei "
    u"\u00fcberschreiben?";

// The file dialogs' patterns: "label|mask|label|mask...".
inline constexpr std::u16string_view kTextPattern = u"Text (*.txt)|*.txt|Alle Dateien (*.*)|*.*";
inline constexpr std::u16string_view kAllFilesPattern = u"Alle Dateien (*.*)|*.*";
inline constexpr std::u16string_view kContainerPattern =
    u"Vexmorix (*.vx)|*.vx|Alle Dateien (*.*)|*.*";

}  // namespace vexmora::texts
