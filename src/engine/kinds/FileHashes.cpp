#include "engine/kinds/FileHashes.h"

#include "core/Strings.h"
#include "engine/files/Sha256.h"

namespace discovery {

namespace {

// Pieces small enough to keep memory flat whatever the file's size.
constexpr std::size_t kPiece = 1024 * 1024;

// The digest of every byte of the open file; nothing when a read fails or
// the file's length changes under the reading.
std::optional<std::wstring> Digest(engine::OpenFile& file) {
  const auto digest = engine::NewSha256();
  if (!digest) return std::nullopt;
  const std::uint64_t size = file.Size();
  for (std::uint64_t at = 0; at < size;) {
    const auto piece = file.Read(at, kPiece);
    if (!piece || piece->empty() || !digest->Add(piece->data(), piece->size())) return std::nullopt;
    at += piece->size();
  }
  if (file.Read(size, 1).value_or(std::vector<std::uint8_t>{1}).size() != 0) return std::nullopt;
  return digest->Finish();
}

}  // namespace

std::pair<std::wstring, unsigned> FileHashes::Hash(const std::wstring& file) {
  const engine::PathKind kind = files_.Kind(file);
  if (kind == engine::PathKind::Device) return {L"", IDS_HASH_DEVICE_PATH};
  if (kind != engine::PathKind::Local) return {L"", IDS_HASH_NETWORK_PATH};
  if (!files_.Exists(file)) return {L"", IDS_HASH_NO_FILE};
  const auto open = files_.OpenForReading(file);
  if (!open) return {L"", IDS_HASH_UNREADABLE};
  if (open->Size() > kMaxHashedBytes) return {L"", IDS_HASH_TOO_LARGE};
  // Hashed in an earlier listing and the same file in the same state
  // since: the same digest, without reading it again.
  engine::KeptDigests* kept = files_.DigestsKept();
  const std::optional<engine::FileIdentity> before = kept ? open->Identity() : std::nullopt;
  if (before) {
    const auto it = kept->byPath.find(file);
    if (it != kept->byPath.end() && it->second.first == *before) return {it->second.second, 0};
  }
  const auto hash = Digest(*open);
  if (!hash) return {L"", IDS_HASH_UNREADABLE};
  // Kept under the identity from before the reading, and only when no
  // change came while it was read.
  if (before && open->Identity() == before) kept->byPath[file] = {*before, *hash};
  return {*hash, 0};
}

void FileHashes::AddTo(engine::AddonEntry& entry) {
  if (entry.file.empty()) return;
  std::pair<std::wstring, unsigned> answer;
  // Not opened while listing: not opened now.
  if (entry.fileNote != engine::FileNote::None) {
    answer = {L"", entry.fileNote == engine::FileNote::DevicePath ? IDS_HASH_DEVICE_PATH : IDS_HASH_NETWORK_PATH};
  } else {
    auto it = known_.find(entry.file);
    if (it == known_.end()) it = known_.emplace(entry.file, Hash(entry.file)).first;
    answer = it->second;
  }
  entry.sha256 = answer.first;
  entry.hashNote = answer.second ? LoadStr(answer.second) : std::wstring();
}

}  // namespace discovery
