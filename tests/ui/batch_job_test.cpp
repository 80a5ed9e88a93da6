// A selection's files as one job, over the scripted toolkit and a disk that can fail: progress over
// all bytes, cancel, the password that seems wrong, the summary, and one answer for the rest.
#include "ui/batch_job.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "crypto/key_derivation.h"
#include "faulty_file_system.h"
#include "jobs/file_job.h"
#include "temp_dir.h"
#include "test_support.h"
#include "toolkit/scripted_toolkit.h"
#include "ui/dpi.h"
#include "ui/texts.h"

namespace vexmora {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::u16string U16(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

std::vector<std::u16string> Lines(std::u16string_view text) {
    std::vector<std::u16string> lines;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(u'\n', start);
        lines.emplace_back(text.substr(start, end - start));
        if (end == std::u16string_view::npos) {
            return lines;
        }
        start = end + 1;
    }
}

class BatchJobTest : public ::testing::Test {
  protected:
    BatchJobTest() {
        Fresh();
        disk.bin = test::FaultyFileSystem::Bin::Works;
        disk.binFolder = dir.Path("bin");
        std::filesystem::create_directories(disk.binFolder);
        std::filesystem::create_directories(dir.Path("in"));
    }

    // Writes the files into in/ (containers of `contents` under `key` where a name ends in .vx)
    // and selects the folder.
    FileSelection Select(const std::vector<std::pair<std::string, Bytes>>& files,
                         std::optional<Direction> chosen = std::nullopt) {
        for (const auto& [name, content] : files) {
            dir.Write("in/" + name, content);
        }
        return *SelectFiles(disk, std::vector{dir.Path("in").u16string()}, chosen);
    }
    // A container of `plain` under the batch's password, written as in/name; a bad one cannot be
    // decrypted with any password. (One made with another password would do the same but for
    // the 1 in 256 whose last block happens to end in valid padding.)
    void WriteContainer(const std::string& name, const Bytes& plain, bool bad = false) {
        dir.Write("plain.tmp", plain);
        const Key key = DeriveKey(u"pw");
        ASSERT_EQ(
            RunFileJob(key.span(), kEncrypt, dir.U16("plain.tmp"), dir.U16("in/" + name), nullptr),
            1);
        std::filesystem::remove(dir.Path("plain.tmp"));
        if (bad) {
            Bytes container = dir.Read("in/" + name);
            container.push_back(0);  // no longer whole blocks
            dir.Write("in/" + name, container);
        }
    }
    BatchOutcome Run(const FileSelection& selection, std::u16string_view password = u"pw") {
        window = OpenProgressWindow(*toolkit);
        const Key key = DeriveKey(password);
        return RunBatch(*toolkit, disk, key.span(), selection, *window);
    }
    // A new toolkit, with nothing recorded.
    void Fresh() {
        window.reset();
        toolkit = std::make_unique<ScriptedToolkit>(96);
        InitDpiScaling(*toolkit);
    }
    // What is left in in/ besides the given names: no temporary file may stay.
    std::vector<std::string> InFolder() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path("in"))) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TempDir dir;
    test::FaultyFileSystem disk;
    std::unique_ptr<ScriptedToolkit> toolkit;
    std::unique_ptr<ProgressWindow> window;
};

TEST_F(BatchJobTest, EveryFileInOneWindowWithTheBarOverAllBytes) {
    const std::vector<std::pair<std::string, Bytes>> files = {{"a", {}},
                                                              {"b", test::TestData(1)},
                                                              {"c", test::TestData(70000)},
                                                              {"d", test::TestData(5000)}};
    const FileSelection selection = Select(files);
    const BatchOutcome outcome = Run(selection);
    EXPECT_EQ(outcome.done, files.size());
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_FALSE(outcome.cancelled);
    // Each output decrypts to its input.
    const Key key = DeriveKey(u"pw");
    for (const auto& [name, content] : files) {
        ASSERT_EQ(RunFileJob(key.span(), kDecrypt, dir.U16("in/" + name + ".vx"),
                             dir.U16(name + ".back"), nullptr),
                  1);
        EXPECT_EQ(dir.Read(name + ".back"), content) << name;
    }
    // The bar only grows, up to the bytes of all files; the window says which file of how many.
    std::int64_t last = 0;
    for (const ScriptedToolkit::Call& call : toolkit->calls()) {
        if (call.what == "position") {
            EXPECT_GE(call.value, last);
            last = call.value;
        }
    }
    const auto& bar = toolkit->controls().at(window->bar());
    EXPECT_EQ(bar.progressMaximum, 70000 + 5000 + 1);
    EXPECT_EQ(last, bar.progressMaximum);
    const auto& controls = toolkit->windows().at(window->window()).controls;
    std::vector<std::u16string> texts;
    for (const Identity control : controls) {
        texts.push_back(toolkit->controls().at(control).text);
    }
    EXPECT_NE(std::find(texts.begin(), texts.end(), u"d"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), u"file 4 of 4"), texts.end());
    ShowBatchOutcome(*toolkit, outcome);
    EXPECT_TRUE(toolkit->messageBoxes().empty());
    EXPECT_EQ(toolkit->windows().size(), 1u);
}

