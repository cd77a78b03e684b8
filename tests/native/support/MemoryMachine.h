#pragma once
// A whole machine in memory for the engine's tests: a registry, files with
// version strings, string tables and signatures, environment variables and
// account names. What a test puts in is all there is.
#include <map>
#include <string>

#include "engine/kinds/AddonEntry.h"
#include "engine/sources/MemoryRegistry.h"

namespace qlmtest {

struct MemoryFile {
  std::map<std::wstring, std::wstring> versionStrings;
  std::map<std::uint32_t, std::wstring> strings;  // the string table
  std::wstring signature = L"Not signed";
};

class MemoryFiles final : public engine::FileFacts {
 public:
  using File = MemoryFile;
  // Full paths, compared without regard to ASCII letter case.
  void Add(const std::wstring& path, File file);
  void Add(const std::wstring& path) { Add(path, File{}); }
  void SetVariable(const std::wstring& name, const std::wstring& value, bool for32BitProcess = false);

  std::wstring Expand(const std::wstring& text, bool as32BitProcess) override;
  engine::PathKind Kind(const std::wstring& fileString) override;
  // A full path as written (when it exists, in its stored case); a bare
  // name from the system folder of the process's kind.
  std::wstring Resolve(const std::wstring& fileString, bool as32BitProcess) override;
  bool Exists(const std::wstring& path) override;
  CStringDictionary VersionStrings(const std::wstring& file) override;
  std::wstring IndirectString(const std::wstring& text, bool as32BitProcess) override;
  std::wstring SystemFolder(bool as32BitProcess) override;
  std::wstring SignatureText(const std::wstring& file) override;

  static constexpr const wchar_t* kSystem = L"C:\\Windows\\system32";
  static constexpr const wchar_t* kSystem32Bit = L"C:\\Windows\\SysWOW64";

 private:
  const File* Find(const std::wstring& path, std::wstring* storedPath = nullptr) const;
  std::map<std::wstring, std::pair<std::wstring, File>> files_;  // upper-case path -> path, file
  std::map<std::wstring, std::wstring> variables_, variables32_;
};

struct MemoryMachine {
  engine::MemoryRegistry registry;
  MemoryFiles files;
  std::map<std::wstring, std::wstring> accounts;  // SID -> account name
  engine::MachineSources sources{registry, files,
                                 [this](const std::wstring& sid) {
                                   const auto it = accounts.find(sid);
                                   return it == accounts.end() ? std::wstring() : it->second;
                                 },
                                 L"", {RegView::Native, RegView::Wow32}, {}};
};

}  // namespace qlmtest
