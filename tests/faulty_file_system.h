// The real disk, broken where a test says: creation, writes past a budget (a full disk: part of
// the data lands, then the write fails), reads past a budget, files that change their size while
// they are read, flushing, closing, hard links, moving into place, renaming, deleting, files that
// cannot be replaced, the steps of a temporary file (its settings, its delete disposition set,
// taken back and set again), and a Recycle Bin that works, refuses, deletes for good or is
// absent. It keeps marks of the web (which the real disk here has not) and logs the steps that
// replace a file.
// A temporary file is the real one (FileSystem::CreateTemporary). While the system would remove
// it when closed, it cannot be opened by its name, as Windows documents ("Subsequent calls to
// CreateFile to open the file fail with ERROR_ACCESS_DENIED",
// https://learn.microsoft.com/en-us/windows/win32/api/fileapi/nf-fileapi-deletefilew) and Wine 8
// does not do: every call here by that name fails and is noted in byNameWhilePending.
// A job reads on one thread and writes on another: each budget is spent by one of them only, and
// what a test looks at while the job runs is atomic.
#pragma once

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace vexmora::test {

class FaultyFileSystem final : public FileSystem {
  public:
    enum class Bin {
        Absent,   // answers false, touches nothing (as on POSIX)
        Works,    // moves the file into binFolder
        Refuses,  // answers false, the file stays
        // SHFileOperationW with FOF_ALLOWUNDO and FOF_NOCONFIRMATION, documented: where it cannot
        // recycle (a file over the bin's size, a bin set to remove at once, a network, removable
        // or exFAT drive, a path too long for the shell) it deletes for good, without a word, and
        // reports success.
        DeletesForGood,
    };

    bool failCreate = false;
    std::int64_t writeBudget = -1;          // bytes the next writes may put down; -1: unlimited
    bool budgetIsSpace = true;              // a write over the budget finds the volume full
    std::optional<std::int64_t> freeBytes;  // what FreeBytes answers; unset: the truth
    bool keepsStreams = true;               // what KeepsStreams answers
    std::int64_t readBudget = -1;           // bytes reads may ask for; -1: unlimited
    // Files opened for reading grow (> 0) or shrink (< 0) by this many bytes right after their
    // size was first asked for, as if someone wrote to them during the job.
    std::int64_t sizeChange = 0;
    bool failFlush = false;
    std::optional<int> sameFile;    // what open files answer to IsSameFileAs; unset: the truth
    std::size_t readPieceSize = 0;  // the most bytes one ReadSome hands out; 0: as asked
    bool failClose = false;
    bool failLink = false;
    bool failReplace = false;
    int replaceFailures = 0;   // how many of the next moves into place fail
    bool failMoveNew = false;  // renames to a free name fail
    int removeFailures = 0;    // how many of the next deletes fail
    bool failRemoveThroughHandle = false;
    std::optional<bool> canReplace;  // what CanReplace answers; unset: the truth
    // Marks of the web by path; they travel with their file when it is renamed.
    std::map<std::u16string, std::vector<std::uint8_t>> zoneMarks;
    bool failWriteZoneMark = false;  // also a temporary file's at its creation
    // A temporary file that replaces a file cannot get that file's attributes and access list.
    bool failTakeSettings = false;
    // The volume takes no delete disposition: a temporary file has its name for good.
    bool failSetDisposition = false;
    // A temporary file's disposition cannot be taken back when it is to be kept.
    bool failClearDisposition = false;
    // After a move into place that failed, the disposition cannot be set again.
    bool failSetDispositionAgain = false;
    // By path: the file whose attributes and access list a temporary file took at its creation;
    // it travels with its file.
    std::map<std::u16string, std::u16string> settingsFrom;
    // Calls that named a temporary file while the system would remove it when closed.
    std::vector<std::u16string> byNameWhilePending;
    Bin bin = Bin::Absent;
    // What KindOf answers for these paths instead of the truth (Unknown: no access, say).
    std::map<std::u16string, PathKind> kinds;
    std::filesystem::path binFolder;
    std::vector<std::u16string> created;
    // "link <to>", "bin <path>", "replace <to>" and "move <to>" (only moves that succeed, also
    // TemporaryFile::Keep's), "remove <path>", "remove by handle <path>".
    std::vector<std::u16string> log;
    // Called right before a move into place, with its destination.
    std::function<void(std::u16string_view to)> beforeReplace;
    // Folder listings report symbolic links as plain folders, as Wine does for a Unix link.
    bool linksLookLikeFolders = false;
    // Entries of these names are listed as hidden system files (desktop.ini, Thumbs.db), which
    // POSIX has no notion of.
    std::set<std::u16string> hiddenSystemNames;
    // Called inside every write before its data goes down, on the thread that writes.
    std::function<void()> duringWrite;
    // Called inside every flush before it reaches the disk, on the thread that flushes: a disk
    // (a USB stick) that takes its time.
    std::function<void()> duringFlush;
    std::atomic<std::int64_t> bytesRead{0};  // delivered by reads so far
    // A file was closed while a write to it had not returned.
    std::atomic<bool> closedDuringWrite{false};

    std::unique_ptr<File> OpenForReading(std::u16string_view path) override {
        if (ByNameWhilePending(path)) {
            return nullptr;
        }
        auto file = RealFileSystem().OpenForReading(path);
        return file ? std::make_unique<FaultyFile>(std::move(file), *this) : nullptr;
    }
    std::unique_ptr<File> CreateNew(std::u16string_view path) override {
        created.emplace_back(path);
        if (failCreate) {
            return nullptr;
        }
        auto file = RealFileSystem().CreateNew(path);
        return file ? std::make_unique<FaultyFile>(std::move(file), *this) : nullptr;
    }
    std::unique_ptr<TemporaryFile> CreateTemporary(
        std::u16string_view path, std::u16string_view like,
        std::span<const std::uint8_t> zoneMark) override {
        created.emplace_back(path);
        if (failCreate || (!like.empty() && failTakeSettings) ||
            (!zoneMark.empty() && failWriteZoneMark)) {
            return nullptr;
        }
        auto file = RealFileSystem().CreateTemporary(path, like, {});
        if (file == nullptr) {
            return nullptr;
        }
        auto faulty = std::make_unique<FaultyTemporaryFile>(std::move(file), *this, path);
        if (!zoneMark.empty()) {
            zoneMarks[std::u16string(path)].assign(zoneMark.begin(), zoneMark.end());
        }
        if (!like.empty()) {
            settingsFrom[std::u16string(path)] = like;
        }
        if (failSetDisposition) {
            faulty->Name();
        }
        return faulty;
    }
    bool Remove(std::u16string_view path) override {
        log.push_back(u"remove " + std::u16string(path));
        if (ByNameWhilePending(path)) {
            return false;
        }
        if (removeFailures > 0) {
            --removeFailures;
            return false;
        }
        zoneMarks.erase(std::u16string(path));
        return RealFileSystem().Remove(path);
    }
    bool RemoveThroughHandle(std::u16string_view path) override {
        log.push_back(u"remove by handle " + std::u16string(path));
        if (ByNameWhilePending(path)) {
            return false;
        }
        zoneMarks.erase(std::u16string(path));
        return !failRemoveThroughHandle && RealFileSystem().RemoveThroughHandle(path);
    }
    bool ReplaceFile(std::u16string_view from, std::u16string_view to) override {
        if (beforeReplace) {
            beforeReplace(to);
        }
        if (ByNameWhilePending(from) || ByNameWhilePending(to) || MoveFails() ||
            !RealFileSystem().ReplaceFile(from, to)) {
            return false;
        }
        MoveMark(from, to);
        log.push_back(u"replace " + std::u16string(to));
        return true;
    }
    bool MoveNew(std::u16string_view from, std::u16string_view to) override {
        if (ByNameWhilePending(from) || ByNameWhilePending(to) || failMoveNew ||
            !RealFileSystem().MoveNew(from, to)) {
            return false;
        }
        MoveMark(from, to);
        log.push_back(u"move " + std::u16string(to));
        return true;
    }
    int LinkCount(std::u16string_view path) override {
        return ByNameWhilePending(path) ? -1 : RealFileSystem().LinkCount(path);
    }
    bool CanReplace(std::u16string_view path) override {
        return canReplace.value_or(RealFileSystem().CanReplace(path));
    }
    std::vector<std::uint8_t> ReadZoneMark(std::u16string_view path) override {
        if (ByNameWhilePending(path)) {
            return {};
        }
        const auto mark = zoneMarks.find(std::u16string(path));
        return mark == zoneMarks.end() ? std::vector<std::uint8_t>() : mark->second;
    }
    bool WriteZoneMark(std::u16string_view path, std::span<const std::uint8_t> mark) override {
        if (ByNameWhilePending(path) || failWriteZoneMark || !RealFileSystem().Exists(path)) {
            return false;
        }
        zoneMarks[std::u16string(path)].assign(mark.begin(), mark.end());
        return true;
    }
    bool Link(std::u16string_view existing, std::u16string_view link) override {
        if (ByNameWhilePending(existing) || failLink || !RealFileSystem().Link(existing, link)) {
            return false;
        }
        log.push_back(u"link " + std::u16string(link));
        return true;
    }
    bool MoveToRecycleBin(std::u16string_view path) override {
        std::error_code error;
        switch (bin) {
            case Bin::Absent:
            case Bin::Refuses:
                return false;
            case Bin::DeletesForGood:
                std::filesystem::remove(path, error);
                return true;
            case Bin::Works:
                std::filesystem::rename(path, binFolder / std::filesystem::path(path).filename(),
                                        error);
                log.push_back(u"bin " + std::u16string(path));
                return !error;
        }
        return false;
    }
    PathKind KindOf(std::u16string_view path) override {
        if (ByNameWhilePending(path)) {
            return PathKind::Unknown;
        }
        const auto found = kinds.find(std::u16string(path));
        return found != kinds.end() ? found->second : RealFileSystem().KindOf(path);
    }
    bool Exists(std::u16string_view path) override {
        return !ByNameWhilePending(path) && RealFileSystem().Exists(path);
    }
    std::optional<std::vector<FolderEntry>> ListFolder(std::u16string_view folder) override {
        auto entries = RealFileSystem().ListFolder(folder);
        if (!entries) {
            return entries;
        }
        for (FolderEntry& entry : *entries) {
            if (linksLookLikeFolders && entry.kind == EntryKind::Link) {
                entry.kind = EntryKind::Folder;
            }
            entry.hiddenSystem = entry.hiddenSystem || hiddenSystemNames.contains(entry.name);
        }
        return entries;
    }
    std::optional<FileIdentity> IdentityOf(std::u16string_view path) override {
        return RealFileSystem().IdentityOf(path);
    }
    std::int64_t FreeBytes(std::u16string_view folder) override {
        return freeBytes.value_or(RealFileSystem().FreeBytes(folder));
    }
    bool KeepsStreams(std::u16string_view) override { return keepsStreams; }

  private:
    // What travels with a file: its mark of the web and where its settings came from.
    void MoveMark(std::u16string_view from, std::u16string_view to) {
        const auto mark = zoneMarks.extract(std::u16string(from));
        zoneMarks.erase(std::u16string(to));
        if (!mark.empty()) {
            zoneMarks[std::u16string(to)] = mark.mapped();
        }
        const auto settings = settingsFrom.extract(std::u16string(from));
        settingsFrom.erase(std::u16string(to));
        if (!settings.empty()) {
            settingsFrom[std::u16string(to)] = settings.mapped();
        }
    }
    void Forget(std::u16string_view path) {
        zoneMarks.erase(std::u16string(path));
        settingsFrom.erase(std::u16string(path));
    }
    // Whether the next move into place fails.
    bool MoveFails() {
        if (replaceFailures > 0) {
            --replaceFailures;
            return true;
        }
        return failReplace;
    }
    // True, and noted, when path names a temporary file that the system would remove when closed.
    bool ByNameWhilePending(std::u16string_view path) {
        if (!pending_.contains(std::u16string(path))) {
            return false;
        }
        byNameWhilePending.emplace_back(path);
        return true;
    }

    std::set<std::u16string> pending_;  // the names of such temporary files

    template <typename Interface>
    class FaultyFileOf : public Interface {
      public:
        FaultyFileOf(std::unique_ptr<Interface> file, FaultyFileSystem& disk)
            : file_(std::move(file)), disk_(disk), size_(file_->Size()) {}
        bool ReadExactly(std::span<std::uint8_t> buffer) override {
            while (!buffer.empty()) {
                const std::int64_t got = ReadSome(buffer);
                if (got <= 0) {
                    return false;
                }
                buffer = buffer.subspan(static_cast<std::size_t>(got));
            }
            return true;
        }
        std::int64_t ReadSome(std::span<std::uint8_t> buffer) override {
            if (disk_.readPieceSize != 0 && buffer.size() > disk_.readPieceSize) {
                buffer = buffer.first(disk_.readPieceSize);
            }
            if (!Spend(disk_.readBudget, buffer.size())) {
                return -1;
            }
            // Past the real end, a file that grew has more bytes; one that shrank ends earlier.
            const std::int64_t end = sized_ ? size_ + disk_.sizeChange : size_;
            const auto want = static_cast<std::size_t>(
                std::clamp<std::int64_t>(end - position_, 0, std::ssize(buffer)));
            const auto real = static_cast<std::size_t>(
                std::clamp<std::int64_t>(size_ - position_, 0, static_cast<std::int64_t>(want)));
            if (real > 0 && !file_->ReadExactly(buffer.first(real))) {
                return -1;
            }
            std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(real),
                      buffer.begin() + static_cast<std::ptrdiff_t>(want), std::uint8_t{0x55});
            position_ += static_cast<std::int64_t>(want);
            disk_.bytesRead += static_cast<std::int64_t>(want);
            return static_cast<std::int64_t>(want);
        }
        bool WriteAll(std::span<const std::uint8_t> data) override {
            ++writing_;
            if (disk_.duringWrite) {
                disk_.duringWrite();
            }
            const bool ok = Write(data);
            --writing_;
            return ok;
        }
        std::int64_t Size() override {
            const std::int64_t size = sized_ ? size_ + disk_.sizeChange : file_->Size();
            sized_ = true;
            return size;
        }
        bool Flush() override {
            if (disk_.duringFlush) {
                disk_.duringFlush();
            }
            return file_->Flush() && !disk_.failFlush;
        }
        int IsSameFileAs(std::u16string_view path) override {
            return disk_.sameFile.value_or(file_->IsSameFileAs(path));
        }
        bool Close() override {
            if (writing_ > 0) {
                disk_.closedDuringWrite = true;
            }
            return file_->Close() && !disk_.failClose;
        }
        bool OutOfSpace() const override { return outOfSpace_; }

      protected:
        bool outOfSpace_ = false;
        bool Write(std::span<const std::uint8_t> data) {
            if (disk_.writeBudget >= 0 &&
                static_cast<std::int64_t>(data.size()) > disk_.writeBudget) {
                // A disk that fills up: part of the data lands, then the write fails.
                file_->WriteAll(data.first(static_cast<std::size_t>(disk_.writeBudget)));
                disk_.writeBudget = 0;
                outOfSpace_ = disk_.budgetIsSpace;
                return false;
            }
            return Spend(disk_.writeBudget, data.size()) && file_->WriteAll(data);
        }
        static bool Spend(std::int64_t& budget, std::size_t n) {
            if (budget < 0) {
                return true;
            }
            if (static_cast<std::int64_t>(n) > budget) {
                return false;
            }
            budget -= static_cast<std::int64_t>(n);
            return true;
        }
        std::unique_ptr<Interface> file_;
        FaultyFileSystem& disk_;
        std::int64_t size_;  // the real size when opened (-1 for files being written)
        std::int64_t position_ = 0;
        bool sized_ = false;
        std::atomic<int> writing_{0};
    };
    using FaultyFile = FaultyFileOf<File>;

    // The real temporary file, with the system's steps failing where the test says. A file that
    // the system would (no longer) remove has its temporary name for good: the real file gets it
    // by a Keep of its own.
    class FaultyTemporaryFile final : public FaultyFileOf<TemporaryFile> {
      public:
        FaultyTemporaryFile(std::unique_ptr<TemporaryFile> file, FaultyFileSystem& disk,
                            std::u16string_view path)
            : FaultyFileOf(std::move(file), disk), path_(path) {
            if (file_->DeletedWhenClosed()) {
                disk_.pending_.insert(path_);
            }
        }
        ~FaultyTemporaryFile() override { Close(); }

        bool DeletedWhenClosed() const override { return file_->DeletedWhenClosed(); }
        bool Keep(std::u16string_view to, bool replace) override {
            const bool pending = file_->DeletedWhenClosed();
            if (closed_ || (pending && disk_.failClearDisposition)) {
                return false;
            }
            if (disk_.beforeReplace) {
                disk_.beforeReplace(to);
            }
            if (disk_.MoveFails()) {
                if (pending && disk_.failSetDispositionAgain) {
                    Name();
                }
                return false;
            }
            if (!file_->Keep(to, replace)) {
                return false;
            }
            disk_.pending_.erase(path_);
            disk_.MoveMark(path_, to);
            disk_.log.push_back((replace ? u"replace " : u"move ") + std::u16string(to));
            path_ = to;
            return true;
        }
        bool Close() override {
            if (closed_) {
                return false;
            }
            closed_ = true;
            const bool pending = file_->DeletedWhenClosed();
            const bool closed = FaultyFileOf::Close();
            if (pending) {
                disk_.pending_.erase(path_);
                disk_.Forget(path_);  // the system removed the file
            }
            return closed;
        }
        // The file keeps its temporary name for good.
        void Name() {
            if (file_->Keep(path_, false)) {
                disk_.pending_.erase(path_);
            }
        }

      private:
        std::u16string path_;  // the name it has, or will have if the system cannot remove it
        bool closed_ = false;
    };
};

}  // namespace vexmora::test
