// Why a file job failed: the user reads it below "Encode/Decode Error!", and a batch decides by it
// whether the password seems wrong.
#pragma once

namespace vexmora {

enum class JobFailure {
    None,
    WrongPasswordOrDamaged,  // the container does not decrypt: a wrong password, or damaged data
    InputUnreadable,         // the input cannot be opened or read, or changed during the job
    FolderMissing,           // the destination's folder does not exist
    DestinationBusy,         // the destination is in use, read-only, or no place for a file
    DiskFull,                // the output did not fit
    NoMarkOfWeb,             // the input's mark of the web cannot go where the output goes
    OutOfMemory,
    Other,  // the system's random source, or a failure without a known cause
};

}  // namespace vexmora
