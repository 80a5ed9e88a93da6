#include "jobs/file_job.h"

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "jobs/temporary_path.h"

namespace vexmora {
namespace {

class Job {
  public:
    Job(const ProgressCallbackFunction& callback, FileSystem& fileSystem)
        : callback_(callback), fileSystem_(fileSystem) {}

    // Whatever went wrong, no partial output stays behind.
    ~Job() { DiscardOutput(); }

    int Run(std::span<const std::uint8_t> key, int direction, std::u16string_view inputPath,
            std::u16string_view outputPath, std::int64_t chunkSize,
            const std::optional<CipherParams>& params) {
        auto stream = params ? CreateCipherStream(key, direction, *params)
                             : CreateCipherStream(key, direction);
        if (stream == nullptr) {
            return Fail();
        }
        std::unique_ptr<File> input = fileSystem_.OpenForReading(inputPath);
        if (input == nullptr || inputPath == outputPath ||
            fileSystem_.SameFile(inputPath, outputPath) == 1) {
            return Fail();
        }
        temporaryPath_ = TemporaryPathBeside(outputPath);
        output_ = fileSystem_.CreateNew(temporaryPath_);
        const std::int64_t total = input->Size();
        if (output_ == nullptr || total < 0) {
            return Fail();
        }
        const auto chunk = static_cast<std::size_t>(chunkSize);
        std::vector<std::uint8_t> inputBuffer(static_cast<std::size_t>(std::min(chunkSize, total)));
        std::vector<std::uint8_t> outputBuffer(inputBuffer.size() + 32);

        std::int64_t remaining = total;
        do {
            if (callback_ && callback_(total - remaining, total) != 0) {
                input->Close();
                DiscardOutput();
                FreeCipherStream(stream);
                Report(0, 0);
                return 0;
            }
            const bool final = remaining <= chunkSize;
            const std::size_t size = final ? static_cast<std::size_t>(remaining) : chunk;
            const std::span<std::uint8_t> in = std::span(inputBuffer).first(size);
            if (!input->ReadExactly(in)) {
                return Fail();
            }
            const std::int64_t count = UpdateCipherStream(*stream, in, outputBuffer, final);
            if (count < 0 || !output_->WriteAll(
                                 std::span(outputBuffer).first(static_cast<std::size_t>(count)))) {
                return Fail();
            }
            remaining -= static_cast<std::int64_t>(size);
        } while (remaining > 0);

        input->Close();
        const bool written = output_->Close();
        if (!written || !fileSystem_.ReplaceFile(temporaryPath_, outputPath)) {
            return Fail();
        }
        output_ = nullptr;  // moved into place: nothing to clean up
        Report(total, total);
        return 1;
    }

    int Fail() {
        DiscardOutput();
        Report(-1, -1);
        return 0;
    }

  private:
    void DiscardOutput() {
        if (output_ != nullptr) {
            output_->Close();
            fileSystem_.Remove(temporaryPath_);
            output_ = nullptr;
        }
    }

    void Report(std::int64_t done, std::int64_t total) {
        if (callback_) {
            callback_(done, total);
        }
    }

    const ProgressCallbackFunction& callback_;
    FileSystem& fileSystem_;
    std::u16string temporaryPath_;
    std::unique_ptr<File> output_;
};

}  // namespace

int RunFileJob(std::span<const std::uint8_t> key, int direction, std::u16string_view inputPath,
               std::u16string_view outputPath, const ProgressCallbackFunction& callback,
               std::int64_t chunkSize, const std::optional<CipherParams>& params,
               FileSystem& fileSystem) {
    Job job(callback, fileSystem);
    try {
        return job.Run(key, direction, inputPath, outputPath,
                       chunkSize < 1 ? DefaultChunkSize : chunkSize, params);
    } catch (const std::bad_alloc&) {
        // A chunk size larger than memory allows.
        return job.Fail();
    }
}

}  // namespace vexmora
