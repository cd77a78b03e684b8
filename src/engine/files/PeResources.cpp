#include "engine/files/PeResources.h"

#include <algorithm>
#include <array>
#include <memory>

#include "engine/files/StringTableBlock.h"
#include "ozcore/VersionBlock.h"

namespace engine {

namespace {

// The layout of a PE file, offsets in bytes.
constexpr std::uint16_t kDosMagic = 0x5A4D;         // "MZ"
constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::size_t kDosHeaderBytes = 64;
constexpr std::size_t kNewHeaderAt = 0x3C;        // where the "PE" header starts
constexpr std::size_t kFileHeaderBytes = 4 + 20;  // signature and file header
constexpr std::uint16_t kPe32 = 0x10B, kPe32Plus = 0x20B;
constexpr std::size_t kPe32Directories = 96, kPe32PlusDirectories = 112;
constexpr std::size_t kResourceDirectory = 2;  // index in the data directories
constexpr std::size_t kDataDirectoriesBytes = 16 * 8;
constexpr std::size_t kSectionBytes = 40;
// More sections than any real image has: such a file is not read.
constexpr std::size_t kMaxSections = 1024;
constexpr std::size_t kDirectoryHeaderBytes = 16, kDirectoryEntryBytes = 8, kDataEntryBytes = 16;
constexpr std::uint32_t kIsDirectory = 0x80000000;

using Bytes = std::vector<std::uint8_t>;

// Little-endian, whatever the machine; the caller has checked the bounds.
std::uint16_t U16(const Bytes& b, std::size_t at) { return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8)); }
std::uint32_t U32(const Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(U16(b, at)) | (static_cast<std::uint32_t>(U16(b, at + 2)) << 16);
}

struct Section {
  std::uint32_t address = 0;  // its RVA
  std::uint32_t rawSize = 0;
  std::uint32_t rawOffset = 0;
};

// Where an RVA's bytes are in the file, and how many of its section's bytes
// the file holds from there.
struct Place {
  std::uint64_t offset = 0;
  std::uint64_t available = 0;
};

struct DirectoryEntry {
  std::uint32_t name = 0;    // an id, or (high bit) the offset of a name
  std::uint32_t target = 0;  // (high bit) a directory's offset, or a data entry's
};

struct Directory {
  std::size_t named = 0;  // named entries come first, then ids in ascending order
  std::vector<DirectoryEntry> entries;
};

class PeFile {
 public:
  explicit PeFile(std::unique_ptr<OpenFile> file) : file_(std::move(file)), size_(file_->Size()) {}

  // Reads the headers and the section table; false for anything that is not
  // a PE image with a resource directory inside a section.
  bool ReadHeaders();
  std::optional<Bytes> Resource(std::uint16_t type, std::uint16_t id, const LanguageOrder& languages);

 private:
  std::optional<Bytes> ReadExact(std::uint64_t offset, std::size_t length);
  bool ReadSections(std::uint64_t at, std::size_t count);
  std::optional<Place> FromRva(std::uint32_t rva) const;
  std::optional<Directory> ReadDirectory(std::uint32_t offset);
  std::optional<Bytes> ReadData(std::uint32_t offset);

  std::unique_ptr<OpenFile> file_;
  std::uint64_t size_ = 0;
  std::vector<Section> sections_;
  Place root_;  // the resource directory
};

std::optional<Bytes> PeFile::ReadExact(std::uint64_t offset, std::size_t length) {
  if (offset > size_ || length > size_ - offset) return std::nullopt;
  auto bytes = file_->Read(offset, length);
  if (!bytes || bytes->size() != length) return std::nullopt;
  return bytes;
}

bool PeFile::ReadHeaders() {
  const auto dos = ReadExact(0, kDosHeaderBytes);
  if (!dos || U16(*dos, 0) != kDosMagic) return false;
  const std::uint64_t pe = U32(*dos, kNewHeaderAt);
  const auto head = ReadExact(pe, kFileHeaderBytes);
  if (!head || U32(*head, 0) != kPeSignature) return false;
  const std::size_t sectionCount = U16(*head, 6);
  const std::size_t optionalSize = U16(*head, 20);
  const auto optional = ReadExact(pe + kFileHeaderBytes,
                                  std::min<std::size_t>(optionalSize, kPe32PlusDirectories + kDataDirectoriesBytes));
  if (!optional || optional->size() < 2) return false;
  const std::uint16_t magic = U16(*optional, 0);
  if (magic != kPe32 && magic != kPe32Plus) return false;
  const std::size_t directories = magic == kPe32 ? kPe32Directories : kPe32PlusDirectories;
  const std::size_t entry = directories + kResourceDirectory * 8;
  // The count of data directories is the field just before them.
  if (optional->size() < entry + 8 || U32(*optional, directories - 4) <= kResourceDirectory) return false;
  const std::uint32_t resources = U32(*optional, entry);
  if (resources == 0 || !ReadSections(pe + kFileHeaderBytes + optionalSize, sectionCount)) return false;
  const auto root = FromRva(resources);
  if (!root) return false;
  root_ = *root;
  return true;
}

bool PeFile::ReadSections(std::uint64_t at, std::size_t count) {
  if (count == 0 || count > kMaxSections) return false;
  const auto table = ReadExact(at, count * kSectionBytes);
  if (!table) return false;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t s = i * kSectionBytes;
    sections_.push_back(Section{U32(*table, s + 12), U32(*table, s + 16), U32(*table, s + 20)});
  }
  return true;
}

