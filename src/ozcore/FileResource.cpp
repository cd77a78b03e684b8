#include "ozcore/FileResource.h"

#include <windows.h>

#include <algorithm>

#include "ozcore/FileCalls.h"
#include "ozcore/UniqueHandle.h"

namespace fileresource {
namespace {


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

}  // namespace

std::vector<unsigned char> Read(const std::wstring& file, std::uint16_t type, std::uint16_t id) {
  if (file.empty() || file.find(L'\0') != std::wstring::npos) return {};
  filecalls::QuietFileErrors quiet;
  UniqueModule module(LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!module) return {};
  HRSRC found = FindResourceW(module.get(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type));
  if (found == nullptr) return {};
  const DWORD size = SizeofResource(module.get(), found);
  HGLOBAL loaded = LoadResource(module.get(), found);
  const auto* data = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
  if (data == nullptr || size == 0) return {};
  return std::vector<unsigned char>(data, data + ReadablePrefix(data, size));
}

}  // namespace fileresource
