#include "driver/scratch_files.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <stdexcept>

#include "driver/unique_handle.h"

namespace vexmora::e2e {

namespace {

// The form of a full path that every file function takes whatever its length.
std::wstring Long(const std::wstring& path) {
    return path.rfind(L"\\\\", 0) == 0 ? path : L"\\\\?\\" + path;
}

std::runtime_error Failure(const std::string& what, const std::wstring& path) {
    return std::runtime_error(what + " failed for " + Narrow(path) + " (error " +
                              std::to_string(GetLastError()) + ")");
}

UniqueHandle OpenForWriting(const std::wstring& path) {
    UniqueHandle file(CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        throw Failure("CreateFileW", path);
    }
    return file;
}

UniqueHandle OpenForReading(const std::wstring& path) {
    UniqueHandle file(CreateFileW(Long(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        throw Failure("CreateFileW", path);
    }
    return file;
}

void WriteAll(HANDLE file, const std::uint8_t* data, std::size_t size, const std::wstring& path) {
    while (size > 0) {
        DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 24));
        DWORD written = 0;
        if (!WriteFile(file, data, piece, &written, nullptr) || written != piece) {
            throw Failure("WriteFile", path);
        }
        data += piece;
        size -= piece;
    }
}

// Reads up to `size` bytes; returns how many arrived (fewer only at the end of the file).
std::size_t ReadSome(HANDLE file, std::uint8_t* data, std::size_t size, const std::wstring& path) {
    std::size_t total = 0;
    while (total < size) {
        DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size - total, 1u << 24));
        DWORD read = 0;
        if (!ReadFile(file, data + total, piece, &read, nullptr)) {
            throw Failure("ReadFile", path);
        }
        if (read == 0) {
            break;
        }
        total += read;
    }
    return total;
}

std::uint64_t NextPattern(std::uint64_t& state) {
    // splitmix64: fast, and every byte of every word varies.
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

void FillPattern(std::uint8_t* data, std::size_t size, std::uint64_t& state) {
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word = NextPattern(state);
        std::memcpy(data + i, &word, 8);
    }
    if (i < size) {
        std::uint64_t word = NextPattern(state);
        std::memcpy(data + i, &word, size - i);
    }
}

}  // namespace

std::string Narrow(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                     nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length,
                        nullptr, nullptr);
    return out;
}

ScratchFolder::ScratchFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) {
        throw std::runtime_error("GetTempPathW failed");
    }
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring candidate =
            std::wstring(temp) + L"vexmora-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(counter++);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = candidate + L"\\";
            return;
        }
    }
    throw std::runtime_error("cannot create a scratch folder");
}

ScratchFolder::~ScratchFolder() {
    RemoveTree(path_);
}

void RemoveTree(const std::wstring& folder) {
    std::wstring base = folder;
    if (!base.empty() && base.back() != L'\\') {
        base += L'\\';
    }
    WIN32_FIND_DATAW data;
    {
        UniqueFind find(FindFirstFileW(Long(base + L"*").c_str(), &data));
        if (find.Valid()) {
            do {
                std::wstring name = data.cFileName;
                if (name == L"." || name == L"..") {
                    continue;
                }
                std::wstring path = base + name;
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveTree(path);
                } else {
                    SetFileAttributesW(Long(path).c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileW(Long(path).c_str());
                }
            } while (FindNextFileW(find.Get(), &data));
        }
    }
    RemoveDirectoryW(Long(base).c_str());
}

FolderListing ListFolder(const std::wstring& folder) {
    FolderListing listing;
    std::wstring base = folder;
    if (!base.empty() && base.back() != L'\\') {
        base += L'\\';
    }
    WIN32_FIND_DATAW data;
    UniqueFind find(FindFirstFileW(Long(base + L"*").c_str(), &data));
    if (!find.Valid()) {
        return listing;
    }
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        FileEntry entry;
        entry.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
        entry.lastWrite = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                          data.ftLastWriteTime.dwLowDateTime;
        listing.emplace(std::move(name), entry);
    } while (FindNextFileW(find.Get(), &data));
    return listing;
}

void MakeFolder(const std::wstring& path) {
    if (!CreateDirectoryW(Long(path).c_str(), nullptr)) {
        throw Failure("CreateDirectoryW", path);
    }
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Long(path).c_str(), GetFileExInfoStandard, &data)) {
        throw Failure("GetFileAttributesExW", path);
    }
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

Bytes ReadBytes(const std::wstring& path) {
    UniqueHandle file = OpenForReading(path);
    LARGE_INTEGER size{};
    GetFileSizeEx(file.Get(), &size);
    Bytes bytes(static_cast<std::size_t>(size.QuadPart));
    bytes.resize(ReadSome(file.Get(), bytes.data(), bytes.size(), path));
    return bytes;
}

void WriteBytes(const std::wstring& path, const Bytes& bytes) {
    UniqueHandle file = OpenForWriting(path);
    WriteAll(file.Get(), bytes.data(), bytes.size(), path);
}

void WriteZeroFile(const std::wstring& path, std::uint64_t size) {
    UniqueHandle file = OpenForWriting(path);
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file.Get())) {
        throw Failure("SetEndOfFile", path);
    }
}

void WritePatternFile(const std::wstring& path, std::uint64_t size, std::uint64_t seed) {
    UniqueHandle file = OpenForWriting(path);
    Bytes piece(std::size_t{1} << 22);
    std::uint64_t state = seed;
    while (size > 0) {
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, piece.size()));
        FillPattern(piece.data(), n, state);
        WriteAll(file.Get(), piece.data(), n, path);
        size -= n;
    }
}

Bytes PatternBytes(std::size_t size, std::uint64_t seed) {
    Bytes bytes(size);
    std::uint64_t state = seed;
    FillPattern(bytes.data(), size, state);
    return bytes;
}

std::string CompareFiles(const std::wstring& a, const std::wstring& b) {
    UniqueHandle fa = OpenForReading(a);
    UniqueHandle fb = OpenForReading(b);
    Bytes pa(std::size_t{1} << 22);
    Bytes pb(pa.size());
    std::uint64_t offset = 0;
    for (;;) {
        std::size_t na = ReadSome(fa.Get(), pa.data(), pa.size(), a);
        std::size_t nb = ReadSome(fb.Get(), pb.data(), pb.size(), b);
        std::size_t common = std::min(na, nb);
        auto mismatch =
            std::mismatch(pa.begin(), pa.begin() + static_cast<std::ptrdiff_t>(common), pb.begin());
        if (mismatch.first != pa.begin() + static_cast<std::ptrdiff_t>(common)) {
            return "first difference at byte " +
                   std::to_string(offset + static_cast<std::uint64_t>(mismatch.first - pa.begin()));
        }
        if (na != nb) {
            return "lengths differ: one file ends at byte " + std::to_string(offset + common);
        }
        if (na == 0) {
            return {};
        }
        offset += na;
    }
}

}  // namespace vexmora::e2e
