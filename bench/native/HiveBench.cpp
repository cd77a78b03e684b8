// Times the hive reader: the machine EngineBench lists (N add-ons per kind
// over H user hives) written as hive files (the machine's SOFTWARE and one
// NTUSER.DAT per user) by the small writer below, then listed by the engine
// through the hive registry source, against the same machine in memory; and
// a walk of every key and value of the software hive, from memory and from
// a file, in MB/s with the process's peak memory. Prints figures; asserts
// nothing.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "engine/kinds/AddonKinds.h"
#include "engine/kinds/AddonListing.h"
#include "engine/sources/HiveRegistry.h"
#include "ozcore/CaseFold.h"
#include "BenchMachine.h"
#include "support/MemoryMachine.h"

using engine::Tree;
using Bytes = std::vector<std::uint8_t>;

namespace {

// A hive file of a registry tree: one hive bin, every cell in it, subkeys
// in lh lists in the registry's order. Enough for the data made here (no
// value over 16344 bytes, no list over 65535 keys).
class HiveWriter {
 public:
  Bytes Write(engine::RegistrySource& source, Tree tree, const std::wstring& path) {
    bins_.assign(32, 0);
    const std::uint32_t root = Key(source, tree, path, L"ROOT", 0xFFFFFFFF);
    Put(0, 0x6E696268), Put(4, 0), Put(8, static_cast<std::uint32_t>(bins_.size()));
    Bytes file(4096, 0);
    const std::uint32_t base[] = {0x66676572, 1, 1, 0, 0, 1, 5, 0, 1, root, static_cast<std::uint32_t>(bins_.size()),
                                  1};
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < 12; ++i) Put(file, 4 * i, base[i]);
    for (std::size_t i = 0; i < 508; i += 4) sum ^= Get(file, i);
    Put(file, 508, sum == 0 ? 1 : sum == 0xFFFFFFFF ? 0xFFFFFFFE : sum);
    file.insert(file.end(), bins_.begin(), bins_.end());
    return file;
  }

 private:
  static void Put(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
  static std::uint32_t Get(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
  }
  void Put(std::size_t at, std::uint32_t v) { Put(bins_, at, v); }
  // A new cell of data bytes (zeros); its offset. The bin grows to whole 4 KB.
  std::uint32_t Cell(std::size_t data) {
    const auto at = static_cast<std::uint32_t>(bins_.size());
    const std::size_t size = (data + 4 + 7) / 8 * 8;
    bins_.resize(at + size, 0);
    Put(at, 0u - static_cast<std::uint32_t>(size));
    return at;
  }
  std::uint32_t Name(std::uint32_t at, const std::wstring& name) {
    for (std::size_t i = 0; i < name.size(); ++i) bins_[at + i] = static_cast<std::uint8_t>(name[i]);
    return static_cast<std::uint32_t>(name.size());
  }
  std::uint32_t Key(engine::RegistrySource& source, Tree tree, const std::wstring& path, const std::wstring& name,
                    std::uint32_t parent) {
    const std::uint32_t nk = Cell(76 + name.size());
    bins_[nk + 4] = 'n', bins_[nk + 5] = 'k', bins_[nk + 6] = 0x20 | (parent == 0xFFFFFFFF ? 0x04 : 0);
    Put(nk + 4 + 16, parent), Put(nk + 4 + 44, 0xFFFFFFFF), Put(nk + 4 + 48, 0xFFFFFFFF);
    bins_[nk + 4 + 72] = static_cast<std::uint8_t>(Name(nk + 4 + 76, name));
    const auto valueNames = source.ValueNames(tree, path);
    std::vector<std::uint32_t> values;
    for (const auto& valueName : valueNames) {
      const auto data = source.ReadValue(tree, path, valueName, SIZE_MAX);
      const std::uint32_t vk = Cell(20 + valueName.size());
      bins_[vk + 4] = 'v', bins_[vk + 5] = 'k', bins_[vk + 6] = static_cast<std::uint8_t>(Name(vk + 4 + 20, valueName));
      Put(vk + 4 + 12, data->type), bins_[vk + 4 + 16] = 1;
      if (data->bytes.size() <= 4) {
        Put(vk + 4 + 4, 0x80000000 | static_cast<std::uint32_t>(data->bytes.size()));
        for (std::size_t i = 0; i < data->bytes.size(); ++i) bins_[vk + 4 + 8 + i] = data->bytes[i];
      } else {
        const std::uint32_t cell = Cell(data->bytes.size());
        std::copy(data->bytes.begin(), data->bytes.end(), bins_.begin() + cell + 4);
        Put(vk + 4 + 4, static_cast<std::uint32_t>(data->bytes.size())), Put(vk + 4 + 8, cell);
      }
      values.push_back(vk);
    }
    const std::uint32_t valueList = values.empty() ? 0xFFFFFFFF : Cell(4 * values.size());
    for (std::size_t i = 0; i < values.size(); ++i) Put(valueList + 4 + 4 * i, values[i]);
    Put(nk + 4 + 36, static_cast<std::uint32_t>(values.size())), Put(nk + 4 + 40, valueList);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> subkeys;  // cell, hash
    for (const auto& sub : source.SubKeyNames(tree, path)) {
      std::uint32_t hash = 0;
      for (const wchar_t ch : FoldCase(sub)) hash = hash * 37 + static_cast<std::uint16_t>(ch);
      subkeys.emplace_back(Key(source, tree, path.empty() ? sub : path + L"\\" + sub, sub, nk), hash);
    }
    const std::uint32_t list = subkeys.empty() ? 0xFFFFFFFF : Cell(4 + 8 * subkeys.size());
    if (!subkeys.empty()) {
      bins_[list + 4] = 'l', bins_[list + 5] = 'h';
      bins_[list + 6] = static_cast<std::uint8_t>(subkeys.size()),
                   bins_[list + 7] = static_cast<std::uint8_t>(subkeys.size() >> 8);
      for (std::size_t i = 0; i < subkeys.size(); ++i)
        Put(list + 8 + 8 * i, subkeys[i].first), Put(list + 12 + 8 * i, subkeys[i].second);
    }
    Put(nk + 4 + 20, static_cast<std::uint32_t>(subkeys.size())), Put(nk + 4 + 28, list);
    if (parent == 0xFFFFFFFF) bins_.resize((bins_.size() + 4095) / 4096 * 4096, 0);
    return nk;
  }
  Bytes bins_;
};

// A file read with pread, the way a hive on disk is read.
class FileBytes final : public engine::HiveBytes {
 public:
  explicit FileBytes(const std::string& path) : fd_(open(path.c_str(), O_RDONLY)) {}
  ~FileBytes() override { close(fd_); }
  std::uint64_t Size() const override { return static_cast<std::uint64_t>(lseek(fd_, 0, SEEK_END)); }
  bool Read(std::uint64_t offset, std::size_t length, std::uint8_t* out) override {
    return pread(fd_, out, length, static_cast<off_t>(offset)) == static_cast<ssize_t>(length);
  }

