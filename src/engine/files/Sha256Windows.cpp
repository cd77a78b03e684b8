// SHA-256 by the system's CNG (bcrypt.dll).
#include <windows.h>

#include <bcrypt.h>

#include "engine/files/Sha256.h"
#include "ozcore/UniqueHandle.h"

namespace engine {

namespace {

bool Succeeded(NTSTATUS status) { return status >= 0; }

class CngSha256 final : public Sha256 {
 public:
  bool Start() {
    return Succeeded(BCryptOpenAlgorithmProvider(algorithm_.put(), BCRYPT_SHA256_ALGORITHM, nullptr, 0)) &&
           Succeeded(BCryptCreateHash(algorithm_.get(), hash_.put(), nullptr, 0, nullptr, 0, 0));
  }
  bool Add(const std::uint8_t* data, std::size_t size) override {
    // The call takes a 32-bit count: large blocks go in pieces.
    constexpr std::size_t kPiece = 1u << 30;
    for (std::size_t at = 0; at < size; at += kPiece) {
      const ULONG count = static_cast<ULONG>(std::min(kPiece, size - at));
      if (!Succeeded(BCryptHashData(hash_.get(), const_cast<PUCHAR>(data + at), count, 0))) return false;
    }
    return true;
  }
  std::optional<std::wstring> Finish() override {
    UCHAR digest[32];
    if (!Succeeded(BCryptFinishHash(hash_.get(), digest, sizeof digest, 0))) return std::nullopt;
    static constexpr wchar_t kHex[] = L"0123456789abcdef";
    std::wstring hex;
    for (UCHAR byte : digest) {
      hex.push_back(kHex[byte >> 4]);
      hex.push_back(kHex[byte & 0xF]);
    }
    return hex;
  }

 private:
  // Declared first: the hash is destroyed before its provider.
  UniqueCngAlgorithm algorithm_;
  UniqueCngHash hash_;
};

}  // namespace

std::unique_ptr<Sha256> NewSha256() {
  auto digest = std::make_unique<CngSha256>();
  return digest->Start() ? std::move(digest) : nullptr;
}

}  // namespace engine
