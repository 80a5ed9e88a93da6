// The system's dialogs that a program opens for the user: the open and save file dialogs and the
// message boxes that ask a question, found among another process's windows and answered from
// outside; and the processes that a program starts.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace vexmora::e2e {

// An explorer-style open or save dialog ("#32770" with a file-name field).
bool IsFileDialog(HWND window);
// A file dialog of the process; null when none appears before `timeout`.
HWND WaitForFileDialog(DWORD processId, std::chrono::milliseconds timeout);
// A "#32770" box of the process that is not a file dialog; null when none appears in time.
HWND WaitForBox(DWORD processId, std::chrono::milliseconds timeout);

// Puts `path` (a full path) into the dialog's file-name field and presses its Open/Save button
// (IDOK). Returns once the dialog has closed; false when the field is missing or the dialog stays
// open (for instance because it shows a complaint of its own).
bool ChooseInFileDialog(HWND dialog, const std::wstring& path,
                        std::chrono::milliseconds timeout = std::chrono::seconds(10));
// The entries of the dialog's "Files of type" list (cmb1), in order, and the index of the one
// selected; empty when the dialog has no such list or does not answer.
struct FileTypeChoices {
    std::vector<std::wstring> entries;
    int selected = -1;
};
FileTypeChoices FileTypes(HWND dialog);
// The words of the dialog's IDOK button ("Open" or "Save"), without the "&" of its access key.
std::wstring DialogOkText(HWND dialog);

// Presses the dialog's Cancel button (IDCANCEL) and waits until the dialog has closed.
bool CancelDialog(HWND dialog, std::chrono::milliseconds timeout = std::chrono::seconds(10));

// The words of the box's push buttons, in z-order (see VisibleText).
std::vector<std::wstring> BoxButtons(HWND box);
// Clicks the box's button with the command id `id` (IDOK, IDYES, IDNO, ...) and waits until the
// box has closed; false when the box has no such button or stays open.
bool AnswerBox(HWND box, int id, std::chrono::milliseconds timeout = std::chrono::seconds(10));

// The ids of the running processes whose parent is `parentId`.
std::vector<DWORD> ChildProcessIds(DWORD parentId);
// Waits for the process `processId` (not started by the driver) to end and returns its exit code;
// empty when it cannot be opened or is still running after `timeout`.
std::optional<DWORD> WaitForProcessExit(DWORD processId, std::chrono::milliseconds timeout);

}  // namespace vexmora::e2e
