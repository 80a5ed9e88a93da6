#include "crypto/passphrase.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "crypto/sha256.h"
#include "test_vectors.h"

namespace vexmora {
namespace {

// 2^32 - (2^32 mod bound): draws from here up are drawn again.
std::uint64_t RejectionLimit(std::uint32_t bound) {
    return (std::uint64_t{1} << 32) - (std::uint64_t{1} << 32) % bound;
}

// Hands out the given 32-bit draws, little-endian, and records every request; fails when they
// run out, or at the draw numbered failAt.
struct ScriptedSource {
    explicit ScriptedSource(std::deque<std::uint32_t> scripted, int failingRequest = -1)
        : draws(std::move(scripted)), failAt(failingRequest) {}

    std::deque<std::uint32_t> draws;
    int failAt;
    int requests = 0;
    std::vector<std::size_t> sizes;

    RandomFill Fill() {
        return [this](std::span<std::uint8_t> bytes) {
            sizes.push_back(bytes.size());
            if (requests++ == failAt || draws.empty() || bytes.size() != 4) {
                return false;
            }
            for (int i = 0; i < 4; ++i) {
                bytes[i] = static_cast<std::uint8_t>(draws.front() >> (8 * i));
            }
            draws.pop_front();
            return true;
        };
    }
};

RandomFill Seeded(std::mt19937& engine) {
    return [&engine](std::span<std::uint8_t> bytes) {
        for (auto& b : bytes) {
            b = static_cast<std::uint8_t>(engine());
        }
        return true;
    };
}

// The list as the program carries it against the vendored file, which is checked against the
// digest that is published for EFF's file.
TEST(PassphraseWords, AreTheEffLargeWordList) {
    const std::string_view file = test::VectorFile("eff_large_wordlist");
    const Sha256Digest digest =
        Sha256(std::span(reinterpret_cast<const std::uint8_t*>(file.data()), file.size()));
    EXPECT_EQ(test::ToHex(std::vector<std::uint8_t>(digest.begin(), digest.end())),
              "addd35536511597a02fa0a9ff1e5284677b8883b83e986e43f15a3db996b903e");
    ASSERT_EQ(PassphraseWordCount(), 7776u);
    EXPECT_EQ(PassphraseWord(0), "abacus");
    EXPECT_EQ(PassphraseWord(1), "abdomen");
    EXPECT_EQ(PassphraseWord(7775), "zoom");
    EXPECT_EQ(PassphraseWord(7776), "");
    EXPECT_EQ(PassphraseWord(static_cast<std::size_t>(-1)), "");

    std::size_t at = 0;
    for (std::size_t i = 0; i < PassphraseWordCount(); ++i) {
        // Line i: its dice (i written in base 6, digits 1 to 6), a tab, the word.
        std::string dice;
        for (std::size_t rest = i, d = 0; d < 5; ++d, rest /= 6) {
            dice.insert(dice.begin(), static_cast<char>('1' + rest % 6));
        }
        const std::size_t end = file.find('\n', at);
        ASSERT_NE(end, std::string_view::npos) << i;
        EXPECT_EQ(file.substr(at, end - at), dice + "\t" + std::string(PassphraseWord(i)));
        at = end + 1;

        const std::string_view word = PassphraseWord(i);
        ASSERT_FALSE(word.empty());
        // The passphrase's buffer is sized for words of at most nine letters.
        EXPECT_LE(word.size(), 9u) << word;
        for (char c : word) {
            EXPECT_TRUE((c >= 'a' && c <= 'z') || c == '-') << word;
        }
        if (i > 0) {
            EXPECT_LT(PassphraseWord(i - 1), word);  // distinct, and in the file's order
        }
    }
    EXPECT_EQ(at, file.size());
}

TEST(PassphraseWords, SixOfThemAreTheAnnouncedBits) {
    const double bits = kPassphraseWords * std::log2(static_cast<double>(PassphraseWordCount()));
    EXPECT_LE(kPassphraseBits, bits);
    EXPECT_GT(kPassphraseBits, bits - 0.1);
}

TEST(UniformIndex, DrawsAtOrAboveTheLastWholeMultipleAreDrawnAgain) {
    const std::uint32_t eff = 7776;
    const auto effLimit = static_cast<std::uint32_t>(RejectionLimit(eff));
    const struct {
        std::uint32_t bound;
        std::vector<std::uint32_t> draws;
        std::uint32_t index;
        int used;
    } rows[] = {
        {eff, {0}, 0, 1},
        {eff, {effLimit - 1}, eff - 1, 1},
        {eff, {effLimit, 5}, 5, 2},
        {eff, {effLimit + 1, 0xFFFFFFFF, effLimit - eff}, 0, 3},
        {eff, {0x04030201}, 0x04030201 % eff, 1},
        // Powers of two divide 2^32: nothing is drawn again.
        {8, {0xFFFFFFFF}, 7, 1},
        {0x10000000, {0x04030201}, 0x04030201, 1},  // read little-endian
        {3, {0xFFFFFFFF, 0xFFFFFFFE}, 0xFFFFFFFEu % 3, 2},
        // Just above 2^31, nearly half the draws are drawn again.
        {0x80000001, {0x80000001, 0xFFFFFFFF, 0x80000000}, 0x80000000, 3},
        {0xFFFFFFFF, {0xFFFFFFFF, 0xFFFFFFFE}, 0xFFFFFFFE, 2},
        {1, {}, 0, 0},  // one index: nothing to draw
    };
    for (const auto& row : rows) {
        ScriptedSource source({row.draws.begin(), row.draws.end()});
        const std::optional<std::uint32_t> index = UniformIndex(source.Fill(), row.bound);
        ASSERT_TRUE(index) << row.bound;
        EXPECT_EQ(*index, row.index) << row.bound;
        EXPECT_EQ(source.requests, row.used) << row.bound;
        EXPECT_EQ(source.sizes, std::vector<std::size_t>(row.used, 4)) << row.bound;
    }
}

TEST(UniformIndex, FailsWithoutAnAnswer) {
    const std::uint32_t limit = static_cast<std::uint32_t>(RejectionLimit(7776));
    {
        ScriptedSource source({1, 2, 3}, 0);
        EXPECT_FALSE(UniformIndex(source.Fill(), 7776));
        EXPECT_EQ(source.requests, 1);
    }
    {  // the source fails after a rejected draw
        ScriptedSource source({limit, 2, 3}, 1);
        EXPECT_FALSE(UniformIndex(source.Fill(), 7776));
        EXPECT_EQ(source.requests, 2);
    }
    {
        ScriptedSource source({1, 2, 3});
        EXPECT_FALSE(UniformIndex(source.Fill(), 0));
        EXPECT_EQ(source.requests, 0);
    }
    EXPECT_FALSE(UniformIndex(RandomFill{}, 7776));
}

// A source stuck on rejected values ends in a failure after a fixed number of draws; one that
// gives a usable draw in time is answered.
TEST(UniformIndex, StuckSourceFailsAfterTheLastAllowedDraw) {
    const std::uint32_t limit = static_cast<std::uint32_t>(RejectionLimit(7776));
    ScriptedSource stuck(std::deque<std::uint32_t>(1000, 0xFFFFFFFF));
    EXPECT_FALSE(UniformIndex(stuck.Fill(), 7776));
    EXPECT_EQ(stuck.requests, kUniformIndexMaximumDraws);

    ScriptedSource late(std::deque<std::uint32_t>(kUniformIndexMaximumDraws - 1, limit));
    late.draws.push_back(limit - 2);
    EXPECT_EQ(UniformIndex(late.Fill(), 7776), 7774u);
}

// A counter walking through the last whole block of draws below the limit reaches every index
// once; from the limit on it is rejected.
TEST(UniformIndex, EveryIndexIsReachable) {
    const std::uint32_t bound = 7776;
    const auto limit = static_cast<std::uint32_t>(RejectionLimit(bound));
    std::uint32_t counter = limit - bound;
    const RandomFill walk = [&counter](std::span<std::uint8_t> bytes) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<std::uint8_t>(counter >> (8 * i));
        }
        ++counter;
        return true;
    };
    std::vector<int> hits(bound);
    for (std::uint32_t i = 0; i < bound; ++i) {
        const std::optional<std::uint32_t> index = UniformIndex(walk, bound);
        ASSERT_TRUE(index);
        ASSERT_LT(*index, bound);
        ++hits[*index];
    }
    EXPECT_EQ(hits, std::vector<int>(bound, 1));
    EXPECT_FALSE(UniformIndex(walk, bound));  // 2^32 mod 7776 = 2560 rejected values follow
    EXPECT_EQ(counter, limit + kUniformIndexMaximumDraws);
}

