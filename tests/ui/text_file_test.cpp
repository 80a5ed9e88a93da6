// Text files: UTF-8 bytes on the real disk, and all-or-nothing saving over a faulty one.
#include "ui/text_file.h"

#include <gtest/gtest.h>

#include "faulty_file_system.h"
#include "temp_dir.h"
#include "test_support.h"

namespace vexmora {
namespace {

using test::FaultyFileSystem;

using Bytes = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

class TextFileTest : public ::testing::Test {
  protected:
    test::TempDir dir;
};

TEST_F(TextFileTest, SavedBytesAreTheUtf8OfTheText) {
    struct Row {
        std::u16string text;
        Bytes bytes;
    };
    const std::vector<Row> rows = {
        {u"", {}},
        {u"abc", {'a', 'b', 'c'}},
        // Line ends exactly as the text holds them.
        {u"a\rb\nc\r\nd\n\re", {'a', '\r', 'b', '\n', 'c', '\r', '\n', 'd', '\n', '\r', 'e'}},
        {u"\r\n", {'\r', '\n'}},
        {u"\u00e4\u20ac\U0001F600", {0xC3, 0xA4, 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x98, 0x80}},
        {u"\uFEFFx", {0xEF, 0xBB, 0xBF, 'x'}},  // a byte-order mark only when the text has one
        {u"\tindent  ", {'\t', 'i', 'n', 'd', 'e', 'n', 't', ' ', ' '}},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string name = "file" + std::to_string(i) + ".txt";
        ASSERT_EQ(SaveTextFile(dir.U16(name), rows[i].text), 1) << i;
        EXPECT_EQ(dir.Read(name), rows[i].bytes) << i;
        EXPECT_EQ(LoadTextFile(dir.U16(name)), rows[i].text) << i;
    }
    // Nothing but the files themselves: no temporary file stays behind.
    EXPECT_EQ(dir.List().size(), rows.size());
}

TEST_F(TextFileTest, SavingReplacesAnExistingFile) {
    dir.Write("a.txt", test::Bytes("a longer old content\r\nwith two lines"));
    ASSERT_EQ(SaveTextFile(dir.U16("a.txt"), u"new"), 1);
    EXPECT_EQ(dir.Read("a.txt"), test::Bytes("new"));
    // The empty text empties it.
    ASSERT_EQ(SaveTextFile(dir.U16("a.txt"), u""), 1);
    EXPECT_TRUE(std::filesystem::exists(dir.Path("a.txt")));
    EXPECT_EQ(std::filesystem::file_size(dir.Path("a.txt")), 0u);
    EXPECT_EQ(dir.List(), Names{"a.txt"});
}

TEST_F(TextFileTest, LargeTextRoundTripsAcrossBufferBoundaries) {
    // A two-byte character straddles byte 4096, a four-byte one byte 8192.
    std::u16string text(4095, u'a');
    text += u"\u00e4";
    text += std::u16string(8192 - 4097 - 2, u'b');
    text += u"\U0001F600";
    text += std::u16string(3000, u'\u20ac');
    ASSERT_EQ(SaveTextFile(dir.U16("big.txt"), text), 1);
    EXPECT_EQ(dir.Read("big.txt").size(), 4095u + 2 + (8192 - 4097 - 2) + 4 + 9000);
    EXPECT_EQ(LoadTextFile(dir.U16("big.txt")), text);
}

TEST_F(TextFileTest, LoadReadsBytesAsUtf8UpToTheFirstZero) {
    struct Row {
        Bytes bytes;
        std::u16string text;
    };
    const std::vector<Row> rows = {
        {{}, u""},
        {{0xEF, 0xBB, 0xBF, 'H', 'i'}, u"\uFEFFHi"},
        {{'a', 'b', 0, 'c', 'd'}, u"ab"},
        {{0, 'x'}, u""},
        // UTF-16 with its byte-order mark: the BOM bytes are no UTF-8, then the first zero byte.
        {{0xFF, 0xFE, 'H', 0, 'i', 0}, u"\uFFFD\uFFFDH"},
        // Windows-1252 "Gr\u00fc\u00dfe": neither byte above 0x7F forms UTF-8 here.
        {{'G', 'r', 0xFC, 0xDF, 'e'}, u"Gr\uFFFD\uFFFDe"},
        {{0x80}, u"\uFFFD"},
        {{'a', 0xFF, 'b'}, u"a\uFFFDb"},
        {{'x', '\r', '\n', 'y', '\r', 'z', '\n'}, u"x\r\ny\rz\n"},
        {Concat({Bytes(5000, 'a'), {0}, test::Bytes("after")}), std::u16string(5000, u'a')},
        // Nothing after the zero counts, also what a later read would bring.
        {Concat({test::Bytes("head"), {0}, Bytes(5000, 'b')}), u"head"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        dir.Write("in.txt", rows[i].bytes);
        EXPECT_EQ(LoadTextFile(dir.U16("in.txt")), rows[i].text) << i;
    }
}

TEST_F(TextFileTest, ByteOrderMarkSurvivesLoadAndSave) {
    const Bytes bytes = {0xEF, 0xBB, 0xBF, 'l', 'i', 'n', 'e', '\r', '\n'};
    dir.Write("bom.txt", bytes);
    const std::u16string text = LoadTextFile(dir.U16("bom.txt"));
    ASSERT_EQ(text, u"\uFEFFline\r\n");
    ASSERT_EQ(SaveTextFile(dir.U16("copy.txt"), text), 1);
    EXPECT_EQ(dir.Read("copy.txt"), bytes);
}

TEST_F(TextFileTest, WhatCannotBeOpenedLoadsAsTheEmptyText) {
    std::filesystem::create_directories(dir.Path("folder"));
    for (const std::u16string& path : {dir.U16("missing.txt"), dir.U16("no such folder/a.txt"),
                                       dir.U16("folder"), std::u16string()}) {
        EXPECT_EQ(LoadTextFile(path), u"") << std::filesystem::path(path).string();
    }
}

TEST_F(TextFileTest, ReadErrorEndsTheText) {
    dir.Write("in.txt", Bytes(6000, 'q'));
    FaultyFileSystem disk;
    disk.readBudget = 4096;  // the first read of a 4096-byte buffer works, the second fails
    const std::u16string text = LoadTextFile(dir.U16("in.txt"), disk);
    EXPECT_EQ(text, std::u16string(4096, u'q'));
}

TEST_F(TextFileTest, FailedSaveKeepsTheOldFileAndLeavesNothingBehind) {
    const Bytes old = test::Bytes("old text\r\n");
    const std::u16string text = std::u16string(3000, u'n') + u"\u00e4";
    struct Row {
        const char* what;
        bool failCreate;
        std::int64_t writeBudget;
        bool failClose;
        bool failReplace;
        bool failFlush = false;
    };
    const std::vector<Row> rows = {
        {"create fails", true, -1, false, false},
        {"nothing can be written", false, 0, false, false},
        {"the disk fills up halfway", false, 1500, false, false},
        {"closing fails", false, -1, true, false},
        {"moving into place fails", false, -1, false, true},
        {"flushing to the disk fails", false, -1, false, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        dir.Write("notes.txt", old);
        FaultyFileSystem disk;
        disk.failCreate = row.failCreate;
        disk.writeBudget = row.writeBudget;
        disk.failClose = row.failClose;
        disk.failReplace = row.failReplace;
        disk.failFlush = row.failFlush;
        EXPECT_EQ(SaveTextFile(dir.U16("notes.txt"), text, disk), 0);
        EXPECT_EQ(dir.Read("notes.txt"), old);
        EXPECT_EQ(dir.List(), Names{"notes.txt"});
        // The text went to a file of its own beside the target, never into the target.
        ASSERT_EQ(disk.created.size(), 1u);
        EXPECT_NE(disk.created[0], dir.U16("notes.txt"));
        EXPECT_EQ(std::filesystem::path(disk.created[0]).parent_path(),
                  dir.Path("notes.txt").parent_path());
    }
}

TEST_F(TextFileTest, FailedSaveOfANewFileCreatesNothing) {
    for (std::int64_t budget : {0, 10}) {
        FaultyFileSystem disk;
        disk.writeBudget = budget;
        EXPECT_EQ(SaveTextFile(dir.U16("new.txt"), u"some text longer than ten bytes", disk), 0);
        EXPECT_TRUE(dir.List().empty()) << budget;
    }
    EXPECT_EQ(SaveTextFile(dir.U16("no such folder/new.txt"), u"x"), 0);
    EXPECT_TRUE(dir.List().empty());
}

TEST_F(TextFileTest, SaveOverTheFaultFreeWrapperWorks) {
    // The wrapper itself does not break saving (so the failures above come from the faults).
    dir.Write("notes.txt", test::Bytes("old"));
    FaultyFileSystem disk;
    EXPECT_EQ(SaveTextFile(dir.U16("notes.txt"), u"new \u00e4", disk), 1);
    EXPECT_EQ(dir.Read("notes.txt"), (Bytes{'n', 'e', 'w', ' ', 0xC3, 0xA4}));
    EXPECT_EQ(dir.List(), Names{"notes.txt"});
    EXPECT_EQ(LoadTextFile(dir.U16("notes.txt"), disk), u"new \u00e4");
}

TEST_F(TextFileTest, SaveSendsTheReplacedFileToTheBin) {
    std::filesystem::create_directories(dir.Path("bin"));
    dir.Write("notes.txt", test::Bytes("old text"));
    FaultyFileSystem disk;
    disk.bin = FaultyFileSystem::Bin::Works;
    disk.binFolder = dir.Path("bin");
    EXPECT_EQ(SaveTextFile(dir.U16("notes.txt"), u"new text", disk), 1);
    EXPECT_EQ(dir.Read("notes.txt"), test::Bytes("new text"));
    EXPECT_EQ(dir.Read("bin/notes.txt"), test::Bytes("old text"));
    EXPECT_EQ(dir.List(), (Names{"bin", "notes.txt"}));
}

TEST_F(TextFileTest, SaveToAFolderOrDeviceWritesNothing) {
    std::filesystem::create_directories(dir.Path("folder"));
    std::vector<std::u16string> paths = {dir.U16("folder")};
#ifdef _WIN32
    paths.push_back(dir.U16("NUL"));
    paths.push_back(dir.U16("con.txt"));
#else
    paths.push_back(u"/dev/null");
#endif
    for (const std::u16string& path : paths) {
        EXPECT_EQ(SaveTextFile(path, u"text"), 0) << ::testing::PrintToString(path);
    }
    EXPECT_EQ(dir.List(), Names{"folder"});
}

}  // namespace
}  // namespace vexmora
