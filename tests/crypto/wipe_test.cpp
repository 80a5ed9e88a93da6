#include "crypto/wipe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <string>

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

TEST(Wipe, SecretTextsLeaveNoCopyOfTheirText) {
    // One short enough for the string's own buffer inside the object, one on the heap.
    for (const std::u16string password : {u"pw \"x\"", u"a password longer than a short string"}) {
        SCOPED_TRACE(std::string(password.begin(), password.end()));
        const auto holds = [&](const std::uint8_t* bytes, std::size_t size) {
            const auto* units = reinterpret_cast<const std::uint8_t*>(password.data());
            return std::search(bytes, bytes + size, units, units + 2 * password.size()) !=
                   bytes + size;
        };
        // The string it was made from keeps its buffer, zeroed.
        std::u16string given = password;
        const auto* buffer = reinterpret_cast<const std::uint8_t*>(given.data());
        SecretText secret(std::move(given));
        EXPECT_EQ(secret.view(), password);
        EXPECT_FALSE(holds(buffer, 2 * password.size()));
        // Moved on, then gone: neither the source nor the object's storage holds it.
        Storage<SecretText> storage;
        auto* moved = new (storage.bytes) SecretText(std::move(secret));
        EXPECT_EQ(secret.view(), u"");
        EXPECT_EQ(moved->view(), password);
        EXPECT_EQ(moved->bytes().size(), 2 * password.size());
        moved->~SecretText();
        EXPECT_FALSE(holds(storage.bytes, sizeof(storage.bytes)));
    }
}

}  // namespace
}  // namespace vexmora
