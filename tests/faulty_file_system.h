// The real disk, broken where a test says: creation, writes past a budget (a full disk: part of
// the data lands, then the write fails), reads past a budget, files that change their size while
// they are read, flushing, closing, hard links, moving into place, and a Recycle Bin that works,
// refuses, deletes for good or is absent. It logs the steps that replace a file.
// A job reads on one thread and writes on another: each budget is spent by one of them only, and
// what a test looks at while the job runs is atomic.
#pragma once

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace vexmora::test {

class FaultyFileSystem final : public FileSystem {
  public:
    enum class Bin {
        Absent,          // answers false, touches nothing (as on POSIX)
        Works,           // moves the file into binFolder
        Refuses,         // answers false, the file stays
        DeletesForGood,  // a volume without a bin: the shell deletes the file and answers false
    };

    bool failCreate = false;
    std::int64_t writeBudget = -1;  // bytes the next writes may put down; -1: unlimited
    std::int64_t readBudget = -1;   // bytes reads may ask for; -1: unlimited
    // Files opened for reading grow (> 0) or shrink (< 0) by this many bytes right after their
    // size was first asked for, as if someone wrote to them during the job.
    std::int64_t sizeChange = 0;
    bool failFlush = false;
    std::optional<int> sameFile;    // what open files answer to IsSameFileAs; unset: the truth
    std::size_t readPieceSize = 0;  // the most bytes one ReadSome hands out; 0: as asked
    bool failClose = false;
    bool failLink = false;
    bool failReplace = false;
    Bin bin = Bin::Absent;
    std::filesystem::path binFolder;
    std::vector<std::u16string> created;
    // "link <to>", "bin <path>", "replace <to>" (only moves that succeed), "remove <path>".
    std::vector<std::u16string> log;
    // Called right before a move into place, with its destination.
    std::function<void(std::u16string_view to)> beforeReplace;
    // Folder listings report symbolic links as plain folders, as Wine does for a Unix link.
    bool linksLookLikeFolders = false;
    // Called inside every write before its data goes down, on the thread that writes.
    std::function<void()> duringWrite;
    std::atomic<std::int64_t> bytesRead{0};  // delivered by reads so far
    // A file was closed while a write to it had not returned.
    std::atomic<bool> closedDuringWrite{false};

    std::unique_ptr<File> OpenForReading(std::u16string_view path) override {
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
    bool Remove(std::u16string_view path) override {
        log.push_back(u"remove " + std::u16string(path));
        return RealFileSystem().Remove(path);
    }
    bool ReplaceFile(std::u16string_view from, std::u16string_view to) override {
        if (beforeReplace) {
            beforeReplace(to);
        }
        if (failReplace || !RealFileSystem().ReplaceFile(from, to)) {
            return false;
        }
        log.push_back(u"replace " + std::u16string(to));
        return true;
    }
    bool CopyAttributes(std::u16string_view from, std::u16string_view to) override {
        return RealFileSystem().CopyAttributes(from, to);
    }
    bool Link(std::u16string_view existing, std::u16string_view link) override {
        if (failLink || !RealFileSystem().Link(existing, link)) {
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
                return false;
            case Bin::Works:
                std::filesystem::rename(path, binFolder / std::filesystem::path(path).filename(),
                                        error);
                log.push_back(u"bin " + std::u16string(path));
                return !error;
        }
        return false;
    }
    PathKind KindOf(std::u16string_view path) override { return RealFileSystem().KindOf(path); }
    bool Exists(std::u16string_view path) override { return RealFileSystem().Exists(path); }
    std::optional<std::vector<FolderEntry>> ListFolder(std::u16string_view folder) override {
        auto entries = RealFileSystem().ListFolder(folder);
        if (entries && linksLookLikeFolders) {
            for (FolderEntry& entry : *entries) {
                if (entry.kind == EntryKind::Link) {
                    entry.kind = EntryKind::Folder;
                }
            }
        }
        return entries;
    }
    std::optional<FileIdentity> IdentityOf(std::u16string_view path) override {
        return RealFileSystem().IdentityOf(path);
    }

  private:
    class FaultyFile final : public File {
      public:
        FaultyFile(std::unique_ptr<File> file, FaultyFileSystem& disk)
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
        bool Flush() override { return file_->Flush() && !disk_.failFlush; }
        int IsSameFileAs(std::u16string_view path) override {
            return disk_.sameFile.value_or(file_->IsSameFileAs(path));
        }
        bool Close() override {
            if (writing_ > 0) {
                disk_.closedDuringWrite = true;
            }
            return file_->Close() && !disk_.failClose;
        }

      private:
        bool Write(std::span<const std::uint8_t> data) {
            if (disk_.writeBudget >= 0 &&
                static_cast<std::int64_t>(data.size()) > disk_.writeBudget) {
                // A disk that fills up: part of the data lands, then the write fails.
                file_->WriteAll(data.first(static_cast<std::size_t>(disk_.writeBudget)));
                disk_.writeBudget = 0;
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
        std::unique_ptr<File> file_;
        FaultyFileSystem& disk_;
        std::int64_t size_;  // the real size when opened (-1 for files being written)
        std::int64_t position_ = 0;
        bool sized_ = false;
        std::atomic<int> writing_{0};
    };
};

}  // namespace vexmora::test
