// A fresh temporary folder per test and the file operations the tests need in it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vexmora::e2e {

using Bytes = std::vector<std::uint8_t>;

// Creates a new, empty folder under the user's temporary folder; removes it with everything in it
// when destroyed.
class ScratchFolder {
  public:
    ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder();

    // The folder, with a trailing backslash.
    const std::wstring& Path() const { return path_; }
    // `name` inside the folder.
    std::wstring operator/(const std::wstring& name) const { return path_ + name; }

  private:
    std::wstring path_;
};

struct FileEntry {
    std::uint64_t size = 0;
    std::uint64_t lastWrite = 0;
    bool operator==(const FileEntry&) const = default;
};
// Name -> size and last write time of every file and folder directly in `folder`.
using FolderListing = std::map<std::wstring, FileEntry>;
FolderListing ListFolder(const std::wstring& folder);

// Paths of any length work in these (the driver uses the long form inside).
bool FileExists(const std::wstring& path);
// Creates one folder; its parent must exist.
void MakeFolder(const std::wstring& path);
std::uint64_t FileSize(const std::wstring& path);
Bytes ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const Bytes& bytes);
// A file of `size` zero bytes, made by extending it (fast, also for large sizes).
void WriteZeroFile(const std::wstring& path, std::uint64_t size);
// A file of `size` pseudo-random bytes from `seed`, written in pieces.
void WritePatternFile(const std::wstring& path, std::uint64_t size, std::uint64_t seed);
// Compares two files' contents; an empty result means equal, otherwise what differs.
std::string CompareFiles(const std::wstring& a, const std::wstring& b);

// Deterministic pseudo-random bytes for test data.
Bytes PatternBytes(std::size_t size, std::uint64_t seed);

// Removes a folder and everything in it; used for clean-up.
void RemoveTree(const std::wstring& folder);

std::string Narrow(const std::wstring& text);

}  // namespace vexmora::e2e
