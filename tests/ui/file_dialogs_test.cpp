// Choosing files over the scripted toolkit: the last-used folder and the overwrite question.
#include "ui/file_dialogs.h"

#include <gtest/gtest.h>

#include "faulty_file_system.h"
#include "temp_dir.h"
#include "test_support.h"
#include "toolkit/scripted_toolkit.h"
#include "ui/paths.h"
#include "ui/texts.h"

namespace vexmora {
namespace {

constexpr std::u16string_view kPattern = u"Text (*.txt)|*.txt|Alle Dateien (*.*)|*.*";
constexpr std::u16string_view kOtherPattern = u"Alle Dateien (*.*)|*.*";

std::string Narrow(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        out += c >= 32 && c < 128 ? static_cast<char>(c) : '?';
    }
    return out;
}

class FileDialogsTest : public ::testing::Test {
  protected:
    void SetUp() override { ForgetLastUsedFolder(); }
    void TearDown() override { ForgetLastUsedFolder(); }

    void ExpectOverwriteQuestion(std::size_t index) {
        ASSERT_GT(toolkit.messageBoxes().size(), index);
        const auto& box = toolkit.messageBoxes()[index];
        EXPECT_EQ(box.caption, u"Info");
        EXPECT_EQ(box.text,
                  u"Es existiert schon eine Datei mit diesem Namen. M\u00f6chten sie diese Datei "
                  u"\u00fcberschreiben?");
        EXPECT_EQ(box.type, 4u);  // MB_YESNO
    }

