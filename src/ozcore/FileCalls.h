#pragma once
// Small helpers around the system's file calls, header-only so that both
// the common library and the engine's live file access use the same ones.
#include <windows.h>

#include <string>

namespace filecalls {

// The text a Win32 call writes into a buffer: fill returns the length
// written, or the size it needs when the buffer is too small, or 0.
template <typename Fill>
std::wstring FilledText(Fill fill, std::size_t firstSize = MAX_PATH) {
  std::wstring out(firstSize, L'\0');
  for (int attempt = 0; attempt < 3; ++attempt) {
    const DWORD n = fill(out.data(), static_cast<DWORD>(out.size()));
    if (n == 0) return {};
    if (n < out.size()) {
      out.resize(n);
      return out;
    }
    out.assign(n + 1, L'\0');
  }
  return {};
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

}  // namespace filecalls