 private:
  int fd_;
};

double Ms(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}
long PeakKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Every key, value and data of a hive; the keys walked.
std::size_t WalkAll(engine::HiveFile& hive) {
  std::size_t keys = 0;
  for (std::vector<engine::HiveKey> todo = {*hive.Key(hive.RootCell())}; !todo.empty(); ++keys) {
    const auto key = todo.back();
    todo.pop_back();
    for (const auto& value : hive.Values(key)) hive.Data(value, engine::kMaxReadValueBytes);
    for (auto& sub : hive.SubKeys(key)) todo.push_back(std::move(sub));
  }
  return keys;
}

}  // namespace

int main(int argc, char** argv) {
  const int perKind = argc > 1 ? std::atoi(argv[1]) : 5000;
  const int hives = argc > 2 ? std::atoi(argv[2]) : 10;
  const int runs = argc > 3 ? std::atoi(argv[3]) : 3;
  // "walk FILE": only the walk of one hive file, for its peak memory alone.
  if (argc > 2 && std::string(argv[1]) == "walk") {
    auto hive = engine::HiveFile::Open(std::make_unique<FileBytes>(argv[2])).hive;
    const auto start = std::chrono::steady_clock::now();
    const std::size_t keys = hive ? WalkAll(*hive) : 0;
    std::printf("walked %zu keys of %s in %.0f ms, peak memory %ld KB\n", keys, argv[2], Ms(start), PeakKb());
    return 0;
  }
  qlmtest::MemoryMachine machine;
  benchmachine::Build(machine, perKind, hives);
  HiveWriter writer;
  const Bytes software = writer.Write(machine.registry, Tree::Machine, L"SOFTWARE");
  engine::HiveRegistry registry;
  registry.Mount(Tree::Machine, L"SOFTWARE",
                 engine::HiveFile::Open(std::make_unique<engine::MemoryHiveBytes>(software)).hive);
  std::size_t total = software.size();
  for (const auto& sid : machine.registry.SubKeyNames(Tree::Users, L"")) {
    const Bytes user = writer.Write(machine.registry, Tree::Users, sid);
    total += user.size();
    registry.Mount(Tree::Users, sid, engine::HiveFile::Open(std::make_unique<engine::MemoryHiveBytes>(user)).hive);
  }
  std::printf("hive reader: %d add-ons per kind, %d user hives, %.1f MB of hives (software %.1f MB)\n", perKind, hives,
              total / 1e6, software.size() / 1e6);
  engine::MachineSources overHives{registry, machine.files, machine.sources.accountName, L"", machine.sources.views, {}};
  for (int run = 0; run < runs; ++run) {
    std::size_t fromHives = 0, fromMemory = 0;
    auto start = std::chrono::steady_clock::now();
    for (const auto& kind : discovery::AddonKinds()) fromHives += discovery::ListAddons(kind, overHives).size();
    const double hiveMs = Ms(start);
    start = std::chrono::steady_clock::now();
    for (const auto& kind : discovery::AddonKinds()) fromMemory += discovery::ListAddons(kind, machine.sources).size();
    std::printf("  run %d: %zu entries listed from the hives in %.0f ms (%zu from memory in %.0f ms)\n", run + 1,
                fromHives, hiveMs, fromMemory, Ms(start));
  }
  const std::string path = "/tmp/qlm-hive-bench-software";
  if (FILE* out = std::fopen(path.c_str(), "wb")) {
    std::fwrite(software.data(), 1, software.size(), out);
    std::fclose(out);
  }
  for (const bool fromFile : {false, true}) {
    auto hive = engine::HiveFile::Open(fromFile ? std::unique_ptr<engine::HiveBytes>(std::make_unique<FileBytes>(path))
                                                : std::make_unique<engine::MemoryHiveBytes>(software))
                    .hive;
    const auto start = std::chrono::steady_clock::now();
    const std::size_t keys = WalkAll(*hive);
    const double ms = Ms(start);
    std::printf("  walk of the software hive %s: %zu keys in %.0f ms, %.0f MB/s\n",
                fromFile ? "from a file" : "in memory", keys, ms, software.size() / 1e3 / ms);
  }
  std::printf("  peak memory %ld KB (the machine in memory and its hives included; \"walk FILE\" for one file)\n",
              PeakKb());
  std::printf("  software hive kept in %s\n", path.c_str());
  return 0;
}
