// The operating system's cryptographic random source.
//
// Open() checks once that the source answers; Fill() asks it for bytes. On Windows this is
// BCryptGenRandom with BCRYPT_USE_SYSTEM_PREFERRED_RNG; on POSIX it is getrandom(2).
#pragma once

#include <cstdint>
#include <memory>
#include <span>

namespace vexmora {

class SystemRandomSource {
  public:
    SystemRandomSource();
    ~SystemRandomSource();
    SystemRandomSource(const SystemRandomSource&) = delete;
    SystemRandomSource& operator=(const SystemRandomSource&) = delete;

    // Checks the source if it is not open yet. Returns whether it is open now.
    bool Open();
    // Releases the source; Fill() fails until the next Open().
    void Close();
    bool IsOpen() const { return open_; }

    // Fills all of destination. Returns false, with destination left untouched, when the
    // source is not open; returns false when the system fails part way (the contents of
    // destination are then unspecified and must not be used).
    bool Fill(std::span<std::uint8_t> destination);

  private:
    struct Native;  // what the system hands out, if anything: defined per OS
    std::unique_ptr<Native> native_;
    bool open_ = false;
};

}  // namespace vexmora
