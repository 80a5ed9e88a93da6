// A selection's files as one job: one after the other in one progress window, with one answer
// for the outputs that exist already and one box at the end for every failure. Explorer's
// selections can hold thousands of files, and a box or a process per file would make them
// impossible to stop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "jobs/job_failure.h"
#include "platform/file_system.h"
#include "toolkit/toolkit.h"
#include "ui/failure_text.h"
#include "ui/file_selection.h"
#include "ui/progress_window.h"

namespace vexmora {

struct BatchFailure {
    std::u16string file;  // the input
    JobFailure reason = JobFailure::Other;
};

struct BatchOutcome {
    std::size_t count = 0;    // files in the batch
    std::size_t done = 0;     // files whose output is in place
    std::size_t skipped = 0;  // files whose existing output the user kept
    std::vector<BatchFailure> failures;
    std::vector<std::u16string> keptOldFiles;  // see FileJobOutcome::keptOldFile
    bool cancelled = false;
    // Decryption stopped after kWrongPasswordLimit files in a row failed to decrypt before any
    // succeeded: the password, not the files, is the likely fault.
    bool passwordSeemsWrong = false;
};

// Decrypting files that fail one after the other, before any has decrypted, stops at this many.
inline constexpr std::size_t kWrongPasswordLimit = 3;
// The summary names at most this many failed files, then says how many more there are.
inline constexpr std::size_t kFailuresListed = 20;

// Runs the selection's files with `key`, in their order, in `window`: its bar shows the bytes of
// all files, its text the file in work and "file 12 of 300". An output that exists already is
// replaced only after a Yes to the question that names it; its check box "do the same for the
// rest" answers the later questions too. A failure (with its reason) is collected, not shown; a
// cancel ("Cancel", Esc, the close box) stops the batch: the file in work is left as it was
// before, the files done stay done, the others are not touched. An encrypted file's output is its
// path + ".vx", a container's its path without ".vx"; for any other name the save dialog asks.
BatchOutcome RunBatch(Toolkit& toolkit, FileSystem& fileSystem, std::span<const std::uint8_t> key,
                      const FileSelection& selection, ProgressWindow& window);

// The one box after a batch: nothing when all went well or the user cancelled without a failure;
// else "Encode/Decode Error!" and the failed files with their reasons (at most kFailuresListed,
// then "and N more"), or that the password seems wrong. Files that stay beside their replacement
// are named under kInfoCaption.
void ShowBatchOutcome(Toolkit& toolkit, const BatchOutcome& outcome);

}  // namespace vexmora
