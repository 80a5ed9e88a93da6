// The real disk, broken where a test says: creation, writes past a budget (a full disk: part of
// the data lands, then the write fails), reads past a budget, closing, and moving into place.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace vexmora::test {

class FaultyFileSystem final : public FileSystem {
  public:
    bool failCreate = false;
    std::int64_t writeBudget = -1;  // bytes the next writes may put down; -1: unlimited
    std::int64_t readBudget = -1;   // bytes reads may ask for; -1: unlimited
    bool failClose = false;
    bool failReplace = false;
    std::vector<std::u16string> created;

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
    bool Remove(std::u16string_view path) override { return RealFileSystem().Remove(path); }
    bool ReplaceFile(std::u16string_view from, std::u16string_view to) override {
        return !failReplace && RealFileSystem().ReplaceFile(from, to);
    }
    int SameFile(std::u16string_view a, std::u16string_view b) override {
        return RealFileSystem().SameFile(a, b);
    }
    bool Exists(std::u16string_view path) override { return RealFileSystem().Exists(path); }

  private:
    class FaultyFile final : public File {
      public:
        FaultyFile(std::unique_ptr<File> file, FaultyFileSystem& disk)
            : file_(std::move(file)), disk_(disk) {}
        bool ReadExactly(std::span<std::uint8_t> buffer) override {
            return Spend(disk_.readBudget, buffer.size()) && file_->ReadExactly(buffer);
        }
        std::int64_t ReadSome(std::span<std::uint8_t> buffer) override {
            return Spend(disk_.readBudget, buffer.size()) ? file_->ReadSome(buffer) : -1;
        }
        bool WriteAll(std::span<const std::uint8_t> data) override {
            if (disk_.writeBudget >= 0 &&
                static_cast<std::int64_t>(data.size()) > disk_.writeBudget) {
                // A disk that fills up: part of the data lands, then the write fails.
                file_->WriteAll(data.first(static_cast<std::size_t>(disk_.writeBudget)));
                disk_.writeBudget = 0;
                return false;
            }
            return Spend(disk_.writeBudget, data.size()) && file_->WriteAll(data);
        }
        std::int64_t Size() override { return file_->Size(); }
        bool Close() override { return file_->Close() && !disk_.failClose; }

      private:
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
    };
};

}  // namespace vexmora::test
