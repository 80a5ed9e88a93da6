#include "crypto/aes/aes_engine.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "crypto/aes/aes_backend.h"
#include "crypto/aes/cpu_features.h"
#include "crypto/overlap.h"
#include "crypto/wipe.h"

namespace vexmora {
namespace {

struct AesInstance;
using AddRoutine = std::size_t (*)(AesInstance&, std::span<const std::uint8_t>,
                                   std::span<std::uint8_t>);

struct AesInstance {
    AddRoutine add = nullptr;
    const aes::Backend* backend = nullptr;
    std::uint32_t flags = 0;
    aes::KeySchedule keys;
    std::array<std::uint8_t, 16> chainingVector{};

    AesInstance() = default;
    AesInstance(const AesInstance&) = delete;
    AesInstance& operator=(const AesInstance&) = delete;
    ~AesInstance() {
        Wipe(&keys, sizeof(keys));
        Wipe(std::span(chainingVector));
    }
};

// The process-wide instance table.
struct InstanceTable {
    AesHandle lastHandle = kNoAes;
    std::unordered_map<AesHandle, std::unique_ptr<AesInstance>> instances;
};

InstanceTable& Instances() {
    static InstanceTable table;
    return table;
}

void Xor(std::uint8_t* target, const std::uint8_t* with, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        target[i] ^= with[i];
    }
}

// ECB with stealing. The last whole block n and the r-byte tail T:
//   encrypt: X = E(n); out n = E(T | X[r..15]); out tail = X[0..r-1]
//   decrypt: Z = D(n); out tail = Z[0..r-1]; out n = D(T | Z[r..15])
void Ecb(const AesInstance& instance, bool encrypt, const std::uint8_t* in, std::uint8_t* out,
         std::size_t size) {
    const auto& b = *instance.backend;
    auto cipher = encrypt ? b.ecbEncrypt : b.ecbDecrypt;
    const std::size_t r = size % 16;
    const std::size_t blocks = size / 16;
    if (r == 0) {
        cipher(instance.keys, in, out, blocks);
        return;
    }
    cipher(instance.keys, in, out, blocks - 1);
    const std::size_t last = 16 * (blocks - 1);
    std::uint8_t x[16], joined[16];
    cipher(instance.keys, in + last, x, 1);
    std::memcpy(joined, in + last + 16, r);
    std::memcpy(joined + r, x + r, 16 - r);
    cipher(instance.keys, joined, out + last, 1);
    std::memcpy(out + last + 16, x, r);
}

// CBC encryption with stealing, Cp being the chaining value before the last whole block:
//   X = E(n XOR Cp); out n = E(X XOR (T | zeros)); out tail = X[0..r-1]; chain = out n
void CbcEncrypt(AesInstance& instance, const std::uint8_t* in, std::uint8_t* out,
                std::size_t size) {
    const auto& b = *instance.backend;
    const std::size_t r = size % 16;
    const std::size_t blocks = size / 16;
    std::uint8_t* chain = instance.chainingVector.data();
    if (r == 0) {
        b.cbcEncrypt(instance.keys, in, out, blocks, chain);
        return;
    }
    b.cbcEncrypt(instance.keys, in, out, blocks - 1, chain);
    const std::size_t last = 16 * (blocks - 1);
    std::uint8_t x[16];
    std::memcpy(x, in + last, 16);
    Xor(x, chain, 16);
    b.ecbEncrypt(instance.keys, x, x, 1);
    std::uint8_t y[16];
    std::memcpy(y, x, 16);
    Xor(y, in + last + 16, r);
    b.ecbEncrypt(instance.keys, y, out + last, 1);
    std::memcpy(out + last + 16, x, r);
    std::memcpy(chain, out + last, 16);
}

// CBC decryption with stealing, Y the last whole input block, T the tail:
//   chain' = Y; Z = D(Y); out tail = Z[0..r-1] XOR T; out n = D(T | Z[r..15]) XOR Cp
void CbcDecrypt(AesInstance& instance, const std::uint8_t* in, std::uint8_t* out,
                std::size_t size) {
    const auto& b = *instance.backend;
    const std::size_t r = size % 16;
    const std::size_t blocks = size / 16;
    std::uint8_t* chain = instance.chainingVector.data();
    if (r == 0) {
        b.cbcDecrypt(instance.keys, in, out, blocks, chain);
        return;
    }
    b.cbcDecrypt(instance.keys, in, out, blocks - 1, chain);
    const std::size_t last = 16 * (blocks - 1);
    const std::uint8_t* tail = in + last + 16;
    std::uint8_t z[16];
    b.ecbDecrypt(instance.keys, in + last, z, 1);
    for (std::size_t i = 0; i < r; ++i) {
        out[last + 16 + i] = z[i] ^ tail[i];
    }
    std::uint8_t x[16];
    std::memcpy(x, tail, r);
    std::memcpy(x + r, z + r, 16 - r);
    b.ecbDecrypt(instance.keys, x, out + last, 1);
    Xor(out + last, chain, 16);
    std::memcpy(chain, in + last, 16);
}

std::size_t Add(AesInstance& instance, std::span<const std::uint8_t> input,
                std::span<std::uint8_t> output) {
    const std::uint8_t* in = input.data();
    std::uint8_t* out = output.data();
    switch (instance.flags) {
        case kDecrypt + kChainingCbc:
            CbcDecrypt(instance, in, out, input.size());
            break;
        case kEncrypt + kChainingCbc:
            CbcEncrypt(instance, in, out, input.size());
            break;
        case kDecrypt + kChainingEcb:
            Ecb(instance, false, in, out, input.size());
            break;
        case kEncrypt + kChainingEcb:
            Ecb(instance, true, in, out, input.size());
            break;
        default:
            return 0;
    }
    return input.size();
}

const aes::Backend* BackendFor(AesImplementation implementation) {
    const aes::CpuFeatures& cpu = aes::DetectedCpuFeatures();
    switch (implementation) {
        case AesImplementation::Automatic:
            return cpu.vaes512   ? &aes::Vaes512Backend()
                   : cpu.vaes256 ? &aes::Vaes256Backend()
                   : cpu.aesni   ? &aes::AesNiBackend()
                                 : &aes::TableBackend();
        case AesImplementation::Table:
            return &aes::TableBackend();
        case AesImplementation::AesNi:
            return cpu.aesni ? &aes::AesNiBackend() : nullptr;
        case AesImplementation::Vaes256:
            return cpu.vaes256 ? &aes::Vaes256Backend() : nullptr;
        case AesImplementation::Vaes512:
            return cpu.vaes512 ? &aes::Vaes512Backend() : nullptr;
    }
    return nullptr;
}

const aes::Backend* InitialBackend() {
    const char* requested = std::getenv("VEXMORA_AES");
    if (requested != nullptr) {
        for (auto implementation : {AesImplementation::Table, AesImplementation::AesNi,
                                    AesImplementation::Vaes256, AesImplementation::Vaes512}) {
            const aes::Backend* backend = BackendFor(implementation);
            if (backend != nullptr && std::string_view(backend->name) == requested) {
                return backend;
            }
        }
    }
    return BackendFor(AesImplementation::Automatic);
}

const aes::Backend*& CurrentBackend() {
    static const aes::Backend* backend = InitialBackend();
    return backend;
}

}  // namespace

