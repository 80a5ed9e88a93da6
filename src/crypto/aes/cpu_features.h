// What the processor and the operating system offer for AES, asked once with CPUID.
#pragma once

namespace vexmora::aes {

struct CpuFeatures {
    bool aesni = false;    // AES-NI on 128-bit registers
    bool vaes256 = false;  // VAES with AVX2 (256-bit registers, state saved by the OS)
    bool vaes512 = false;  // VAES with AVX-512F (512-bit registers, state saved by the OS)
};

const CpuFeatures& DetectedCpuFeatures();

}  // namespace vexmora::aes
