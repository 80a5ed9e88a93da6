#include "jobs/chunk_pipeline.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/monitor.h"

namespace vexmora {
namespace {

// Where each piece of the input lies. Pieces never cross a chunk boundary, so that a chunk is read
// only after its callback.
class PieceMap {
  public:
    PieceMap(std::int64_t total, std::int64_t chunkSize, std::size_t pieceSize)
        : total_(total),
          // A chunk beyond the input's end changes nothing but could overflow the sums below.
          chunk_(std::min(chunkSize, std::max<std::int64_t>(total, 1))),
          piece_(std::min(chunk_, static_cast<std::int64_t>(pieceSize))),
          perChunk_((chunkSize + piece_ - 1) / piece_) {}

    // An empty input still has one piece, for the stream's final call.
    std::int64_t Count() const {
        if (total_ == 0) {
            return 1;
        }
        const std::int64_t lastChunk = (total_ - 1) / chunk_;
        const std::int64_t inLast = total_ - lastChunk * chunk_;
        return lastChunk * perChunk_ + (inLast + piece_ - 1) / piece_;
    }
    std::int64_t ChunkOf(std::int64_t piece) const { return piece / perChunk_; }
    std::size_t SizeOf(std::int64_t piece) const {
        const std::int64_t chunkStart = ChunkOf(piece) * chunk_;
        const std::int64_t start = chunkStart + (piece % perChunk_) * piece_;
        const std::int64_t end = std::min({total_, chunkStart + chunk_, start + piece_});
        return static_cast<std::size_t>(std::max<std::int64_t>(end - start, 0));
    }
    std::size_t Largest() const { return static_cast<std::size_t>(std::min(piece_, total_)); }

  private:
    std::int64_t total_;
    std::int64_t chunk_;
    std::int64_t piece_;
    std::int64_t perChunk_;
};

// One place in the ring: piece n uses slot n % PiecesInFlight.
struct Slot {
    std::vector<std::uint8_t> input;
    std::vector<std::uint8_t> output;
    std::size_t size = 0;   // bytes read into input
    std::size_t count = 0;  // bytes of output to write
};

class Pipeline {
  public:
    Pipeline(File& input, File& output, CipherStream& stream, const PieceMap& map)
        : input_(input), output_(output), stream_(stream), map_(map), pieces_(map.Count()) {
        for (Slot& slot : slots_) {
            slot.input.resize(map.Largest());
            slot.output.resize(map.Largest() + 32);
        }
    }

    PipelineEnd Run(const std::function<bool(std::int64_t)>& beforeChunk, std::int64_t chunkSize,
                    const std::function<bool()>& whileWaiting) {
        whileWaiting_ = &whileWaiting;
        std::jthread reader;
        std::jthread writer;
        // Declared after the threads, so it runs first on every way out: stops them, then they
        // are joined.
        struct Stop {
            Pipeline& pipeline;
            ~Stop() { pipeline.StopThreads(); }
        } stop{*this};
        try {
            reader = std::jthread([this] { ReadPieces(); });
            ++threads_;
            writer = std::jthread([this] { WritePieces(); });
            ++threads_;
        } catch (const std::system_error&) {
            std::unique_lock lock(monitor_);
            return End(lock, PipelineEnd::Failed);
        }
        lastLook_ = std::chrono::steady_clock::now();
        for (std::int64_t n = 0; n < pieces_; ++n) {
            std::unique_lock lock(monitor_);
            // At most one callback before each piece unless the piece waits for it: the pieces
            // read so far go on through the cipher and to the writer while the caller decides.
            bool asked = false;
            for (;;) {
                if (failed_) {
                    return End(lock, cause_);
                }
                const bool ready = read_ > n;
                if (ReaderWaitsForChunk() && (!asked || !ready)) {
                    const std::int64_t done = chunksAllowed_ * chunkSize;
                    lock.unlock();
                    const bool go = beforeChunk(done);
                    lock.lock();
                    if (!go) {
                        return End(lock, PipelineEnd::Cancelled);
                    }
                    ++chunksAllowed_;
                    asked = true;
                    monitor_.NotifyAll();
                    continue;
                }
                if (ready && written_ + static_cast<std::int64_t>(PiecesInFlight) > n) {
                    break;
                }
                if (!Await(lock)) {
                    return End(lock, PipelineEnd::Cancelled);
                }
            }
            lock.unlock();
            Slot& slot = SlotOf(n);
            const std::int64_t count = UpdateCipherStream(
                stream_, std::span(slot.input).first(slot.size), slot.output, n + 1 == pieces_);
            lock.lock();
            if (count < 0) {
                Fail(PipelineEnd::Undecipherable);
                return End(lock, cause_);
            }
            slot.count = static_cast<std::size_t>(count);
            ++ciphered_;
            monitor_.NotifyAll();
            if (!LookIfDue(lock)) {
                return End(lock, PipelineEnd::Cancelled);
            }
        }
        std::unique_lock lock(monitor_);
        while (!failed_ && written_ != pieces_) {
            if (!Await(lock)) {
                return End(lock, PipelineEnd::Cancelled);
            }
        }
        return End(lock, failed_ ? cause_ : PipelineEnd::Done);
    }

    // The first chunk is allowed by the caller's first callback, before any thread starts.
    void AllowFirstChunk() { chunksAllowed_ = 1; }

