#include "discovery/IndirectString.h"

#include <windows.h>

#include "discovery/IndirectStringText.h"
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

}  // namespace

std::wstring LoadIndirectString(const std::wstring& text) {
  std::wstring file;
  std::uint32_t number = 0;
  if (!ParseIndirectString(text, file, number)) return text;

  QuietFileErrors quiet;
  UniqueModule module(
      LoadLibraryExW(ExpandVariables(file).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!module) return text;
  // A zero length hands out a pointer into the table itself: the whole
  // string, whatever its length.
  const wchar_t* loaded = nullptr;
  const int n = LoadStringW(module.get(), number, reinterpret_cast<wchar_t*>(&loaded), 0);
  if (n <= 0 || loaded == nullptr) return text;
  return std::wstring(loaded, static_cast<std::size_t>(n));
}

}  // namespace discovery
