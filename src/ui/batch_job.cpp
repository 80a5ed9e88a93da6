#include "ui/batch_job.h"

#include <algorithm>
#include <optional>

#include "jobs/file_job.h"
#include "ui/file_dialogs.h"
#include "ui/file_job_starter.h"
#include "ui/texts.h"

namespace vexmora {
namespace {

std::u16string Digits(std::size_t n) {
    const std::string text = std::to_string(n);
    return std::u16string(text.begin(), text.end());
}

std::u16string_view NameOf(std::u16string_view path) {
    const std::size_t last = path.find_last_of(u"\\/");
    return last == std::u16string_view::npos ? path : path.substr(last + 1);
}

// The overwrite question with "the same for the rest": once ticked, its answer stands for every
// later file of the batch.
class ReplaceQuestion {
  public:
    // `alone`: the only file of its batch, which is asked as a single job is, without a check box.
    ReplaceQuestion(Toolkit& toolkit, FileSystem& fileSystem, bool alone)
        : toolkit_(toolkit), fileSystem_(fileSystem), alone_(alone) {}

    // Whether output may be written; nothing when what is there cannot be told (the job then
    // fails rather than replace unasked).
    std::optional<bool> MayReplace(std::u16string_view output) {
        switch (fileSystem_.KindOf(output)) {
            case PathKind::Missing:
            case PathKind::Other:  // the job itself refuses a folder or device
                return true;
            case PathKind::Unknown:
                return std::nullopt;
            case PathKind::RegularFile:
                break;
        }
        if (standing_) {
            return *standing_;
        }
        if (alone_) {
            return vexmora::MayReplace(toolkit_, output, fileSystem_, true);
        }
        bool forTheRest = false;
        const std::u16string question =
            std::u16string(output) + u"\n" + std::u16string(texts::kOverwriteQuestion);
        const bool yes =
            toolkit_.ShowMessageBoxWithCheck(texts::kInfoCaption, question, kMessageBoxYesNo,
                                             texts::kSameForTheRest, forTheRest) == kAnswerYes;
        if (forTheRest) {
            standing_ = yes;
        }
        return yes;
    }

