// The real file system's listing and identities, natively and under Wine.
#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
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

}  // namespace
}  // namespace vexmora
