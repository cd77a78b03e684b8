#include "engine/files/AuthenticodeOpenSsl.h"

#include <openssl/asn1.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/objects.h>
#include <openssl/pkcs7.h>
#include <openssl/x509.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <optional>

#include "ozcore/Utf8Text.h"

namespace engine::authenticode {

namespace {

template <auto Free>
struct Freer {
  template <typename T>
  void operator()(T* p) const {
    Free(p);
  }
};
template <typename T, auto Free>
using Owned = std::unique_ptr<T, Freer<Free>>;

void FreeTypes(STACK_OF(ASN1_TYPE) * types) { sk_ASN1_TYPE_pop_free(types, ASN1_TYPE_free); }
void FreeCertList(STACK_OF(X509) * certs) { sk_X509_free(certs); }  // the certificates are the SignedData's
void FreeBytes(unsigned char* bytes) { OPENSSL_free(bytes); }
using Types = Owned<STACK_OF(ASN1_TYPE), FreeTypes>;

// The indirect data's content type and the kind of data it describes.
constexpr const char* kIndirectDataOid = "1.3.6.1.4.1.311.2.1.4";
constexpr const char* kPeImageDataOid = "1.3.6.1.4.1.311.2.1.15";

bool IsObject(const ASN1_OBJECT* object, const char* oid) {
  const Owned<ASN1_OBJECT, ASN1_OBJECT_free> wanted(OBJ_txt2obj(oid, 1));
  return object && wanted && OBJ_cmp(object, wanted.get()) == 0;
}

// The items of a DER SEQUENCE that is exactly size bytes long.
Types SequenceItems(const unsigned char* der, long size) {
  const unsigned char* at = der;
  Types items(d2i_ASN1_SEQUENCE_ANY(nullptr, &at, size));
  return items && at == der + size ? std::move(items) : nullptr;
}

const ASN1_STRING* SequenceAt(const STACK_OF(ASN1_TYPE) * items, int index) {
  if (sk_ASN1_TYPE_num(items) <= index) return nullptr;
  const ASN1_TYPE* item = sk_ASN1_TYPE_value(items, index);
  return item && item->type == V_ASN1_SEQUENCE ? item->value.sequence : nullptr;
}

struct IndirectData {
  const EVP_MD* algorithm = nullptr;
  std::vector<unsigned char> digest;
  // What the signer's message digest is taken over: the content's value,
  // without its own tag and length.
  const unsigned char* body = nullptr;
  long bodySize = 0;
};

// The digest the SignedData holds for the file: { { PE image data, ... },
// DigestInfo { algorithm, digest } }.
std::optional<IndirectData> ReadIndirectData(const PKCS7& p7) {
  const PKCS7* content = p7.d.sign ? p7.d.sign->contents : nullptr;
  if (!content || !IsObject(content->type, kIndirectDataOid)) return std::nullopt;
  const ASN1_TYPE* value = content->d.other;
  if (!value || value->type != V_ASN1_SEQUENCE || !value->value.sequence) return std::nullopt;
  const unsigned char* der = ASN1_STRING_get0_data(value->value.sequence);
  const long size = ASN1_STRING_length(value->value.sequence);
  IndirectData data;
  data.body = der;
  int tag = 0, kind = 0;
  const int form = ASN1_get_object(&data.body, &data.bodySize, &tag, &kind, size);
  if (form != V_ASN1_CONSTRUCTED || tag != V_ASN1_SEQUENCE || data.body - der + data.bodySize != size)
    return std::nullopt;
  const Types items = SequenceItems(der, size);
  const ASN1_STRING* described = items ? SequenceAt(items.get(), 0) : nullptr;
  const ASN1_STRING* digestInfo = items ? SequenceAt(items.get(), 1) : nullptr;
  if (!described || !digestInfo) return std::nullopt;
  const Types what = SequenceItems(ASN1_STRING_get0_data(described), ASN1_STRING_length(described));
  const ASN1_TYPE* type = what && sk_ASN1_TYPE_num(what.get()) > 0 ? sk_ASN1_TYPE_value(what.get(), 0) : nullptr;
  if (!type || type->type != V_ASN1_OBJECT || !IsObject(type->value.object, kPeImageDataOid)) return std::nullopt;
  const unsigned char* at = ASN1_STRING_get0_data(digestInfo);
  const Owned<X509_SIG, X509_SIG_free> info(d2i_X509_SIG(nullptr, &at, ASN1_STRING_length(digestInfo)));
  if (!info) return std::nullopt;
  const X509_ALGOR* algorithm = nullptr;
  const ASN1_OCTET_STRING* digest = nullptr;
  X509_SIG_get0(info.get(), &algorithm, &digest);
  const ASN1_OBJECT* algorithmId = nullptr;
  X509_ALGOR_get0(&algorithmId, nullptr, nullptr, algorithm);
  data.algorithm = algorithmId ? EVP_get_digestbyobj(algorithmId) : nullptr;
  if (!data.algorithm || !digest || ASN1_STRING_length(digest) != EVP_MD_get_size(data.algorithm)) return std::nullopt;
  data.digest.assign(ASN1_STRING_get0_data(digest), ASN1_STRING_get0_data(digest) + ASN1_STRING_length(digest));
  return data;
}

// The file's digest with the algorithm named; nothing when the file could not be read.
std::optional<std::vector<unsigned char>> FileDigest(const EVP_MD* algorithm, const DigestFeed& feed) {
  const Owned<EVP_MD_CTX, EVP_MD_CTX_free> context(EVP_MD_CTX_new());
  if (!context || EVP_DigestInit_ex(context.get(), algorithm, nullptr) != 1) return std::nullopt;
  bool updated = true;
  const bool read = feed([&](const std::uint8_t* data, std::size_t size) {
    updated = updated && EVP_DigestUpdate(context.get(), data, size) == 1;
  });
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (!read || !updated || EVP_DigestFinal_ex(context.get(), out, &length) != 1) return std::nullopt;
  return std::vector<unsigned char>(out, out + length);
}

// The first of the subject's common name, organisational unit,
// organisation and e-mail address that has any characters before a NUL.
std::wstring SubjectName(X509* certificate) {
  const X509_NAME* subject = X509_get_subject_name(certificate);
  for (const int nid : {NID_commonName, NID_organizationalUnitName, NID_organizationName, NID_pkcs9_emailAddress}) {
    const int index = X509_NAME_get_index_by_NID(subject, nid, -1);
    if (index < 0) continue;
    unsigned char* utf8 = nullptr;
    const int length = ASN1_STRING_to_UTF8(&utf8, X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, index)));
    if (length < 0) continue;
    const Owned<unsigned char, FreeBytes> owned(utf8);
    std::string text(reinterpret_cast<const char*>(utf8), static_cast<std::size_t>(length));
    text.resize(std::min(text.size(), text.find('\0')));
    if (!text.empty()) return utf8text::FromUtf8(text);
  }
  return {};
}

}  // namespace