  private:
    // One wait on the monitor (held), bounded by the caller's next look when it has one. False
    // when the caller asked to cancel.
    bool Await(std::unique_lock<Monitor>& lock) {
        if (!*whileWaiting_) {
            monitor_.Wait();
            return true;
        }
        const auto left = lastLook_ + WaitingCallInterval - std::chrono::steady_clock::now();
        if (left > left.zero()) {
            monitor_.WaitFor(
                static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count()));
            return true;
        }
        return LookIfDue(lock);
    }

    // The caller's look when it is due, also while the cipher keeps this thread busy without a
    // wait. False when the caller asked to cancel.
    bool LookIfDue(std::unique_lock<Monitor>& lock) {
        const auto now = std::chrono::steady_clock::now();
        if (!*whileWaiting_ || now < lastLook_ + WaitingCallInterval) {
            return true;
        }
        lastLook_ = now;
        lock.unlock();
        const bool go = (*whileWaiting_)();
        lock.lock();
        return go;
    }

    // Lets the reading and writing threads go and waits, still looking up, until they have left
    // the files: a read or write under way is not cut short, and the caller must not close a file
    // that is still in use.
    PipelineEnd End(std::unique_lock<Monitor>& lock, PipelineEnd end) {
        stop_ = true;
        monitor_.NotifyAll();
        while (exited_ < threads_) {
            Await(lock);
        }
        return end;
    }

    // Counts a thread as gone when it leaves, whichever way.
    struct Leaving {
        Pipeline& pipeline;
        ~Leaving() {
            std::lock_guard lock(pipeline.monitor_);
            ++pipeline.exited_;
            pipeline.monitor_.NotifyAll();
        }
    };

    // The reader is through with every chunk it was allowed, and there are more. monitor_ held.
    bool ReaderWaitsForChunk() const {
        return read_ < pieces_ && map_.ChunkOf(read_) >= chunksAllowed_;
    }

    Slot& SlotOf(std::int64_t piece) {
        return slots_[static_cast<std::size_t>(piece) % PiecesInFlight];
    }

    void ReadPieces() {
        Leaving leaving{*this};
        for (std::int64_t n = 0; n < pieces_; ++n) {
            {
                std::unique_lock lock(monitor_);
                monitor_.WaitUntil([&] {
                    return stop_ || (map_.ChunkOf(n) < chunksAllowed_ &&
                                     n < ciphered_ + static_cast<std::int64_t>(PiecesInFlight));
                });
                if (stop_) {
                    return;
                }
            }
            Slot& slot = SlotOf(n);
            const std::size_t size = map_.SizeOf(n);
            const bool ok = input_.ReadExactly(std::span(slot.input).first(size));
            std::lock_guard lock(monitor_);
            if (!ok) {
                Fail(PipelineEnd::ReadFailed);
            }
            slot.size = size;
            read_ += ok ? 1 : 0;
            monitor_.NotifyAll();
            if (!ok) {
                return;
            }
        }
    }

    void WritePieces() {
        Leaving leaving{*this};
        for (std::int64_t n = 0; n < pieces_; ++n) {
            {
                std::unique_lock lock(monitor_);
                monitor_.WaitUntil([&] { return stop_ || ciphered_ > n; });
                if (stop_) {
                    return;
                }
            }
            const Slot& slot = SlotOf(n);
            const bool ok =
                slot.count == 0 || output_.WriteAll(std::span(slot.output).first(slot.count));
            std::lock_guard lock(monitor_);
            if (!ok) {
                Fail(PipelineEnd::WriteFailed);
            }
            written_ += ok ? 1 : 0;
            monitor_.NotifyAll();
            if (!ok) {
                return;
            }
        }
    }

    // The first failure names the end. monitor_ held.
    void Fail(PipelineEnd cause) {
        if (!failed_) {
            failed_ = true;
            cause_ = cause;
        }
    }

    void StopThreads() {
        std::lock_guard lock(monitor_);
        stop_ = true;
        monitor_.NotifyAll();
    }

    File& input_;
    File& output_;
    CipherStream& stream_;
    const PieceMap map_;
    const std::int64_t pieces_;
    std::array<Slot, PiecesInFlight> slots_;

    Monitor monitor_;
    // Counts of pieces, each only ever growing; guarded by monitor_.
    std::int64_t read_ = 0;
    std::int64_t ciphered_ = 0;
    std::int64_t written_ = 0;
    std::int64_t chunksAllowed_ = 0;
    bool failed_ = false;
    PipelineEnd cause_ = PipelineEnd::Failed;  // of the first failure
    bool stop_ = false;
    int threads_ = 0;  // started; only the calling thread changes it, before it waits
    int exited_ = 0;

    const std::function<bool()>* whileWaiting_ = nullptr;
    std::chrono::steady_clock::time_point lastLook_;  // of the calling thread
};

}  // namespace

PipelineEnd RunChunkPipeline(File& input, File& output, CipherStream& stream, std::int64_t total,
                             std::int64_t chunkSize,
                             const std::function<bool(std::int64_t done)>& beforeChunk,
                             std::size_t pieceSize, const std::function<bool()>& whileWaiting) {
    if (!beforeChunk(0)) {
        return PipelineEnd::Cancelled;
    }
    try {
        Pipeline pipeline(input, output, stream, PieceMap(total, chunkSize, pieceSize));
        pipeline.AllowFirstChunk();
        return pipeline.Run(beforeChunk, chunkSize, whileWaiting);
    } catch (const std::bad_alloc&) {
        return PipelineEnd::Failed;
    }
}

}  // namespace vexmora
