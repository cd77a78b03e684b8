#include "ozcore/SystemMessage.h"

#include <windows.h>

#include "ozcore/UniqueHandle.h"

namespace systemmessage {

std::wstring ForCode(std::uint32_t code) {
  wchar_t* raw = nullptr;
  const DWORD n =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&raw), 0, nullptr);
  UniqueLocal owner(raw);
  std::wstring text = n ? std::wstring(raw, n) : std::wstring();
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  if (text.empty()) text = L"Error " + std::to_wstring(code);
  return text;
}

}  // namespace systemmessage
