// The block-level work of the AES engine, one implementation per kind of hardware. Internal.
//
// Every routine processes `blocks` whole 16-byte blocks from in to out; in and out never overlap.
// The CBC routines take the chaining value in `chain` and leave the last ciphertext block there.
#pragma once

#include <cstddef>
#include <cstdint>

#include "crypto/aes/aes_key_schedule.h"

namespace vexmora::aes {

struct Backend {
    const char* name;
    void (*ecbEncrypt)(const KeySchedule&, const std::uint8_t* in, std::uint8_t* out,
                       std::size_t blocks);
    void (*ecbDecrypt)(const KeySchedule&, const std::uint8_t* in, std::uint8_t* out,
                       std::size_t blocks);
    void (*cbcEncrypt)(const KeySchedule&, const std::uint8_t* in, std::uint8_t* out,
                       std::size_t blocks, std::uint8_t* chain);
    void (*cbcDecrypt)(const KeySchedule&, const std::uint8_t* in, std::uint8_t* out,
                       std::size_t blocks, std::uint8_t* chain);
};

// The portable table-driven implementation; always available.
const Backend& TableBackend();
// The hardware implementations; use them only where the CPU has what they need (cpu_features.h).
const Backend& AesNiBackend();    // AES-NI, 128-bit registers
const Backend& Vaes256Backend();  // VAES with AVX2
const Backend& Vaes512Backend();  // VAES with AVX-512F

}  // namespace vexmora::aes
