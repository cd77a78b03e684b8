#pragma once
// The platform's check of a file's signature (WinVerifyTrust, the generic
// verify action): the file's own signature first, then the system's
// catalogs. Never fetches anything for revocation. The caller decides that
// the path may be opened (a full local drive path; see FileGate).
#include <cstdint>
#include <string>

namespace discovery {

struct SignatureCheck {
  std::uint32_t result = 0;  // WinVerifyTrust's answer (an HRESULT); 0: trusted
  std::wstring signer;       // the signing certificate's subject name, when found
};

SignatureCheck CheckFileSignature(const std::wstring& path);

}  // namespace discovery
