#include "engine/kinds/ListingFiles.h"

namespace discovery {

ListingFiles::ListingFiles(engine::MachineSources& machine)
    : files_(machine.files),
      sources_{machine.registry,    *this,         machine.accountName, machine.classesUser,
               machine.views,       machine.usersNotSignedIn} {}

std::wstring ListingFiles::Expand(const std::wstring& text, bool as32BitProcess) {
  return files_.Expand(text, as32BitProcess);
}

engine::PathKind ListingFiles::Kind(const std::wstring& fileString) { return files_.Kind(fileString); }

std::wstring ListingFiles::Resolve(const std::wstring& fileString, bool as32BitProcess) {
  return files_.Resolve(fileString, as32BitProcess);
}

bool ListingFiles::Exists(const std::wstring& path) {
  const auto it = exists_.find(path);
  if (it != exists_.end()) return it->second;
  return exists_.emplace(path, files_.Exists(path)).first->second;
}

CStringDictionary ListingFiles::VersionStrings(const std::wstring& file) {
  if (!Exists(file)) return CStringDictionary();
  return files_.VersionStrings(file);
}

std::wstring ListingFiles::IndirectString(const std::wstring& text, bool as32BitProcess) {
  return files_.IndirectString(text, as32BitProcess);
}

std::wstring ListingFiles::SystemFolder(bool as32BitProcess) { return files_.SystemFolder(as32BitProcess); }

std::wstring ListingFiles::SignatureText(const std::wstring& file) { return files_.SignatureText(file); }

std::unique_ptr<engine::OpenFile> ListingFiles::OpenForReading(const std::wstring& file) {
  return files_.OpenForReading(file);
}

engine::KeptDigests* ListingFiles::DigestsKept() { return files_.DigestsKept(); }

}  // namespace discovery
