#include "app/mode.h"

#include "app/parameters.h"
#include "crypto/direction.h"
#include "platform/process.h"
#include "ui/paths.h"

namespace vexmora {
namespace {

// Lower case: the parameter is folded before it is compared.
constexpr std::u16string_view kDirectionSwitch = u"/direction:";

// Windows' CharLowerW maps only "E" and "e" to "e" (and "D", "d" to "d"), so folding ASCII
// letters decides every comparison the same way.
std::u16string LowerAscii(std::u16string text) {
    for (char16_t& c : text) {
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
    }
    return text;
}

// <channel> E|D in out: the output is always named, the window works it out.
Mode ChooseWindowJob(std::u16string_view commandLine, int count) {
    const std::u16string letter = LowerAscii(ParameterAt(commandLine, 1));
    if (count != 4 || (letter != u"e" && letter != u"d")) {
        return {ModeKind::Nothing, {}, {}};
    }
    Mode mode{ModeKind::FileJob, {}, {}};
    mode.job.direction = letter == u"e" ? kEncrypt : kDecrypt;
    mode.job.input = ParameterAt(commandLine, 2);
    mode.job.output = ParameterAt(commandLine, 3);
    mode.job.passwordChannel = ParameterAt(commandLine, 0);
    mode.job.fromWindow = true;
    return mode;
}

// /direction:encrypt|decrypt PATH...: the verb said which way, and a selection may mix names.
Mode ChooseExplorer(std::u16string_view commandLine, int count, std::u16string_view value) {
    Mode mode{ModeKind::Nothing, {}, {}};
    if (count < 2 || (value != u"encrypt" && value != u"decrypt")) {
        return mode;
    }
    mode.kind = ModeKind::Explorer;
    mode.explorer.direction = value == u"encrypt" ? kEncrypt : kDecrypt;
    for (int i = 1; i < count; ++i) {
        mode.explorer.paths.push_back(ParameterAt(commandLine, i));
    }
    return mode;
}

}  // namespace

Mode ChooseMode(std::u16string_view commandLine) {
    const int count = ParameterCount(commandLine);
    const std::u16string first = ParameterAt(commandLine, 0);
    if (first.starts_with(kSecretChannelPrefix)) {
        return ChooseWindowJob(commandLine, count);
    }
    const std::u16string folded = LowerAscii(first);
    if (folded.starts_with(kDirectionSwitch)) {
        return ChooseExplorer(commandLine, count,
                              std::u16string_view(folded).substr(kDirectionSwitch.size()));
    }
    if (count < 3) {
        return {};
    }
    const std::u16string letter = LowerAscii(first);
    if (letter != u"e" && letter != u"d") {
        return {};
    }
    Mode mode{ModeKind::Nothing, {}, {}};
    FileJobRequest& job = mode.job;
    job.direction = letter == u"e" ? kEncrypt : kDecrypt;
    job.input = ParameterAt(commandLine, 1);
    if (count == 4) {
        job.output = ParameterAt(commandLine, 2);
        job.password = ParameterAt(commandLine, 3);
    } else if (count == 3 && job.direction == kEncrypt) {
        job.output = job.input + u".vx";
        job.password = ParameterAt(commandLine, 2);
    } else if (count == 3 && ExtensionOf(job.input) == u"vx") {
        // Exactly "vx", unlike the window's rule (IsContainerName, any case): scripts rely on
        // which names this form takes, so it stays as it always was.
        job.output = job.input.substr(0, job.input.size() - 3);
        job.password = ParameterAt(commandLine, 2);
    } else {
        return {ModeKind::Nothing, {}, {}};
    }
    mode.kind = ModeKind::FileJob;
    return mode;
}

}  // namespace vexmora