bool UseAesImplementation(AesImplementation implementation) {
    const aes::Backend* backend = BackendFor(implementation);
    if (backend == nullptr) {
        return false;
    }
    CurrentBackend() = backend;
    return true;
}

AesHandle AesStreamStart(std::span<const std::uint8_t> key, int keyBits,
                         std::span<const std::uint8_t, 16> iv, std::uint32_t flags) {
    if ((keyBits != 128 && keyBits != 192 && keyBits != 256) ||
        key.size() != static_cast<std::size_t>(keyBits / 8)) {
        return kNoAes;
    }
    auto instance = std::make_unique<AesInstance>();
    if (!aes::ExpandEncryptionKey(key, instance->keys)) {
        return kNoAes;
    }
    if ((flags & kEncrypt) == 0) {
        aes::ExpandDecryptionKey(instance->keys);
    }
    instance->add = Add;
    instance->backend = CurrentBackend();
    instance->flags = flags;
    std::memcpy(instance->chainingVector.data(), iv.data(), 16);

    InstanceTable& table = Instances();
    AesHandle handle = ++table.lastHandle;
    table.instances.emplace(handle, std::move(instance));
    return handle;
}

std::size_t AesStreamAdd(AesHandle instance, std::span<const std::uint8_t> input,
                         std::span<std::uint8_t> output) {
    auto& instances = Instances().instances;
    auto found = instances.find(instance);
    if (found == instances.end() || input.size() < 16 || output.size() < input.size() ||
        Overlaps(input, output)) {
        return 0;
    }
    AesInstance& state = *found->second;
    return state.add(state, input, output.first(input.size()));
}

void AesStreamFinish(AesHandle instance) {
    Instances().instances.erase(instance);
}

const char* AesImplementationName() {
    return CurrentBackend()->name;
}

}  // namespace vexmora
