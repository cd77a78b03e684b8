#pragma once
// Files held in memory: the source the engine's tests read from. Paths
// compare without regard to letter case, "/" counts as "\", and repeated
// or trailing separators are dropped. Platform-free.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/files/FileSource.h"

namespace engine {

class MemoryFileSource final : public FileSource {
 public:
  // Adds a file (replacing one at that path) and every folder on its way.
  void AddFile(const std::wstring& path, std::vector<std::uint8_t> bytes, FileTimes times = {});
  // Adds a folder and every folder on its way.
  void AddFolder(const std::wstring& path);

  std::optional<FileStat> Facts(const std::wstring& path) override;
  std::unique_ptr<OpenFile> Open(const std::wstring& path) override;
  std::optional<std::vector<FolderEntry>> List(const std::wstring& folder) override;

 private:
  struct Node {
    std::wstring name;    // as added
    std::wstring parent;  // folded path of the folder holding it
    bool isFolder = true;
    std::shared_ptr<const std::vector<std::uint8_t>> bytes;
    FileTimes times;
  };
  // Makes the folders of parts [0, count) and gives the folded path of the
  // last one.
  std::wstring MakeFolders(const std::vector<std::wstring>& parts, std::size_t count);
  const Node* Find(const std::wstring& path) const;

  std::map<std::wstring, Node> nodes_;  // by folded path
};

}  // namespace engine
