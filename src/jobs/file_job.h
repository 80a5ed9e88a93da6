// The file job: encrypts or decrypts one file into another in chunks, through a cipher stream, so
// that files of any size pass through a fixed amount of memory.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "crypto/cipher_stream.h"
#include "jobs/job_failure.h"
#include "platform/file_system.h"

namespace vexmora {

inline constexpr std::int64_t DefaultChunkSize = 16 * 1024 * 1024;

// Progress and cancel: called with (done, total) byte counts; a nonzero result before a chunk
// cancels the job. The calls, in order:
//   before each chunk      (0, total), (chunk, total), (2 * chunk, total), ...   result used
//   once after a cancel    (0, 0)                                                result ignored
//   once after success     (total, total)                                        result ignored
//   once after a failure   (-1, -1)                                              result ignored
// An empty input still has one chunk (of 0 bytes), announced as (0, 0).
// Besides, while the job waits for the disk (the reads and writes of a chunk, the final checks, the
// flush and the move into place), it calls (StillWorking, total) every WaitingCallInterval, so
// that a window can go on answering. Up to the move a nonzero result cancels: the destination
// stays untouched. Once the move has begun the result is ignored, and the job ends as it ends.
inline constexpr std::int64_t StillWorking = -2;
using ProgressCallbackFunction = std::function<int(std::int64_t done, std::int64_t total)>;

// Reading, ciphering and writing overlap (chunk_pipeline.h): the callback runs on the calling
// thread, and a chunk is read only after its call; while it is read, the chunk before it may still
// be ciphered and written. A cancel stops the job within the chunk it refused.
//
// Returns 1 when the whole input went through and the output is in place, 0 after a failure or a
// cancel. The output is written to a temporary file beside it, flushed to the disk and moved over
// outputPath only at the end (see PutInPlace: a file it replaces goes to the Recycle Bin or stays
// beside it under a visible name), so a failure or cancel never leaves a partial output and never
// touches an existing file at outputPath. The output carries the input's mark of the web
// (Zone.Identifier), if it has one. Failures: the stream cannot be created (for encryption also:
// the system's random source gives no IV); the input cannot be opened, is not a regular file (a
// pipe, FIFO, console or device) or changed its size during the job; the output is not a place
// for a file or cannot be replaced now (MayWriteTo) or names the input, or that cannot be told; the
// temporary file cannot be created, written, flushed or marked; the move fails; or decryption finds
// bad padding or a torn container (a wrong password or damaged data). Failures before the first
// chunk report only (-1, -1). chunkSize below 1 selects DefaultChunkSize; params absent selects
// the stream defaults.
int RunFileJob(std::span<const std::uint8_t> key, int direction, std::u16string_view inputPath,
               std::u16string_view outputPath, const ProgressCallbackFunction& callback,
               std::int64_t chunkSize = 0, const std::optional<CipherParams>& params = std::nullopt,
               FileSystem& fileSystem = RealFileSystem());

struct FileJobOutcome {
    int result = 0;  // as RunFileJob
    // The file the output replaced, where it stays beside the output under a visible name
    // because the Recycle Bin did not surely take it (PutInPlace); the user should learn of it.
    // Empty when nothing stays.
    std::u16string keptOldFile;
    // Why the job failed; None after success or a cancel.
    JobFailure failure = JobFailure::None;
};

// RunFileJob, telling also where a replaced file was kept.
FileJobOutcome RunFileJobWithOutcome(std::span<const std::uint8_t> key, int direction,
                                     std::u16string_view inputPath, std::u16string_view outputPath,
                                     const ProgressCallbackFunction& callback,
                                     std::int64_t chunkSize = 0,
                                     const std::optional<CipherParams>& params = std::nullopt,
                                     FileSystem& fileSystem = RealFileSystem());

}  // namespace vexmora
