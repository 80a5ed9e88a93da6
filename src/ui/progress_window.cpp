#include "ui/progress_window.h"

#include <algorithm>
#include <limits>

#include "jobs/file_job.h"
#include "ui/dpi.h"
#include "ui/failure_text.h"
#include "ui/texts.h"

namespace vexmora {
namespace {

Rect ScaledRect(int x, int y, int width, int height) {
    return {Scaled(x), Scaled(y), Scaled(width), Scaled(height)};
}

}  // namespace

ProgressWindow::ProgressWindow(Toolkit& toolkit, std::u16string_view input) : toolkit_(toolkit) {
    window_ = toolkit_.OpenWindow({.title = std::u16string(texts::kProgramTitle),
                                   .clientWidth = Scaled(300),
                                   .clientHeight = Scaled(150),
                                   .minimizeBox = false,
                                   .placement = WindowPlacement::TopLeft});
    const auto label = [&](Rect rect, std::u16string_view text, bool shown) {
        return toolkit_.CreateControl(window_, {.kind = ControlKind::CentredLabel,
                                                .rect = rect,
                                                .text = std::u16string(text),
                                                .shown = shown});
    };
    const std::u16string_view name =
        input.empty() ? texts::kPleaseWait : input.substr(input.find_last_of(u"\\/") + 1);
    waitText_ = label(ScaledRect(100, 15, 100, 25), texts::kPleaseWait, true);
    // A batch's lines take the place of "Please wait ...". The file's name comes right before the
    // bar, which a screen reader names after it; a single job's stays hidden.
    fileNumber_ = label(ScaledRect(10, 27, 280, 18), {}, false);
    fileName_ = label(ScaledRect(10, 8, 280, 18), name, false);
    bar_ = toolkit_.CreateControl(window_, {.kind = ControlKind::ProgressBar,
                                            .rect = ScaledRect(10, 50, 280, 25),
                                            .name = std::u16string(name)});
    cancelButton_ =
        toolkit_.CreateControl(window_, {ControlKind::PushButton, ScaledRect(100, 110, 100, 25),
                                         std::u16string(texts::kCancelButton)});
    toolkit_.AddShortcut(window_, ShortcutKey::Escape, cancelButton_);
}

ProgressWindow::~ProgressWindow() {
    toolkit_.SetTaskbarProgress(window_, TaskbarState::None, 0, 0);
    toolkit_.CloseWindow(window_);
}

bool ProgressWindow::PumpForCancel() {
    for (int event = toolkit_.PollEvent(); event != 0; event = toolkit_.PollEvent()) {
        if (event == CloseWindowEvent ||
            (event == ControlEvent && toolkit_.EventControl() == cancelButton_)) {
            cancelAsked_ = true;
            return true;  // later events wait for the next look
        }
    }
    return false;
}

bool ProgressWindow::CancelAsked() {
    return PumpForCancel() || cancelAsked_;
}

void ProgressWindow::ShowProgress(std::int64_t done, std::int64_t total) {
    if (done == 0) {
        shift_ = 0;
        while ((total >> shift_) > std::numeric_limits<std::int32_t>::max()) {
            ++shift_;
        }
        toolkit_.SetProgressMaximum(bar_, static_cast<std::int32_t>(total >> shift_));
        total_ = static_cast<std::uint64_t>(std::max<std::int64_t>(total, 0));
        toolkit_.SetTaskbarProgress(window_, TaskbarState::Normal, 0, total_);
    } else {
        // -1 stays -1 (the control shows it as empty); counts are shifted like the total.
        toolkit_.SetProgressPosition(bar_, static_cast<std::int32_t>(done >> shift_));
    }
    if (done > 0) {
        toolkit_.SetTaskbarProgress(window_, TaskbarState::Normal,
                                    std::min(static_cast<std::uint64_t>(done), total_), total_);
    }
}

void ProgressWindow::ShowFailed() {
    toolkit_.SetTaskbarProgress(window_, TaskbarState::Error, 0, 0);
}

void ProgressWindow::ShowFailure(JobFailure failure) {
    toolkit_.SetProgressPosition(bar_, -1);  // the control shows it as empty
    // On the taskbar too, also while the box waits behind other windows.
    ShowFailed();
    toolkit_.ShowMessageBox(texts::kErrorCaption, FailureText(failure), kMessageBoxOk);
}

void ProgressWindow::ShowFile(std::u16string_view name, std::size_t number, std::size_t count) {
    if (!showsFile_) {
        showsFile_ = true;
        toolkit_.ShowControl(waitText_, false);
        toolkit_.ShowControl(fileName_, true);
        toolkit_.ShowControl(fileNumber_, true);
    }
    toolkit_.SetControlText(fileName_, name);
    toolkit_.SetControlName(bar_, name);
    const auto digits = [](std::size_t n) {
        const std::string text = std::to_string(n);
        return std::u16string(text.begin(), text.end());
    };
    toolkit_.SetControlText(fileNumber_, std::u16string(texts::kBatchFile) + digits(number) +
                                             std::u16string(texts::kBatchOf) + digits(count));
}

int ProgressWindow::Callback(std::int64_t done, std::int64_t total) {
    if (PumpForCancel()) {
        return 1;  // answered before the bar moves
    }
    if (done == StillWorking) {
        // The job waits for the disk: only answering matters. A cancel already asked for stays
        // asked for, whatever clicks come meanwhile.
        return cancelAsked_ ? 1 : 0;
    }
    ShowProgress(done, total);
    if (done == -1 && total == -1) {
        ShowFailure(JobFailure::None);  // the bar was emptied above
    }
    if (cancelAsked_ && done == total && total > 0) {
        // The click came while the file was being put in place: it is there now, and the user
        // must not believe that the old one was kept.
        toolkit_.ShowMessageBox(texts::kInfoCaption, texts::kCancelTooLate, kMessageBoxOk);
    }
    return 0;
}

std::unique_ptr<ProgressWindow> OpenProgressWindow(Toolkit& toolkit, std::u16string_view input) {
    return std::make_unique<ProgressWindow>(toolkit, input);
}

int ProgressCallback(ProgressWindow& window, std::int64_t done, std::int64_t total) {
    return window.Callback(done, total);
}

}  // namespace vexmora