// Pearson's chi-square statistic of the counts against equal expectations.
double ChiSquare(const std::vector<double>& counts) {
    double total = 0;
    for (double c : counts) {
        total += c;
    }
    const double expected = total / static_cast<double>(counts.size());
    double chi = 0;
    for (double c : counts) {
        chi += (c - expected) * (c - expected) / expected;
    }
    return chi;
}

// The upper tail of chi-square with k degrees of freedom at about 1e-9 (6 standard deviations of
// the Wilson-Hilferty approximation). The draws come from a seeded generator, so the outcome is
// fixed; the threshold is set where a correct implementation fed any seed would fail only once in
// a billion runs, while a bias like the ones below is far beyond it.
double ChiSquareLimit(double k) {
    const double z = 6.0;
    return k * std::pow(1 - 2 / (9 * k) + z * std::sqrt(2 / (9 * k)), 3);
}

TEST(UniformIndex, CountsOfManyDrawsAreEven) {
    std::mt19937 engine(12345);
    const RandomFill random = Seeded(engine);
    {  // every word, 50 times on average: a draw of fewer bytes, or a lost index, shows here
        std::vector<double> counts(7776);
        for (int i = 0; i < 7776 * 50; ++i) {
            ++counts[*UniformIndex(random, 7776)];
        }
        EXPECT_LT(ChiSquare(counts), ChiSquareLimit(7775));
    }
    {  // bound 3 * 2^30: a plain draw mod bound would make the first third twice as likely
        const std::uint32_t bound = 3u << 30;
        std::vector<double> thirds(3);
        for (int i = 0; i < 30000; ++i) {
            ++thirds[*UniformIndex(random, bound) >> 30];
        }
        EXPECT_LT(ChiSquare(thirds), ChiSquareLimit(2));
    }
}

