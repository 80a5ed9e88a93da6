#include "crypto/random.h"

#include <algorithm>
#include <bit>

#include "platform/process.h"
#include "platform/system_random.h"

namespace vexmora {
namespace {

constexpr std::uint32_t kSeedMultiplier = 2891336453u;  // 0xAC564B05
constexpr std::int32_t kTableSize = 17;

struct Step {
    std::uint32_t newA;
    std::uint32_t newB;
};

Step Advance(RandomState& s) {
    const std::uint32_t newA = std::rotl(s.wordsB[s.slot], 19) + s.wordsB[s.laggedSlot];
    const std::uint32_t newB = std::rotl(s.wordsA[s.slot], 27) + s.wordsA[s.laggedSlot];
    s.wordsA[s.slot] = newA;
    s.wordsB[s.slot] = newB;
    s.slot = s.slot == 0 ? kTableSize - 1 : s.slot - 1;
    s.laggedSlot = s.laggedSlot == 0 ? kTableSize - 1 : s.laggedSlot - 1;
    return {newA, newB};
}

void StoreLittleEndian(std::uint8_t* out, std::uint32_t w) {
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<std::uint8_t>(w >> (8 * i));
    }
}

RandomState& ProcessRandom() {
    static RandomState state;
    return state;
}

// Opened when first asked for, so that no caller draws from a source that start-up forgot.
SystemRandomSource& ProcessSystemRandom() {
    static struct Opened {
        Opened() { source.Open(); }
        SystemRandomSource source;
    } opened;
    return opened.source;
}

}  // namespace

void SeedRandom(RandomState& state, std::uint32_t seed) {
    for (int i = 0; i < kTableSize; ++i) {
        state.wordsB[i] = seed * kSeedMultiplier + 1;
        seed = state.wordsB[i] * kSeedMultiplier + 1;
        state.wordsA[i] = seed;
    }
    state.slot = 0;
    state.laggedSlot = 10;
    for (int i = 0; i < 31; ++i) {
        Advance(state);
    }
}

void RandomBytes(RandomState& state, std::span<std::uint8_t> destination) {
    if (!state.seeded) {
        state.seeded = true;
        SeedRandom(state, CurrentThreadId() ^ TickCountMs());
    }
    while (!destination.empty()) {
        Step step = Advance(state);
        std::uint8_t unit[8];
        StoreLittleEndian(unit, step.newB);
        StoreLittleEndian(unit + 4, step.newA);
        const std::size_t take = destination.size() < 8 ? destination.size() : 8;
        std::copy_n(unit, take, destination.begin());
        destination = destination.subspan(take);
    }
}

void SeedRandom(std::uint32_t seed) {
    SeedRandom(ProcessRandom(), seed);
}

void RandomBytes(std::span<std::uint8_t> destination) {
    RandomBytes(ProcessRandom(), destination);
}

bool OpenSystemRandom() {
    return ProcessSystemRandom().Open();
}

bool SystemRandomBytes(std::span<std::uint8_t> destination) {
    return ProcessSystemRandom().Fill(destination);
}

void CloseSystemRandom() {
    ProcessSystemRandom().Close();
}

}  // namespace vexmora
