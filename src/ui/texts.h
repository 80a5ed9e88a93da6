// Every text the program shows, in one place: window titles, labels, message boxes and the file
// dialogs' patterns. The labels are English and the dialog texts German, exactly as users know
// them; change none of them casually.
#pragma once

#include <string_view>

namespace vexmora::texts {

// Both windows' title.
inline constexpr std::u16string_view kProgramTitle = u"Vexmora";

// The "&" in a label's or button's text marks its access key (Alt+letter): the letter after it
// is underlined, the "&" itself is not shown. Within one window no two share a letter. The
// buttons that Enter and Esc stand for (OK, Cancel) have none, as the Windows guidelines have it.

// The main window.
inline constexpr std::u16string_view kPasswordFrame = u"Password";
inline constexpr std::u16string_view kTextCryptFrame = u"Text Crypt";
inline constexpr std::u16string_view kFileCryptFrame = u"File Crypt";
inline constexpr std::u16string_view kPasswordLabel = u"&Password:";
inline constexpr std::u16string_view kLoadButton = u"&Load";
inline constexpr std::u16string_view kSaveButton = u"&Save";
inline constexpr std::u16string_view kEncodeButton = u"E&ncode";
inline constexpr std::u16string_view kDecodeButton = u"&Decode";
inline constexpr std::u16string_view kEncodeFileButton = u"Encode &file";
inline constexpr std::u16string_view kDecodeFileButton = u"Decode f&ile";

// What a screen reader calls the controls whose own text does not name them. The editor's and
// the passphrase's stand in hidden labels too, so that the system finds them where it looks for
// a control's name (the label created before it).
inline constexpr std::u16string_view kPasswordName = u"Password";
inline constexpr std::u16string_view kRepeatName = u"Repeat";
inline constexpr std::u16string_view kEditorName = u"Text";
inline constexpr std::u16string_view kPassphraseName = u"Passphrase";
inline constexpr std::u16string_view kStrengthName = u"Password strength";

// The progress window.
inline constexpr std::u16string_view kPleaseWait = u"Please wait ...";
inline constexpr std::u16string_view kCancelButton = u"Cancel";
// Under the name of a batch's file in work: "file 12 of 300".
inline constexpr std::u16string_view kBatchFile = u"file ";
inline constexpr std::u16string_view kBatchOf = u" of ";

// The password prompt for paths given on the command line: "Decrypt notes.txt.vx",
// "Encrypt 3 files", "Encrypt the folder Photos (37 files)".
inline constexpr std::u16string_view kPromptEncrypt = u"Encrypt";
inline constexpr std::u16string_view kPromptDecrypt = u"Decrypt";
inline constexpr std::u16string_view kPromptTheFolder = u"the folder";
inline constexpr std::u16string_view kPromptFile = u"file";
inline constexpr std::u16string_view kPromptFiles = u"files";
inline constexpr std::u16string_view kPromptRepeatLabel = u"&Repeat:";
inline constexpr std::u16string_view kOkButton = u"OK";
// Said under kInfoCaption instead of the prompt when the paths hold nothing to work on: "Nothing
// to encrypt in Photos", "Nothing to decrypt in 3 selected items".
inline constexpr std::u16string_view kNothingToEncrypt = u"Nothing to encrypt in ";
inline constexpr std::u16string_view kNothingToDecrypt = u"Nothing to decrypt in ";
inline constexpr std::u16string_view kNothingItem = u"selected item";
inline constexpr std::u16string_view kNothingItems = u"selected items";

// Setting a password to encrypt: the window's repeat dialog, and the prompt when it encrypts.
inline constexpr std::u16string_view kRepeatCaption = u"Type the password once more.";
inline constexpr std::u16string_view kGenerateButton = u"&Generate";
inline constexpr std::u16string_view kCopyButton = u"&Copy";

// The strength line under a password: "weak: found in 4 days by 100 graphics cards".
inline constexpr std::u16string_view kBandNames[] = {u"very weak", u"weak", u"fair", u"strong"};
inline constexpr std::u16string_view kFoundIn = u": found in ";
inline constexpr std::u16string_view kByGraphicsCards = u" by 100 graphics cards";
// While the password is the passphrase just generated, its strength is known exactly.
inline constexpr std::u16string_view kGeneratedStrength = u"strong: 6 random words, 77.5 bits";

// Durations, in the line above (English) and in the weak-password question (German, after
// "in"): under a second, else a count of the largest unit that fits, from a thousand years on
// one word. `one` stands for a count of 1; `many` follows the count.
struct DurationWords {
    std::u16string_view one;
    std::u16string_view many;
};
struct DurationLanguage {
    std::u16string_view underASecond;
    DurationWords units[6];  // seconds, minutes, hours, days, years, centuries
    std::u16string_view millennia;
};
inline constexpr DurationLanguage kDurationEnglish = {
    u"under a second",
    {{u"1 second", u"seconds"},
     {u"1 minute", u"minutes"},
     {u"1 hour", u"hours"},
     {u"1 day", u"days"},
     {u"1 year", u"years"},
     {u"1 century", u"centuries"}},
    u"millennia",
};
inline constexpr DurationLanguage kDurationGerman = {
    u"unter einer Sekunde",
    {{u"einer Sekunde", u"Sekunden"},
     {u"einer Minute", u"Minuten"},
     {u"einer Stunde", u"Stunden"},
     {u"einem Tag", u"Tagen"},
     {u"einem Jahr", u"Jahren"},
     {u"einem Jahrhundert", u"Jahrhunderten"}},
    u"Jahrtausenden",
};

// Message boxes.
inline constexpr std::u16string_view kErrorCaption = u"Error";
inline constexpr std::u16string_view kInfoCaption = u"Info";
inline constexpr std::u16string_view kWarningCaption = u"Warning";
// A wrong password, damaged input, or a file job that failed.
inline constexpr std::u16string_view kEncodeDecodeError = u"Encode/Decode Error!";
inline constexpr std::u16string_view kSaveFailed = u"The text could not be saved.";
inline constexpr std::u16string_view kStartFailed = u"The file job could not be started.";
// Under kInfoCaption, when Cancel came while a file job's output was already being put in place.
inline constexpr std::u16string_view kCancelTooLate =
    u"Der Abbruch kam zu sp\u00e4t: die Datei war schon fertig und wurde gespeichert.";
// Load (under kErrorCaption): the editor keeps its text in every case.
inline constexpr std::u16string_view kLoadFailed =
    u"Die Datei konnte nicht gelesen werden. Der Text im Editor bleibt, wie er war.";
inline constexpr std::u16string_view kLoadTooLarge =
    u"Die Datei ist zu gro\u00df: der Editor l\u00e4dt Dateien bis 1 MB (1.048.576 Bytes). "
    u"Gro\u00dfe Dateien verschl\u00fcsselt \"Encode file\".";
// Load, Save, Encode or Decode ran out of memory (under kErrorCaption).
inline constexpr std::u16string_view kOutOfMemory =
    u"Nicht genug Arbeitsspeicher. Der Text im Editor bleibt, wie er war.";
// Under kErrorCaption, when the program cannot find out whether a file it would write exists.
inline constexpr std::u16string_view kCannotTellOutput =
    u"Es l\u00e4sst sich nicht feststellen, ob es diese Datei schon gibt (kein Zugriff?). "
    u"Sie wird nicht \u00fcberschrieben.";
// Under kInfoCaption, when files are dropped while the password field is empty.
inline constexpr std::u16string_view kTypePasswordFirst =
    u"Bitte zuerst das Passwort eingeben, dann die Dateien ablegen.";
// Asked, under kInfoCaption, when the main window is closed while dropped files wait their turn.
inline constexpr std::u16string_view kDropWaitingJobsQuestion =
    u"Es warten noch abgelegte Dateien darauf, an die Reihe zu kommen. M\u00f6chten Sie diese "
    u"verwerfen und das Programm beenden?";
// Under kErrorCaption, when the repeated password differs: nothing was started.
inline constexpr std::u16string_view kPasswordMismatch =
    u"Die beiden Passw\u00f6rter stimmen nicht \u00fcberein. Es wurde nichts verschl\u00fcsselt.";
// Asked, under kWarningCaption with No as the default, before a weak password encrypts:
// kWeakPasswordStart, the band ("sehr schwach"), kWeakPasswordTime, the time (kDurationGerman),
// kWeakPasswordEnd.
inline constexpr std::u16string_view kWeakPasswordStart = u"Dieses Passwort ist ";
inline constexpr std::u16string_view kWeakBandNames[] = {u"sehr schwach", u"schwach"};
inline constexpr std::u16string_view kWeakPasswordTime = u": 100 Grafikkarten finden es in ";
inline constexpr std::u16string_view kWeakPasswordEnd =
    u". Wer die verschl\u00fcsselte Datei bekommt, kann sie dann lesen.\n\n"
    u"Trotzdem mit diesem Passwort verschl\u00fcsseln?";
// Under kErrorCaption, when the system's random source gave no passphrase.
inline constexpr std::u16string_view kGenerateFailed =
    u"Es konnte keine Passphrase erzeugt werden: die Zufallsquelle des Systems hat versagt.";
// Under kErrorCaption, when another program holds the clipboard.
inline constexpr std::u16string_view kCopyFailed =
    u"Die Zwischenablage ist gerade nicht verf\u00fcgbar. Bitte noch einmal versuchen.";
// Asked, under kInfoCaption, before an existing file is replaced.
inline constexpr std::u16string_view kOverwriteQuestion =
    u"Es existiert schon eine Datei mit diesem Namen. M\u00f6chten sie diese Datei "
    u"\u00fcberschreiben?";

// The check box of the overwrite question in a batch: the answer stands for the later files.
inline constexpr std::u16string_view kSameForTheRest =
    u"F\u00fcr alle weiteren Dateien dieser Auswahl ebenso entscheiden";

// Why a file job failed: the line below kEncodeDecodeError, in the order of JobFailure (None
// first, which says nothing).
inline constexpr std::u16string_view kFailureReasons[] = {
    u"",
    u"Falsches Passwort oder besch\u00e4digte Datei.",
    u"Die Datei l\u00e4sst sich nicht lesen.",
    u"Der Zielordner existiert nicht.",
    u"Die Zieldatei ist gerade in Benutzung oder schreibgesch\u00fctzt.",
    u"Der Datentr\u00e4ger ist voll.",
    u"Das Ziellaufwerk kann die Herkunftsangabe aus dem Internet (Mark of the Web) nicht "
    u"speichern.",
    u"Nicht genug Arbeitsspeicher.",
    u"Die Datei konnte nicht verarbeitet werden.",
};

// The box after a batch with failures, under kErrorCaption: kEncodeDecodeError, then
// "3 von 300 Dateien sind fehlgeschlagen:", then a line per file ("C:\a.txt: <reason>"), at most
// kFailuresListed of them, then "und 5 weitere".
inline constexpr std::u16string_view kBatchFailedOf = u" von ";
inline constexpr std::u16string_view kBatchFailedEnd = u" Dateien sind fehlgeschlagen:";
inline constexpr std::u16string_view kBatchMoreStart = u"und ";
inline constexpr std::u16string_view kBatchMoreEnd = u" weitere";
// Under kErrorCaption, below kEncodeDecodeError, when a batch stopped because the first files
// would not decrypt.
inline constexpr std::u16string_view kPasswordSeemsWrong =
    u"Das Passwort scheint falsch zu sein: die ersten Dateien lie\u00dfen sich damit nicht "
    u"entschl\u00fcsseln. Die \u00fcbrigen Dateien wurden nicht ver\u00e4ndert.";

// Shown, under kInfoCaption and followed by the file's path, after a job from the window replaced
// a file that the Recycle Bin did not take: the old file stays beside the new one.
inline constexpr std::u16string_view kKeptOldFile =
    u"Die ersetzte Datei konnte nicht in den Papierkorb verschoben werden. Sie wurde "
    u"aufbewahrt unter:\n";

// The file dialogs' patterns: "label|mask|label|mask...".
inline constexpr std::u16string_view kTextPattern = u"Text (*.txt)|*.txt|Alle Dateien (*.*)|*.*";
inline constexpr std::u16string_view kAllFilesPattern = u"Alle Dateien (*.*)|*.*";
inline constexpr std::u16string_view kContainerPattern =
    u"Vexmorix (*.vx)|*.vx|Alle Dateien (*.*)|*.*";

}  // namespace vexmora::texts
