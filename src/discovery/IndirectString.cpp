#include "discovery/IndirectString.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "discovery/IndirectStringText.h"
#include "discovery/StringTableBlock.h"
#include "ozcore/UniqueHandle.h"

namespace discovery {

namespace {

std::wstring ExpandVariables(const std::wstring& text) {
  if (text.find(L'%') == std::wstring::npos) return text;
  std::wstring out(text.size() + 256, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD n = ExpandEnvironmentStringsW(text.c_str(), out.data(), static_cast<DWORD>(out.size()));
    if (n == 0) return text;
    if (n <= out.size()) {
      out.resize(n - 1);
      return out;
    }
    out.assign(n, L'\0');
  }
  return text;
}

// No "insert a disk" box while a file on a removable drive is opened.
class QuietFileErrors {
 public:
  QuietFileErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_); }
  ~QuietFileErrors() { SetThreadErrorMode(previous_, nullptr); }
  QuietFileErrors(const QuietFileErrors&) = delete;
  QuietFileErrors& operator=(const QuietFileErrors&) = delete;

 private:
  DWORD previous_ = 0;
};

// How many of the size bytes at data can be read: committed, readable pages
// of the same mapping. A resource's size is written in the file and may
// claim more than the image the system mapped.
std::size_t ReadablePrefix(const void* data, std::size_t size) {
  constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                              PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
  const auto start = reinterpret_cast<std::uintptr_t>(data);
  if (size > UINTPTR_MAX - start) size = UINTPTR_MAX - start;
  const void* mapping = nullptr;
  std::uintptr_t pos = start;
  while (pos < start + size) {
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(reinterpret_cast<const void*>(pos), &info, sizeof(info)) == 0) break;
    if (mapping == nullptr) mapping = info.AllocationBase;
    if (info.State != MEM_COMMIT || info.AllocationBase != mapping || (info.Protect & PAGE_GUARD) ||
        !(info.Protect & kReadable))
      break;
    pos = reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize;
  }
  return std::min<std::uintptr_t>(pos, start + size) - start;
}

// The string number of the module's string table, read from its block by
// our own code; nothing when it is missing or its count runs past the block.
std::optional<std::wstring> LoadTableString(HMODULE module, std::uint32_t number) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(StringBlockId(number)), RT_STRING);
  if (found == nullptr) return std::nullopt;
  const DWORD size = SizeofResource(module, found);
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (data == nullptr || size == 0) return std::nullopt;
  return StringFromBlock(static_cast<const unsigned char*>(data), ReadablePrefix(data, size),
                         StringBlockIndex(number));
}

}  // namespace

std::wstring LoadIndirectString(const std::wstring& text) {
  std::wstring file;
  std::uint32_t number = 0;
  if (!ParseIndirectString(text, file, number)) return text;

  QuietFileErrors quiet;
  UniqueModule module(
      LoadLibraryExW(ExpandVariables(file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!module) return text;
  const auto loaded = LoadTableString(module.get(), number);
  // An empty string counts as none, as it always has.
  if (!loaded || loaded->empty()) return text;
  return *loaded;
}

}  // namespace discovery
