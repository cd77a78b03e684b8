// SHA-256 by libcrypto's EVP interface.
#include <openssl/evp.h>

#include "engine/files/Sha256.h"

namespace engine {

namespace {

struct ContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

class EvpSha256 final : public Sha256 {
 public:
  bool Start() { return context_ && EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr) == 1; }
  bool Add(const std::uint8_t* data, std::size_t size) override {
    return EVP_DigestUpdate(context_.get(), data, size) == 1;
  }
  std::optional<std::wstring> Finish() override {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context_.get(), digest, &length) != 1 || length != 32) return std::nullopt;
    static constexpr wchar_t kHex[] = L"0123456789abcdef";
    std::wstring hex;
    for (unsigned int i = 0; i < length; ++i) {
      hex.push_back(kHex[digest[i] >> 4]);
      hex.push_back(kHex[digest[i] & 0xF]);
    }
    return hex;
  }

 private:
  std::unique_ptr<EVP_MD_CTX, ContextFree> context_{EVP_MD_CTX_new()};
};

}  // namespace

std::unique_ptr<Sha256> NewSha256() {
  auto digest = std::make_unique<EvpSha256>();
  return digest->Start() ? std::move(digest) : nullptr;
}

}  // namespace engine
