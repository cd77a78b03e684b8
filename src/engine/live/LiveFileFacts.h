#pragma once
// The running machine's files as the listing sees them: through the file
// gate (no network or device path opened), the file resolver whose answers
// outlive a listing, and the platform's signature check.
#include "engine/files/FileFacts.h"
#include "engine/files/FileSource.h"

class FileResolver;

namespace engine {

class LiveFileFacts final : public FileFacts {
 public:
  explicit LiveFileFacts(FileResolver& resolver);

  std::wstring Expand(const std::wstring& text, bool as32BitProcess) override;
  PathKind Kind(const std::wstring& fileString) override;
  std::wstring Resolve(const std::wstring& fileString, bool as32BitProcess) override;
  bool Exists(const std::wstring& path) override;
  CStringDictionary VersionStrings(const std::wstring& file) override;
  std::wstring IndirectString(const std::wstring& text, bool as32BitProcess) override;
  std::wstring SystemFolder(bool as32BitProcess) override;
  std::wstring SignatureText(const std::wstring& file) override;
  std::unique_ptr<OpenFile> OpenForReading(const std::wstring& file) override;
  // Kept by the resolver, which outlives the listing: a later listing
  // reads only files that changed.
  KeptDigests* DigestsKept() override;

 private:
  FileResolver& resolver_;
  bool foldersRead_ = false;
  std::wstring systemFolder_, wow32SystemFolder_;
};

// The text of the platform's check of a file of an offline image, opened
// by a live file source: its own signature only (the image's catalogs are
// not consulted, and the text says so where that is the answer).
std::wstring ImageFileSignatureText(OpenFile* file);

}  // namespace engine