  private:
    Toolkit& toolkit_;
    FileSystem& fileSystem_;
    bool alone_;
    std::optional<bool> standing_;
};

// The bytes of all files, for the bar: as the listing gave them, else as the file says now. A
// file that cannot be opened counts 0; its job fails on its own.
std::int64_t TotalBytes(FileSystem& fileSystem, std::span<const SelectedFile> files) {
    std::int64_t total = 0;
    for (const SelectedFile& file : files) {
        std::int64_t size = file.size;
        if (size < 0) {
            const std::unique_ptr<File> opened = fileSystem.OpenForReading(file.path);
            size = opened == nullptr ? 0 : std::max<std::int64_t>(opened->Size(), 0);
        }
        total += size;
    }
    return total;
}

// "\nand 5 more" when a list of `count` was cut at kFailuresListed; nothing otherwise.
std::u16string More(std::size_t count) {
    if (count <= kFailuresListed) {
        return {};
    }
    return u'\n' + std::u16string(texts::kBatchMoreStart) + Digits(count - kFailuresListed) +
           std::u16string(texts::kBatchMoreEnd);
}

}  // namespace

BatchOutcome RunBatch(Toolkit& toolkit, FileSystem& fileSystem, std::span<const std::uint8_t> key,
                      const FileSelection& selection, ProgressWindow& window) {
    BatchOutcome outcome;
    const std::span<const SelectedFile> files = selection.files;
    outcome.count = files.size();
    ReplaceQuestion question(toolkit, fileSystem, files.size() == 1);
    std::int64_t total = TotalBytes(fileSystem, files);
    std::int64_t before = 0;  // the bytes of the files before the one in work
    std::size_t undecipherable = 0;
    window.ShowProgress(0, total);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (window.CancelAsked()) {
            outcome.cancelled = true;
            break;
        }
        const SelectedFile& file = files[i];
        if (files.size() > 1) {
            window.ShowFile(NameOf(file.path), i + 1, files.size());
        }
        const std::u16string output = OutputFileFor(toolkit, selection.direction, file.path);
        if (output.empty()) {
            ++outcome.skipped;  // no name chosen for it
            continue;
        }
        const std::optional<bool> mayReplace = question.MayReplace(output);
        if (!mayReplace) {
            outcome.failures.push_back({file.path, JobFailure::DestinationBusy});
            continue;
        }
        if (!*mayReplace) {
            ++outcome.skipped;
            continue;
        }
        std::int64_t listed = file.size;
        const auto report = [&](std::int64_t done, std::int64_t fileTotal) {
            if (done == StillWorking) {
                return window.CancelAsked() ? 1 : 0;
            }
            if (done >= 0 && fileTotal >= 0) {
                if (listed != fileTotal) {
                    // The file is not the size the listing said (or it was not listed): the
                    // bar's total follows what the job reads.
                    total += fileTotal - std::max<std::int64_t>(listed, 0);
                    listed = fileTotal;
                    window.ShowProgress(0, total);
                }
                if (before + done > 0) {
                    window.ShowProgress(before + done, total);
                }
            }
            return window.CancelAsked() ? 1 : 0;
        };
        const FileJobOutcome job = RunFileJobWithOutcome(
            key, selection.direction, file.path, output, report, 0, std::nullopt, fileSystem);
        before += std::max<std::int64_t>(listed, 0);
        if (!job.keptOldFile.empty()) {
            outcome.keptOldFiles.push_back(job.keptOldFile);
        }
        if (job.result == 1) {
            ++outcome.done;
            if (window.CancelAsked()) {
                // It came while the file was put in place. A single job says so, as it always
                // has; a batch stops here, its files done staying done.
                outcome.cancelled = true;
                if (files.size() == 1) {
                    toolkit.ShowMessageBox(texts::kInfoCaption, texts::kCancelTooLate,
                                           kMessageBoxOk);
                }
                break;
            }
            continue;
        }
        if (job.failure == JobFailure::None) {
            outcome.cancelled = true;
            break;
        }
        outcome.failures.push_back({file.path, job.failure});
        if (job.failure == JobFailure::WrongPasswordOrDamaged && outcome.done == 0 &&
            ++undecipherable == kWrongPasswordLimit) {
            outcome.passwordSeemsWrong = true;
            break;
        }
    }
    if (!outcome.failures.empty()) {
        window.ShowFailed();
    }
    return outcome;
}

void ShowBatchOutcome(Toolkit& toolkit, const BatchOutcome& outcome) {
    if (!outcome.keptOldFiles.empty()) {
        // One box for all of them, as for the failures.
        std::u16string text(texts::kKeptOldFile);
        const std::size_t count = outcome.keptOldFiles.size();
        for (std::size_t i = 0; i < std::min(count, kFailuresListed); ++i) {
            text += (i == 0 ? u"" : u"\n") + outcome.keptOldFiles[i];
        }
        toolkit.ShowMessageBox(texts::kInfoCaption, text + More(count), kMessageBoxOk);
    }
    if (outcome.failures.empty()) {
        return;
    }
    std::u16string text(texts::kEncodeDecodeError);
    text += u'\n';
    if (outcome.passwordSeemsWrong) {
        text += texts::kPasswordSeemsWrong;
    } else if (outcome.count == 1) {
        text = FailureText(outcome.failures.front().reason);  // as a single job says it
    } else {
        const std::size_t failed = outcome.failures.size();
        text += Digits(failed) + std::u16string(texts::kBatchFailedOf) + Digits(outcome.count) +
                std::u16string(texts::kBatchFailedEnd) + u"\n";
        for (std::size_t i = 0; i < std::min(failed, kFailuresListed); ++i) {
            text += u'\n' + outcome.failures[i].file + u": " +
                    std::u16string(FailureReason(outcome.failures[i].reason));
        }
        text += More(failed);
    }
    toolkit.ShowMessageBox(texts::kErrorCaption, text, kMessageBoxOk);
}

}  // namespace vexmora
