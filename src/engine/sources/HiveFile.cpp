#include "engine/sources/HiveFile.h"

#include <algorithm>
#include <array>
#include <unordered_set>

namespace engine {

namespace {

constexpr std::uint16_t Signature(char a, char b) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(a) | (static_cast<std::uint8_t>(b) << 8));
}
constexpr std::uint16_t kKeyNode = Signature('n', 'k'), kValueNode = Signature('v', 'k');
constexpr std::uint16_t kIndexLeaf = Signature('l', 'i'), kFastLeaf = Signature('l', 'f');
constexpr std::uint16_t kHashLeaf = Signature('l', 'h'), kIndexRoot = Signature('r', 'i');
constexpr std::uint16_t kBigData = Signature('d', 'b');

constexpr std::size_t kKeyFixedBytes = 76, kValueFixedBytes = 20;
constexpr std::size_t kMaxNameBytes = 0xFFFF;
constexpr std::size_t kMaxListBytes = 4 + 8 * std::size_t{0xFFFF};
constexpr std::uint16_t kCompressedKeyName = 0x0020, kCompressedValueName = 0x0001;
constexpr std::uint32_t kBigDataSegment = 16344;

std::uint16_t U16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint32_t>(U16(b, at)) | (static_cast<std::uint32_t>(U16(b, at + 2)) << 16);
}
std::uint64_t U64(const std::vector<std::uint8_t>& b, std::size_t at) {
  return U32(b, at) | (std::uint64_t{U32(b, at + 4)} << 32);
}

// A counted name: one byte a character (Latin-1) or UTF-16 units.
std::wstring Name(const std::uint8_t* bytes, std::size_t length, bool compressed) {
  std::wstring name;
  if (compressed) {
    name.assign(bytes, bytes + length);
    return name;
  }
  name.resize(length / 2);
  for (std::size_t i = 0; i < name.size(); ++i) name[i] = static_cast<wchar_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return name;
}

}  // namespace

HiveFile::Opened HiveFile::Open(std::unique_ptr<HiveBytes> primary, std::unique_ptr<HiveBytes> log1,
                                std::unique_ptr<HiveBytes> log2) {
  Opened opened;
  std::array<std::uint8_t, kHiveBaseFieldBytes> first{};
  if (!primary || !primary->Read(0, first.size(), first.data())) {
    opened.refusal = HiveRefusal::ReadFailed;
    return opened;
  }
  const auto base = ParseHiveBase(first.data());
  if (!base) {
    opened.refusal = HiveRefusal::NotAHive;
    return opened;
  }
  // A broken base block may be a primary file's all the same.
  if (base->checksumOk && base->fileType != 0) {
    opened.refusal = HiveRefusal::NotAPrimaryFile;
    return opened;
  }
  std::unique_ptr<HiveFile> hive(new HiveFile(std::move(primary)));
  HiveReport& report = hive->report_;
  report.primary = *base;
  report.dirty = !base->checksumOk || base->primarySequence != base->secondarySequence;
  HiveBase state = *base;
  report.recovery = RecoverHive(hive->image_, state, std::move(log1), std::move(log2));
  // Version 1.1 lays cells out otherwise; later minor versions add what a
  // reader may ignore.
  if (state.majorVersion != 1 || state.minorVersion < 2) {
    opened.refusal = HiveRefusal::UnsupportedVersion;
    return opened;
  }
  report.sequence = state.primarySequence;
  report.binsDeclared = state.binsSize;
  report.binsFound = hive->image_.FindBins(state.binsSize);
  if (report.binsFound < report.binsDeclared) hive->Note(HiveProblem::BinsEndEarly, report.binsFound);
  hive->root_ = state.rootCell;
  if (!hive->Key(hive->root_)) {
    opened.refusal = HiveRefusal::NoRootKey;
    return opened;
  }
  opened.hive = std::move(hive);
  return opened;
}

void HiveFile::Note(HiveProblem problem, std::uint64_t at) {
  ++problemCount_;
  if (problems_.size() < kProblemsKept) problems_.push_back({problem, at});
}

bool HiveFile::ReadCell(std::uint32_t cell, std::size_t want, std::vector<std::uint8_t>& out) {
  HiveProblem why{};
  if (image_.ReadCell(cell, want, out, why)) return true;
  Note(why, cell);
  return false;
}

