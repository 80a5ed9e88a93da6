// How a failed file job is told: "Encode/Decode Error!", which scripts and users know, and below
// it why.
#pragma once

#include <iterator>
#include <string>
#include <string_view>

#include "jobs/job_failure.h"
#include "ui/texts.h"

namespace vexmora {

// The German reason line of a failure; empty for JobFailure::None.
inline std::u16string_view FailureReason(JobFailure failure) {
    const auto index = static_cast<std::size_t>(failure);
    return index < std::size(texts::kFailureReasons) ? texts::kFailureReasons[index]
                                                     : texts::kFailureReasons[0];
}

// The error box's whole text: the first line, and the reason below it when there is one.
inline std::u16string FailureText(JobFailure failure) {
    std::u16string text(texts::kEncodeDecodeError);
    if (const std::u16string_view reason = FailureReason(failure); !reason.empty()) {
        text += u'\n';
        text += reason;
    }
    return text;
}

}  // namespace vexmora
