// What the Win32 listing, identities and temporary files make of what the system reports. Wine has
// no cloud placeholders, deduplicated files, name-surrogate tags or ReFS, so those are fake
// structures filled as Microsoft documents them: the tags in
// https://learn.microsoft.com/en-us/openspecs/windows_protocols/ms-fscc/c8e77b37-3909-4fe6-a4ea-2b9d423b1ee4
// (dwReserved0 holds the tag of a reparse point,
// https://learn.microsoft.com/en-us/windows/win32/api/minwinbase/ns-minwinbase-win32_find_dataw),
// the attributes in https://learn.microsoft.com/en-us/windows/win32/fileio/file-attribute-constants
#include "platform/win32/file_information.h"

#include <gtest/gtest.h>
// After windows.h:
#include <sddl.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <memory>
#include <optional>
#include <tuple>
#include <vector>

#include "platform/win32/file_safety_win32.h"
#include "temp_dir.h"
#include "test_support.h"

namespace vexmora {
namespace {

WIN32_FIND_DATAW Found(const wchar_t* name, DWORD attributes, DWORD tag, DWORD sizeHigh,
                       DWORD sizeLow) {
    WIN32_FIND_DATAW found{};
    wcsncpy(found.cFileName, name, MAX_PATH - 1);
    found.dwFileAttributes = attributes;
    found.dwReserved0 = tag;
    found.nFileSizeHigh = sizeHigh;
    found.nFileSizeLow = sizeLow;
    return found;
}

TEST(EntryFromFindData, OnlyNameSurrogatesAreLinksAndPlaceholdersAreWhatTheyStandFor) {
    constexpr DWORD kArchive = FILE_ATTRIBUTE_ARCHIVE;
    constexpr DWORD kReparse = FILE_ATTRIBUTE_REPARSE_POINT;
    constexpr DWORD kFolder = FILE_ATTRIBUTE_DIRECTORY;
    constexpr DWORD kHidden = FILE_ATTRIBUTE_HIDDEN;
    constexpr DWORD kSystem = FILE_ATTRIBUTE_SYSTEM;
    // A file of OneDrive's "online-only" state: its data is in the cloud until it is opened.
    constexpr DWORD kOnlineOnly = kArchive | kReparse | FILE_ATTRIBUTE_SPARSE_FILE |
                                  FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_RECALL_ON_DATA_ACCESS |
                                  FILE_ATTRIBUTE_UNPINNED;
    constexpr DWORD kCloud = IO_REPARSE_TAG_CLOUD_6;
    struct Row {
        const wchar_t* name;
        DWORD attributes;
        DWORD tag;
        DWORD sizeHigh;
        DWORD sizeLow;
        EntryKind kind;
        bool hiddenSystem;
        std::int64_t size;
    };
    const std::vector<Row> rows = {
        {L"plain.txt", kArchive, 0, 0, 3, EntryKind::File, false, 3},
        // dwReserved0 means nothing without the reparse attribute.
        {L"stale tag", kArchive, IO_REPARSE_TAG_SYMLINK, 0, 3, EntryKind::File, false, 3},
        {L"2 GiB", kArchive, 0, 0, 0x80000000, EntryKind::File, false, 2147483648},
        {L"6 GiB and 5", kArchive, 0, 1, 0x80000005, EntryKind::File, false, 6442450949},
        {L"folder", kFolder, 0, 0, 0, EntryKind::Folder, false, -1},
        {L"file link", kArchive | kReparse, IO_REPARSE_TAG_SYMLINK, 0, 0, EntryKind::Link, false,
         -1},
        {L"folder link", kFolder | kReparse, IO_REPARSE_TAG_SYMLINK, 0, 0, EntryKind::Link, false,
         -1},
        {L"junction", kFolder | kReparse, IO_REPARSE_TAG_MOUNT_POINT, 0, 0, EntryKind::Link, false,
         -1},
        {L"WSL link", kArchive | kReparse, IO_REPARSE_TAG_LX_SYMLINK, 0, 0, EntryKind::Link, false,
         -1},
        {L"online-only", kOnlineOnly, kCloud, 0, 1234, EntryKind::File, false, 1234},
        {L"downloaded", kArchive | kReparse, kCloud, 0, 99, EntryKind::File, false, 99},
        {L"always kept", kArchive | kReparse | FILE_ATTRIBUTE_PINNED, kCloud, 0, 5, EntryKind::File,
         false, 5},
        {L"cloud folder", kFolder | kReparse | FILE_ATTRIBUTE_RECALL_ON_OPEN, kCloud, 0, 0,
         EntryKind::Folder, false, -1},
        {L"pinned cloud folder", kFolder | kReparse | FILE_ATTRIBUTE_PINNED, kCloud, 0, 0,
         EntryKind::Folder, false, -1},
        {L"sync root", kFolder | kReparse, IO_REPARSE_TAG_CLOUD, 0, 0, EntryKind::Folder, false,
         -1},
        {L"deduplicated", kArchive | kReparse | FILE_ATTRIBUTE_SPARSE_FILE, IO_REPARSE_TAG_DEDUP, 2,
         0, EntryKind::File, false, 8589934592},
        {L"compact", kArchive | kReparse, IO_REPARSE_TAG_WOF, 0, 10, EntryKind::File, false, 10},
        {L"desktop.ini", kArchive | kHidden | kSystem, 0, 0, 282, EntryKind::File, true, 282},
        {L"desktop.ini in OneDrive", kOnlineOnly | kHidden | kSystem, kCloud, 0, 282,
         EntryKind::File, true, 282},
        {L"$RECYCLE.BIN", kFolder | kHidden | kSystem, 0, 0, 0, EntryKind::Folder, true, -1},
        {L".hidden", kArchive | kHidden, 0, 0, 1, EntryKind::File, false, 1},
        {L"system only", kArchive | kSystem, 0, 0, 1, EntryKind::File, false, 1},
        {L"device", FILE_ATTRIBUTE_DEVICE, 0, 0, 0, EntryKind::Other, false, -1},
        {L"WSL socket", kArchive | kReparse, IO_REPARSE_TAG_AF_UNIX, 0, 0, EntryKind::Other, false,
         -1},
        {L"WSL FIFO", kArchive | kReparse, IO_REPARSE_TAG_LX_FIFO, 0, 0, EntryKind::Other, false,
         -1},
        // What Wine 8 reports for a Unix link to a folder: a reparse point with the reserved tag 0.
        {L"Wine link", kFolder | kReparse, 0, 0, 0, EntryKind::Link, false, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.name)));
        const FolderEntry entry =
            EntryFromFindData(Found(row.name, row.attributes, row.tag, row.sizeHigh, row.sizeLow));
        EXPECT_EQ(entry.name, std::u16string(row.name, row.name + wcslen(row.name)));
        EXPECT_EQ(entry.kind, row.kind);
        EXPECT_EQ(entry.hiddenSystem, row.hiddenSystem);
        EXPECT_EQ(entry.size, row.size);
    }
}

