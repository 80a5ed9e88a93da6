#include "ui/file_dialogs.h"

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

bool MayReplace(Toolkit& toolkit, std::u16string_view path, FileSystem& fileSystem, bool named) {
    switch (fileSystem.KindOf(path)) {
        case PathKind::Missing:
        case PathKind::Other:
            return true;
        case PathKind::Unknown:
            toolkit.ShowMessageBox(texts::kErrorCaption, texts::kCannotTellOutput, kMessageBoxOk);
            return false;
        case PathKind::RegularFile:
            break;
    }
    std::u16string question;
    if (named) {
        question.append(path).append(u"\n");
    }
    question += texts::kOverwriteQuestion;
    return toolkit.ShowMessageBox(texts::kInfoCaption, question, kMessageBoxYesNo) == kAnswerYes;
}

std::u16string ChooseFile(Toolkit& toolkit, std::u16string_view pattern, bool forSaving,
                          FileSystem& fileSystem) {
    std::u16string path = ShowFileDialog(toolkit, u"", LastFolder(), pattern, 0, forSaving);
    if (forSaving && !path.empty() && !MayReplace(toolkit, path, fileSystem)) {
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
