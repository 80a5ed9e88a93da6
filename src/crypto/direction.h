// Which way data goes through the program: the jobs, the cipher stream and the AES engine all
// take it. The values are also the engine's direction flags (see aes_engine.h).
#pragma once

namespace vexmora {

enum Direction : int {
    kDecrypt = 1,
    kEncrypt = 2,
};

}  // namespace vexmora
