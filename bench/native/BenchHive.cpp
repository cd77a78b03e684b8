#include "BenchHive.h"

#include <algorithm>

#include "ozcore/CaseFold.h"

using Bytes = std::vector<std::uint8_t>;

namespace benchhive {

namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFF;
constexpr std::size_t kBinHeader = 32, kBinUnit = 4096, kLeafKeys = 1000;

void Put(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
std::uint32_t Get(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}

class Writer {
 public:
  Writer(engine::RegistrySource& source, engine::Tree tree) : source_(source), tree_(tree) {}

  Bytes Write(const std::wstring& path) {
    const std::uint32_t root = Key(path, L"ROOT", kNone);
    CloseBin();
    Bytes file(4096, 0);
    const std::uint32_t base[] = {0x66676572, 1, 1, 0, 0, 1, 5, 0, 1, root, static_cast<std::uint32_t>(bins_.size()),
                                  1};
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < 12; ++i) benchhive::Put(file, 4 * i, base[i]);
    for (std::size_t i = 0; i < 508; i += 4) sum ^= Get(file, i);
    benchhive::Put(file, 508, sum == 0 ? 1 : sum == 0xFFFFFFFF ? 0xFFFFFFFE : sum);
    file.insert(file.end(), bins_.begin(), bins_.end());
    return file;
  }

 private:
  void Put(std::size_t at, std::uint32_t v) { benchhive::Put(bins_, at, v); }
  // The rest of the open bin becomes one free cell.
  void CloseBin() {
    if (bins_.size() < binEnd_) Put(bins_.size(), static_cast<std::uint32_t>(binEnd_ - bins_.size()));
    bins_.resize(binEnd_, 0);
  }
  // A new cell of data bytes (zeros), in the open bin when it fits there,
  // else at the start of a new one; its offset.
  std::uint32_t Cell(std::size_t data) {
    const std::size_t size = (data + 4 + 7) / 8 * 8;
    if (bins_.size() + size > binEnd_) {
      CloseBin();
      const std::size_t start = bins_.size();
      binEnd_ = start + (kBinHeader + size + kBinUnit - 1) / kBinUnit * kBinUnit;
      bins_.resize(start + kBinHeader, 0);
      Put(start, 0x6E696268), Put(start + 4, static_cast<std::uint32_t>(start));
      Put(start + 8, static_cast<std::uint32_t>(binEnd_ - start));
    }
    const auto at = static_cast<std::uint32_t>(bins_.size());
    bins_.resize(at + size, 0);
    Put(at, 0u - static_cast<std::uint32_t>(size));
    return at;
  }
  std::uint32_t Name(std::uint32_t at, const std::wstring& name) {
    for (std::size_t i = 0; i < name.size(); ++i) bins_[at + i] = static_cast<std::uint8_t>(name[i]);
    return static_cast<std::uint32_t>(name.size());
  }
  std::uint32_t Values(const std::wstring& path) {
    std::vector<std::uint32_t> values;
    for (const auto& valueName : source_.ValueNames(tree_, path)) {
      const auto data = source_.ReadValue(tree_, path, valueName, SIZE_MAX);
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
    valueCount_ = static_cast<std::uint32_t>(values.size());
    const std::uint32_t list = values.empty() ? kNone : Cell(4 * values.size());
    for (std::size_t i = 0; i < values.size(); ++i) Put(list + 4 + 4 * i, values[i]);
    return list;
  }
  // An lh leaf of (cell, hash) pairs; its offset.
  std::uint32_t Leaf(const std::pair<std::uint32_t, std::uint32_t>* keys, std::size_t count) {
    const std::uint32_t leaf = Cell(4 + 8 * count);
    bins_[leaf + 4] = 'l', bins_[leaf + 5] = 'h';
    bins_[leaf + 6] = static_cast<std::uint8_t>(count), bins_[leaf + 7] = static_cast<std::uint8_t>(count >> 8);
    for (std::size_t i = 0; i < count; ++i) Put(leaf + 8 + 8 * i, keys[i].first), Put(leaf + 12 + 8 * i, keys[i].second);
    return leaf;
  }
  std::uint32_t SubkeyList(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& subkeys) {
    if (subkeys.empty()) return kNone;
    if (subkeys.size() <= kLeafKeys) return Leaf(subkeys.data(), subkeys.size());
    std::vector<std::uint32_t> leaves;
    for (std::size_t at = 0; at < subkeys.size(); at += kLeafKeys)
      leaves.push_back(Leaf(subkeys.data() + at, std::min(kLeafKeys, subkeys.size() - at)));
    const std::uint32_t root = Cell(4 + 4 * leaves.size());
    bins_[root + 4] = 'r', bins_[root + 5] = 'i';
    bins_[root + 6] = static_cast<std::uint8_t>(leaves.size()), bins_[root + 7] = static_cast<std::uint8_t>(leaves.size() >> 8);
    for (std::size_t i = 0; i < leaves.size(); ++i) Put(root + 8 + 4 * i, leaves[i]);
    return root;
  }
  std::uint32_t Key(const std::wstring& path, const std::wstring& name, std::uint32_t parent) {
    const std::uint32_t nk = Cell(76 + name.size());
    bins_[nk + 4] = 'n', bins_[nk + 5] = 'k', bins_[nk + 6] = 0x20 | (parent == kNone ? 0x04 : 0);
    Put(nk + 4 + 16, parent), Put(nk + 4 + 44, kNone), Put(nk + 4 + 48, kNone);
    bins_[nk + 4 + 72] = static_cast<std::uint8_t>(Name(nk + 4 + 76, name));
    const std::uint32_t valueList = Values(path);
    Put(nk + 4 + 36, valueCount_), Put(nk + 4 + 40, valueList);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> subkeys;  // cell, hash
    for (const auto& sub : source_.SubKeyNames(tree_, path)) {
      std::uint32_t hash = 0;
      for (const wchar_t ch : FoldCase(sub)) hash = hash * 37 + static_cast<std::uint16_t>(ch);
      subkeys.emplace_back(Key(path.empty() ? sub : path + L"\\" + sub, sub, nk), hash);
    }
    const std::uint32_t list = SubkeyList(subkeys);
    Put(nk + 4 + 20, static_cast<std::uint32_t>(subkeys.size())), Put(nk + 4 + 28, list);
    return nk;
  }

  engine::RegistrySource& source_;
  engine::Tree tree_;
  Bytes bins_;
  std::size_t binEnd_ = 0;
  std::uint32_t valueCount_ = 0;
};

}  // namespace

Bytes Write(engine::RegistrySource& source, engine::Tree tree, const std::wstring& path) {
  return Writer(source, tree).Write(path);
}

}  // namespace benchhive
