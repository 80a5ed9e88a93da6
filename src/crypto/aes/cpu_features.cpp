#include "crypto/aes/cpu_features.h"

#include <cpuid.h>

#include <cstdint>

namespace vexmora::aes {
namespace {

// XCR0: which register states the operating system saves on a context switch.
__attribute__((target("xsave"))) std::uint64_t EnabledRegisterStates() {
    std::uint32_t low = 0, high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

CpuFeatures Detect() {
    CpuFeatures features;
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) {
        return features;
    }
    const bool aes = (ecx & bit_AES) != 0;
    const bool sse41 = (ecx & bit_SSE4_1) != 0;
    const bool osxsave = (ecx & bit_OSXSAVE) != 0;
    features.aesni = aes && sse41;
    if (!features.aesni || !osxsave || !__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) {
        return features;
    }
    const std::uint64_t states = EnabledRegisterStates();
    const bool ymmSaved = (states & 0x6) == 0x6;    // SSE and AVX state
    const bool zmmSaved = (states & 0xE6) == 0xE6;  // and the three AVX-512 states
    const bool vaes = (ecx & bit_VAES) != 0;
    features.vaes256 = vaes && ymmSaved && (ebx & bit_AVX2) != 0;
    features.vaes512 = vaes && zmmSaved && (ebx & bit_AVX512F) != 0;
    return features;
}

}  // namespace

const CpuFeatures& DetectedCpuFeatures() {
    static const CpuFeatures features = Detect();
    return features;
}

}  // namespace vexmora::aes
