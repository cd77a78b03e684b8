// What the platform's trust check answers, shown as one of the program's
// texts; the codes are injected, as Wine's provider never gives most.
#include <gtest/gtest.h>

#include "engine/files/TrustAnswer.h"

using namespace discovery::trust;

TEST(NativeTrustAnswer, EveryPlatformAnswerMapsToOneText) {
  const AnswerTexts texts{L"Signed by %1", L"Not signed", L"Signature does not match the file",
                          L"Signed by %1, not trusted", L"Not checked (error %2)", L"(unknown signer)"};
  struct Case {
    std::uint32_t code;
    const wchar_t* signer;
    Answer answer;
    const wchar_t* text;
  };
  const Case cases[] = {
      {0x00000000, L"Quill Test", Answer::Signed, L"Signed by Quill Test"},
      {0x00000000, L"", Answer::Signed, L"Signed by (unknown signer)"},
      {0x800B0100, L"", Answer::NotSigned, L"Not signed"},                              // TRUST_E_NOSIGNATURE
      {0x800B0003, L"", Answer::NotSigned, L"Not signed"},                              // TRUST_E_SUBJECT_FORM_UNKNOWN
      {0x80096010, L"Quill Test", Answer::BadDigest, L"Signature does not match the file"},  // TRUST_E_BAD_DIGEST
      {0x800B0109, L"Quill Test", Answer::SignedNotTrusted, L"Signed by Quill Test, not trusted"},  // CERT_E_UNTRUSTEDROOT
      {0x800B0101, L"Old Co", Answer::SignedNotTrusted, L"Signed by Old Co, not trusted"},  // CERT_E_EXPIRED
      {0x80092010, L"Gone Co", Answer::SignedNotTrusted, L"Signed by Gone Co, not trusted"},  // CRYPT_E_REVOKED
      {0x800B0004, L"", Answer::SignedNotTrusted, L"Signed by (unknown signer), not trusted"},  // SUBJECT_NOT_TRUSTED
      {0x80096004, L"X", Answer::SignedNotTrusted, L"Signed by X, not trusted"},   // TRUST_E_CERT_SIGNATURE
      {0x800B0114, L"X", Answer::SignedNotTrusted, L"Signed by X, not trusted"},   // last of the CERT_E_ range
      // Failures of the check itself are never passed off as "not signed".
      {0x80070002, L"", Answer::NotChecked, L"Not checked (error 0x80070002)"},  // file not found
      {0x80070005, L"", Answer::NotChecked, L"Not checked (error 0x80070005)"},  // access denied
      {0x800B0001, L"", Answer::NotChecked, L"Not checked (error 0x800B0001)"},  // TRUST_E_PROVIDER_UNKNOWN
      {0x800B0115, L"", Answer::NotChecked, L"Not checked (error 0x800B0115)"},  // past the CERT_E_ range
      {0x00000001, L"", Answer::NotChecked, L"Not checked (error 0x00000001)"},  // S_FALSE is no success here
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AnswerOf(c.code), c.answer) << ResultCodeText(c.code);
    EXPECT_EQ(AnswerText(c.code, c.signer, texts), c.text) << ResultCodeText(c.code);
  }
  // A signer's name holding a marker stays as it is.
  EXPECT_EQ(AnswerText(0, L"%2 %1", texts), L"Signed by %2 %1");
}