std::optional<HiveKey> HiveFile::Key(std::uint32_t cell) {
  auto& b = scratch_;
  if (!ReadCell(cell, kKeyFixedBytes + kMaxNameBytes, b)) return std::nullopt;
  if (b.size() < kKeyFixedBytes || U16(b, 0) != kKeyNode) {
    Note(HiveProblem::WrongRecord, cell);
    return std::nullopt;
  }
  HiveKey key;
  key.cell = cell;
  key.flags = U16(b, 2);
  key.lastWrite = U64(b, 4);
  key.parent = U32(b, 16);
  key.subkeyCount = U32(b, 20);
  key.subkeyList = U32(b, 28);
  key.valueCount = U32(b, 36);
  key.valueList = U32(b, 40);
  key.classCell = U32(b, 48);
  key.classBytes = U16(b, 74);
  const std::size_t nameBytes = U16(b, 72);
  if (kKeyFixedBytes + nameBytes > b.size()) {
    Note(HiveProblem::NamePastCell, cell);
    return std::nullopt;
  }
  key.name = Name(b.data() + kKeyFixedBytes, nameBytes, (key.flags & kCompressedKeyName) != 0);
  return key;
}

std::vector<std::uint32_t> HiveFile::ListedKeys(const HiveKey& key) {
  std::vector<std::uint32_t> keys;
  // Every cell this walk reaches, lists and keys: one reached twice is a
  // loop or a shared cell, and is not followed again.
  std::unordered_set<std::uint32_t> reached;
  std::vector<std::uint32_t> lists = {key.subkeyList};
  std::vector<std::uint8_t> b;
  // Iterative: an index root's leaves are read after it, in its order; only
  // the first list may be an index root.
  for (std::size_t next = 0; next < lists.size() && keys.size() < key.subkeyCount; ++next) {
    const std::uint32_t list = lists[next];
    if (!reached.insert(list).second) {
      Note(HiveProblem::ListRepeats, list);
      continue;
    }
    if (!ReadCell(list, kMaxListBytes, b)) continue;
    const std::uint16_t kind = b.size() >= 4 ? U16(b, 0) : 0;
    const bool leaf = kind == kIndexLeaf || kind == kFastLeaf || kind == kHashLeaf;
    if (!leaf && kind != kIndexRoot) {
      Note(HiveProblem::WrongRecord, list);
      continue;
    }
    if (kind == kIndexRoot && next > 0) {
      Note(HiveProblem::IndexRootNested, list);
      continue;
    }
    const std::size_t stride = kind == kIndexLeaf || kind == kIndexRoot ? 4 : 8;
    std::size_t count = U16(b, 2);
    if (4 + count * stride > b.size()) {
      Note(HiveProblem::ListPastCell, list);
      count = (b.size() - 4) / stride;
    }
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint32_t element = U32(b, 4 + i * stride);
      if (kind == kIndexRoot) {
        lists.push_back(element);
      } else if (!reached.insert(element).second) {
        Note(HiveProblem::ListRepeats, element);
      } else if (keys.size() < key.subkeyCount) {
        keys.push_back(element);
      }
    }
  }
  return keys;
}

bool HiveFile::ReachesRoot(const HiveKey& key) {
  std::vector<std::uint32_t> chain;
  std::uint32_t parent = key.parent;
  for (std::uint32_t at = key.cell; at != root_ && reachRoot_.count(at) == 0;) {
    chain.push_back(at);
    const auto up = chain.size() <= kMaxDepth ? Key(parent) : std::nullopt;
    if (!up) {
      Note(HiveProblem::WrongParent, key.cell);
      return false;
    }
    at = up->cell;
    parent = up->parent;
  }
  // Remembered, so a key's chain is followed only as far as a known one.
  if (reachRoot_.size() + chain.size() > 1000000) reachRoot_.clear();
  reachRoot_.insert(chain.begin(), chain.end());
  return true;
}

std::vector<HiveKey> HiveFile::SubKeys(const HiveKey& key) {
  std::vector<HiveKey> subkeys;
  if (key.IsLink() || key.subkeyCount == 0 || !ReachesRoot(key)) return subkeys;
  const auto cells = ListedKeys(key);
  if (cells.size() != key.subkeyCount) Note(HiveProblem::CountMismatch, key.cell);
  subkeys.reserve(cells.size());
  for (const std::uint32_t cell : cells) {
    auto subkey = Key(cell);
    if (!subkey) continue;
    // Each key has one parent, and the listing key leads to the root: no
    // key is listed below itself or in two places.
    if (subkey->parent != key.cell || cell == root_) {
      Note(HiveProblem::WrongParent, cell);
      continue;
    }
    subkeys.push_back(std::move(*subkey));
  }
  return subkeys;
}

std::optional<HiveValue> HiveFile::Value(std::uint32_t cell) {
  auto& b = scratch_;
  if (!ReadCell(cell, kValueFixedBytes + kMaxNameBytes, b)) return std::nullopt;
  if (b.size() < kValueFixedBytes || U16(b, 0) != kValueNode) {
    Note(HiveProblem::WrongRecord, cell);
    return std::nullopt;
  }
  const std::size_t nameBytes = U16(b, 2);
  if (kValueFixedBytes + nameBytes > b.size()) {
    Note(HiveProblem::NamePastCell, cell);
    return std::nullopt;
  }
  HiveValue value;
  value.cell = cell;
  value.sizeField = U32(b, 4);
  value.dataField = U32(b, 8);
  value.type = U32(b, 12);
  value.name = Name(b.data() + kValueFixedBytes, nameBytes, (U16(b, 16) & kCompressedValueName) != 0);
  return value;
}

