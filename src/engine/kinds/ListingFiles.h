#pragma once
// The machine's files as one listing sees them: whether a path names a
// file is asked once in the listing, and the routine's version reading,
// the signature check and the hash all take that answer (a file left
// behind by an uninstaller is looked for once, not three times). A file
// that is not there has no version strings to read. Everything else is
// asked of the machine's files each time. Made for one listing and dropped
// with it: the next listing asks again, so a file that appears or goes
// between listings is seen. Platform-free.
#include <string>
#include <unordered_map>

#include "engine/kinds/AddonEntry.h"

namespace discovery {

class ListingFiles final : public engine::FileFacts {
 public:
  // machine must outlive this object.
  explicit ListingFiles(engine::MachineSources& machine);

  // The machine's sources with these files in place of its own.
  engine::MachineSources& Sources() { return sources_; }

  std::wstring Expand(const std::wstring& text, bool as32BitProcess) override;
  engine::PathKind Kind(const std::wstring& fileString) override;
  std::wstring Resolve(const std::wstring& fileString, bool as32BitProcess) override;
  bool Exists(const std::wstring& path) override;
  CStringDictionary VersionStrings(const std::wstring& file) override;
  std::wstring IndirectString(const std::wstring& text, bool as32BitProcess) override;
  std::wstring SystemFolder(bool as32BitProcess) override;
  std::wstring SignatureText(const std::wstring& file) override;
  std::unique_ptr<engine::OpenFile> OpenForReading(const std::wstring& file) override;
  engine::KeptDigests* DigestsKept() override;

 private:
  engine::FileFacts& files_;
  engine::MachineSources sources_;
  std::unordered_map<std::wstring, bool> exists_;
};

}  // namespace discovery
