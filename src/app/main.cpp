#include "app/program.h"
#include "platform/process.h"

int main() {
    auto toolkit = vexmora::CreatePlatformToolkit();
    return vexmora::RunProgram(*toolkit, vexmora::ProcessCommandLine());
}
