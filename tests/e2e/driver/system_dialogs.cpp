#include "driver/system_dialogs.h"

#include <tlhelp32.h>

#include <algorithm>

#include "driver/unique_handle.h"
#include "driver/window_probe.h"

namespace vexmora::e2e {

namespace {

// The file-name field of an explorer-style dialog: the combo box cmb13 (a "ComboBoxEx32" under
// Wine, with an edit control inside) or, in older templates, the edit control edt1.
constexpr int kFileNameCombo = 0x47c;
constexpr int kFileNameEdit = 0x480;
// The "Files of type" combo box.
constexpr int kFileTypeCombo = 0x470;
constexpr UINT kAnswerTimeoutMs = 10000;

HWND FileNameField(HWND dialog) {
    HWND field = GetDlgItem(dialog, kFileNameCombo);
    if (field == nullptr) {
        field = GetDlgItem(dialog, kFileNameEdit);
    }
    if (field == nullptr) {
        return nullptr;
    }
    // The edit control inside the combo box holds the text that the dialog reads on OK.
    HWND edit = FindWindowExW(field, nullptr, L"Edit", nullptr);
    if (edit == nullptr) {
        if (HWND combo = FindWindowExW(field, nullptr, L"ComboBox", nullptr)) {
            edit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
        }
    }
    return edit != nullptr ? edit : field;
}

HWND WaitForDialog(DWORD processId, bool fileDialog, std::chrono::milliseconds timeout) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : TopLevelWindows(processId)) {
                if (IsMessageBox(window) && IsFileDialog(window) == fileDialog) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return found;
}

bool PressButton(HWND dialog, int id, std::chrono::milliseconds timeout) {
    HWND button = GetDlgItem(dialog, id);
    if (button == nullptr || !SameClass(ClassName(button), L"Button")) {
        return false;
    }
    PostClick(button);
    return WaitUntil([&] { return !IsWindow(dialog); }, timeout);
}

}  // namespace

bool IsFileDialog(HWND window) {
    return IsMessageBox(window) && (GetDlgItem(window, kFileNameCombo) != nullptr ||
                                    GetDlgItem(window, kFileNameEdit) != nullptr);
}

HWND WaitForFileDialog(DWORD processId, std::chrono::milliseconds timeout) {
    return WaitForDialog(processId, true, timeout);
}

HWND WaitForBox(DWORD processId, std::chrono::milliseconds timeout) {
    return WaitForDialog(processId, false, timeout);
}

bool ChooseInFileDialog(HWND dialog, const std::wstring& path, std::chrono::milliseconds timeout) {
    HWND field = FileNameField(dialog);
    if (field == nullptr) {
        return false;
    }
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()),
                             SMTO_ABORTIFHUNG, static_cast<UINT>(timeout.count()), &result)) {
        return false;
    }
    return PressButton(dialog, IDOK, timeout);
}

FileTypeChoices FileTypes(HWND dialog) {
    FileTypeChoices choices;
    HWND combo = GetDlgItem(dialog, kFileTypeCombo);
    DWORD_PTR count = 0;
    if (combo == nullptr ||
        !SendMessageTimeoutW(combo, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                             &count) ||
        static_cast<LRESULT>(count) == CB_ERR) {
        return choices;
    }
    for (DWORD_PTR i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                                 &length) ||
            static_cast<LRESULT>(length) == CB_ERR) {
            return {};
        }
        // The system copies the entry back from the other process for CB_GETLBTEXT.
        std::wstring entry(static_cast<std::size_t>(length) + 1, L'\0');
        DWORD_PTR copied = 0;
        if (!SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry.data()),
                                 SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &copied) ||
            static_cast<LRESULT>(copied) == CB_ERR) {
            return {};
        }
        entry.resize(std::min<std::size_t>(copied, length));
        choices.entries.push_back(std::move(entry));
    }
    DWORD_PTR selected = 0;
    if (SendMessageTimeoutW(combo, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                            &selected)) {
        choices.selected = static_cast<int>(static_cast<LRESULT>(selected));
    }
    return choices;
}

std::wstring DialogOkText(HWND dialog) {
    HWND button = GetDlgItem(dialog, IDOK);
    return button != nullptr ? VisibleText(WindowText(button)) : std::wstring();
}

bool CancelDialog(HWND dialog, std::chrono::milliseconds timeout) {
    return PressButton(dialog, IDCANCEL, timeout);
}

std::vector<std::wstring> BoxButtons(HWND box) {
    std::vector<std::wstring> buttons;
    for (const ChildControl& control : ChildControls(box)) {
        if (SameClass(control.className, L"Button") && (control.style & WS_VISIBLE) != 0) {
            buttons.push_back(VisibleText(control.text));
        }
    }
    return buttons;
}

bool AnswerBox(HWND box, int id, std::chrono::milliseconds timeout) {
    return PressButton(box, id, timeout);
}

std::vector<DWORD> ChildProcessIds(DWORD parentId) {
    std::vector<DWORD> children;
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.Valid()) {
        return children;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        if (entry.th32ParentProcessID == parentId && entry.th32ProcessID != parentId) {
            children.push_back(entry.th32ProcessID);
        }
    }
    return children;
}

std::optional<DWORD> WaitForProcessExit(DWORD processId, std::chrono::milliseconds timeout) {
    UniqueHandle process(
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process.Valid() ||
        WaitForSingleObject(process.Get(), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    if (!GetExitCodeProcess(process.Get(), &code)) {
        return std::nullopt;
    }
    return code;
}

}  // namespace vexmora::e2e
