#include "core/Strings.h"

#include <windows.h>

std::wstring LoadStr(unsigned id) {
  // With a zero length, LoadStringW hands out a pointer into the table
  // itself: texts of any length, no copy into a fixed buffer.
  const wchar_t* text = nullptr;
  const int n = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<wchar_t*>(&text), 0);
  return n > 0 && text ? std::wstring(text, static_cast<std::size_t>(n)) : std::wstring();
}
