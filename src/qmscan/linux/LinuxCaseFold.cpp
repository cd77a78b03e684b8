// Letter case folded with the C library's upper-case mapping. main sets a
// UTF-8 locale first, so that letters beyond ASCII fold too (a name on an
// image found in any case, keys compared as the system compares them).
#include <cwctype>

#include "ozcore/CaseFold.h"

std::wstring FoldCase(const std::wstring& text) {
  std::wstring out(text);
  for (auto& ch : out) ch = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(ch)));
  return out;
}