TEST_F(BatchJobTest, CancelLeavesTheFileInWorkAsItWasAndTheRestUntouched) {
    const FileSelection selection = Select({{"1", test::TestData(3000)},
                                            {"2", test::TestData(3000)},
                                            {"3", test::TestData(3000)},
                                            {"4", test::TestData(3000)},
                                            {"5", test::TestData(3000)}});
    // The click comes once the third file's output has been begun.
    toolkit->onIdle = [&](ScriptedToolkit& t) {
        if (disk.created.size() == 3 && t.pendingEvents() == 0) {
            t.QueueEvent(ControlEvent, window->cancelButton(), window->window());
        }
    };
    const BatchOutcome outcome = Run(selection);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(outcome.done, 2u);
    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_EQ(InFolder(), (std::vector<std::string>{"1", "1.vx", "2", "2.vx", "3", "4", "5"}));
    ShowBatchOutcome(*toolkit, outcome);
    EXPECT_TRUE(toolkit->messageBoxes().empty());
}

TEST_F(BatchJobTest, AWrongPasswordStopsEarlyDamagedFilesDoNot) {
    struct Row {
        int good;   // containers of the batch's password, first
        int wrong;  // then containers of another password
        bool stops;
        std::size_t failures;
    };
    const std::vector<Row> rows = {
        {0, 5, true, kWrongPasswordLimit},
        {0, 2, false, 2},
        // Once a file decrypted, the password is right: the others are damaged, all are tried.
        {1, 25, false, 25},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.good << " good, " << row.wrong << " wrong");
        std::filesystem::remove_all(dir.Path("in"));
        std::filesystem::create_directories(dir.Path("in"));
        Fresh();
        for (int i = 0; i < row.good + row.wrong; ++i) {
            const std::string name = (i < 10 ? "0" : "") + std::to_string(i) + ".vx";
            WriteContainer(name, test::TestData(100, i), i >= row.good);
        }
        const BatchOutcome outcome = Run(Select({}));
        EXPECT_EQ(outcome.passwordSeemsWrong, row.stops);
        ASSERT_EQ(outcome.failures.size(), row.failures);
        for (const BatchFailure& failure : outcome.failures) {
            EXPECT_EQ(failure.reason, JobFailure::WrongPasswordOrDamaged);
        }
        // Nothing made for a failed file, nothing touched after the stop.
        EXPECT_EQ(InFolder().size(), static_cast<std::size_t>(row.wrong + 2 * row.good));

        ShowBatchOutcome(*toolkit, outcome);
        ASSERT_EQ(toolkit->messageBoxes().size(), 1u);
        const std::u16string& text = toolkit->messageBoxes()[0].text;
        EXPECT_EQ(toolkit->messageBoxes()[0].caption, texts::kErrorCaption);
        EXPECT_TRUE(text.starts_with(std::u16string(texts::kEncodeDecodeError) + u"\n"));
        if (row.stops) {
            EXPECT_NE(text.find(texts::kPasswordSeemsWrong), std::u16string::npos);
            continue;
        }
        const auto lines = Lines(text);
        const std::string all = std::to_string(row.good + row.wrong);
        EXPECT_EQ(lines.at(1), U16(std::to_string(row.failures) + " von " + all +
                                   " Dateien sind fehlgeschlagen:"));
        const std::size_t listed = std::min(row.failures, kFailuresListed);
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const std::u16string& line) {
                                    return line.ends_with(u": " +
                                                          std::u16string(FailureReason(
                                                              JobFailure::WrongPasswordOrDamaged)));
                                }),
                  static_cast<std::ptrdiff_t>(listed));
        if (row.failures > kFailuresListed) {
            EXPECT_EQ(lines.back(),
                      u"und " + U16(std::to_string(row.failures - listed)) + u" weitere");
        }
    }
}