Finding CheckWithOpenSsl(const std::vector<std::uint8_t>& signedData, const DigestFeed& feed) {
  // OpenSSL keeps its reasons on a per-thread queue: none is left behind.
  struct ClearErrors {
    ~ClearErrors() { ERR_clear_error(); }
  } clearErrors;
  if (signedData.empty() || signedData.size() > LONG_MAX) return {Verdict::Malformed, {}};
  const unsigned char* at = signedData.data();
  const Owned<PKCS7, PKCS7_free> p7(d2i_PKCS7(nullptr, &at, static_cast<long>(signedData.size())));
  if (!p7 || !PKCS7_type_is_signed(p7.get())) return {Verdict::Malformed, {}};
  const auto indirect = ReadIndirectData(*p7);
  STACK_OF(PKCS7_SIGNER_INFO)* infos = PKCS7_get_signer_info(p7.get());
  if (!indirect || !infos || sk_PKCS7_SIGNER_INFO_num(infos) != 1) return {Verdict::Malformed, {}};
  const Owned<STACK_OF(X509), FreeCertList> signers(PKCS7_get0_signers(p7.get(), nullptr, 0));
  if (!signers || sk_X509_num(signers.get()) != 1) return {Verdict::Malformed, {}};

  const auto digest = FileDigest(indirect->algorithm, feed);
  if (!digest) return {Verdict::Unreadable, {}};
  if (*digest != indirect->digest) return {Verdict::DoesNotMatch, {}};
  // The signed attributes' digest of the indirect data and the signature
  // over them; the chain is not asked for (PKCS7_NOVERIFY).
  // The content behind a pass-through filter: PKCS7_verify copies a bare
  // memory BIO into one of its own, and leaks that copy on some malformed
  // signatures.
  BIO* content = BIO_new_mem_buf(indirect->body, static_cast<int>(indirect->bodySize));
  BIO* filter = content ? BIO_new(BIO_f_null()) : nullptr;
  if (!filter) BIO_free(content);
  const Owned<BIO, BIO_free_all> body(filter ? BIO_push(filter, content) : nullptr);
  const Owned<X509_STORE, X509_STORE_free> noTrust(X509_STORE_new());
  if (!body || !noTrust) return {Verdict::Unreadable, {}};
  if (PKCS7_verify(p7.get(), nullptr, noTrust.get(), body.get(), nullptr, PKCS7_NOVERIFY) != 1)
    return {Verdict::DoesNotMatch, {}};
  return {Verdict::Signed, SubjectName(sk_X509_value(signers.get(), 0))};
}

}  // namespace engine::authenticode
