// What the desktop sees of the program and how it takes part in it: the version and icons in the
// executable, files dropped on the main window, Esc in the progress window, Ctrl+O and Ctrl+S.
#include <windows.h>
// After windows.h:
#include <shellapi.h>

#include <set>
#include <string>
#include <vector>

#include "driver/file_drop.h"
#include "driver/system_dialogs.h"
#include "driver/user_input.h"
#include "e2e_test_support.h"

namespace vexmora::e2e {
namespace {

// ---------------------------------------------------------------------------------------------
// Resources

std::wstring VersionString(const std::vector<BYTE>& info, const wchar_t* name) {
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) ||
        value == nullptr) {
        return L"<missing>";
    }
    return std::wstring(value, length > 0 ? length - 1 : 0);
}

TEST(ProgramResources, VersionComesFromTheProject) {
    const std::wstring program = ProgramPath();
    DWORD ignored = 0;
    std::vector<BYTE> info(GetFileVersionInfoSizeW(program.c_str(), &ignored));
    ASSERT_FALSE(info.empty()) << "no version resource";
    ASSERT_TRUE(
        GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    const std::wstring version = L"" VEXMORA_VERSION;
    EXPECT_EQ(VersionString(info, L"ProductName"), L"Vexmora");
    EXPECT_EQ(VersionString(info, L"FileVersion"), version);
    EXPECT_EQ(VersionString(info, L"ProductVersion"), version);
    EXPECT_EQ(VersionString(info, L"OriginalFilename"), L"vexmora.exe");
    EXPECT_NE(VersionString(info, L"FileDescription").find(L"Vexmora"), std::wstring::npos);
    EXPECT_NE(VersionString(info, L"LegalCopyright").find(L"Copyright"), std::wstring::npos);

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
    ASSERT_NE(fixed, nullptr);
    const std::wstring numbers = std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
                                 std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
                                 std::to_wstring(HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(numbers, version);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST(ProgramResources, IconGroupHoldsEverySize) {
    const std::wstring program = ProgramPath();
    EXPECT_EQ(ExtractIconExW(program.c_str(), -1, nullptr, nullptr, 0), 1u);

    HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC group =
        FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_NE(group, nullptr) << "no icon group 1";
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
    ASSERT_NE(bytes, nullptr);
    // GRPICONDIR: reserved, type 1, count; then 14-byte entries starting with width and height,
    // where 0 stands for 256.
    const WORD count = *reinterpret_cast<const WORD*>(bytes + 4);
    ASSERT_LE(6u + 14u * count, SizeofResource(module, group));
    std::set<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = bytes + 6 + 14 * i;
        EXPECT_EQ(entry[0], entry[1]) << "not square";
        sizes.insert(entry[0] == 0 ? 256 : entry[0]);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 20, 24, 32, 40, 48, 64, 256}));
    // Each size loads as an icon of exactly that size.
    for (int size : sizes) {
        HICON icon =
            static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO iconInfo{};
        ASSERT_TRUE(GetIconInfo(icon, &iconInfo));
        BITMAP bitmap{};
        GetObjectW(iconInfo.hbmColor, sizeof(bitmap), &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        DeleteObject(iconInfo.hbmColor);
        DeleteObject(iconInfo.hbmMask);
        DestroyIcon(icon);
    }
    FreeLibrary(module);
}

// ---------------------------------------------------------------------------------------------
// The main window, driven from outside

class MainWindowProcess : public ProgramTest {
  protected:
    void SetUp() override {
        process_.emplace(ProgramProcess::Start(ProgramPath(), L"", Folder()));
        window_ = WaitForWindow(process_->Id(), kTitle, 30s);
        ASSERT_NE(window_, nullptr) << "no main window";
        ASSERT_TRUE(WaitUntil([&] { return ChildControls(window_).size() >= 12; }, 10s));
    }
    void TearDown() override {
        if (window_ != nullptr) {
            PostCloseRequest(window_);
            EXPECT_EQ(process_->WaitForExit(30s), 0u);
        }
    }
    HWND Control(const wchar_t* className) const {
        for (const ChildControl& control : ChildControls(window_)) {
            if (SameClass(control.className, className)) {
                return control.window;
            }
        }
        return nullptr;
    }

    std::optional<ProgramProcess> process_;
    HWND window_ = nullptr;
};

TEST_F(MainWindowProcess, CtrlOOpensLoadAndCtrlSOpensSave) {
    const struct {
        WORD key;
        const wchar_t* ok;
    } cases[] = {{'O', L"Open"}, {'S', L"Save"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.ok));
        ASSERT_TRUE(PressChord(Control(L"RichEdit20W"), VK_CONTROL, c.key));
        HWND dialog = WaitForFileDialog(process_->Id(), 15s);
        ASSERT_NE(dialog, nullptr) << "no file dialog";
        EXPECT_EQ(DialogOkText(dialog), c.ok);
        EXPECT_EQ(FileTypes(dialog).entries,
                  (std::vector<std::wstring>{L"Text (*.txt)", L"Alle Dateien (*.*)"}));
        ASSERT_TRUE(CancelDialog(dialog));
        ASSERT_TRUE(Synchronize(window_));
    }
    // The keys reached no control: the editor, which had the focus, holds no character.
    EXPECT_EQ(ControlText(Control(L"RichEdit20W")), std::optional<std::wstring>(L""));
    EXPECT_TRUE(ListFolder(Folder()).empty());
}

