// AES-256-CBC and SHA-256 over 16 MiB, by each of our implementations and by OpenSSL's EVP
// interface as the reference, in one run. bench/run turns the times into ratios.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdint>
#include <random>
#include <vector>

#include "crypto/aes/aes_engine.h"
#include "crypto/sha256.h"

namespace {

using namespace vexmora;

constexpr std::size_t kSize = 16 * 1024 * 1024;

const std::vector<std::uint8_t>& Input() {
    static const std::vector<std::uint8_t> data = [] {
        std::vector<std::uint8_t> d(kSize);
        std::mt19937 engine(1);
        for (auto& b : d) {
            b = static_cast<std::uint8_t>(engine());
        }
        return d;
    }();
    return data;
}

const std::array<std::uint8_t, 32> kKey = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                           12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22,
                                           23, 24, 25, 26, 27, 28, 29, 30, 31, 32};
const std::array<std::uint8_t, 16> kIv = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2, 3, 4, 5, 6};

void Ours(benchmark::State& state, AesImplementation implementation, int direction) {
    if (!UseAesImplementation(implementation)) {
        state.SkipWithError("not available on this processor");
        return;
    }
    std::vector<std::uint8_t> out(kSize);
    const auto flags = static_cast<std::uint32_t>(direction + kChainingCbc);
    AesHandle handle = AesStreamStart(kKey, 256, kIv, flags);
    for (auto _ : state) {
        AesStreamAdd(handle, Input(), out);
        benchmark::DoNotOptimize(out.data());
    }
    AesStreamFinish(handle);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
    UseAesImplementation(AesImplementation::Automatic);
}

void Openssl(benchmark::State& state, int direction) {
    std::vector<std::uint8_t> out(kSize + 32);
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    EVP_CipherInit_ex(context, EVP_aes_256_cbc(), nullptr, kKey.data(), kIv.data(),
                      direction == kEncrypt ? 1 : 0);
    EVP_CIPHER_CTX_set_padding(context, 0);
    for (auto _ : state) {
        int written = 0;
        EVP_CipherUpdate(context, out.data(), &written, Input().data(), static_cast<int>(kSize));
        benchmark::DoNotOptimize(out.data());
    }
    EVP_CIPHER_CTX_free(context);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
}

void Sha256Ours(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(Sha256(Input()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
}

void Sha256Openssl(benchmark::State& state) {
    unsigned char digest[32];
    for (auto _ : state) {
        EVP_Digest(Input().data(), kSize, digest, nullptr, EVP_sha256(), nullptr);
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
}

void Register() {
    const struct {
        const char* name;
        AesImplementation implementation;
    } ours[] = {{"table", AesImplementation::Table},
                {"aes-ni", AesImplementation::AesNi},
                {"vaes-256", AesImplementation::Vaes256},
                {"vaes-512", AesImplementation::Vaes512}};
    for (int direction : {kEncrypt, kDecrypt}) {
        const std::string prefix = direction == kEncrypt ? "cbc_encrypt/" : "cbc_decrypt/";
        benchmark::RegisterBenchmark((prefix + "openssl").c_str(), Openssl, direction)
            ->Unit(benchmark::kMillisecond);
        for (const auto& o : ours) {
            benchmark::RegisterBenchmark((prefix + o.name).c_str(), Ours, o.implementation,
                                         direction)
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::RegisterBenchmark("sha256/openssl", Sha256Openssl)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("sha256/ours", Sha256Ours)->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    Register();
    benchmark::AddCustomContext("aes_automatic", AesImplementationName());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