// The section whose file data holds the RVA, the first in the table as the
// system's lookup takes it; only what the file really holds counts.
std::optional<Place> PeFile::FromRva(std::uint32_t rva) const {
  for (const auto& section : sections_) {
    if (rva < section.address || rva - section.address >= section.rawSize) continue;
    const std::uint64_t inside = rva - section.address;
    const std::uint64_t offset = section.rawOffset + inside;
    if (offset >= size_) return std::nullopt;
    return Place{offset, std::min<std::uint64_t>(section.rawSize - inside, size_ - offset)};
  }
  return std::nullopt;
}

// A directory at offset from the resource directory's start, with all its
// entries, or nothing when they do not fit in its section.
std::optional<Directory> PeFile::ReadDirectory(std::uint32_t offset) {
  if (offset > root_.available || root_.available - offset < kDirectoryHeaderBytes) return std::nullopt;
  const auto header = ReadExact(root_.offset + offset, kDirectoryHeaderBytes);
  if (!header) return std::nullopt;
  Directory directory;
  directory.named = U16(*header, 12);
  const std::size_t count = directory.named + U16(*header, 14);
  const std::uint64_t room = root_.available - offset - kDirectoryHeaderBytes;
  if (count * kDirectoryEntryBytes > room) return std::nullopt;
  const auto entries = ReadExact(root_.offset + offset + kDirectoryHeaderBytes, count * kDirectoryEntryBytes);
  if (!entries) return std::nullopt;
  for (std::size_t i = 0; i < count; ++i)
    directory.entries.push_back(DirectoryEntry{U32(*entries, i * 8), U32(*entries, i * 8 + 4)});
  return directory;
}

// The entry for id among the directory's ids (a binary search, as the
// system's loader searches), when it is of the kind wanted.
const DirectoryEntry* FindId(const Directory& directory, std::uint32_t id, bool wantDirectory) {
  if (directory.named >= directory.entries.size()) return nullptr;
  std::size_t low = directory.named, high = directory.entries.size();
  while (low < high) {
    const std::size_t mid = low + (high - low) / 2;
    const DirectoryEntry& entry = directory.entries[mid];
    if (entry.name == id) return ((entry.target & kIsDirectory) != 0) == wantDirectory ? &entry : nullptr;
    if (entry.name < id)
      low = mid + 1;
    else
      high = mid;
  }
  return nullptr;
}

// The language entry: the first of languages the directory has, else its
// first data entry.
const DirectoryEntry* PickLanguage(const Directory& directory, const LanguageOrder& languages) {
  for (const std::uint16_t language : languages)
    if (const auto* entry = FindId(directory, language, false)) return entry;
  for (const auto& entry : directory.entries)
    if ((entry.target & kIsDirectory) == 0) return &entry;
  return nullptr;
}

// The bytes a data entry (at offset from the resource directory) points to.
std::optional<Bytes> PeFile::ReadData(std::uint32_t offset) {
  if (offset > root_.available || root_.available - offset < kDataEntryBytes) return std::nullopt;
  const auto entry = ReadExact(root_.offset + offset, kDataEntryBytes);
  if (!entry) return std::nullopt;
  const auto place = FromRva(U32(*entry, 0));
  if (!place) return std::nullopt;
  const std::uint64_t length = std::min<std::uint64_t>({U32(*entry, 4), place->available, kMaxResourceBytes});
  if (length == 0) return std::nullopt;
  return ReadExact(place->offset, static_cast<std::size_t>(length));
}

std::optional<Bytes> PeFile::Resource(std::uint16_t type, std::uint16_t id, const LanguageOrder& languages) {
  // Three levels, type, name and language; a directory met again on the way
  // (an entry pointing back) ends the walk.
  std::array<std::uint32_t, 3> visited = {0, 0, 0};
  const std::array<std::uint16_t, 2> wanted = {type, id};
  std::uint32_t offset = 0;
  for (std::size_t level = 0; level < wanted.size(); ++level) {
    const auto directory = ReadDirectory(offset);
    if (!directory) return std::nullopt;
    const auto* entry = FindId(*directory, wanted[level], true);
    if (entry == nullptr) return std::nullopt;
    offset = entry->target & ~kIsDirectory;
    if (std::find(visited.begin(), visited.begin() + level + 1, offset) != visited.begin() + level + 1)
      return std::nullopt;
    visited[level + 1] = offset;
  }
  const auto languagesDirectory = ReadDirectory(offset);
  if (!languagesDirectory) return std::nullopt;
  const auto* entry = PickLanguage(*languagesDirectory, languages);
  if (entry == nullptr) return std::nullopt;
  return ReadData(entry->target);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ReadResource(FileSource& files, const std::wstring& path, std::uint16_t type,
                                                      std::uint16_t id, const LanguageOrder& languages) {
  auto file = files.Open(path);
  if (!file) return std::nullopt;
  PeFile pe(std::move(file));
  if (!pe.ReadHeaders()) return std::nullopt;
  return pe.Resource(type, id, languages);
}

CStringDictionary VersionStrings(FileSource& files, const std::wstring& path, const LanguageOrder& languages) {
  CStringDictionary result(CStringDictionary::Compare::Text);
  const auto block = ReadResource(files, path, restype::kVersion, 1, languages);
  if (!block) return result;
  const auto info = versionblock::Parse(block->data(), block->size());
  for (const auto& entry : versionblock::StandardStrings(info)) result.Add(entry.value, entry.name);
  return result;
}

std::optional<std::wstring> ResourceString(FileSource& files, const std::wstring& path, std::uint32_t number,
                                           const LanguageOrder& languages) {
  if (number > 0xFFFF) return std::nullopt;
  const auto block = ReadResource(files, path, restype::kString,
                                  static_cast<std::uint16_t>(discovery::StringBlockId(number)), languages);
  if (!block) return std::nullopt;
  return discovery::StringFromBlock(block->data(), block->size(), discovery::StringBlockIndex(number));
}

}  // namespace engine
