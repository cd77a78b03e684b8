#pragma once
// Files in memory of which only drive C: is the source's, keeping every
// path asked of them: what the code under test opened, or tried to.
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/files/MemoryFileSource.h"

namespace qlmtest {

class AskedFileSource final : public engine::FileSource {
 public:
  engine::MemoryFileSource files;
  std::vector<std::wstring> asked;

  std::optional<engine::FileStat> Facts(const std::wstring& path) override {
    asked.push_back(path);
    return files.Facts(path);
  }
  std::unique_ptr<engine::OpenFile> Open(const std::wstring& path) override {
    asked.push_back(path);
    return files.Open(path);
  }
  std::optional<std::vector<engine::FolderEntry>> List(const std::wstring& folder) override {
    asked.push_back(folder);
    return files.List(folder);
  }
  bool HoldsDrive(wchar_t letter) const override { return letter == L'C'; }
};

// The bytes of a file on this machine (a seed), empty when it is missing.
inline std::vector<std::uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace qlmtest
