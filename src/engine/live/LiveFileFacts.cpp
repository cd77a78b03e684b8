#include "engine/live/LiveFileFacts.h"

#include <windows.h>

#include "core/Strings.h"
#include "engine/files/FileGate.h"
#include "engine/files/FileResolver.h"
#include "engine/files/FileSignature.h"
#include "engine/files/LiveFileSource.h"
#include "engine/files/TrustAnswer.h"
#include "ozcore/CRegistry.h"
#include "ozcore/CUtilities.h"

namespace engine {

namespace {
const discovery::trust::AnswerTexts& SignatureTexts() {
  static const discovery::trust::AnswerTexts texts{
      LoadStr(IDS_SIGNED_BY),          LoadStr(IDS_NOT_SIGNED),           LoadStr(IDS_SIGNATURE_BAD_DIGEST),
      LoadStr(IDS_SIGNED_NOT_TRUSTED), LoadStr(IDS_SIGNATURE_NOT_CHECKED), LoadStr(IDS_SIGNER_UNKNOWN)};
  return texts;
}

// A 32-bit process's reading exists only where the machine has one.
bool As32(bool as32BitProcess) { return as32BitProcess && CRegistry::HasWow32View(); }
}  // namespace

LiveFileFacts::LiveFileFacts(FileResolver& resolver) : resolver_(resolver) {}

std::wstring LiveFileFacts::Expand(const std::wstring& text, bool as32BitProcess) {
  return CUtilities::ExpandVariables(text, As32(as32BitProcess));
}

PathKind LiveFileFacts::Kind(const std::wstring& fileString) { return discovery::FileGate::Kind(fileString); }

std::wstring LiveFileFacts::Resolve(const std::wstring& fileString, bool as32BitProcess) {
  return resolver_.GetFullFileNameFromShortFilename(fileString, As32(as32BitProcess));
}

bool LiveFileFacts::Exists(const std::wstring& path) { return discovery::FileGate::FileExists(path); }

CStringDictionary LiveFileFacts::VersionStrings(const std::wstring& file) {
  return discovery::FileGate::VersionStrings(file);
}

std::wstring LiveFileFacts::IndirectString(const std::wstring& text, bool as32BitProcess) {
  return discovery::FileGate::IndirectString(text, As32(as32BitProcess));
}

std::wstring LiveFileFacts::SystemFolder(bool as32BitProcess) {
  if (!foldersRead_) {
    foldersRead_ = true;
    wchar_t buf[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(buf, MAX_PATH);
    if (n > 0 && n < MAX_PATH) systemFolder_.assign(buf, n);
    wchar_t wow[MAX_PATH] = {};
    const UINT w = GetSystemWow64DirectoryW(wow, MAX_PATH);
    if (w > 0 && w < MAX_PATH) wow32SystemFolder_.assign(wow, w);
  }
  return As32(as32BitProcess) ? wow32SystemFolder_ : systemFolder_;
}

std::wstring LiveFileFacts::SignatureText(const std::wstring& file) {
  const discovery::SignatureSubject subject(file);
  // Checked in an earlier listing and the same file unchanged since: the
  // same answer.
  const std::optional<discovery::FileIdentity> identity = subject.Identity();
  if (identity)
    if (const std::wstring* known = resolver_.KnownSignature(file, *identity)) return *known;
  const discovery::SignatureCheck check = subject.Check();
  std::wstring text = discovery::trust::AnswerText(check.result, check.signer, SignatureTexts());
  if (identity) resolver_.KeepSignature(file, *identity, text);
  return text;
}

std::wstring ImageFileSignatureText(OpenFile* file) {
  const HANDLE handle = file ? static_cast<HANDLE>(NativeHandleOf(*file)) : nullptr;
  if (!handle) return LoadStr(IDS_SIGNATURE_READ_ERROR);
  const discovery::SignatureCheck check = discovery::CheckOwnSignature(L"image file", handle);
  if (discovery::trust::LooksUnsigned(check.result)) return LoadStr(IDS_IMAGE_NOT_SIGNED);
  return discovery::trust::AnswerText(check.result, check.signer, SignatureTexts());
}

// The live file source refuses network and device paths and links itself.
std::unique_ptr<OpenFile> LiveFileFacts::OpenForReading(const std::wstring& file) { return LiveFileSource().Open(file); }

KeptDigests* LiveFileFacts::DigestsKept() { return &resolver_.Digests(); }

}  // namespace engine
