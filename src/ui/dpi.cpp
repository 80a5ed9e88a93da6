#include "ui/dpi.h"

#include <cmath>

namespace vexmora {
namespace {

double g_dpiScale = 1.0;

}  // namespace

void InitDpiScaling(Toolkit& toolkit) {
    toolkit.MakeProcessDpiAware();
    const int pixelsPerInch = toolkit.LogicalPixelsX();
    if (pixelsPerInch > 0) {
        g_dpiScale = pixelsPerInch / 96.0;
    }
    toolkit.SetDefaultControlFont(u"Segoe UI", 9);
}

double DpiScale() {
    return g_dpiScale;
}

int Scaled(int length) {
    // The default floating-point rounding mode rounds halves to even.
    return static_cast<int>(std::nearbyint(length * g_dpiScale));
}

}  // namespace vexmora
