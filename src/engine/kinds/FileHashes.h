#pragma once
// The SHA-256 of each entry's file, read through the machine's file source
// in bounded pieces, once per file for the listing that holds this object
// and, where the file facts keep digests, once per file and state for all
// listings over them.
// A file on a network or device path, missing, unreadable or over
// kMaxHashedBytes gets no hash but a note saying why. Platform-free.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>

#include "engine/kinds/AddonEntry.h"

namespace discovery {

constexpr std::uint64_t kMaxHashedBytes = 256ull * 1024 * 1024;

class FileHashes {
 public:
  // files must outlive this object.
  explicit FileHashes(engine::FileFacts& files) : files_(files) {}

  // Sets the entry's sha256 or hashNote; an entry without a file string
  // gets neither.
  void AddTo(engine::AddonEntry& entry);

 private:
  // The hash, or the string id of the note.
  std::pair<std::wstring, unsigned> Hash(const std::wstring& file);

  engine::FileFacts& files_;
  std::unordered_map<std::wstring, std::pair<std::wstring, unsigned>> known_;
};

}  // namespace discovery
