#include "jobs/file_job.h"

#include <future>
#include <new>
#include <string>
#include <system_error>
#include <thread>

#include "jobs/chunk_pipeline.h"
#include "jobs/output_file.h"

namespace vexmora {
namespace {

// Refuses a destination before any work: one that is not a file to write (a folder, a device, a
// FIFO), or the very file being read (also under another spelling), or one that cannot be told.
bool DestinationIsSafe(FileSystem& fileSystem, File& input, std::u16string_view inputPath,
                       std::u16string_view outputPath) {
    return inputPath != outputPath && MayWriteTo(fileSystem, outputPath) &&
           input.IsSameFileAs(outputPath) == 0;
}

// Why a destination takes no file: its folder is missing, or it (or its folder) takes none now.
JobFailure DestinationFailure(FileSystem& fileSystem, std::u16string_view outputPath) {
    const std::size_t separator = outputPath.find_last_of(u"\\/");
    if (separator != std::u16string_view::npos && separator > 0) {
        const std::u16string_view folder = outputPath.substr(0, separator);
        // "C:" alone names the current folder of the drive, not its root.
        if (folder.back() != u':' && fileSystem.KindOf(folder) == PathKind::Missing) {
            return JobFailure::FolderMissing;
        }
    }
    return JobFailure::DestinationBusy;
}

JobFailure PipelineFailure(PipelineEnd end, const File& output) {
    switch (end) {
        case PipelineEnd::ReadFailed:
            return JobFailure::InputUnreadable;
        case PipelineEnd::Undecipherable:
            return JobFailure::WrongPasswordOrDamaged;
        case PipelineEnd::Failed:
            return JobFailure::OutOfMemory;
        case PipelineEnd::WriteFailed:
            return output.OutOfSpace() ? JobFailure::DiskFull : JobFailure::Other;
        default:
            return JobFailure::Other;
    }
}

// What can be told before any work, so that a job does not fail at its end for it: the output's
// folder exists, can carry the input's mark of the web, and has room for the output (where the
// system says how much: an encrypted file is at most 32 bytes longer, a decrypted one shorter).
JobFailure Precheck(FileSystem& fileSystem, std::u16string_view outputPath, int direction,
                    std::int64_t total, bool marked) {
    if (DestinationFailure(fileSystem, outputPath) == JobFailure::FolderMissing) {
        return JobFailure::FolderMissing;
    }
    // The volume's questions take the folder with its separator ("C:\", "\\server\share\").
    const std::size_t separator = outputPath.find_last_of(u"\\/");
    const std::u16string folder(separator == std::u16string_view::npos
                                    ? std::u16string_view(u".")
                                    : outputPath.substr(0, separator + 1));
    if (marked && !fileSystem.KeepsStreams(folder)) {
        return JobFailure::NoMarkOfWeb;
    }
    const std::int64_t free = fileSystem.FreeBytes(folder);
    const std::int64_t needed = direction == kEncrypt ? total + 32 : total;
    if (free >= 0 && free < needed) {
        return JobFailure::DiskFull;
    }
    return JobFailure::None;
}

// After the last chunk: the input must end where it ended when the job began. A file that grew
// or shrank meanwhile (someone still writing it) would give an output of neither version.
bool InputEndsAt(File& input, std::int64_t total) {
    std::uint8_t probe[1];
    return input.ReadSome(probe) == 0 && input.Size() == total;
}

// Runs step on a thread of its own while this one calls look every WaitingCallInterval, so that a
// step that waits for the disk does not stop the caller's window. Without a thread to be had, the
// step runs here.
bool RunBeside(const std::function<bool()>& step, const std::function<void()>& look) {
    std::promise<bool> result;
    std::future<bool> finished = result.get_future();
    std::jthread thread;
    try {
        thread = std::jthread([&] {
            try {
                result.set_value(step());
            } catch (const std::bad_alloc&) {
                result.set_value(false);
            }
        });
    } catch (const std::system_error&) {
        return step();
    }
    while (finished.wait_for(WaitingCallInterval) != std::future_status::ready) {
        look();
    }
    return finished.get();
}

class Job {
  public:
    Job(const ProgressCallbackFunction& callback, FileSystem& fileSystem)
        : callback_(callback), fileSystem_(fileSystem) {}