FILE_ID_INFO IdInfo(std::uint64_t volume, std::vector<BYTE> id) {
    FILE_ID_INFO info{};
    info.VolumeSerialNumber = volume;
    std::copy(id.begin(), id.end(), info.FileId.Identifier);
    return info;
}

TEST(IdentityFromIdInfo, AllOfTheVolumeAndAll128BitsOfTheNumberCount) {
    const std::vector<BYTE> id = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const auto changed = [&](std::size_t at) {
        std::vector<BYTE> other = id;
        other[at] ^= 0x80;
        return other;
    };
    struct Row {
        const char* what;
        FILE_ID_INFO other;
        bool same;
    };
    const std::vector<Row> rows = {
        {"the same file", IdInfo(0x1122334455667788, id), true},
        {"the lowest bit of the number", IdInfo(0x1122334455667788, changed(0)), false},
        // ReFS: the low 64 bits alone are not unique.
        {"the upper half of the number", IdInfo(0x1122334455667788, changed(8)), false},
        {"the highest bit of the number", IdInfo(0x1122334455667788, changed(15)), false},
        {"the upper half of the volume", IdInfo(0x0022334455667788, id), false},
    };
    const std::optional<FileIdentity> mine = IdentityFromIdInfo(IdInfo(0x1122334455667788, id));
    ASSERT_TRUE(mine.has_value());
    for (const Row& row : rows) {
        const std::optional<FileIdentity> other = IdentityFromIdInfo(row.other);
        ASSERT_TRUE(other.has_value()) << row.what;
        EXPECT_EQ(*mine == *other, row.same) << row.what;
    }
    // A file system without 128-bit numbers answers zeros, which must be ignored.
    EXPECT_FALSE(IdentityFromIdInfo(IdInfo(0x1122334455667788, {})).has_value());
}