std::vector<HiveValue> HiveFile::Values(const HiveKey& key) {
  std::vector<HiveValue> values;
  if (key.IsLink() || key.valueCount == 0) return values;
  std::vector<std::uint8_t> list;
  // A count no cell could hold is cut to what the cell holds.
  const std::uint64_t wanted = std::uint64_t{key.valueCount} * 4;
  if (!ReadCell(key.valueList, static_cast<std::size_t>(std::min<std::uint64_t>(wanted, 0x7FFFFFFF)), list))
    return values;
  if (list.size() < wanted) Note(HiveProblem::ListPastCell, key.valueList);
  std::unordered_set<std::uint32_t> reached;
  for (std::size_t at = 0; at + 4 <= list.size(); at += 4) {
    const std::uint32_t cell = U32(list, at);
    if (!reached.insert(cell).second) {
      Note(HiveProblem::ListRepeats, cell);
      continue;
    }
    if (auto value = Value(cell)) values.push_back(std::move(*value));
  }
  return values;
}

std::optional<ValueData> HiveFile::Data(const HiveValue& value, std::size_t maxBytes) {
  ValueData data;
  data.type = value.type;
  data.size = value.Size();
  const bool inlined = (value.sizeField & 0x80000000) != 0;
  if (inlined && data.size > 4) {
    Note(HiveProblem::InlineTooLong, value.cell);
    return std::nullopt;
  }
  if (data.size > maxBytes) {
    data.tooLarge = true;
    return data;
  }
  if (inlined) {
    for (std::uint32_t i = 0; i < data.size; ++i)
      data.bytes.push_back(static_cast<std::uint8_t>(value.dataField >> (8 * i)));
    return data;
  }
  if (data.size == 0) return data;
  HiveProblem why{};
  const auto capacity = image_.CellCapacity(value.dataField, why);
  if (!capacity) {
    Note(why, value.dataField);
    return std::nullopt;
  }
  // Data larger than its cell is read from the segments of a big data
  // record; data that fits is the cell's, whatever the hive's version.
  const bool read = *capacity >= data.size ? ReadCell(value.dataField, static_cast<std::size_t>(data.size), data.bytes)
                                           : ReadBigData(value, data.bytes);
  if (!read) return std::nullopt;
  return data;
}

bool HiveFile::ReadBigData(const HiveValue& value, std::vector<std::uint8_t>& out) {
  std::vector<std::uint8_t> record, list;
  if (!ReadCell(value.dataField, 8, record)) return false;
  if (record.size() < 8 || U16(record, 0) != kBigData) {
    Note(HiveProblem::DataPastCell, value.dataField);
    return false;
  }
  const std::uint32_t size = value.Size();
  const std::size_t segments = (size + kBigDataSegment - 1) / kBigDataSegment;
  if (U16(record, 2) < segments || !ReadCell(U32(record, 4), segments * 4, list) || list.size() < segments * 4) {
    Note(HiveProblem::BigDataBroken, value.dataField);
    return false;
  }
  // Every segment is checked before the data is allocated: distinct cells
  // that hold it, so the data is never larger than the file.
  std::unordered_set<std::uint32_t> reached;
  for (std::size_t i = 0; i < segments; ++i) {
    HiveProblem why{};
    const auto capacity = image_.CellCapacity(U32(list, i * 4), why);
    if (!capacity || *capacity < std::min<std::size_t>(kBigDataSegment, size - i * kBigDataSegment) ||
        !reached.insert(U32(list, i * 4)).second) {
      Note(HiveProblem::BigDataBroken, value.dataField);
      return false;
    }
  }
  out.resize(size);
  for (std::size_t i = 0; i < segments; ++i) {
    const std::size_t at = i * kBigDataSegment;
    const std::size_t length = std::min<std::size_t>(kBigDataSegment, size - at);
    if (!image_.Read(std::uint64_t{U32(list, i * 4)} + 4, length, out.data() + at)) {
      Note(HiveProblem::BigDataBroken, value.dataField);
      out.clear();
      return false;
    }
  }
  return true;
}

std::optional<std::wstring> HiveFile::ClassName(const HiveKey& key) {
  if (key.classBytes == 0 || key.classCell == kNoCell) return std::wstring();
  std::vector<std::uint8_t> b;
  if (!ReadCell(key.classCell, key.classBytes, b)) return std::nullopt;
  if (b.size() < key.classBytes) {
    Note(HiveProblem::NamePastCell, key.classCell);
    return std::nullopt;
  }
  return Name(b.data(), b.size(), false);
}

}  // namespace engine
