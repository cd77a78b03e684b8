#pragma once
// The platform's check of a file's signature (WinVerifyTrust, the generic
// verify action): the file's own signature first, then the system's
// catalogs. Never fetches anything for revocation. The caller decides that
// the path may be opened (a full local drive path; see FileGate).
#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/files/FileSource.h"
#include "ozcore/UniqueHandle.h"

namespace discovery {

struct SignatureCheck {
  std::uint32_t result = 0;  // WinVerifyTrust's answer (an HRESULT); 0: trusted
  std::wstring signer;       // the signing certificate's subject name, when found
};

using FileIdentity = engine::FileIdentity;

// A file opened once, for reading and with no one else allowed to write it
// while open: its identity and its check are read through that one handle.
class SignatureSubject {
 public:
  explicit SignatureSubject(const std::wstring& path);
  // 0 when the file is open, else the failed open's HRESULT.
  std::uint32_t OpenError() const { return openError_; }
  // Empty when the file is not open or the file system gives no id or no
  // change time: such a file is checked every time.
  std::optional<FileIdentity> Identity() const;
  SignatureCheck Check() const;

 private:
  std::wstring path_;
  UniqueFile file_;
  std::uint32_t openError_ = 0;
};

// Opens path and checks it.
SignatureCheck CheckFileSignature(const std::wstring& path);

// Checks only the file's own signature, through a handle opened by the
// caller (named by label in the check); no catalog of this system is asked,
// as a file of another system's image is in none of them.
SignatureCheck CheckOwnSignature(const std::wstring& label, HANDLE file);

}  // namespace discovery