TEST(IdentityFromIdInfo, NtfsNumbersWidenedAgreeWithTheNarrowForm) {
    // NTFS gives its 64-bit file reference number, little-endian, in the low half.
    const std::uint64_t number = 0x0005000000012345;
    std::vector<BYTE> id(16);
    std::memcpy(id.data(), &number, sizeof number);
    BY_HANDLE_FILE_INFORMATION narrow{};
    narrow.dwVolumeSerialNumber = 0x5a000000;
    narrow.nFileIndexHigh = static_cast<DWORD>(number >> 32);
    narrow.nFileIndexLow = static_cast<DWORD>(number);
    EXPECT_EQ(IdentityFromIdInfo(IdInfo(0x5a000000, id)), IdentityFromHandleInfo(narrow));
    narrow.nFileIndexHigh ^= 1;
    EXPECT_NE(IdentityFromIdInfo(IdInfo(0x5a000000, id)), IdentityFromHandleInfo(narrow));
}

// What GetVolumeInformationW reports: NTFS and ReFS with FILE_NAMED_STREAMS, the FAT family and
// optical discs without
// (https://learn.microsoft.com/en-us/windows/win32/api/fileapi/nf-fileapi-getvolumeinformationw),
// and Wine's Unix drives as NTFS without the flag, where a stream is a separate file.
TEST(VolumeKeepsStreams, TheFlagDecidesNotTheName) {
    struct Row {
        DWORD flags;
        const wchar_t* fileSystem;
        bool keeps;
    };
    const Row rows[] = {
        {FILE_NAMED_STREAMS | FILE_PERSISTENT_ACLS, L"NTFS", true},
        {FILE_NAMED_STREAMS, L"ReFS", true},
        {FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK, L"NTFS", false},  // Wine
        {FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK, L"exFAT", false},
        {FILE_UNICODE_ON_DISK, L"FAT32", false},
        {FILE_READ_ONLY_VOLUME, L"UDF", false},
        {FILE_NAMED_STREAMS, L"SMB server's own", true},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(VolumeKeepsStreams(row.flags, row.fileSystem), row.keeps)
            << std::wstring_view(row.fileSystem).size();
    }
    // This volume keeps what the program writes to it, as it says.
    test::TempDir dir;
    dir.Write("marked", test::Bytes("x"));
    const std::u16string folder = dir.Path("").make_preferred().u16string();
    if (RealFileSystem().KeepsStreams(folder)) {
        const auto mark = test::Bytes("[ZoneTransfer]\r\nZoneId=3\r\n");
        EXPECT_TRUE(RealFileSystem().WriteZoneMark(dir.U16("marked"), mark));
        EXPECT_EQ(RealFileSystem().ReadZoneMark(dir.U16("marked")), mark);
    }
    EXPECT_GT(RealFileSystem().FreeBytes(folder), 0);
}

