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
        EXPECT_EQ(LoadTextFile(dir.U16(name)).text, rows[i].text) << i;
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
    EXPECT_EQ(test::WithoutKeptFiles(dir.List(), 2), Names{"a.txt"});
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
    EXPECT_EQ(LoadTextFile(dir.U16("big.txt")).text, text);
}

TEST_F(TextFileTest, LoadReadsBytesUpToTheFirstZero) {
    struct Row {
        Bytes bytes;
        std::u16string text;
    };
    const std::vector<Row> rows = {
        {{}, u""},
        {{0xEF, 0xBB, 0xBF, 'H', 'i'}, u"\uFEFFHi"},
        {{'a', 'b', 0, 'c', 'd'}, u"ab"},
        {{0, 'x'}, u""},
        // UTF-16 with its byte-order mark: its first zero is a code unit, not a byte.
        {{0xFF, 0xFE, 'H', 0, 'i', 0}, u"Hi"},
        {{0xFF, 0xFE, 'H', 0, 0, 0, 'i', 0}, u"H"},
        // No UTF-8: each byte a letter of the ANSI code page (Windows-1252 here).
        {{'G', 'r', 0xFC, 0xDF, 'e'}, u"Gr\u00fc\u00dfe"},
        {{0x80}, u"\u20ac"},
        {{'a', 0xFF, 'b'}, u"a\u00ffb"},
        {{'x', '\r', '\n', 'y', '\r', 'z', '\n'}, u"x\r\ny\rz\n"},
        {Concat({Bytes(5000, 'a'), {0}, test::Bytes("after")}), std::u16string(5000, u'a')},
        // Nothing after the zero counts, also what a later read would bring.
        {Concat({test::Bytes("head"), {0}, Bytes(5000, 'b')}), u"head"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        dir.Write("in.txt", rows[i].bytes);
        EXPECT_EQ(LoadTextFile(dir.U16("in.txt")).text, rows[i].text) << i;
    }
}

// Which encoding a file is read in: UTF-8 exactly as the program writes it, UTF-16 by its mark,
// the ANSI code page for the rest.
TEST_F(TextFileTest, LoadChoosesTheEncodingByTheBytes) {
    struct Row {
        const char* what;
        Bytes bytes;
        std::u16string text;
    };
    const std::vector<Row> rows = {
        {"empty file", {}, u""},
        {"UTF-8 without mark", {'G', 'r', 0xC3, 0xBC, 0xC3, 0x9F, 'e'}, u"Gr\u00fc\u00dfe"},
        {"UTF-8 with mark", {0xEF, 0xBB, 0xBF, 0xE2, 0x82, 0xAC}, u"\uFEFF\u20ac"},
        {"UTF-8 four-byte character", {0xF0, 0x9F, 0x98, 0x80, '!'}, u"\U0001F600!"},
        {"UTF-16 LE with mark",
         {0xFF, 0xFE, 'K', 0, 0xF6, 0, 'l', 0, 'n', 0, '\r', 0, '\n', 0, 0x3D, 0xD8, 0x00, 0xDE},
         u"K\u00f6ln\r\n\U0001F600"},
        {"UTF-16 BE with mark", {0xFE, 0xFF, 0, 'K', 0, 0xF6, 0x20, 0xAC}, u"K\u00f6\u20ac"},
        {"UTF-16 mark alone", {0xFF, 0xFE}, u""},
        {"UTF-16 with an odd last byte", {0xFF, 0xFE, 'a', 0, 'b'}, u"a\uFFFD"},
        {"Windows-1252",
         test::Bytes("Gr\xFC\xDF"
                     "e aus K\xF6ln \x80 \x93x\x94"),
         u"Gr\u00fc\u00dfe aus K\u00f6ln \u20ac \u201cx\u201d"},
        // Overlong, surrogate and beyond-U+10FFFF forms are no UTF-8 either.
        {"overlong form", {'a', 0xC0, 0xAF}, u"a\u00c0\u00af"},
        {"encoded surrogate", {0xED, 0xA0, 0x80}, u"\u00ed\u00a0\u20ac"},
        {"beyond U+10FFFF", {0xF4, 0x90, 0x80, 0x80}, u"\u00f4\u0090\u20ac\u20ac"},
        {"one bad byte among UTF-8", {0xC3, 0xBC, 0xFF}, u"\u00c3\u00bc\u00ff"},
        // A file cut inside its last character: UTF-8 once a whole character has shown it; a
        // lone trailing lead byte is more likely an 8-bit letter.
        {"UTF-8 cut inside a character", {0xC3, 0xBC, 'b', 0xE2, 0x82}, u"\u00fcb\uFFFD"},
        {"UTF-8 cut after a lead byte", {0xF0, 0x9F, 0x98, 0x80, 0xF0}, u"\U0001F600\uFFFD"},
        {"8-bit letter at the end", {'c', 'a', 'f', 0xE9}, u"caf\u00e9"},
    };
    for (const Row& row : rows) {
        dir.Write("in.txt", row.bytes);
        EXPECT_EQ(LoadTextFile(dir.U16("in.txt")).text, row.text) << row.what;
    }
}

// Loading a file in another encoding and saving it writes the same letters in UTF-8.
TEST_F(TextFileTest, LoadThenSaveTurnsOtherEncodingsIntoUtf8) {
    const Bytes utf8 = {'K', 0xC3, 0xB6, 'l', 'n', ' ', 0xE2, 0x82, 0xAC};
    const std::vector<Bytes> files = {
        {0xFF, 0xFE, 'K', 0, 0xF6, 0, 'l', 0, 'n', 0, ' ', 0, 0xAC, 0x20},
        {0xFE, 0xFF, 0, 'K', 0, 0xF6, 0, 'l', 0, 'n', 0, ' ', 0x20, 0xAC},
        {'K', 0xF6, 'l', 'n', ' ', 0x80},
        utf8,
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        dir.Write("in.txt", files[i]);
        ASSERT_EQ(SaveTextFile(dir.U16("out.txt"), LoadTextFile(dir.U16("in.txt")).text), 1);
        EXPECT_EQ(dir.Read("out.txt"), utf8) << i;
    }
}

// The mark decides also when the file system hands out the bytes one at a time.
TEST_F(TextFileTest, Utf16MarkSplitAcrossReads) {
    dir.Write("in.txt", Bytes{0xFF, 0xFE, 'H', 0, 'i', 0});
    FaultyFileSystem disk;
    disk.readPieceSize = 1;
    EXPECT_EQ(LoadTextFile(dir.U16("in.txt"), disk).text, u"Hi");
}

TEST_F(TextFileTest, ByteOrderMarkSurvivesLoadAndSave) {
    const Bytes bytes = {0xEF, 0xBB, 0xBF, 'l', 'i', 'n', 'e', '\r', '\n'};
    dir.Write("bom.txt", bytes);
    const std::u16string text = LoadTextFile(dir.U16("bom.txt")).text;
    ASSERT_EQ(text, u"\uFEFFline\r\n");
    ASSERT_EQ(SaveTextFile(dir.U16("copy.txt"), text), 1);
    EXPECT_EQ(dir.Read("copy.txt"), bytes);
}

TEST_F(TextFileTest, WhatCannotBeOpenedLoadsNoText) {
    std::filesystem::create_directories(dir.Path("folder"));
    for (const std::u16string& path : {dir.U16("missing.txt"), dir.U16("no such folder/a.txt"),
                                       dir.U16("folder"), std::u16string()}) {
        const LoadedText loaded = LoadTextFile(path);
        EXPECT_EQ(loaded.result, TextLoad::CannotOpen) << std::filesystem::path(path).string();
        EXPECT_EQ(loaded.text, u"") << std::filesystem::path(path).string();
    }
}

TEST_F(TextFileTest, ReadErrorGivesNoTextAtAll) {
    dir.Write("in.txt", Bytes(6000, 'q'));
    FaultyFileSystem disk;
    disk.readBudget = 4096;  // the first read of a 4096-byte buffer works, the second fails
    const LoadedText loaded = LoadTextFile(dir.U16("in.txt"), disk);
    EXPECT_EQ(loaded.result, TextLoad::ReadFailed);
    EXPECT_EQ(loaded.text, u"");
}

// Files above the limit are refused before their first byte is read, also one that grows past
// it while it is read.
TEST_F(TextFileTest, LoadLimit) {
    struct Row {
        const char* what;
        std::int64_t size;
        std::int64_t growth;
        TextLoad result;
        bool nothingRead;
    };
    const std::vector<Row> rows = {
        {"at the limit", LoadLimit, 0, TextLoad::Loaded, false},
        {"a byte above", LoadLimit + 1, 0, TextLoad::TooLarge, true},
        {"grows past it while read", LoadLimit - 10, 20, TextLoad::TooLarge, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        dir.Write("in.txt", Bytes(static_cast<std::size_t>(row.size), 'z'));
        FaultyFileSystem disk;
        disk.sizeChange = row.growth;
        const LoadedText loaded = LoadTextFile(dir.U16("in.txt"), disk);
        EXPECT_EQ(loaded.result, row.result);
        EXPECT_EQ(loaded.text.size(),
                  row.result == TextLoad::Loaded ? static_cast<std::size_t>(row.size) : 0u);
        EXPECT_EQ(disk.bytesRead.load() == 0, row.nothingRead);
    }
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
        int saved = 0;
    };
    const std::vector<Row> rows = {
        {"create fails", true, -1, false, false},
        {"nothing can be written", false, 0, false, false},
        {"the disk fills up halfway", false, 1500, false, false},
        // The file is closed only once it is in place and flushed (closed before, it would be
        // gone): a close that fails then takes nothing back.
        {"closing fails", false, -1, true, false, false, 1},
        {"moving into place fails", false, -1, false, true},
        {"flushing to the disk fails", false, -1, false, false, true},
    };
    Bytes saved(3000, 'n');
    saved.insert(saved.end(), {0xC3, 0xA4});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        for (const std::string& name : dir.List()) {
            std::filesystem::remove(dir.Path(name));
        }
        dir.Write("notes.txt", old);
        FaultyFileSystem disk;
        disk.failCreate = row.failCreate;
        disk.writeBudget = row.writeBudget;
        disk.failClose = row.failClose;
        disk.failReplace = row.failReplace;
        disk.failFlush = row.failFlush;
        EXPECT_EQ(SaveTextFile(dir.U16("notes.txt"), text, disk), row.saved);
        EXPECT_EQ(dir.Read("notes.txt"), row.saved == 1 ? saved : old);
        // The wrapper has no bin: a replaced file stays beside its successor.
        EXPECT_EQ(test::WithoutKeptFiles(dir.List(), static_cast<std::size_t>(row.saved), true),
                  Names{"notes.txt"});
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
    // The wrapper has no bin: the old file stays beside the new one.
    const Names listing = dir.List();
    ASSERT_EQ(listing.size(), 2u);
    EXPECT_EQ(listing[1], "notes.txt");
    EXPECT_EQ(dir.Read(listing[0]), test::Bytes("old"));
    EXPECT_EQ(LoadTextFile(dir.U16("notes.txt"), disk).text, u"new \u00e4");
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