    ScriptedToolkit toolkit;
    test::TempDir dir;
};

TEST_F(FileDialogsTest, FirstDialogHasNoInitialFolderOrName) {
    for (bool forSaving : {false, true}) {
        ForgetLastUsedFolder();
        toolkit.QueueFileChoice(u"");
        EXPECT_EQ(ChooseFile(toolkit, kPattern, forSaving), u"");
        const auto& args = toolkit.fileDialogs().back().args;
        EXPECT_FALSE(args.initialFolder.has_value());
        EXPECT_EQ(args.initialFileName, u"");
        EXPECT_EQ(args.title, u"");
        EXPECT_EQ(args.pattern, kPattern);
        EXPECT_EQ(args.patternIndex, 0);
        EXPECT_EQ(args.forSaving, forSaving);
    }
    EXPECT_FALSE(LastUsedFolder().has_value());
    EXPECT_TRUE(toolkit.messageBoxes().empty());
}

TEST_F(FileDialogsTest, NextDialogOfAnyKindOpensInTheLastFolder) {
    // Open, then save, then open with another pattern: each starts where the one before ended.
    toolkit.QueueFileChoice(u"C:\\docs\\a.txt");
    EXPECT_EQ(ChooseFile(toolkit, kPattern, false), u"C:\\docs\\a.txt");
    ASSERT_TRUE(LastUsedFolder().has_value());
    EXPECT_EQ(*LastUsedFolder(), u"C:\\docs\\");

    toolkit.QueueFileChoice(u"C:\\work\\sub\\new name.vx");
    EXPECT_EQ(ChooseFile(toolkit, kOtherPattern, true), u"C:\\work\\sub\\new name.vx");
    EXPECT_EQ(*LastUsedFolder(), u"C:\\work\\sub\\");

    toolkit.QueueFileChoice(u"");
    EXPECT_EQ(ChooseFile(toolkit, kOtherPattern, false), u"");

    ASSERT_EQ(toolkit.fileDialogs().size(), 3u);
    const auto& second = toolkit.fileDialogs()[1].args;
    EXPECT_EQ(second.initialFolder, std::optional<std::u16string>(u"C:\\docs"));
    EXPECT_EQ(second.initialFileName, u"");
    EXPECT_TRUE(second.forSaving);
    EXPECT_EQ(second.pattern, kOtherPattern);
    const auto& third = toolkit.fileDialogs()[2].args;
    EXPECT_EQ(third.initialFolder, std::optional<std::u16string>(u"C:\\work\\sub"));
    EXPECT_EQ(third.initialFileName, u"");
    EXPECT_FALSE(third.forSaving);
    // The new name on save was not asked about, and the cancelled dialog kept the folder.
    EXPECT_TRUE(toolkit.messageBoxes().empty());
    EXPECT_EQ(*LastUsedFolder(), u"C:\\work\\sub\\");
}

TEST_F(FileDialogsTest, ShowFileDialogDerivesFolderAndName) {
    struct Row {
        std::optional<std::u16string> defaultPath;
        std::optional<std::u16string> folder;
        std::u16string name;
    };
    const std::vector<Row> rows = {
        {std::nullopt, std::nullopt, u""},
        {u"C:\\docs\\", u"C:\\docs", u""},
        {u"C:\\docs\\a.txt", u"C:\\docs", u"a.txt"},
        {u"C:\\docs\\sub\\", u"C:\\docs\\sub", u""},
        {u"C:\\", u"C:", u""},
        {u"\\\\server\\share\\x.txt", u"\\\\server\\share", u"x.txt"},
        {u"a.txt", u"", u"a.txt"},
        {u"", u"", u""},
        // A backslash only in first place does not split: the whole text is no valid name.
        {u"\\a.txt", u"", u""},
        // Only backslashes split; the rest is no valid name.
        {u"C:/docs/a.txt", u"", u""},
        {u"C:\\docs\\a?.txt", u"C:\\docs", u""},
        {u"C:\\docs\\a:b", u"C:\\docs", u""},
        {u"C:\\docs\\" + std::u16string(300, u'n'), u"C:\\docs", std::u16string(259, u'n')},
        {u"C:\\docs\\" + std::u16string(259, u'n'), u"C:\\docs", std::u16string(259, u'n')},
        // Cut to 259 characters first, then checked: a bad character beyond the cut is gone.
        {u"C:\\d\\" + std::u16string(259, u'n') + u"?", u"C:\\d", std::u16string(259, u'n')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.defaultPath ? Narrow(row.defaultPath->substr(0, 40)) : "none");
        toolkit.QueueFileChoice(u"C:\\answer.txt");
        EXPECT_EQ(ShowFileDialog(toolkit, u"Title", row.defaultPath, kPattern, 1, true),
                  u"C:\\answer.txt");
        const auto& args = toolkit.fileDialogs().back().args;
        EXPECT_EQ(args.initialFolder, row.folder);
        EXPECT_EQ(args.initialFileName, row.name);
        EXPECT_EQ(args.title, u"Title");
        EXPECT_EQ(args.pattern, kPattern);
        EXPECT_EQ(args.patternIndex, 1);
        EXPECT_TRUE(args.forSaving);
    }
    // ShowFileDialog asks nothing and remembers nothing.
    EXPECT_TRUE(toolkit.messageBoxes().empty());
    EXPECT_FALSE(LastUsedFolder().has_value());
}

TEST_F(FileDialogsTest, SavingOntoAnExistingFileAsks) {
    struct Row {
        const char* what;
        std::vector<std::uint8_t> content;
        int answer;
        bool kept;
    };
    const std::vector<Row> rows = {
        {"Yes", test::Bytes("old"), kAnswerYes, true},
        {"No", test::Bytes("old"), kAnswerNo, false},
        {"empty file, Yes", {}, kAnswerYes, true},
        {"empty file, No", {}, kAnswerNo, false},
        {"box closed otherwise", test::Bytes("old"), kAnswerOk, false},
    };
    const std::u16string path = dir.U16("exists.txt");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ScriptedToolkit fresh;
        ForgetLastUsedFolder();
        // An earlier choice elsewhere sets the folder that a refusal must keep.
        fresh.QueueFileChoice(u"C:\\before\\x.txt");
        ASSERT_EQ(ChooseFile(fresh, kPattern, false), u"C:\\before\\x.txt");

        dir.Write("exists.txt", row.content);
        fresh.QueueFileChoice(path);
        fresh.QueueAnswer(row.answer);
        EXPECT_EQ(ChooseFile(fresh, kPattern, true), row.kept ? path : u"");
        ASSERT_EQ(fresh.messageBoxes().size(), 1u);
        EXPECT_EQ(fresh.messageBoxes()[0].caption, u"Info");
        EXPECT_EQ(fresh.messageBoxes()[0].text, texts::kOverwriteQuestion);
        EXPECT_EQ(fresh.messageBoxes()[0].type, 4u);
        EXPECT_EQ(*LastUsedFolder(), row.kept ? FolderOf(path) : u"C:\\before\\");
        // The question does not touch the file.
        EXPECT_EQ(dir.Read("exists.txt"), row.content);
    }
    EXPECT_EQ(FolderOf(path), dir.U16(""));
}

TEST_F(FileDialogsTest, OverwriteQuestionWording) {
    dir.Write("exists.txt", test::Bytes("x"));
    toolkit.QueueFileChoice(dir.U16("exists.txt"));
    toolkit.QueueAnswer(kAnswerYes);
    EXPECT_EQ(ChooseFile(toolkit, kPattern, true), dir.U16("exists.txt"));
    ExpectOverwriteQuestion(0);
}