std::vector<std::string> Split(std::u16string_view text) {
    std::vector<std::string> words(1);
    for (char16_t c : text) {
        if (c == u' ') {
            words.emplace_back();
        } else {
            words.back().push_back(static_cast<char>(c));
        }
    }
    return words;
}

TEST(GeneratePassphrase, SixListWordsJoinedBySingleSpaces) {
    std::mt19937 engine(6);
    const RandomFill random = Seeded(engine);
    std::set<std::string_view> list;
    for (std::size_t i = 0; i < PassphraseWordCount(); ++i) {
        list.insert(PassphraseWord(i));
    }
    std::set<std::string> seen;
    for (int i = 0; i < 300; ++i) {
        const std::optional<SecretText> passphrase = GeneratePassphrase(random);
        ASSERT_TRUE(passphrase);
        const std::vector<std::string> words = Split(passphrase->view());
        ASSERT_EQ(words.size(), 6u);
        for (const std::string& word : words) {
            EXPECT_TRUE(list.count(word)) << "'" << word << "'";  // an empty word: two spaces
        }
        seen.insert(words.begin(), words.end());
    }
    EXPECT_GT(seen.size(), 1500u);  // 1,800 draws from 7,776 words: about 1,620 distinct
}

TEST(GeneratePassphrase, EachWordIsTheDrawnIndexInOrder) {
    const auto limit = static_cast<std::uint32_t>(RejectionLimit(7776));
    ScriptedSource source({0, 7775, limit, 1, 7776 + 2, 3, 4});
    const std::optional<SecretText> passphrase = GeneratePassphrase(source.Fill());
    ASSERT_TRUE(passphrase);
    EXPECT_EQ(passphrase->view(), u"abacus zoom abdomen abdominal abide abiding");
    EXPECT_EQ(source.requests, 7);
}

TEST(GeneratePassphrase, AFailingSourceGivesNothing) {
    for (int failAt = 0; failAt < kPassphraseWords; ++failAt) {
        ScriptedSource source({1, 2, 3, 4, 5, 6}, failAt);
        EXPECT_FALSE(GeneratePassphrase(source.Fill())) << failAt;
        EXPECT_EQ(source.requests, failAt + 1);  // nothing is drawn after the failure
    }
    EXPECT_FALSE(GeneratePassphrase(RandomFill{}));
}

}  // namespace
}  // namespace vexmora
