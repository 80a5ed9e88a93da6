#include "app/program.h"
#include "ui/dpi.h"

namespace vexmora {

// The main window's controls and actions join here; until then it is an empty window that ends
// the process when it is closed.
int RunWindowMode(Toolkit& toolkit) {
    const Identity window = toolkit.OpenWindow({.title = u"Vexmora",
                                                .clientWidth = Scaled(800),
                                                .clientHeight = Scaled(600),
                                                .minimizeBox = true,
                                                .placement = WindowPlacement::Centred});
    if (window == kNoIdentity) {
        return kExitSuccess;
    }
    while (toolkit.WaitEvent(100) != CloseWindowEvent) {
    }
    toolkit.CloseWindow(window);
    return kExitSuccess;
}

}  // namespace vexmora
