#include "jobs/chunk_pipeline.h"

#include <gtest/gtest.h>

#include "faulty_file_system.h"
#include "temp_dir.h"
#include "test_support.h"

namespace vexmora {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::array<std::uint8_t, 32> kKey = {3, 1, 4, 1, 5, 9, 2, 6};
constexpr IvBlock kIv = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

// Encryption with a fixed IV, so that runs can be compared; decryption reads it from the input.
std::unique_ptr<CipherStream> Stream(int direction) {
    CipherParams params = DefaultCipherParams();
    if (direction == kEncrypt) {
        params.explicitIv = kIv;
    }
    return CreateCipherStream(kKey, direction, params);
}

// The whole of data through one final stream call: what any split must give.
Bytes OneCall(int direction, const Bytes& data) {
    auto stream = Stream(direction);
    Bytes out(data.size() + 32);
    const std::int64_t n = UpdateCipherStream(*stream, data, out, true);
    out.resize(static_cast<std::size_t>(std::max<std::int64_t>(n, 0)));
    return out;
}

class ChunkPipelineTest : public ::testing::Test {
  protected:
    // Pipes file `from` into a new file `to`, recording the callbacks.
    PipelineEnd Pipe(int direction, const std::string& from, const std::string& to,
                     std::int64_t chunk, std::size_t piece,
                     std::function<bool(std::int64_t)> answer = nullptr) {
        done.clear();
        auto input = disk.OpenForReading(dir.U16(from));
        auto output = disk.CreateNew(dir.U16(to));
        auto stream = Stream(direction);
        const PipelineEnd end = RunChunkPipeline(
            *input, *output, *stream, input->Size(), chunk,
            [&](std::int64_t d) {
                done.push_back(d);
                return answer ? answer(d) : true;
            },
            piece);
        output->Close();
        return end;
    }

    test::TempDir dir;
    test::FaultyFileSystem disk;
    std::vector<std::int64_t> done;
};

TEST_F(ChunkPipelineTest, AnySplitIntoChunksAndPiecesGivesTheSameBytesAndCallbacks) {
    const std::int64_t huge = std::int64_t{1} << 62;
    for (std::size_t size : {0, 1, 15, 16, 17, 5003}) {
        const Bytes plain = test::TestData(size);
        dir.Write("plain", plain);
        const Bytes container = OneCall(kEncrypt, plain);
        for (std::int64_t chunk : {std::int64_t{1}, std::int64_t{7}, std::int64_t{1000}, huge}) {
            for (std::size_t piece : {1, 3, 512, 1 << 20}) {
                if (chunk == 1 && size > 1000 && piece > 1) {
                    continue;  // the same pieces as piece 1, only slower
                }
                const std::string where = std::to_string(size) + "/" + std::to_string(chunk) + "/" +
                                          std::to_string(piece);
                ASSERT_EQ(Pipe(kEncrypt, "plain", "sealed", chunk, piece), PipelineEnd::Done)
                    << where;
                EXPECT_EQ(dir.Read("sealed"), container) << where;
                std::vector<std::int64_t> expected = {0};
                for (std::int64_t d = chunk; d < static_cast<std::int64_t>(size); d += chunk) {
                    expected.push_back(d);
                }
                EXPECT_EQ(done, expected) << where;
                ASSERT_EQ(Pipe(kDecrypt, "sealed", "back", chunk, piece), PipelineEnd::Done)
                    << where;
                EXPECT_EQ(dir.Read("back"), plain) << where;
                std::filesystem::remove(dir.Path("sealed"));
                std::filesystem::remove(dir.Path("back"));
            }
        }
    }
}

TEST_F(ChunkPipelineTest, NoByteOfAChunkIsReadBeforeItsCallbackOrAfterARefusal) {
    dir.Write("plain", test::TestData(50000));
    // Pieces of 3000 bytes do not divide chunks of 10000: the last piece of a chunk is short.
    EXPECT_EQ(Pipe(kEncrypt, "plain", "all", 10000, 3000,
                   [&](std::int64_t d) {
                       EXPECT_LE(disk.bytesRead.load(), d);
                       return true;
                   }),
              PipelineEnd::Done);
    EXPECT_EQ(done, (std::vector<std::int64_t>{0, 10000, 20000, 30000, 40000}));
    EXPECT_EQ(dir.Read("all"), OneCall(kEncrypt, test::TestData(50000)));

    for (std::int64_t refused : {0, 30000}) {
        disk.bytesRead = 0;
        EXPECT_EQ(Pipe(kEncrypt, "plain", "part", 10000, 3000,
                       [&](std::int64_t d) { return d != refused; }),
                  PipelineEnd::Cancelled);
        EXPECT_EQ(done.back(), refused);
        EXPECT_EQ(disk.bytesRead.load(), refused);
        std::filesystem::remove(dir.Path("part"));
    }
}

TEST_F(ChunkPipelineTest, FailuresOfReadStreamAndWriteEndThePipeline) {
    const Bytes plain = test::TestData(20000);
    dir.Write("plain", plain);
    disk.readBudget = 12000;  // the fifth piece of 3000 bytes
    EXPECT_EQ(Pipe(kEncrypt, "plain", "out", 10000, 3000), PipelineEnd::ReadFailed);
    EXPECT_EQ(done, (std::vector<std::int64_t>{0, 10000}));

    disk.readBudget = -1;
    disk.writeBudget = 7000;
    EXPECT_EQ(Pipe(kEncrypt, "plain", "out2", 10000, 3000), PipelineEnd::WriteFailed);

    // A container whose padding is wrong: the final stream call refuses it.
    disk.writeBudget = -1;
    Bytes container = OneCall(kEncrypt, plain);
    container.back() ^= 0x5a;
    dir.Write("bad", container);
    EXPECT_EQ(Pipe(kDecrypt, "bad", "out3", 10000, 3000), PipelineEnd::Undecipherable);
}

}  // namespace
}  // namespace vexmora
