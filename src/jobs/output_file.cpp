#include "jobs/output_file.h"

#include "jobs/temporary_path.h"

namespace vexmora {

bool MayWriteTo(FileSystem& fileSystem, std::u16string_view destination) {
    const PathKind kind = fileSystem.KindOf(destination);
    return kind == PathKind::Missing || kind == PathKind::RegularFile;
}

bool PutInPlace(FileSystem& fileSystem, std::u16string_view temporary,
                std::u16string_view destination) {
    if (fileSystem.KindOf(destination) != PathKind::RegularFile) {
        return fileSystem.ReplaceFile(temporary, destination);
    }
    fileSystem.CopyAttributes(destination, temporary);
    const std::u16string secondName = TemporaryPathBeside(destination);
    if (!fileSystem.Link(destination, secondName)) {
        // A volume without hard links (FAT, many network shares) has no bin either.
        return fileSystem.ReplaceFile(temporary, destination);
    }
    // Whatever the bin does, the old file keeps its second name until the new one is in place.
    fileSystem.MoveToRecycleBin(destination);
    const bool placed = fileSystem.ReplaceFile(temporary, destination);
    if (!placed && fileSystem.KindOf(destination) == PathKind::Missing) {
        fileSystem.ReplaceFile(secondName, destination);
        return false;
    }
    fileSystem.Remove(secondName);
    return placed;
}

OutputFile::OutputFile(FileSystem& fileSystem, std::u16string_view destination)
    : fileSystem_(fileSystem), destination_(destination) {}

bool OutputFile::Create() {
    // A name that is taken (by chance or by someone else) is not ours to open: try another.
    constexpr int kAttempts = 8;
    for (int attempt = 0; attempt < kAttempts && file_ == nullptr; ++attempt) {
        temporary_ = TemporaryPathBeside(destination_);
        file_ = fileSystem_.CreateNew(temporary_);
        if (file_ == nullptr && fileSystem_.KindOf(temporary_) == PathKind::Missing) {
            break;  // not a clash: the folder does not take new files
        }
    }
    return file_ != nullptr;
}

bool OutputFile::Finish() {
    const bool flushed = file_->Flush();
    const bool closed = file_->Close();
    if (!flushed || !closed) {
        Discard();
        return false;
    }
    return true;
}

bool OutputFile::Place() {
    if (!PutInPlace(fileSystem_, temporary_, destination_)) {
        Discard();
        return false;
    }
    file_ = nullptr;
    return true;
}

void OutputFile::Discard() {
    if (file_ != nullptr) {
        file_->Close();
        fileSystem_.Remove(temporary_);
        file_ = nullptr;
    }
}

}  // namespace vexmora
