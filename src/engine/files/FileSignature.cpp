#include "engine/files/FileSignature.h"

// clang-format off
#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>
#include <mscat.h>
// clang-format on

#include <cstring>
#include <vector>

#include "engine/files/LiveFileSource.h"
#include "engine/files/TrustAnswer.h"

namespace discovery {

namespace {

// The catalog administrator and one catalog it found, released together.
class CatalogAdmin {
 public:
  CatalogAdmin() {
    if (!CryptCATAdminAcquireContext(&admin_, nullptr, 0)) admin_ = nullptr;
  }
  ~CatalogAdmin() {
    if (catalog_) CryptCATAdminReleaseCatalogContext(admin_, catalog_, 0);
    if (admin_) CryptCATAdminReleaseContext(admin_, 0);
  }
  CatalogAdmin(const CatalogAdmin&) = delete;
  CatalogAdmin& operator=(const CatalogAdmin&) = delete;
  HCATADMIN get() const { return admin_; }
  // The first catalog that lists the hash; false when none does.
  bool FindCatalog(std::vector<BYTE>& hash, std::wstring& catalogFile) {
    if (!admin_) return false;
    catalog_ = CryptCATAdminEnumCatalogFromHash(admin_, hash.data(), static_cast<DWORD>(hash.size()), 0, nullptr);
    if (!catalog_) return false;
    CATALOG_INFO info{};
    info.cbStruct = sizeof info;
    if (!CryptCATCatalogInfoFromContext(catalog_, &info, 0)) return false;
    catalogFile.assign(info.wszCatalogFile);
    return !catalogFile.empty();
  }

 private:
  HCATADMIN admin_ = nullptr;
  HCATINFO catalog_ = nullptr;
};

std::wstring CertificateName(PCCERT_CONTEXT cert) {
  if (!cert) return {};
  const DWORD size = CertGetNameStringW(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
  if (size <= 1 || size > 4096) return {};
  std::wstring name(size, L'\0');
  const DWORD written = CertGetNameStringW(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name.data(), size);
  if (written <= 1 || written > size) return {};
  name.resize(written - 1);
  return name;
}

std::wstring SignerOf(HANDLE stateData) {
  if (!stateData) return {};
  CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(stateData);
  if (!provider) return {};
  CRYPT_PROVIDER_SGNR* signer = WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0);
  if (!signer || signer->csCertChain == 0 || !signer->pasCertChain) return {};
  return CertificateName(signer->pasCertChain[0].pCert);
}

// One verification with the state kept long enough to read the signer,
// then closed.
SignatureCheck Verify(WINTRUST_DATA& data) {
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  // Revocation is never fetched while listing: only what is cached counts.
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL | WTD_REVOCATION_CHECK_NONE;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  SignatureCheck check;
  const HWND noWindow = static_cast<HWND>(INVALID_HANDLE_VALUE);
  check.result = static_cast<std::uint32_t>(WinVerifyTrust(noWindow, &action, &data));
  check.signer = SignerOf(data.hWVTStateData);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(noWindow, &action, &data);
  return check;
}

SignatureCheck VerifyEmbedded(const std::wstring& path, HANDLE file) {
  WINTRUST_FILE_INFO info{};
  info.cbStruct = sizeof info;
  info.pcwszFilePath = path.c_str();
  info.hFile = file;
  WINTRUST_DATA data{};
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &info;
  return Verify(data);
}

std::wstring HexOf(const std::vector<BYTE>& bytes) {
  static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
  std::wstring text;
  text.reserve(bytes.size() * 2);
  for (BYTE b : bytes) {
    text.push_back(kDigits[b >> 4]);
    text.push_back(kDigits[b & 0xF]);
  }
  return text;
}

// The system's catalogs: a file signed through one has no signature of
// its own. Nothing found keeps the first answer.
SignatureCheck VerifyByCatalog(const std::wstring& path, HANDLE file, const SignatureCheck& embedded) {
  CatalogAdmin admin;
  if (!admin.get()) return embedded;
  DWORD size = 0;
  CryptCATAdminCalcHashFromFileHandle(file, &size, nullptr, 0);
  if (size == 0 || size > 256) return embedded;
  std::vector<BYTE> hash(size);
  if (!CryptCATAdminCalcHashFromFileHandle(file, &size, hash.data(), 0) || size != hash.size()) return embedded;
  std::wstring catalogFile;
  if (!admin.FindCatalog(hash, catalogFile)) return embedded;
  const std::wstring tag = HexOf(hash);
  WINTRUST_CATALOG_INFO info{};
  info.cbStruct = sizeof info;
  info.pcwszCatalogFilePath = catalogFile.c_str();
  info.pcwszMemberFilePath = path.c_str();
  info.pcwszMemberTag = tag.c_str();
  info.hMemberFile = file;
  info.pbCalculatedFileHash = hash.data();
  info.cbCalculatedFileHash = size;
  WINTRUST_DATA data{};
  data.dwUnionChoice = WTD_CHOICE_CATALOG;
  data.pCatalog = &info;
  return Verify(data);
}

}  // namespace

SignatureCheck CheckOwnSignature(const std::wstring& label, HANDLE file) { return VerifyEmbedded(label, file); }

SignatureSubject::SignatureSubject(const std::wstring& path)
    : path_(path),
      file_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr)) {
  if (!file_) openError_ = static_cast<std::uint32_t>(HRESULT_FROM_WIN32(GetLastError()));
}

std::optional<FileIdentity> SignatureSubject::Identity() const {
  if (!file_) return std::nullopt;
  return engine::IdentityOfHandle(file_.get());
}

SignatureCheck SignatureSubject::Check() const {
  if (!file_) {
    SignatureCheck failed;
    failed.result = openError_;
    return failed;
  }
  SetFilePointer(file_.get(), 0, nullptr, FILE_BEGIN);
  SignatureCheck embedded = VerifyEmbedded(path_, file_.get());
  if (!trust::LooksUnsigned(embedded.result)) return embedded;
  SetFilePointer(file_.get(), 0, nullptr, FILE_BEGIN);
  return VerifyByCatalog(path_, file_.get(), embedded);
}

SignatureCheck CheckFileSignature(const std::wstring& path) { return SignatureSubject(path).Check(); }

}  // namespace discovery
