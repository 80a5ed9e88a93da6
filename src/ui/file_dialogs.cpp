#include "ui/file_dialogs.h"

#include "platform/file_info.h"
#include "ui/paths.h"
#include "ui/texts.h"

namespace vexmora {
namespace {

std::optional<std::u16string>& LastFolder() {
    static std::optional<std::u16string> folder;
    return folder;
}

}  // namespace

const std::optional<std::u16string>& LastUsedFolder() {
    return LastFolder();
}
void ForgetLastUsedFolder() {
    LastFolder().reset();
}

bool MayReplace(Toolkit& toolkit, std::u16string_view path) {
    return FileSizeOf(path) < 0 ||
           toolkit.ShowMessageBox(texts::kInfoCaption, texts::kOverwriteQuestion,
                                  kMessageBoxYesNo) == kAnswerYes;
}

std::u16string ChooseFile(Toolkit& toolkit, std::u16string_view pattern, bool forSaving) {
    std::u16string path = ShowFileDialog(toolkit, u"", LastFolder(), pattern, 0, forSaving);
    if (forSaving && !path.empty() && !MayReplace(toolkit, path)) {
        path.clear();
    }
    if (!path.empty()) {
        LastFolder() = FolderOf(path);
    }
    return path;
}

std::u16string ShowFileDialog(Toolkit& toolkit, std::u16string_view title,
                              const std::optional<std::u16string>& defaultPath,
                              std::u16string_view pattern, int patternIndex, bool forSaving) {
    FileDialogArgs args;
    args.title = title;
    args.pattern = pattern;
    args.patternIndex = patternIndex;
    args.forSaving = forSaving;
    if (defaultPath) {
        const std::size_t separator = defaultPath->rfind(u'\\');
        std::u16string name;
        if (separator != std::u16string::npos && separator > 0) {
            args.initialFolder = defaultPath->substr(0, separator);
            name = defaultPath->substr(separator + 1);
        } else {
            args.initialFolder = u"";
            name = *defaultPath;
        }
        name = name.substr(0, 259);
        if (IsValidFileName(name)) {
            args.initialFileName = name;
        }
    }
    return toolkit.ShowFileDialog(args);
}

}  // namespace vexmora