TEST_F(BatchJobTest, OneAnswerStandsForTheRestWhenItsBoxIsTicked) {
    struct Row {
        std::vector<std::pair<int, bool>> answers;  // answer and tick, in the order asked
        std::vector<bool> replaced;                 // per file
    };
    const std::vector<Row> rows = {
        {{{kAnswerYes, true}}, {true, true, true, true}},
        {{{kAnswerNo, true}}, {false, false, false, false}},
        {{{kAnswerYes, false}, {kAnswerNo, false}, {kAnswerYes, true}}, {true, false, true, true}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.answers.size());
        Fresh();
        std::vector<std::pair<std::string, Bytes>> files;
        for (const char* name : {"a", "b", "c", "d"}) {
            files.push_back({name, test::Bytes("new")});
            dir.Write(std::string("in/") + name + ".vx", test::Bytes("old"));
        }
        const FileSelection selection = Select(files, kEncrypt);
        for (const auto& [answer, tick] : row.answers) {
            toolkit->QueueAnswer(answer);
            toolkit->QueueCheck(tick);
        }
        const BatchOutcome outcome = Run(selection);
        ASSERT_EQ(toolkit->messageBoxes().size(), row.answers.size());
        for (std::size_t i = 0; i < row.replaced.size(); ++i) {
            const std::string output = "in/" + files[i].first + ".vx";
            EXPECT_EQ(dir.Read(output) != test::Bytes("old"), row.replaced[i]) << output;
            if (i < row.answers.size()) {
                const auto& box = toolkit->messageBoxes()[i];
                EXPECT_EQ(box.text, dir.Path(output).make_preferred().u16string() + u"\n" +
                                        std::u16string(texts::kOverwriteQuestion));
                EXPECT_EQ(box.checkText, texts::kSameForTheRest);
            }
        }
        const auto replaced = std::count(row.replaced.begin(), row.replaced.end(), true);
        EXPECT_EQ(outcome.done, static_cast<std::size_t>(replaced));
        EXPECT_EQ(outcome.skipped, row.replaced.size() - outcome.done);
        std::filesystem::remove_all(dir.Path("in"));
        std::filesystem::create_directories(dir.Path("in"));
    }
}

// A batch of one file is the job it always was: no file count, the plain question, one box.
TEST_F(BatchJobTest, ABatchOfOneIsASingleJob) {
    dir.Write("in/a.vx", test::Bytes("old"));
    FileSelection selection = Select({{"a", test::Bytes("new")}}, kEncrypt);
    const BatchOutcome outcome = Run(selection);
    ASSERT_EQ(toolkit->messageBoxes().size(), 1u);  // answered No
    EXPECT_TRUE(toolkit->messageBoxes()[0].checkText.empty());
    EXPECT_EQ(outcome.skipped, 1u);
    for (Identity control : toolkit->windows().at(window->window()).controls) {
        const ScriptedToolkit::Control& shown = toolkit->controls().at(control);
        EXPECT_FALSE(shown.shown && shown.text.starts_with(texts::kBatchFile)) << "a file count";
    }

    Fresh();
    std::filesystem::remove_all(dir.Path("in"));
    std::filesystem::create_directories(dir.Path("in"));
    WriteContainer("b.vx", test::TestData(64), true);
    const BatchOutcome failed = Run(Select({}), u"pw");
    ASSERT_EQ(failed.failures.size(), 1u);
    ShowBatchOutcome(*toolkit, failed);
    ASSERT_FALSE(toolkit->messageBoxes().empty());
    EXPECT_EQ(toolkit->messageBoxes().back().text,
              std::u16string(texts::kEncodeDecodeError) + u"\n" +
                  std::u16string(FailureReason(failed.failures[0].reason)));
}

}  // namespace
}  // namespace vexmora