    int Run(std::span<const std::uint8_t> key, int direction, std::u16string_view inputPath,
            std::u16string_view outputPath, std::int64_t chunkSize,
            const std::optional<CipherParams>& params) {
        auto stream = params ? CreateCipherStream(key, direction, *params)
                             : CreateCipherStream(key, direction);
        if (stream == nullptr) {
            return Fail(JobFailure::Other);
        }
        std::unique_ptr<File> input = fileSystem_.OpenForReading(inputPath);
        if (input == nullptr) {
            return Fail(JobFailure::InputUnreadable);
        }
        if (!DestinationIsSafe(fileSystem_, *input, inputPath, outputPath)) {
            return Fail(DestinationFailure(fileSystem_, outputPath));
        }
        output_.emplace(fileSystem_, outputPath);
        std::vector<std::uint8_t> mark = fileSystem_.ReadZoneMark(inputPath);
        const std::int64_t total = input->Size();
        if (total < 0) {
            return Fail(JobFailure::InputUnreadable);
        }
        const JobFailure early = Precheck(fileSystem_, outputPath, direction, total, !mark.empty());
        if (early != JobFailure::None) {
            return Fail(early);
        }
        output_->SetZoneMark(std::move(mark));
        if (!output_->Create()) {
            return Fail(DestinationFailure(fileSystem_, outputPath));
        }
        const PipelineEnd end = RunChunkPipeline(
            *input, output_->file(), *stream, total, chunkSize,
            [&](std::int64_t done) { return !callback_ || callback_(done, total) == 0; },
            DefaultPieceSize, [&] { return !AskedToCancel(total); });
        if (end == PipelineEnd::Cancelled) {
            return Cancel(*input, stream);
        }
        if (end != PipelineEnd::Done) {
            return Fail(PipelineFailure(end, output_->file()));
        }

        // The checks and the flush may take seconds (about one per GiB on a disk, far more on a
        // USB stick): the user may still change their mind, and the window must answer meanwhile.
        const auto look = [&] { AskedToCancel(total); };
        if (!RunBeside([&] { return InputEndsAt(*input, total); }, look)) {
            return Fail(JobFailure::InputUnreadable);
        }
        if (!RunBeside([&] { return output_->Finish(); }, look)) {
            return Fail(JobFailure::Other);
        }
        // One look after the flush, so that a click made during it is seen before the move.
        if (AskedToCancel(total)) {
            return Cancel(*input, stream);
        }
        input->Close();
        // From here on the destination changes: the job can only end as it ends.
        const bool placed = RunBeside([&] { return output_->Place(); }, look);
        keptOldFile_ = output_->keptOldFile();
        if (!placed) {
            return Fail(JobFailure::DestinationBusy);
        }
        Report(total, total);
        return 1;
    }

    int Fail(JobFailure failure) {
        failure_ = failure;
        if (output_) {
            output_->Discard();  // whatever went wrong, no partial output stays behind
        }
        Report(-1, -1);
        return 0;
    }

    const std::u16string& keptOldFile() const { return keptOldFile_; }
    JobFailure failure() const { return failure_; }

  private:
    // Lets the caller answer while the job waits. True once it has asked to cancel.
    bool AskedToCancel(std::int64_t total) {
        if (callback_ && callback_(StillWorking, total) != 0) {
            cancelled_ = true;
        }
        return cancelled_;
    }

    int Cancel(File& input, std::unique_ptr<CipherStream>& stream) {
        input.Close();
        output_->Discard();
        FreeCipherStream(stream);
        Report(0, 0);
        return 0;
    }

    void Report(std::int64_t done, std::int64_t total) {
        if (callback_) {
            callback_(done, total);
        }
    }

    const ProgressCallbackFunction& callback_;
    FileSystem& fileSystem_;
    std::optional<OutputFile> output_;
    std::u16string keptOldFile_;
    JobFailure failure_ = JobFailure::None;
    bool cancelled_ = false;
};

}  // namespace

FileJobOutcome RunFileJobWithOutcome(std::span<const std::uint8_t> key, int direction,
                                     std::u16string_view inputPath, std::u16string_view outputPath,
                                     const ProgressCallbackFunction& callback,
                                     std::int64_t chunkSize,
                                     const std::optional<CipherParams>& params,
                                     FileSystem& fileSystem) {
    Job job(callback, fileSystem);
    int result = 0;
    try {
        result = job.Run(key, direction, inputPath, outputPath,
                         chunkSize < 1 ? DefaultChunkSize : chunkSize, params);
    } catch (const std::bad_alloc&) {
        // A chunk size larger than memory allows.
        result = job.Fail(JobFailure::OutOfMemory);
    }
    return {result, job.keptOldFile(), job.failure()};
}

int RunFileJob(std::span<const std::uint8_t> key, int direction, std::u16string_view inputPath,
               std::u16string_view outputPath, const ProgressCallbackFunction& callback,
               std::int64_t chunkSize, const std::optional<CipherParams>& params,
               FileSystem& fileSystem) {
    return RunFileJobWithOutcome(key, direction, inputPath, outputPath, callback, chunkSize, params,
                                 fileSystem)
        .result;
}

}  // namespace vexmora
