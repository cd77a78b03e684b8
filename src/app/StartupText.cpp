#include "app/StartupText.h"

namespace Startup {

std::wstring VersionRecordText(const std::wstring& product, std::int32_t major, std::int32_t minor,
                               std::int32_t revision) {
  return product + L" ver." + std::to_wstring(major) + L"." + std::to_wstring(minor) + L"." +
         std::to_wstring(revision);
}

std::wstring ComponentMessage(const std::wstring& textTemplate, const std::wstring& dllName) {
  std::wstring upper = dllName;
  for (auto& c : upper)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  std::wstring text = textTemplate;
  const auto at = text.find(L"%1");
  if (at != std::wstring::npos) text.replace(at, 2, upper);
  return text;
}

}  // namespace Startup
