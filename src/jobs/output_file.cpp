#include "jobs/output_file.h"

#include <algorithm>
#include <ctime>

#include "jobs/temporary_path.h"

namespace vexmora {
namespace {

// The local time in the form KeptNameFor shows it. Names cannot hold ':', hence the dashes.
std::u16string ReplacementStamp() {
    const std::time_t now = std::time(nullptr);
    // Only the thread that puts files in place asks, so localtime's shared buffer is safe here.
    const std::tm* local = std::localtime(&now);
    char text[32] = "";
    if (local == nullptr || std::strftime(text, sizeof text, "%Y-%m-%d %H-%M-%S", local) == 0) {
        return u"unknown time";
    }
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

// Moves the old file, now at `name`, to a visible name beside destination that no file has yet.
// Returns the name it ends up with: name itself when no visible name could be taken.
std::u16string KeepVisible(FileSystem& fileSystem, std::u16string_view name,
                           std::u16string_view destination) {
    const std::u16string stamp = ReplacementStamp();
    constexpr int kAttempts = 20;
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        std::u16string kept = KeptNameFor(destination, stamp, attempt);
        if (fileSystem.MoveNew(name, kept)) {
            return kept;
        }
        if (!fileSystem.Exists(kept)) {
            break;  // not a clash: another name would fail the same way
        }
    }
    return std::u16string(name);
}

// Deletes a name of ours. A failed delete is tried again through a handle, so that a scanner
// that holds the file for a moment leaves nothing of ours behind.
bool RemoveOurs(FileSystem& fileSystem, std::u16string_view path) {
    return fileSystem.Remove(path) || fileSystem.RemoveThroughHandle(path);
}

}  // namespace

bool MayWriteTo(FileSystem& fileSystem, std::u16string_view destination) {
    const PathKind kind = fileSystem.KindOf(destination);
    return kind == PathKind::Missing ||
           (kind == PathKind::RegularFile && fileSystem.CanReplace(destination));
}

std::u16string KeptNameFor(std::u16string_view destination, std::u16string_view stamp,
                           int attempt) {
    const std::size_t separator = destination.find_last_of(u"\\/:");
    const std::size_t nameStart = separator == std::u16string_view::npos ? 0 : separator + 1;
    std::size_t dot = destination.rfind(u'.');
    if (dot == std::u16string_view::npos || dot <= nameStart) {
        dot = destination.size();  // no extension: a leading dot starts the name, not one
    }
    std::u16string note = u" (replaced " + std::u16string(stamp);
    if (attempt > 1) {
        note += u", ";
        for (const char c : std::to_string(attempt)) {
            note += static_cast<char16_t>(c);
        }
    }
    note += u')';
    // A name holds at most 255 characters: a long one gives up the end of its stem, never a half
    // of a surrogate pair.
    constexpr std::size_t kLongestName = 255;
    std::size_t stemEnd = dot;
    const std::size_t length = destination.size() - nameStart + note.size();
    if (length > kLongestName && dot > nameStart + 1) {
        stemEnd = dot - std::min(dot - nameStart - 1, length - kLongestName);
        if (stemEnd > nameStart && destination[stemEnd - 1] >= 0xD800 &&
            destination[stemEnd - 1] <= 0xDBFF) {
            --stemEnd;
        }
    }
    return std::u16string(destination.substr(0, stemEnd)) + note +
           std::u16string(destination.substr(dot));
}

Placement PutInPlace(FileSystem& fileSystem, TemporaryFile& file, std::u16string_view destination) {
    if (fileSystem.KindOf(destination) != PathKind::RegularFile) {
        // Only where nothing is: a file that appeared meanwhile has no second name to survive in.
        return {file.Keep(destination, false), {}};
    }
    const std::u16string secondName = TemporaryPathBeside(destination);
    if (!fileSystem.Link(destination, secondName)) {
        // Without a second name nothing can tell whether the bin holds the file (and a volume
        // without hard links has no bin either): the old file steps aside, visibly.
        const std::u16string kept = KeepVisible(fileSystem, destination, destination);
        if (kept == destination) {
            return {};  // it cannot step aside: nothing is replaced
        }
        if (file.Keep(destination, true)) {
            return {true, kept};
        }
        return fileSystem.ReplaceFile(kept, destination) ? Placement{} : Placement{false, kept};
    }
    // The shell's answer does not say whether the bin holds the file: a bin that deletes for
    // good reports success too. The second name's link count does: the file still has as many
    // names only when its first one lives on in the bin.
    const int links = fileSystem.LinkCount(secondName);
    fileSystem.MoveToRecycleBin(destination);
    const bool refused = fileSystem.Exists(destination);
    const bool inBin = !refused && links > 1 && fileSystem.LinkCount(secondName) == links;

    Placement placement;
    placement.placed = file.Keep(destination, true);
    if (!placement.placed && !refused) {
        if (fileSystem.ReplaceFile(secondName, destination)) {
            return placement;  // the old file is back where it was
        }
    } else if (inBin || !placement.placed) {
        // The old file is in the bin, or still at destination: the second name is a spare.
        if (RemoveOurs(fileSystem, secondName)) {
            return placement;
        }
    }
    placement.keptOldFile = KeepVisible(fileSystem, secondName, destination);
    return placement;
}

OutputFile::OutputFile(FileSystem& fileSystem, std::u16string_view destination)
    : fileSystem_(fileSystem), destination_(destination) {}

bool OutputFile::Create() {
    // Only a file that is replaced lends its settings: there is nothing to copy from a missing
    // one, and nothing should be copied from whatever else stands there.
    const std::u16string like =
        fileSystem_.KindOf(destination_) == PathKind::RegularFile ? destination_ : u"";
    // A name that is taken (by chance or by someone else) is not ours to open: try another.
    constexpr int kAttempts = 8;
    for (int attempt = 0; attempt < kAttempts && file_ == nullptr; ++attempt) {
        temporary_ = TemporaryPathBeside(destination_);
        file_ = fileSystem_.CreateTemporary(temporary_, like, zoneMark_);
        if (file_ == nullptr && fileSystem_.KindOf(temporary_) == PathKind::Missing) {
            break;  // not a clash: the folder, the settings or the mark cannot be had
        }
    }
    return file_ != nullptr;
}

bool OutputFile::Finish() {
    // The file stays open until it is in place: closed before, it would be gone.
    if (!file_->Flush()) {
        Discard();
        return false;
    }
    return true;
}

bool OutputFile::Place() {
    const Placement placement = PutInPlace(fileSystem_, *file_, destination_);
    keptOldFile_ = placement.keptOldFile;
    if (!placement.placed) {
        Discard();
        return false;
    }
    // Every byte is on the disk since the flush and the file has its name: a close that fails
    // now can take nothing back.
    file_->Close();
    file_ = nullptr;
    return true;
}

void OutputFile::Discard() {
    if (file_ != nullptr) {
        const bool named = !file_->DeletedWhenClosed();
        file_->Close();
        if (named) {
            RemoveOurs(fileSystem_, temporary_);
        }
        file_ = nullptr;
    }
}

}  // namespace vexmora
