#pragma once
// A registry hive file (regf) read in place, bounded, and never written:
// its keys, values and class names, with a dirty hive's transaction logs
// laid over it in memory. Every offset and length is checked against the
// file before it is used; a broken part is left out and recorded as a
// problem, so a key lists what is readable of it. One thread at a time.
// Platform-free.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/sources/HiveBytes.h"
#include "engine/sources/HiveImage.h"
#include "engine/sources/HiveLog.h"
#include "engine/sources/RegistrySource.h"

namespace engine {

// Why a file was not opened as a hive.
enum class HiveRefusal {
  None,
  ReadFailed,          // shorter than a base block, or unreadable
  NotAHive,            // no "regf" signature
  NotAPrimaryFile,     // a log or another kind of file
  UnsupportedVersion,  // a hive version other than 1.2 to 1.x
  NoRootKey,           // the root cell is not a readable key
};

// A key node's fields, without its name.
struct HiveNode {
  std::uint32_t cell = kNoCell;
  std::uint16_t flags = 0;
  std::uint64_t lastWrite = 0;  // 100-nanosecond intervals since 1601
  std::uint32_t parent = kNoCell;
  std::uint32_t subkeyCount = 0, subkeyList = kNoCell;
  std::uint32_t valueCount = 0, valueList = kNoCell;
  std::uint32_t classCell = kNoCell;
  std::uint16_t classBytes = 0;
  bool IsLink() const { return (flags & 0x0010) != 0; }
  bool operator==(const HiveNode&) const = default;
};

struct HiveKey : HiveNode {
  std::wstring name;  // counted: a NUL in it is part of the name
  bool operator==(const HiveKey&) const = default;
};

// A value node's fields, without its name.
struct HiveValueNode {
  std::uint32_t cell = kNoCell;
  std::uint32_t type = 0;
  std::uint32_t sizeField = 0;  // the top bit set: the data is in dataField itself
  std::uint32_t dataField = kNoCell;
  std::uint32_t Size() const { return sizeField & 0x7FFFFFFF; }
  bool operator==(const HiveValueNode&) const = default;
};

struct HiveValue : HiveValueNode {
  std::wstring name;  // "" is the key's default value
  bool operator==(const HiveValue&) const = default;
};

struct HiveProblemAt {
  HiveProblem problem;
  std::uint64_t at = 0;  // the cell (or, for the bins, the offset) in the hive bins data
};

// What the reader found on opening: plain values for the caller to show.
struct HiveReport {
  HiveBase primary;                               // the primary file's base block as it is
  bool dirty = false;                             // its checksum fails or its sequence numbers differ
  HiveRecovery recovery;                          // what became of each log
  std::uint32_t sequence = 0;                     // the sequence number of the state read
  std::uint64_t binsDeclared = 0, binsFound = 0;  // bytes of hive bins data
};

class HiveFile {
 public:
  struct Opened;
  // The logs are the hive's *.LOG1 and *.LOG2 (either may be missing);
  // they are read only when the primary file is dirty.
  static Opened Open(std::unique_ptr<HiveBytes> primary, std::unique_ptr<HiveBytes> log1 = nullptr,
                     std::unique_ptr<HiveBytes> log2 = nullptr);

  const HiveReport& Report() const { return report_; }
  std::uint32_t RootCell() const { return root_; }
  std::optional<HiveKey> Key(std::uint32_t cell);
  // In the hive's order. A link lists none, nor a key whose parents do not
  // lead to the root; a subkey that names another parent, or a cell a list
  // reaches twice, is left out. So the keys form a tree: a walk ends.
  std::vector<HiveKey> SubKeys(const HiveNode& key);
  // The same subkeys, each handed to visit in a key (and name) the reader
  // reuses: valid while visit runs. visit may call the reader.
  void VisitSubKeys(const HiveNode& key, const std::function<void(const HiveKey&)>& visit);
  std::vector<HiveValue> Values(const HiveNode& key);
  void VisitValues(const HiveNode& key, const std::function<void(const HiveValue&)>& visit);
  // The value node at a cell one of Values' answers named.
  std::optional<HiveValue> Value(std::uint32_t cell);
  // The data; over maxBytes only its type and size (nothing read).
  // Nothing when it cannot be read.
  std::optional<ValueData> Data(const HiveValueNode& value, std::size_t maxBytes);
  // The same into data, whose buffer is reused; false when it cannot be read.
  bool ReadData(const HiveValueNode& value, std::size_t maxBytes, ValueData& data);
  std::optional<std::wstring> ClassName(const HiveNode& key);

  // The first problems met (at most kProblemsKept) and how many in all.
  const std::vector<HiveProblemAt>& Problems() const { return problems_; }
  std::uint64_t ProblemCount() const { return problemCount_; }
  static constexpr std::size_t kProblemsKept = 256;
  // The registry's own limit of key levels.
  static constexpr std::size_t kMaxDepth = 512;

 private:
  // What a visit reuses: the cells of a list, and the node handed over.
  struct Visit {
    std::vector<std::uint32_t> cells;
    HiveKey key;
    HiveValue value;
    bool busy = false;
  };
  explicit HiveFile(std::unique_ptr<HiveBytes> primary) : image_(std::move(primary)) {}
  void Note(HiveProblem problem, std::uint64_t at);
  bool CellSpan(std::uint32_t cell, std::size_t want, HiveSpan& out);
  bool ReadCell(std::uint32_t cell, std::size_t want, std::vector<std::uint8_t>& out);
  // The key or value node at cell, its name decoded into the node's own.
  bool ReadKey(std::uint32_t cell, HiveKey& key, bool withName = true);
  bool ReadValue(std::uint32_t cell, HiveValue& value);
  // The key cells a subkey list names, leaves of an index root included.
  void ListedKeys(const HiveNode& key, std::vector<std::uint32_t>& keys);
  void ListedValues(const HiveNode& key, std::vector<std::uint32_t>& values);
  // True when the key's parents lead to the root within kMaxDepth steps.
  bool ReachesRoot(const HiveNode& key);
  bool ReadBigData(const HiveValueNode& value, const std::uint8_t* record, std::vector<std::uint8_t>& out);

  HiveImage image_;
  HiveReport report_;
  std::uint32_t root_ = kNoCell;
  std::vector<HiveProblemAt> problems_;
  std::uint64_t problemCount_ = 0;
  Visit visit_;
  std::vector<std::uint32_t> lists_, chain_;
  HiveCellSet reachRoot_;  // keys found to lead to the root
  HiveCellSet reached_;    // the cells one list has reached, emptied after it
};

struct HiveFile::Opened {
  std::unique_ptr<HiveFile> hive;
  HiveRefusal refusal = HiveRefusal::None;
};

}  // namespace engine
