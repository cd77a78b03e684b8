// Any bytes as a program file: the resource reader never reads outside the
// file, and what it gives is bounded by the file. The seeds are resource-only
// DLLs linked from the fixtures' resource scripts (one rewritten as PE32).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/files/MemoryFileSource.h"
#include "engine/files/PeResources.h"

namespace {

// The memory source, with every read checked to lie inside the file.
class CheckedSource final : public engine::FileSource {
 public:
  engine::MemoryFileSource inner;
  std::optional<engine::FileStat> Facts(const std::wstring& path) override { return inner.Facts(path); }
  std::optional<std::vector<engine::FolderEntry>> List(const std::wstring& folder) override {
    return inner.List(folder);
  }
  std::unique_ptr<engine::OpenFile> Open(const std::wstring& path) override {
    struct Checked final : engine::OpenFile {
      std::unique_ptr<engine::OpenFile> file;
      std::uint64_t Size() const override { return file->Size(); }
      std::optional<std::vector<std::uint8_t>> Read(std::uint64_t offset, std::size_t length) override {
        if (offset > file->Size() || length > file->Size() - offset) std::abort();
        return file->Read(offset, length);
      }
    };
    auto checked = std::make_unique<Checked>();
    checked->file = inner.Open(path);
    return checked->file ? std::move(checked) : nullptr;
  }
};

std::uint16_t WordAt(const std::uint8_t* data, std::size_t size, std::size_t at) {
  return at + 1 < size ? static_cast<std::uint16_t>(data[at] | (data[at + 1] << 8)) : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckedSource files;
  const std::wstring path = L"C:\\fuzz\\x.dll";
  files.inner.AddFile(path, std::vector<std::uint8_t>(data, data + size));
  // What to ask for comes from DOS header fields no reader looks at.
  const engine::LanguageOrder languages = {WordAt(data, size, 2), 0, 0x409};
  const auto strings = engine::VersionStrings(files, path, languages);
  if (strings.Count() > 12) std::abort();
  for (std::size_t i = 1; i <= strings.Count(); ++i)
    if (strings.Item(i).size() * 2 > size) std::abort();
  for (const std::uint32_t number : {std::uint32_t{WordAt(data, size, 4)}, 96u, 101u, 200u}) {
    const auto text = engine::ResourceString(files, path, number, languages);
    if (text && text->size() * 2 + 2 > size) std::abort();
  }
  const auto bytes = engine::ReadResource(files, path, WordAt(data, size, 6), WordAt(data, size, 8), languages);
  if (bytes && (bytes->empty() || bytes->size() > size || bytes->size() > engine::kMaxResourceBytes)) std::abort();
  return 0;
}
