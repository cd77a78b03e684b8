#pragma once
// SHA-256 through the platform's own facilities (the system's CNG on
// Windows, libcrypto on Linux): no digest of our own. Platform-free.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace engine {

class Sha256 {
 public:
  virtual ~Sha256() = default;
  // False when the platform refused the data; the digest is then unusable.
  virtual bool Add(const std::uint8_t* data, std::size_t size) = 0;
  // The digest of everything added, as 64 lower-case hex digits; nothing
  // when the platform failed. Call once.
  virtual std::optional<std::wstring> Finish() = 0;
};

// A new digest; null when the platform offers none.
std::unique_ptr<Sha256> NewSha256();

}  // namespace engine