// Two large files keep their jobs running long enough that a third one started at once would be
// seen beside them.
TEST_F(MainWindowProcess, DroppedFilesRunTwoAtATime) {
    constexpr std::uint64_t kLarge = 256ull * 1024 * 1024;
    WriteZeroFile(At(L"one.bin"), kLarge);
    WriteZeroFile(At(L"two.bin"), kLarge);
    WriteBytes(At(L"known.vx"), kSpacePasswordContainer);
    ASSERT_TRUE(CreateDirectoryW(At(L"folder").c_str(), nullptr));
    ASSERT_TRUE(SetControlText(Control(L"Edit"), L"correct horse"));

    ASSERT_TRUE(
        DropFiles(window_, {At(L"one.bin"), At(L"folder"), At(L"two.bin"), At(L"known.vx")}));
    // Files to encrypt: the password is asked for again first.
    ASSERT_TRUE(ConfirmPassword(process_->Id(), window_, {L"correct horse"}));
    std::size_t most = 0;
    const bool done = WaitUntil(
        [&] {
            most = std::max(most, ChildProcessIds(process_->Id()).size());
            return FileExists(At(L"known")) &&
                   FileSize(At(L"one.bin.vx")) == ContainerSize(kLarge) &&
                   FileSize(At(L"two.bin.vx")) == ContainerSize(kLarge) &&
                   ChildProcessIds(process_->Id()).empty();
        },
        300s);
    ASSERT_TRUE(done) << "the dropped files were not all done";
    EXPECT_LE(most, 2u) << "more than two jobs ran at once";
    EXPECT_EQ(ReadBytes(At(L"known")), KnownPlaintext());
    EXPECT_FALSE(FileExists(At(L"folder.vx")));
    EXPECT_EQ(ListFolder(Folder()).size(), 7u) << "a stray file was left behind";
}

// ---------------------------------------------------------------------------------------------
// Esc in the progress window

TEST_F(ProgramTest, EscCancelsALongJobAndKeepsTheDestination) {
    constexpr std::uint64_t kLongJob = 1024ull * 1024 * 1024;
    WriteZeroFile(At(L"big.bin"), kLongJob);
    const Bytes kept = PatternBytes(999, 7);
    WriteBytes(At(L"dest.bin"), kept);
    const FolderListing before = ListFolder(Folder());

    // The table-driven AES keeps the job running for seconds.
    SetEnvironmentVariableW(L"VEXMORA_AES", L"table");
    ProgramProcess process = ProgramProcess::Start(
        ProgramPath(), QuotedParameters({L"E", At(L"big.bin"), At(L"dest.bin"), L"pw"}), Folder());
    SetEnvironmentVariableW(L"VEXMORA_AES", nullptr);
    HWND window = WaitForWindow(process.Id(), kTitle, 30s);
    ASSERT_NE(window, nullptr);
    // Let the job get going: a new file beside the destination grows past one chunk.
    WaitUntil(
        [&] {
            for (const auto& [name, entry] : ListFolder(Folder())) {
                if (!before.contains(name) && entry.size >= kChunk) {
                    return true;
                }
            }
            return false;
        },
        30s);
    ASSERT_TRUE(process.Running()) << "the job ended before Esc";
    ASSERT_TRUE(PressKey(window, VK_ESCAPE));
    EXPECT_EQ(process.WaitForExit(60s), 1u);
    EXPECT_EQ(WaitForMessageBox(process.Id(), 0ms), nullptr);
    EXPECT_EQ(ListFolder(Folder()), before);
    EXPECT_EQ(ReadBytes(At(L"dest.bin")), kept);
}

}  // namespace
}  // namespace vexmora::e2e
