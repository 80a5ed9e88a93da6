// Containers against an independent implementation: the openssl command, given the raw key and
// IV, must read ours, and ours must read what it writes with the IV put in front.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>

#include "crypto/cipher_stream.h"
#include "crypto/key_derivation.h"
#include "crypto/random.h"
#include "test_support.h"
#include "test_vectors.h"

namespace vexmora {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

bool ToolsRequired() {
    const char* ci = std::getenv("CI");
    const char* required = std::getenv("VEXMORA_REQUIRE_TOOLS");
    return (ci != nullptr && std::string_view(ci) == "true") ||
           (required != nullptr && std::string_view(required) == "1");
}

class OpensslInterop : public ::testing::Test {
  protected:
    void SetUp() override {
        OpenSystemRandom();
        dir_ = fs::temp_directory_path() /
               ("vexmora-interop-" +
                std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                std::to_string(reinterpret_cast<std::uintptr_t>(this)));
        fs::create_directories(dir_);
        if (std::system("openssl version > /dev/null 2>&1") != 0) {
            // The suite exists to prove the format against openssl: where it is run as the suite
            // (CI, scripts/test) a missing openssl is a failure, never a pass.
            if (ToolsRequired()) {
                FAIL() << "the openssl command is missing (scripts/setup installs it)";
            }
            GTEST_SKIP() << "openssl command not available";
        }
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path Path(const char* name) const { return dir_ / name; }

    static void Write(const fs::path& path, const Bytes& data) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()),
                   static_cast<std::streamsize>(data.size()));
    }
    static Bytes Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static int Openssl(const std::string& arguments) {
        return std::system(("openssl enc -aes-256-cbc " + arguments + " 2>/dev/null").c_str());
    }

    fs::path dir_;
};

Bytes Crypt(int direction, const Key& key, const Bytes& input, std::int64_t* lastCount = nullptr) {
    auto stream = CreateCipherStream(key.span(), direction);
    Bytes out(input.size() + 32);
    std::int64_t n = UpdateCipherStream(*stream, input, out, true);
    if (lastCount != nullptr) {
        *lastCount = n;
    }
    out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return out;
}

const std::vector<std::size_t> kSizes = {0, 1, 15, 16, 17, 31, 32, 1000, 100003};

TEST_F(OpensslInterop, OpensslDecryptsOurContainers) {
    const Key key = DeriveKey(u"correct horse battery staple \u00E4\U0001F600");
    const std::string keyHex = test::ToHex({key.data(), key.data() + 32});
    for (std::size_t size : kSizes) {
        const Bytes plain = test::TestData(size, static_cast<std::uint32_t>(size));
        const Bytes container = Crypt(kEncrypt, key, plain);
        ASSERT_EQ(container.size(), 16 + 16 * (size / 16 + 1));
        Write(Path("body.bin"), Bytes(container.begin() + 16, container.end()));
        const std::string ivHex = test::ToHex(Bytes(container.begin(), container.begin() + 16));
        ASSERT_EQ(Openssl("-d -K " + keyHex + " -iv " + ivHex + " -in " +
                          Path("body.bin").string() + " -out " + Path("plain.bin").string()),
                  0)
            << size;
        EXPECT_EQ(Read(Path("plain.bin")), plain) << size;
    }
}

TEST_F(OpensslInterop, WeDecryptOpensslOutputWithTheIvInFront) {
    const Key key = DeriveKey(u"another password");
    const std::string keyHex = test::ToHex({key.data(), key.data() + 32});
    for (std::size_t size : kSizes) {
        const Bytes plain = test::TestData(size, static_cast<std::uint32_t>(size + 1));
        const Bytes iv = test::TestData(16, static_cast<std::uint32_t>(size + 2));
        Write(Path("plain.bin"), plain);
        ASSERT_EQ(Openssl("-K " + keyHex + " -iv " + test::ToHex(iv) + " -in " +
                          Path("plain.bin").string() + " -out " + Path("body.bin").string()),
                  0);
        Bytes container = iv;
        const Bytes body = Read(Path("body.bin"));
        container.insert(container.end(), body.begin(), body.end());
        std::int64_t count = 0;
        EXPECT_EQ(Crypt(kDecrypt, key, container, &count), plain) << size;
        EXPECT_EQ(count, static_cast<std::int64_t>(size));
    }
}

}  // namespace
}  // namespace vexmora
