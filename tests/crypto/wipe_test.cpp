#include "crypto/wipe.h"

#include <gtest/gtest.h>

#include <new>

#include "crypto/key_derivation.h"
#include "crypto/sha256.h"

namespace vexmora {
namespace {

// Storage we own, so that it may be read after the object in it is destroyed.
template <typename T>
struct Storage {
    alignas(T) std::uint8_t bytes[sizeof(T)];
    bool AllZero() const {
        for (std::uint8_t b : bytes) {
            if (b != 0) {
                return false;
            }
        }
        return true;
    }
};

TEST(Wipe, ZeroesTheBytes) {
    std::vector<std::uint8_t> data(100, 0x5A);
    Wipe(std::span(data).subspan(10, 50));
    EXPECT_EQ(std::count(data.begin(), data.end(), 0), 50);
    EXPECT_EQ(data[9], 0x5A);
    EXPECT_EQ(data[60], 0x5A);
    Wipe(nullptr, 0);
}

TEST(Wipe, KeysWipeThemselvesWhenTheyGoAway) {
    Storage<Key> storage;
    Key* key = new (storage.bytes) Key(DeriveKey(u"password"));
    EXPECT_FALSE(storage.AllZero());
    key->~Key();
    EXPECT_TRUE(storage.AllZero());
}

TEST(Wipe, HashContextsWipeThemselvesWhenTheyGoAway) {
    Storage<Sha256Context> storage;
    auto* context = new (storage.bytes) Sha256Context;
    Sha256Start(*context);
    const std::uint8_t secret[] = {'p', 'a', 's', 's'};
    Sha256Add(*context, secret);
    EXPECT_FALSE(storage.AllZero());
    context->~Sha256Context();
    EXPECT_TRUE(storage.AllZero());
}

}  // namespace
}  // namespace vexmora
