#include "engine/sources/HiveFile.h"

#include <algorithm>
#include <array>

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

std::uint16_t U16(const std::uint8_t* b, std::size_t at) { return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8)); }
std::uint32_t U32(const std::uint8_t* b, std::size_t at) {
  return static_cast<std::uint32_t>(U16(b, at)) | (static_cast<std::uint32_t>(U16(b, at + 2)) << 16);
}
std::uint64_t U64(const std::uint8_t* b, std::size_t at) { return U32(b, at) | (std::uint64_t{U32(b, at + 4)} << 32); }

// A counted name: one byte a character (Latin-1) or UTF-16 units, decoded
// into name (its buffer reused).
void DecodeName(const std::uint8_t* bytes, std::size_t length, bool compressed, std::wstring& name) {
  if (compressed) {
    name.assign(bytes, bytes + length);
    return;
  }
  name.resize(length / 2);
  for (std::size_t i = 0; i < name.size(); ++i) name[i] = static_cast<wchar_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
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
  hive->reachRoot_.Bound(hive->image_.CellExtent());
  hive->reached_.Bound(hive->image_.CellExtent());
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

bool HiveFile::CellSpan(std::uint32_t cell, std::size_t want, HiveSpan& out) {
  HiveProblem why{};
  if (image_.CellSpan(cell, want, out, why)) return true;
  Note(why, cell);
  return false;
}

bool HiveFile::ReadCell(std::uint32_t cell, std::size_t want, std::vector<std::uint8_t>& out) {
  HiveProblem why{};
  if (image_.ReadCell(cell, want, out, why)) return true;
  Note(why, cell);
  return false;
}

bool HiveFile::ReadKey(std::uint32_t cell, HiveKey& key, bool withName) {
  HiveSpan span;
  if (!CellSpan(cell, kKeyFixedBytes + kMaxNameBytes, span)) return false;
  const std::uint8_t* b = span.data;
  if (span.size < kKeyFixedBytes || U16(b, 0) != kKeyNode) {
    Note(HiveProblem::WrongRecord, cell);
    return false;
  }
  const std::size_t nameBytes = U16(b, 72);
  if (kKeyFixedBytes + nameBytes > span.size) {
    Note(HiveProblem::NamePastCell, cell);
    return false;
  }
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
  if (withName) DecodeName(b + kKeyFixedBytes, nameBytes, (key.flags & kCompressedKeyName) != 0, key.name);
  return true;
}

std::optional<HiveKey> HiveFile::Key(std::uint32_t cell) {
  HiveKey key;
  if (!ReadKey(cell, key)) return std::nullopt;
  return key;
}

void HiveFile::ListedKeys(const HiveNode& key, std::vector<std::uint32_t>& keys) {
  keys.clear();
  // Every cell this walk reaches, lists and keys: one reached twice is a
  // loop or a shared cell, and is not followed again. Iterative: an index
  // root's leaves are read after it, in its order; only the first list may
  // be an index root.
  lists_.assign(1, key.subkeyList);
  for (std::size_t next = 0; next < lists_.size() && keys.size() < key.subkeyCount; ++next) {
    const std::uint32_t list = lists_[next];
    HiveSpan b;
    if (!reached_.Insert(list)) {
      Note(HiveProblem::ListRepeats, list);
      continue;
    }
    if (!CellSpan(list, kMaxListBytes, b)) continue;
    const std::uint16_t kind = b.size >= 4 ? U16(b.data, 0) : 0;
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
    std::size_t count = U16(b.data, 2);
    if (4 + count * stride > b.size) {
      Note(HiveProblem::ListPastCell, list);
      count = (b.size - 4) / stride;
    }
    for (std::size_t i = 0; i < count && keys.size() < key.subkeyCount; ++i) {
      const std::uint32_t element = U32(b.data, 4 + i * stride);
      if (kind == kIndexRoot)
        lists_.push_back(element);
      else if (!reached_.Insert(element))
        Note(HiveProblem::ListRepeats, element);
      else
        keys.push_back(element);
    }
  }
  for (const std::uint32_t cell : lists_) reached_.Erase(cell);
  for (const std::uint32_t cell : keys) reached_.Erase(cell);
}

bool HiveFile::ReachesRoot(const HiveNode& key) {
  chain_.clear();
  HiveKey up;
  std::uint32_t parent = key.parent;
  for (std::uint32_t at = key.cell; at != root_ && !reachRoot_.Contains(at);) {
    chain_.push_back(at);
    // A parent known to lead to the root was read as a key already.
    if (chain_.size() <= kMaxDepth && (parent == root_ || reachRoot_.Contains(parent))) break;
    if (chain_.size() > kMaxDepth || !ReadKey(parent, up, false)) {
      Note(HiveProblem::WrongParent, key.cell);
      return false;
    }
    at = up.cell;
    parent = up.parent;
  }
  // Remembered, so a key's chain is followed only as far as a known one.
  for (const std::uint32_t cell : chain_) reachRoot_.Insert(cell);
  return true;
}

void HiveFile::VisitSubKeys(const HiveNode& key, const std::function<void(const HiveKey&)>& visit) {
  if (key.IsLink() || key.subkeyCount == 0 || !ReachesRoot(key)) return;
  // A visit from within a visit has buffers of its own.
  Visit local;
  Visit& v = visit_.busy ? local : visit_;
  const bool owner = &v == &visit_;
  v.busy = true;
  ListedKeys(key, v.cells);
  if (v.cells.size() != key.subkeyCount) Note(HiveProblem::CountMismatch, key.cell);
  for (const std::uint32_t cell : v.cells) {
    if (!ReadKey(cell, v.key)) continue;
    // Each key has one parent, and the listing key leads to the root: no
    // key is listed below itself or in two places.
    if (v.key.parent != key.cell || cell == root_) {
      Note(HiveProblem::WrongParent, cell);
      continue;
    }
    visit(v.key);
  }
  if (owner) visit_.busy = false;
}

std::vector<HiveKey> HiveFile::SubKeys(const HiveNode& key) {
  std::vector<HiveKey> subkeys;
  VisitSubKeys(key, [&](const HiveKey& subkey) { subkeys.push_back(subkey); });
  return subkeys;
}

bool HiveFile::ReadValue(std::uint32_t cell, HiveValue& value) {
  HiveSpan span;
  if (!CellSpan(cell, kValueFixedBytes + kMaxNameBytes, span)) return false;
  const std::uint8_t* b = span.data;
  if (span.size < kValueFixedBytes || U16(b, 0) != kValueNode) {
    Note(HiveProblem::WrongRecord, cell);
    return false;
  }
  const std::size_t nameBytes = U16(b, 2);
  if (kValueFixedBytes + nameBytes > span.size) {
    Note(HiveProblem::NamePastCell, cell);
    return false;
  }
  value.cell = cell;
  value.sizeField = U32(b, 4);
  value.dataField = U32(b, 8);
  value.type = U32(b, 12);
  DecodeName(b + kValueFixedBytes, nameBytes, (U16(b, 16) & kCompressedValueName) != 0, value.name);
  return true;
}

std::optional<HiveValue> HiveFile::Value(std::uint32_t cell) {
  HiveValue value;
  if (!ReadValue(cell, value)) return std::nullopt;
  return value;
}

void HiveFile::ListedValues(const HiveNode& key, std::vector<std::uint32_t>& values) {
  values.clear();
  HiveSpan list;
  // A count no cell could hold is cut to what the cell holds.
  const std::uint64_t wanted = std::uint64_t{key.valueCount} * 4;
  if (!CellSpan(key.valueList, static_cast<std::size_t>(std::min<std::uint64_t>(wanted, 0x7FFFFFFF)), list)) return;
  if (list.size < wanted) Note(HiveProblem::ListPastCell, key.valueList);
  for (std::size_t at = 0; at + 4 <= list.size; at += 4) {
    const std::uint32_t cell = U32(list.data, at);
    if (reached_.Insert(cell))
      values.push_back(cell);
    else
      Note(HiveProblem::ListRepeats, cell);
  }
  for (const std::uint32_t cell : values) reached_.Erase(cell);
}

void HiveFile::VisitValues(const HiveNode& key, const std::function<void(const HiveValue&)>& visit) {
  if (key.IsLink() || key.valueCount == 0) return;
  Visit local;
  Visit& v = visit_.busy ? local : visit_;
  const bool owner = &v == &visit_;
  v.busy = true;
  ListedValues(key, v.cells);
  for (const std::uint32_t cell : v.cells)
    if (ReadValue(cell, v.value)) visit(v.value);
  if (owner) visit_.busy = false;
}

std::vector<HiveValue> HiveFile::Values(const HiveNode& key) {
  std::vector<HiveValue> values;
  VisitValues(key, [&](const HiveValue& value) { values.push_back(value); });
  return values;
}

std::optional<ValueData> HiveFile::Data(const HiveValueNode& value, std::size_t maxBytes) {
  ValueData data;
  if (!ReadData(value, maxBytes, data)) return std::nullopt;
  return data;
}

bool HiveFile::ReadData(const HiveValueNode& value, std::size_t maxBytes, ValueData& data) {
  data.type = value.type;
  data.size = value.Size();
  data.tooLarge = false;
  data.bytes.clear();
  const bool inlined = (value.sizeField & 0x80000000) != 0;
  if (inlined && data.size > 4) {
    Note(HiveProblem::InlineTooLong, value.cell);
    return false;
  }
  if (data.size > maxBytes) {
    data.tooLarge = true;
    return true;
  }
  if (inlined) {
    for (std::uint32_t i = 0; i < data.size; ++i)
      data.bytes.push_back(static_cast<std::uint8_t>(value.dataField >> (8 * i)));
    return true;
  }
  if (data.size == 0) return true;
  HiveSpan cell;
  if (!CellSpan(value.dataField, static_cast<std::size_t>(data.size), cell)) return false;
  // Data that fits is the cell's, whatever the hive's version; data larger
  // than its cell is read from the segments of a big data record.
  if (cell.size == data.size) {
    data.bytes.assign(cell.data, cell.data + cell.size);
    return true;
  }
  if (cell.size < 8 || U16(cell.data, 0) != kBigData) {
    Note(HiveProblem::DataPastCell, value.dataField);
    return false;
  }
  std::array<std::uint8_t, 8> record{};
  std::copy_n(cell.data, record.size(), record.begin());
  return ReadBigData(value, record.data(), data.bytes);
}

bool HiveFile::ReadBigData(const HiveValueNode& value, const std::uint8_t* record, std::vector<std::uint8_t>& out) {
  std::vector<std::uint8_t> list;
  const std::uint32_t size = value.Size();
  const std::size_t segments = (size + kBigDataSegment - 1) / kBigDataSegment;
  if (U16(record, 2) < segments || !ReadCell(U32(record, 4), segments * 4, list) || list.size() < segments * 4) {
    Note(HiveProblem::BigDataBroken, value.dataField);
    return false;
  }
  // Every segment is checked before the data is allocated: distinct cells
  // that hold it, so the data is never larger than the file.
  std::size_t checked = 0;
  for (; checked < segments; ++checked) {
    HiveProblem why{};
    const std::uint32_t segment = U32(list.data(), checked * 4);
    const auto capacity = image_.CellCapacity(segment, why);
    if (!capacity || *capacity < std::min<std::size_t>(kBigDataSegment, size - checked * kBigDataSegment) ||
        !reached_.Insert(segment))
      break;
  }
  for (std::size_t i = 0; i < checked; ++i) reached_.Erase(U32(list.data(), i * 4));
  if (checked < segments) {
    Note(HiveProblem::BigDataBroken, value.dataField);
    return false;
  }
  out.resize(size);
  for (std::size_t i = 0; i < segments; ++i) {
    const std::size_t at = i * kBigDataSegment;
    const std::size_t length = std::min<std::size_t>(kBigDataSegment, size - at);
    if (!image_.Read(std::uint64_t{U32(list.data(), i * 4)} + 4, length, out.data() + at)) {
      Note(HiveProblem::BigDataBroken, value.dataField);
      out.clear();
      return false;
    }
  }
  return true;
}

std::optional<std::wstring> HiveFile::ClassName(const HiveNode& key) {
  if (key.classBytes == 0 || key.classCell == kNoCell) return std::wstring();
  HiveSpan span;
  if (!CellSpan(key.classCell, key.classBytes, span)) return std::nullopt;
  if (span.size < key.classBytes) {
    Note(HiveProblem::NamePastCell, key.classCell);
    return std::nullopt;
  }
  std::wstring name;
  DecodeName(span.data, span.size, false, name);
  return name;
}

}  // namespace engine