TEST_F(FileDialogsTest, NewNamesFoldersAndOpeningAskNothing) {
    dir.Write("exists.txt", test::Bytes("x"));
    std::filesystem::create_directories(dir.Path("folder"));
    struct Row {
        std::u16string path;
        bool forSaving;
    };
    const std::vector<Row> rows = {
        {dir.U16("new.txt"), true},
        {dir.U16("exists.txt"), false},  // opening an existing file
        {dir.U16("new.txt"), false},
        {dir.U16("folder"), true},  // not a file: nothing to replace
    };
    for (const Row& row : rows) {
        toolkit.QueueFileChoice(row.path);
        EXPECT_EQ(ChooseFile(toolkit, kPattern, row.forSaving), row.path);
        EXPECT_EQ(LastUsedFolder(), std::optional<std::u16string>(FolderOf(row.path)));
    }
    EXPECT_TRUE(toolkit.messageBoxes().empty());
    EXPECT_TRUE(std::filesystem::exists(dir.Path("exists.txt")));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("new.txt")));
}

TEST_F(FileDialogsTest, CancelledDialogKeepsTheFolder) {
    toolkit.QueueFileChoice(u"C:\\docs\\a.txt");
    ChooseFile(toolkit, kPattern, false);
    for (bool forSaving : {false, true}) {
        toolkit.QueueFileChoice(u"");
        EXPECT_EQ(ChooseFile(toolkit, kPattern, forSaving), u"");
        EXPECT_EQ(LastUsedFolder(), std::optional<std::u16string>(u"C:\\docs\\"));
        EXPECT_EQ(toolkit.fileDialogs().back().args.initialFolder,
                  std::optional<std::u16string>(u"C:\\docs"));
    }
    EXPECT_TRUE(toolkit.messageBoxes().empty());
}

TEST_F(FileDialogsTest, MayReplace) {
    dir.Write("exists.txt", test::Bytes("x"));
    dir.Write("empty.txt", {});
    std::filesystem::create_directory(dir.Path("folder"));
    const std::u16string question(texts::kOverwriteQuestion);
    struct Row {
        std::u16string path;
        std::optional<int> answer;  // absent: no question expected
        bool result;
        bool named = false;
        std::optional<PathKind> kind = std::nullopt;  // what the disk answers instead of the truth
        std::u16string box = {};                      // the box expected, when not the question
    };
    const std::vector<Row> rows = {
        {dir.U16("missing.txt"), std::nullopt, true},
        {dir.U16("exists.txt"), kAnswerYes, true},
        {dir.U16("exists.txt"), kAnswerNo, false},
        {dir.U16("empty.txt"), kAnswerYes, true},
        {dir.U16("empty.txt"), kAnswerNo, false},
        // The writing refuses what is not a file; nothing to ask.
        {dir.U16("folder"), std::nullopt, true},
        {dir.U16("exists.txt"), kAnswerYes, true, true, std::nullopt,
         dir.U16("exists.txt") + u"\n" + question},
        // What cannot be told (a file without access, say) is never replaced unasked.
        {dir.U16("exists.txt"), std::nullopt, false, false, PathKind::Unknown,
         std::u16string(texts::kCannotTellOutput)},
        {dir.U16("missing.txt"), std::nullopt, false, true, PathKind::Unknown,
         std::u16string(texts::kCannotTellOutput)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Narrow(row.path));
        ScriptedToolkit fresh;
        test::FaultyFileSystem disk;
        if (row.kind) {
            disk.kinds[row.path] = *row.kind;
        }
        if (row.answer) {
            fresh.QueueAnswer(*row.answer);
        }
        EXPECT_EQ(MayReplace(fresh, row.path, disk, row.named), row.result);
        const bool boxExpected = row.answer || !row.box.empty();
        ASSERT_EQ(fresh.messageBoxes().size(), boxExpected ? 1u : 0u);
        if (boxExpected) {
            const auto& box = fresh.messageBoxes()[0];
            EXPECT_EQ(box.text, row.box.empty() ? question : row.box);
            EXPECT_EQ(box.caption, row.answer ? texts::kInfoCaption : texts::kErrorCaption);
            EXPECT_EQ(box.type, row.answer ? kMessageBoxYesNo : kMessageBoxOk);
        }
    }
}

}  // namespace
}  // namespace vexmora