TEST(ListFolderWin32, HiddenSystemFilesAndFoldersAreMarkedAndFilesSized) {
    test::TempDir dir;
    dir.Write("desktop.ini", {1, 2, 3, 4, 5});
    dir.Write("hidden.txt", {1});
    dir.Write("system.txt", {1, 2});
    dir.Write("plain.txt", {});
    std::filesystem::create_directory(dir.Path("System Volume Information"));
    const auto set = [&](const char* name, DWORD attributes) {
        ASSERT_TRUE(SetFileAttributesW(dir.Path(name).wstring().c_str(), attributes)) << name;
    };
    set("desktop.ini", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    set("hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    set("system.txt", FILE_ATTRIBUTE_SYSTEM);
    set("System Volume Information", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

    std::optional<std::vector<FolderEntry>> entries =
        RealFileSystem().ListFolder(dir.Path("").u16string());
    ASSERT_TRUE(entries.has_value());
    std::sort(entries->begin(), entries->end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    const std::vector<FolderEntry> expected = {
        {u"System Volume Information", EntryKind::Folder, true, -1},
        {u"desktop.ini", EntryKind::File, true, 5},
        {u"hidden.txt", EntryKind::File, false, 1},
        {u"plain.txt", EntryKind::File, false, 0},
        {u"system.txt", EntryKind::File, false, 2},
    };
    EXPECT_EQ(*entries, expected);
}

// The access list a replacing file is created with. Wine 8 keeps no access lists of its own on
// files (it reports one made from the Unix permission bits and takes none that is set: probe), so
// this checks the descriptor given to CreateFileW against what Microsoft documents for a new
// object: a list that is not protected gets the folder's inheritable entries merged in
// (https://learn.microsoft.com/en-us/windows/win32/secauthz/dacl-for-a-new-object).
TEST(DescriptorLike, KeepsExplicitAndProtectedListsAndLeavesInheritedOnesToTheFolder) {
    struct Row {
        const wchar_t* model;  // SDDL
        bool inherits;         // created without a descriptor of its own
    };
    const std::vector<Row> rows = {
        {L"D:AI(A;ID;FA;;;SY)(A;ID;0x1200a9;;;BU)", true},
        {L"D:PAI(A;;FA;;;SY)(A;;FA;;;OW)", false},   // protected: nothing is merged in
        {L"D:AI(D;;FW;;;BU)(A;ID;FA;;;SY)", false},  // an explicit entry among inherited
        {L"D:P", false},                             // protected and empty: no access
        {L"D:AI", false},                            // empty: the folder might give more
        {L"D:NO_ACCESS_CONTROL", false},             // no list: everyone, as before
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.model)));
        PSECURITY_DESCRIPTOR received = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(row.model, SDDL_REVISION_1,
                                                                         &received, nullptr));
        const std::unique_ptr<void, decltype(&LocalFree)> model(received, &LocalFree);
        SECURITY_DESCRIPTOR descriptor{};
        const std::optional<PSECURITY_DESCRIPTOR> given = DescriptorLike(model.get(), descriptor);
        ASSERT_TRUE(given.has_value());
        EXPECT_EQ(*given == nullptr, row.inherits);
        if (*given == nullptr) {
            continue;
        }
        const auto dacl = [](PSECURITY_DESCRIPTOR of) {
            BOOL present = FALSE, defaulted = FALSE;
            PACL list = nullptr;
            SECURITY_DESCRIPTOR_CONTROL control = 0;
            DWORD revision = 0;
            EXPECT_TRUE(GetSecurityDescriptorDacl(of, &present, &list, &defaulted));
            EXPECT_TRUE(GetSecurityDescriptorControl(of, &control, &revision));
            const auto* bytes = reinterpret_cast<const BYTE*>(list);
            return std::tuple(present, (control & SE_DACL_PROTECTED) != 0,
                              std::vector<BYTE>(bytes, bytes + (list ? list->AclSize : 0)));
        };
        EXPECT_EQ(dacl(*given), dacl(model.get()));
    }
}

// A file that replaces another has its hidden and system attributes from its creation on: its
// entry shows them while its delete is still pending, before a byte is written.
TEST(TemporaryFileWin32, TakesTheReplacedFilesAttributesWhenCreated) {
    constexpr DWORD kShown = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    for (const DWORD attributes : {DWORD{FILE_ATTRIBUTE_NORMAL}, DWORD{FILE_ATTRIBUTE_HIDDEN},
                                   DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM}}) {
        SCOPED_TRACE(attributes);
        test::TempDir dir;
        dir.Write("old", {1});
        const std::wstring old = dir.Path("old").wstring();
        ASSERT_TRUE(SetFileAttributesW(old.c_str(), attributes));
        std::unique_ptr<TemporaryFile> file =
            RealFileSystem().CreateTemporary(dir.U16("~vx00000000.tmp"), dir.U16("old"), {});
        ASSERT_NE(file, nullptr);
        ASSERT_TRUE(file->DeletedWhenClosed());
        WIN32_FIND_DATAW found{};
        UniqueFind entry(FindFirstFileW(dir.Path("~vx00000000.tmp").wstring().c_str(), &found));
        ASSERT_TRUE(entry.Valid());
        EXPECT_EQ(found.dwFileAttributes & kShown, attributes & kShown);
        ASSERT_TRUE(file->WriteAll(std::vector<std::uint8_t>{2, 3}));
        ASSERT_TRUE(file->Keep(dir.U16("old"), true));
        EXPECT_TRUE(file->Close());
        EXPECT_EQ(GetFileAttributesW(old.c_str()) & kShown, attributes & kShown);
        EXPECT_EQ(dir.Read("old"), (std::vector<std::uint8_t>{2, 3}));
        SetFileAttributesW(old.c_str(), FILE_ATTRIBUTE_NORMAL);  // so that the folder can go
    }
}

}  // namespace
}  // namespace vexmora
