// The moving part of the file job: reads one file, puts its bytes through a cipher stream and
// writes the result to another, with reading, ciphering and writing overlapped, so that the time of
// a job is that of its slowest part rather than the sum of the three.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "crypto/cipher_stream.h"
#include "platform/file_system.h"

namespace vexmora {

// Bytes that are read, ciphered and written as one piece. A piece small enough to stay in the
// processor's cache from its read through the cipher to its write is not fetched from memory three
// times; one too small costs a handover between threads per few bytes. bench/run measures it
// (the piece_size rows).
inline constexpr std::size_t DefaultPieceSize = 1024 * 1024;

// Pieces on their way at once: one being read, one ciphered, one written, and one spare so that a
// slow moment of one thread does not stall the other two.
inline constexpr std::size_t PiecesInFlight = 4;

// How often a caller that waits for the disk looks up (see whileWaiting): often enough that a
// window pumped from there answers a click within a fifth of a second.
inline constexpr std::chrono::milliseconds WaitingCallInterval{50};

enum class PipelineEnd {
    Done,
    Cancelled,
    Failed,          // memory or a thread could not be had
    ReadFailed,      // a read failed, or the input ended early
    WriteFailed,     // a write failed
    Undecipherable,  // the stream refused the data: bad padding or a torn container
};

// Moves `total` bytes of input, from where it stands, through stream into output. The input is
// taken in chunks of chunkSize bytes (>= 1), each cut into pieces of at most pieceSize bytes (>=
// 1); the last piece is the stream's final call. An empty input is one chunk with one piece of 0
// bytes.
//
// beforeChunk(done) runs on the calling thread before each chunk is read, with done = 0, chunkSize,
// 2 * chunkSize, ...; false cancels, and no byte of a chunk it refused is read. While a chunk is
// read, the one before it may still be ciphered and written.
//
// whileWaiting (when given) runs on the calling thread every WaitingCallInterval, between pieces
// and while that thread waits for the reads and writes, also those of the last chunk; false
// cancels as beforeChunk does.
// After a cancel or failure it is still called (its answer no longer counts) until the reading and
// writing threads have given up, which may take as long as a read or write that is under way.
//
// Reads run on a thread of their own, writes on another, the stream on the calling thread; input is
// used only by the reading thread and output only by the writing one, and both threads have ended
// when this returns. Memory: PiecesInFlight pieces of input and as many of output, allocated here.
//
// Anything but Done and Cancelled is a failure, named by its first cause (see PipelineEnd): when
// a read fails after the stream refused a piece, the stream's refusal is the cause. Nothing is
// closed, removed or reported here: that is the caller's.
PipelineEnd RunChunkPipeline(File& input, File& output, CipherStream& stream, std::int64_t total,
                             std::int64_t chunkSize,
                             const std::function<bool(std::int64_t done)>& beforeChunk,
                             std::size_t pieceSize = DefaultPieceSize,
                             const std::function<bool()>& whileWaiting = {});

}  // namespace vexmora
