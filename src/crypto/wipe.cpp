#include "crypto/wipe.h"

namespace vexmora {

void Wipe(void* data, std::size_t size) {
    volatile auto* bytes = static_cast<volatile std::uint8_t*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = 0;
    }
    // The barrier tells the compiler the zeros may be read, so the loop is never dropped as a
    // dead store in front of a free.
    __asm__ __volatile__("" : : "r"(data) : "memory");
}

}  // namespace vexmora
