// The small window a file-job process shows while it works: "Please wait ...", a progress bar and
// "Cancel" (also Esc). The window lives through ProgressCallback, which the job calls on the
// window's thread between chunks and, while it waits for the disk, every fraction of a second. Its
// taskbar button shows the same progress, turns to the error state before the error box, and is
// cleared when the window closes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "jobs/job_failure.h"
#include "toolkit/toolkit.h"

namespace vexmora {

class ProgressWindow {
  public:
    // A single job's `input` (a path) names the bar for screen readers by its file name; without
    // one the bar is "Please wait ...".
    explicit ProgressWindow(Toolkit& toolkit, std::u16string_view input = {});
    ~ProgressWindow();  // closes the window with its controls
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    // The job's progress callback: pumps the pending events, then moves the bar. Returns 1 when
    // "Cancel" was clicked or the window asked to close, before touching the bar; 0 otherwise.
    // (StillWorking, total) only pumps, and keeps answering 1 once a cancel was asked for.
    // (-1, -1), the job's failure, shows the box of ShowFailure without a reason (a caller that
    // knows the reason answers (-1, -1) itself and calls ShowFailure). Success after a cancel was
    // asked for (it came too late, while the output was put in place) shows texts::kCancelTooLate
    // under texts::kInfoCaption.
    int Callback(std::int64_t done, std::int64_t total);

    // The parts of Callback, for a batch that reports its files its own way.
    // Pumps the pending events; true once "Cancel" was clicked or the window asked to close.
    bool CancelAsked();
    // Moves the bar and the taskbar button to done of total; (0, total) sets a new total.
    void ShowProgress(std::int64_t done, std::int64_t total);
    // The taskbar button in the error state.
    void ShowFailed();
    // A job's failure: the taskbar button in the error state, then the box that says
    // "Encode/Decode Error!" and why (FailureText), until the user dismisses it.
    void ShowFailure(JobFailure failure);
    // A batch: the name of the file in work and "file 12 of 300" take the place of
    // "Please wait ...", and the bar is named after the file.
    void ShowFile(std::u16string_view name, std::size_t number, std::size_t count);

    Identity window() const { return window_; }
    Identity bar() const { return bar_; }
    Identity cancelButton() const { return cancelButton_; }

  private:
    // Pumps the pending events up to a cancel; true when one was among them.
    bool PumpForCancel();

    Toolkit& toolkit_;
    Identity window_ = kNoIdentity;
    Identity bar_ = kNoIdentity;
    Identity cancelButton_ = kNoIdentity;
    Identity waitText_ = kNoIdentity;
    Identity fileName_ = kNoIdentity;  // shown for a batch only, as fileNumber_
    Identity fileNumber_ = kNoIdentity;
    bool showsFile_ = false;
    // The bar holds 32-bit values; totals beyond that are shifted right by this many bits.
    int shift_ = 0;
    std::uint64_t total_ = 0;  // of the job, for the taskbar, which takes 64-bit values
    bool cancelAsked_ = false;
};

// Creates and shows the window (title "Vexmora", client area 300 x 150 at the screen's top-left
// corner) with its "Please wait ..." text, bar and "Cancel" button (Esc); the bar is named after
// `input` (see ProgressWindow).
std::unique_ptr<ProgressWindow> OpenProgressWindow(Toolkit& toolkit,
                                                   std::u16string_view input = {});

// The file job's callback over an open progress window.
int ProgressCallback(ProgressWindow& window, std::int64_t done, std::int64_t total);

}  // namespace vexmora
