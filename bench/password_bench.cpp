// The password rating runs on every keystroke in a password field, so its time per call is the
// figure that matters: for a mixed password of words, digits and symbols of 100 and 1,000
// characters (only 256 are rated), and for the repetitive text that costs zxcvbn the most, next
// to one SHA-256 of the same password, the program's own work on it, in the same run.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "crypto/passphrase.h"
#include "crypto/password_strength.h"
#include "crypto/sha256.h"

namespace {

using namespace vexmora;

// Words of the passphrase list, capitalised at random, with digits and symbols between them.
std::u16string Mixed(std::size_t length) {
    std::mt19937 engine(100);
    constexpr std::u16string_view kSymbols = u"!@#$%&*?-+=/";
    std::u16string text;
    while (text.size() < length) {
        std::u16string word;
        for (char c : PassphraseWord(engine() % PassphraseWordCount())) {
            word.push_back(static_cast<char16_t>(c));
        }
        if (engine() % 2 == 0) {
            word[0] = static_cast<char16_t>(word[0] - u'a' + u'A');
        }
        text += word + std::u16string(1, static_cast<char16_t>(u'0' + engine() % 10)) +
                std::u16string(1, kSymbols[engine() % kSymbols.size()]);
    }
    text.resize(length);
    return text;
}

// A short piece over and over: every position starts repeats of every length.
std::u16string Repeated(std::u16string_view piece, std::size_t length) {
    std::u16string text;
    while (text.size() < length) {
        text += piece;
    }
    text.resize(length);
    return text;
}

void Rating(benchmark::State& state, std::u16string password) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(PasswordLog10Guesses(password));
    }
}

void Sha256OfPassword(benchmark::State& state, std::u16string password) {
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(password.data()),
                          password.size() * sizeof(char16_t));
    for (auto _ : state) {
        benchmark::DoNotOptimize(Sha256(bytes));
    }
}

void Register() {
    for (std::size_t length : {100, 1000}) {
        const std::string size = "/" + std::to_string(length);
        benchmark::RegisterBenchmark(("rating/mixed" + size).c_str(), Rating, Mixed(length))
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("sha256/mixed" + size).c_str(), Sha256OfPassword,
                                     Mixed(length))
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark("rating/repeated_ab/1000", Rating, Repeated(u"ab", 1000))
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("rating/repeated_a_b_/1000", Rating, Repeated(u"a b ", 1000))
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("rating/one_letter/1000", Rating, Repeated(u"a", 1000))
        ->Unit(benchmark::kMicrosecond);
}

}  // namespace

int main(int argc, char** argv) {
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
