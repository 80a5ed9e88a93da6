// The file job's pipeline over a 256 MiB file in tmpfs, by the size of the pieces it reads,
// ciphers and writes. A piece of 16 MiB is a whole chunk (nothing stays in the cache from the read
// to the write); bench/run gives every other size as a ratio to it, measured in the same run with
// the repetitions interleaved.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "crypto/cipher_stream.h"
#include "jobs/chunk_pipeline.h"
#include "jobs/file_job.h"
#include "platform/file_system.h"

namespace {

using namespace vexmora;

constexpr std::int64_t kSize = 256 * 1024 * 1024;
const std::array<std::uint8_t, 32> kKey = {7};

std::filesystem::path Folder() {
    static const std::filesystem::path folder = [] {
        const std::filesystem::path shm = "/dev/shm";
        auto base =
            std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
        auto path = base / ("vexmora-piece-bench-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(path);
        std::vector<char> data(1 << 20);
        std::mt19937 engine(1);
        for (char& c : data) {
            c = static_cast<char>(engine());
        }
        std::ofstream plain(path / "plain.bin", std::ios::binary);
        for (std::int64_t i = 0; i < kSize / (1 << 20); ++i) {
            plain.write(data.data(), static_cast<std::streamsize>(data.size()));
        }
        plain.close();
        RunFileJob(kKey, kEncrypt, (path / "plain.bin").u16string(),
                   (path / "container.vx").u16string(), nullptr);
        return path;
    }();
    return folder;
}

// Encrypts plain.bin or decrypts container.vx into a new file.
void Pipeline(benchmark::State& state, int direction) {
    const auto pieceSize = static_cast<std::size_t>(state.range(0)) * 1024;
    const auto source = Folder() / (direction == kEncrypt ? "plain.bin" : "container.vx");
    const auto target = Folder() / "out";
    FileSystem& disk = RealFileSystem();
    for (auto _ : state) {
        std::filesystem::remove(target);
        auto input = disk.OpenForReading(source.u16string());
        auto output = disk.CreateNew(target.u16string());
        auto stream = CreateCipherStream(kKey, direction);
        const PipelineEnd end = RunChunkPipeline(
            *input, *output, *stream, input->Size(), DefaultChunkSize,
            [](std::int64_t) { return true; }, pieceSize);
        output->Close();
        if (end != PipelineEnd::Done) {
            state.SkipWithError("the pipeline failed");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * kSize);
}

}  // namespace

int main(int argc, char** argv) {
    for (int direction : {kEncrypt, kDecrypt}) {
        auto* b = benchmark::RegisterBenchmark(
            direction == kEncrypt ? "piece_size/encrypt" : "piece_size/decrypt", Pipeline,
            direction);
        for (int kib : {64, 128, 256, 512, 1024, 2048, 4096, 16384}) {
            b->Arg(kib);
        }
        b->Unit(benchmark::kMillisecond)->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(Folder());
    return 0;
}
