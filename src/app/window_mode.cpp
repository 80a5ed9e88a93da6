#include "app/program.h"
#include "platform/process.h"
#include "ui/main_window.h"

namespace vexmora {

int RunWindowMode(Toolkit& toolkit) {
    std::unique_ptr<MainWindow> window =
        BuildMainWindow(toolkit, 0, 0, 800, 600, SystemProcessStarter(), ProgramPath());
    while (HandleMainEvent(*window, toolkit.WaitEvent(100)) != 0) {
    }
    return kExitSuccess;
}

}  // namespace vexmora
