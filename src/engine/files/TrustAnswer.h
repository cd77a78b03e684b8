#pragma once
// What the platform's trust check of a file's signature says, made into
// one of the few answers the program shows. The check itself is
// FileSignature (WinVerifyTrust); this is the mapping of its result codes,
// kept apart so that every code can be tried. Platform-free.
#include <cstdint>
#include <string>

namespace discovery::trust {

enum class Answer {
  Signed,             // the signature holds and the platform trusts it
  NotSigned,          // no embedded signature and no catalog entry
  BadDigest,          // the signature does not match the file's contents
  SignedNotTrusted,   // signed, but the chain, its time or its use fails
  NotChecked,         // the check itself failed (the file could not be read)
};

// The result code of WinVerifyTrust (an HRESULT) as an answer.
Answer AnswerOf(std::uint32_t result);

// The result code says there is nothing signed to check, so the system's
// catalogs are asked next.
bool LooksUnsigned(std::uint32_t result);

// The texts of the answers; "%1" takes the signer's name, "%2" the code.
struct AnswerTexts {
  std::wstring signedBy;           // "Signed by %1"
  std::wstring notSigned;          // "Not signed"
  std::wstring badDigest;          // "Signature does not match the file"
  std::wstring signedNotTrusted;   // "Signed by %1, not trusted"
  std::wstring notChecked;         // "Not checked (error %2)"
  std::wstring unknownSigner;      // the name when the certificate has none
};

// The text shown for a result and the signer's name (empty: unknown).
std::wstring AnswerText(std::uint32_t result, const std::wstring& signer, const AnswerTexts& texts);

// "0x800B0100"
std::wstring ResultCodeText(std::uint32_t result);

}  // namespace discovery::trust
