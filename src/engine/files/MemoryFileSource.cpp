#include "engine/files/MemoryFileSource.h"

#include <algorithm>

#include "ozcore/CaseFold.h"

namespace engine {

namespace {

std::vector<std::wstring> SplitPath(const std::wstring& path) {
  std::vector<std::wstring> parts;
  std::wstring part;
  for (const wchar_t c : path) {
    if (c != L'\\' && c != L'/') {
      part.push_back(c);
      continue;
    }
    if (!part.empty()) parts.push_back(std::move(part));
    part.clear();
  }
  if (!part.empty()) parts.push_back(std::move(part));
  return parts;
}

std::wstring FoldedJoin(const std::vector<std::wstring>& parts, std::size_t count) {
  std::wstring out;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) out.push_back(L'\\');
    out += FoldCase(parts[i]);
  }
  return out;
}

class MemoryOpenFile final : public OpenFile {
 public:
  explicit MemoryOpenFile(std::shared_ptr<const std::vector<std::uint8_t>> bytes) : bytes_(std::move(bytes)) {}
  std::uint64_t Size() const override { return bytes_->size(); }
  std::optional<std::vector<std::uint8_t>> Read(std::uint64_t offset, std::size_t length) override {
    if (length > kMaxFileReadBytes) return std::nullopt;
    if (offset >= bytes_->size()) return std::vector<std::uint8_t>();
    const auto start = static_cast<std::size_t>(offset);
    const std::size_t count = std::min(length, bytes_->size() - start);
    return std::vector<std::uint8_t>(bytes_->begin() + static_cast<std::ptrdiff_t>(start),
                                     bytes_->begin() + static_cast<std::ptrdiff_t>(start + count));
  }

 private:
  std::shared_ptr<const std::vector<std::uint8_t>> bytes_;
};

}  // namespace

std::wstring MemoryFileSource::MakeFolders(const std::vector<std::wstring>& parts, std::size_t count) {
  std::wstring parent;
  for (std::size_t i = 0; i < count; ++i) {
    std::wstring key = FoldedJoin(parts, i + 1);
    Node& node = nodes_[key];
    if (node.name.empty()) node = Node{parts[i], parent, true, nullptr, {}};
    parent = std::move(key);
  }
  return parent;
}

void MemoryFileSource::AddFile(const std::wstring& path, std::vector<std::uint8_t> bytes, FileTimes times) {
  const auto parts = SplitPath(path);
  if (parts.empty()) return;
  const std::wstring parent = MakeFolders(parts, parts.size() - 1);
  nodes_[FoldedJoin(parts, parts.size())] =
      Node{parts.back(), parent, false, std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes)), times};
}

void MemoryFileSource::AddFolder(const std::wstring& path) {
  const auto parts = SplitPath(path);
  MakeFolders(parts, parts.size());
}

const MemoryFileSource::Node* MemoryFileSource::Find(const std::wstring& path) const {
  const auto parts = SplitPath(path);
  if (parts.empty()) return nullptr;
  const auto it = nodes_.find(FoldedJoin(parts, parts.size()));
  return it == nodes_.end() ? nullptr : &it->second;
}

std::optional<FileStat> MemoryFileSource::Facts(const std::wstring& path) {
  const Node* node = Find(path);
  if (node == nullptr || node->isFolder) return std::nullopt;
  return FileStat{node->bytes->size(), node->times};
}

std::unique_ptr<OpenFile> MemoryFileSource::Open(const std::wstring& path) {
  const Node* node = Find(path);
  if (node == nullptr || node->isFolder) return nullptr;
  return std::make_unique<MemoryOpenFile>(node->bytes);
}

std::optional<std::vector<FolderEntry>> MemoryFileSource::List(const std::wstring& folder) {
  const auto parts = SplitPath(folder);
  const std::wstring key = FoldedJoin(parts, parts.size());
  const Node* self = Find(folder);
  if (self == nullptr || !self->isFolder) return std::nullopt;
  std::vector<FolderEntry> entries;
  for (const auto& [path, node] : nodes_) {
    if (node.parent != key) continue;
    if (entries.size() == kMaxFolderEntries) break;
    entries.push_back(FolderEntry{node.name, node.isFolder});
  }
  return entries;
}

}  // namespace engine
