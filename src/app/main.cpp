#include "app/program.h"

int main() {
    return vexmora::RunProgram();
}
