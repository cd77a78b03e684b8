#pragma once
// Files on a POSIX system: an owned descriptor, and a plain file read
// through it by byte ranges. The POSIX edge of the file sources.
#include <cstdint>
#include <memory>
#include <utility>

#include "engine/files/FileSource.h"

namespace engine {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = other.Release();
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { Reset(); }
  int Get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }
  explicit operator bool() const { return fd_ >= 0; }

 private:
  void Reset();
  int fd_ = -1;
};

// The plain file open at fd, of the size its checks found, read by ranges.
std::unique_ptr<OpenFile> OpenFileOver(UniqueFd fd, std::uint64_t size);

}  // namespace engine
