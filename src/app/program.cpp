#include "app/program.h"

#include "app/parameters.h"
#include "crypto/cipher_stream.h"
#include "crypto/random.h"

namespace vexmora {

int RunProgram() {
    // IVs come from the system source; it must be open before the first cipher stream.
    OpenSystemRandom();
    SetKeyBits(256);
    // The file-job and window modes join here as they land; until then the program only starts.
    return 0;
}

}  // namespace vexmora
