// A native command-line front end to the file job, for benchmarks and measurements on the build
// machine: the same command line as vexmora.exe's file-job mode, without a window.
//   vexmora-cli E|D input [output] password
// Exit codes as vexmora.exe: 0 done, 1 failed, 2 command line not understood.
#include <cstdio>

#include "app/mode.h"
#include "app/program.h"
#include "crypto/cipher_stream.h"
#include "crypto/key_derivation.h"
#include "crypto/random.h"
#include "jobs/file_job.h"
#include "platform/process.h"
#include "platform/text_conversion.h"

int main() {
    using namespace vexmora;
    OpenSystemRandom();
    SetKeyBits(256);
    const Mode mode = ChooseMode(ProcessCommandLine());
    if (mode.kind != ModeKind::FileJob) {
        std::fprintf(stderr, "usage: vexmora-cli E|D input [output] password\n");
        return kExitNotUnderstood;
    }
    const Key key = DeriveKey(mode.job.password);
    const FileJobOutcome outcome = RunFileJobWithOutcome(key.span(), mode.job.direction,
                                                         mode.job.input, mode.job.output, nullptr);
    if (!outcome.keptOldFile.empty()) {
        // No bin here: the file the output replaced stays beside it.
        const std::vector<std::uint8_t> kept = Utf16ToUtf8(outcome.keptOldFile);
        std::fprintf(stderr, "vexmora-cli: the replaced file is kept as %.*s\n",
                     static_cast<int>(kept.size()), reinterpret_cast<const char*>(kept.data()));
    }
    if (outcome.result != 1) {
        std::fprintf(stderr, "vexmora-cli: the job failed\n");
        return kExitJobFailed;
    }
    return kExitSuccess;
}
