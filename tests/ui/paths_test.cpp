// Path rules of the file dialogs, and what a path names on disk.
#include "ui/paths.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "temp_dir.h"
#include "test_support.h"

namespace vexmora {
namespace {

std::string Narrow(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        out += c >= 32 && c < 128 ? static_cast<char>(c) : '?';
    }
    return out;
}

TEST(ExtensionOf, MoreCases) {
    const std::vector<std::pair<std::u16string, std::u16string>> rows = {
        {u"C:\\docs\\notes", u""},
        {u"C:\\docs\\notes.md", u"md"},
        {u"C:\\docs\\my.notes final", u""},
        {u"C:\\docs\\Notes.TXT", u"TXT"},
        {u"C:\\docs\\.profile", u""},
        {u"C:\\docs\\.profile.txt", u"txt"},
        {u"/home/u/.bashrc", u""},
        {u"..", u""},  // the dot right after the first character: the extension is empty
        {u"a.b\"c", u"b"},
        {u"a.vx\"", u"vx"},
    };
    for (const auto& [path, extension] : rows) {
        EXPECT_EQ(ExtensionOf(path), extension) << Narrow(path);
    }
}

TEST(IsContainerName, AnyCaseOfTheExtensionOnly) {
    const std::vector<std::pair<std::u16string, bool>> rows = {
        {u"C:\\docs\\a.vx", true}, {u"C:\\docs\\A.VX", true},
        {u"a.Vx", true},           {u"C:\\docs\\report.pdf", false},
        {u"a.vxx", false},         {u"a.xvx", false},
        {u"avx", false},           {u"C:\\docs\\.vx", false},
        {u".vx", false},           {u"a.wx", false},
        {u"a.v8", false},          {u"", false},
    };
    for (const auto& [path, container] : rows) {
        EXPECT_EQ(IsContainerName(path), container) << Narrow(path);
    }
}

TEST(FolderOf, Table) {
    const std::vector<std::pair<std::u16string, std::u16string>> rows = {
        {u"C:\\docs\\a.txt", u"C:\\docs\\"},
        {u"C:\\docs\\", u"C:\\docs\\"},
        {u"C:\\docs\\sub\\a", u"C:\\docs\\sub\\"},
        {u"C:\\a.txt", u"C:\\"},
        {u"/home/u/a.txt", u"/home/u/"},
        {u"C:/docs\\mixed/a", u"C:/docs\\mixed/"},
        {u"C:\\docs/a", u"C:\\docs/"},
        {u"a.txt", u""},
        {u"", u""},
        {u"C:", u""},
        {u"\\", u"\\"},
        // A leading double quote is skipped; a closing one is just a character.
        {u"\"C:\\docs\\a b.txt\"", u"C:\\docs\\"},
        {u"\"a.txt\"", u""},
        {u"\"", u""},
        // The scan stops at the first "|".
        {u"C:\\docs\\a.txt|C:\\other\\b.txt", u"C:\\docs\\"},
        {u"a|C:\\other\\b.txt", u""},
        {u"|C:\\x\\", u""},
        {u"\"C:\\p\\x|y\\z", u"C:\\p\\"},
        {u"C:\\Pr\u00f6gramme\\\u65e5\\a", u"C:\\Pr\u00f6gramme\\\u65e5\\"},
    };
    for (const auto& [path, folder] : rows) {
        EXPECT_EQ(FolderOf(path), folder) << Narrow(path);
    }
}

TEST(IsValidFileName, ForbiddenCharactersAnywhere) {
    for (char16_t c : std::u16string_view(u"\"*/:<>?\\|")) {
        for (const std::u16string& name :
             {std::u16string(1, c), std::u16string(1, c) + u"name",
              u"na" + std::u16string(1, c) + u"me", u"name" + std::u16string(1, c)}) {
            EXPECT_FALSE(IsValidFileName(name)) << Narrow(name);
        }
    }
}

TEST(IsValidFileName, ControlCharacters) {
    for (char16_t c = 0; c < 32; ++c) {
        const std::u16string name = {u'a', c, u'b'};
        EXPECT_FALSE(IsValidFileName(name)) << int(c);
        EXPECT_FALSE(IsValidFileName(std::u16string(1, c))) << int(c);
    }
}

TEST(IsValidFileName, AcceptedNames) {
    for (const std::u16string& name : std::vector<std::u16string>{
             u"a", u"notes.txt", u" ", u".profile", u"..", u"a b.c d", u"x\u007f", u"\u00e4\u20ac",
             u"\U0001F600.txt", u"!#$%&'()+,;=@[]^_`{}~-", std::u16string(300, u'n')}) {
        EXPECT_TRUE(IsValidFileName(name)) << Narrow(name);
    }
    EXPECT_FALSE(IsValidFileName(u""));
}

class PathKindTest : public ::testing::Test {
  protected:
    test::TempDir dir;
};

// What the window asks about a path before it drops, loads or replaces it.
TEST_F(PathKindTest, Table) {
    dir.Write("empty", {});
    dir.Write("data", test::TestData(70001));
    std::filesystem::create_directories(dir.Path("folder"));
    const std::u16string sep(1, static_cast<char16_t>(std::filesystem::path::preferred_separator));
    const std::vector<std::pair<std::u16string, PathKind>> rows = {
        {dir.U16("missing"), PathKind::Missing},
        {dir.U16("no such folder") + sep + u"x", PathKind::Missing},
        {dir.U16("empty"), PathKind::RegularFile},
        {dir.U16("data"), PathKind::RegularFile},
        {dir.U16("folder"), PathKind::Other},
        {dir.U16("folder") + sep, PathKind::Other},
        {dir.U16(""), PathKind::Other},  // the temporary folder itself, with its separator
    };
    for (const auto& [path, kind] : rows) {
        EXPECT_EQ(RealFileSystem().KindOf(path), kind) << Narrow(path);
    }
}

}  // namespace
}  // namespace vexmora
