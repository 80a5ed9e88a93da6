#include "driver/display_dpi.h"

namespace vexmora::e2e {

int Scaled(int value, int dpi) {
    const long long product = static_cast<long long>(value) * dpi;
    long long quotient = product / 96;
    const long long twiceRest = (product % 96) * 2;
    if (twiceRest > 96 || (twiceRest == 96 && quotient % 2 != 0)) {
        ++quotient;
    }
    return static_cast<int>(quotient);
}

}  // namespace vexmora::e2e
