#include "engine/files/TrustAnswer.h"

namespace discovery::trust {

namespace {
// The platform's codes, spelled here so that the mapping builds anywhere.
constexpr std::uint32_t kTrustNoSignature = 0x800B0100;       // TRUST_E_NOSIGNATURE
constexpr std::uint32_t kSubjectFormUnknown = 0x800B0003;     // TRUST_E_SUBJECT_FORM_UNKNOWN
constexpr std::uint32_t kBadDigest = 0x80096010;              // TRUST_E_BAD_DIGEST
constexpr std::uint32_t kSubjectNotTrusted = 0x800B0004;      // TRUST_E_SUBJECT_NOT_TRUSTED
constexpr std::uint32_t kExplicitDistrust = 0x800B0111;       // TRUST_E_EXPLICIT_DISTRUST
constexpr std::uint32_t kCertSignature = 0x80096004;          // TRUST_E_CERT_SIGNATURE
constexpr std::uint32_t kTimeStamp = 0x80096005;              // TRUST_E_TIME_STAMP
constexpr std::uint32_t kBasicConstraints = 0x80096019;       // TRUST_E_BASIC_CONSTRAINTS
constexpr std::uint32_t kFinancialCriteria = 0x8009601E;      // TRUST_E_FINANCIAL_CRITERIA
constexpr std::uint32_t kRevoked = 0x80092010;                // CRYPT_E_REVOKED
constexpr std::uint32_t kSecuritySettings = 0x80092026;       // CRYPT_E_SECURITY_SETTINGS
// CERT_E_EXPIRED (0x800B0101) to CERT_E_INVALID_NAME (0x800B0114): every
// certificate and chain failure the platform reports in that range.
constexpr std::uint32_t kCertFirst = 0x800B0101;
constexpr std::uint32_t kCertLast = 0x800B0114;
}  // namespace

bool LooksUnsigned(std::uint32_t result) { return result == kTrustNoSignature || result == kSubjectFormUnknown; }

Answer AnswerOf(std::uint32_t result) {
  if (result == 0) return Answer::Signed;
  if (LooksUnsigned(result)) return Answer::NotSigned;
  if (result == kBadDigest) return Answer::BadDigest;
  if (result >= kCertFirst && result <= kCertLast) return Answer::SignedNotTrusted;
  switch (result) {
    case kSubjectNotTrusted:
    case kExplicitDistrust:
    case kCertSignature:
    case kTimeStamp:
    case kBasicConstraints:
    case kFinancialCriteria:
    case kRevoked:
    case kSecuritySettings:
      return Answer::SignedNotTrusted;
    default:
      return Answer::NotChecked;
  }
}

std::wstring ResultCodeText(std::uint32_t result) {
  static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
  std::wstring text = L"0x";
  for (int shift = 28; shift >= 0; shift -= 4) text.push_back(kDigits[(result >> shift) & 0xF]);
  return text;
}

namespace {
std::wstring Fill(const std::wstring& pattern, const std::wstring& signer, const std::wstring& code) {
  std::wstring out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == L'%' && i + 1 < pattern.size() && (pattern[i + 1] == L'1' || pattern[i + 1] == L'2')) {
      out += pattern[i + 1] == L'1' ? signer : code;
      ++i;
    } else {
      out.push_back(pattern[i]);
    }
  }
  return out;
}
}  // namespace

std::wstring AnswerText(std::uint32_t result, const std::wstring& signer, const AnswerTexts& texts) {
  const std::wstring name = signer.empty() ? texts.unknownSigner : signer;
  const std::wstring code = ResultCodeText(result);
  switch (AnswerOf(result)) {
    case Answer::Signed: return Fill(texts.signedBy, name, code);
    case Answer::NotSigned: return Fill(texts.notSigned, name, code);
    case Answer::BadDigest: return Fill(texts.badDigest, name, code);
    case Answer::SignedNotTrusted: return Fill(texts.signedNotTrusted, name, code);
    case Answer::NotChecked: break;
  }
  return Fill(texts.notChecked, name, code);
}

}  // namespace discovery::trust
