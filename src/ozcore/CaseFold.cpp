#include "ozcore/CaseFold.h"

#include <windows.h>

std::wstring FoldCase(const std::wstring& text) {
  std::wstring out(text);
  bool ascii = true;
  for (auto& ch : out) {
    if (ch >= L'a' && ch <= L'z') {
      ch = static_cast<wchar_t>(ch - (L'a' - L'A'));
    } else if (ch >= 0x80) {
      ascii = false;
    }
  }
  if (!ascii && !out.empty()) CharUpperBuffW(out.data(), static_cast<DWORD>(out.size()));
  return out;
}
