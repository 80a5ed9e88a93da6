// The real file system's listing, identities and temporary files, natively and under Wine.
#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "temp_dir.h"

namespace vexmora {
namespace {

TEST(RealFileSystem, ListFolderGivesTheSizesOfFilesOnly) {
    test::TempDir dir;
    dir.Write("three", {1, 2, 3});
    dir.Write("empty", {});
    std::filesystem::create_directory(dir.Path("sub"));
    std::vector<FolderEntry> expected = {
        {u"empty", EntryKind::File, false, 0},
        {u"sub", EntryKind::Folder, false, -1},
        {u"three", EntryKind::File, false, 3},
    };
#ifndef _WIN32
    // Wine's CreateSymbolicLinkW reports success and makes nothing.
    std::filesystem::create_symlink("three", dir.Path("link"));
    expected.insert(expected.begin() + 1, {u"link", EntryKind::Link, false, -1});
#endif
    std::optional<std::vector<FolderEntry>> entries = RealFileSystem().ListFolder(dir.U16(""));
    ASSERT_TRUE(entries.has_value());
    std::sort(entries->begin(), entries->end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    EXPECT_EQ(*entries, expected);
}

TEST(RealFileSystem, IdentitiesTellNamesOfOneFileFromOtherFiles) {
    test::TempDir dir;
    dir.Write("a", {1});
    dir.Write("b", {1});
    std::filesystem::create_directory(dir.Path("sub"));
    FileSystem& disk = RealFileSystem();
    ASSERT_TRUE(disk.Link(dir.U16("a"), dir.U16("second name of a")));
    const std::unique_ptr<File> a = disk.OpenForReading(dir.U16("a"));
    ASSERT_NE(a, nullptr);
    const std::optional<FileIdentity> identity = disk.IdentityOf(dir.U16("a"));
    ASSERT_TRUE(identity.has_value());
    struct Row {
        const char* path;
        int same;
    };
    const std::vector<Row> rows = {
        {"a", 1}, {"sub/../a", 1}, {"second name of a", 1}, {"b", 0}, {"sub", 0}, {"missing", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(a->IsSameFileAs(dir.U16(row.path)), row.same);
        const std::optional<FileIdentity> other = disk.IdentityOf(dir.U16(row.path));
        EXPECT_EQ(other.has_value(), std::string(row.path) != "missing");
        EXPECT_EQ(other == identity, row.same == 1);
    }
}

// A temporary file stays only where it is kept, with its data; closed or dropped before that, it
// leaves nothing (Windows and Wine: its delete disposition; natively it never had a name).
TEST(RealFileSystem, TemporaryFileStaysOnlyWhereKept) {
    const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
    const std::vector<std::uint8_t> data = {'n', 'e', 'w', 0, 1};
    struct Row {
        const char* what;
        bool oldThere;             // "out" holds a file before
        std::optional<bool> keep;  // Keep("out", replace); none: not kept
        bool close;                // closed, else only dropped
        bool kept;
    };
    const std::vector<Row> rows = {
        {"closed", false, std::nullopt, true, false},
        {"dropped", false, std::nullopt, false, false},
        {"closed beside a file", true, std::nullopt, true, false},
        {"kept under a free name", false, false, true, true},
        {"kept under a free name, then dropped", false, false, false, true},
        {"kept over a file", true, true, true, true},
        {"not kept over a file without replace", true, false, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        test::TempDir dir;
        if (row.oldThere) {
            dir.Write("out", old);
        }
        std::unique_ptr<TemporaryFile> file =
            RealFileSystem().CreateTemporary(dir.U16("~vx00000000.tmp"), u"", {});
        ASSERT_NE(file, nullptr);
        EXPECT_TRUE(file->DeletedWhenClosed());
        ASSERT_TRUE(file->WriteAll(data));
        ASSERT_TRUE(file->Flush());
#ifndef _WIN32
        EXPECT_EQ(dir.List().size(), row.oldThere ? 1u : 0u) << "a nameless file has no name";
#endif
        if (row.keep) {
            EXPECT_EQ(file->Keep(dir.U16("out"), *row.keep), row.kept);
            EXPECT_EQ(file->DeletedWhenClosed(), !row.kept);
        }
        if (row.close) {
            EXPECT_TRUE(file->Close());
        }
        file = nullptr;
        const bool there = row.oldThere || row.kept;
        EXPECT_EQ(dir.List(), there ? std::vector<std::string>{"out"} : std::vector<std::string>{});
        if (there) {
            EXPECT_EQ(dir.Read("out"), row.kept ? data : old);
        }
    }
}

}  // namespace
}  // namespace vexmora
