#include "ozcore/EnvExpansion.h"

#include <windows.h>

#include <optional>

#include "ozcore/EnvText.h"
#include "ozcore/PathText.h"

namespace envexpansion {
namespace {

std::optional<std::wstring> ProcessVariable(const std::wstring& name) {
  if (name.find(L'\0') != std::wstring::npos) return std::nullopt;
  std::wstring value(256, L'\0');
  for (int attempt = 0; attempt < 3; ++attempt) {
    SetLastError(ERROR_SUCCESS);
    const DWORD n = GetEnvironmentVariableW(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (n == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::wstring();
    }
    if (n < value.size()) {
      value.resize(n);
      return value;
    }
    value.assign(n, L'\0');
  }
  return std::nullopt;
}

}  // namespace

std::wstring Expand(const std::wstring& text, bool as32BitProcess) {
  if (text.find(L'%') == std::wstring::npos) return text;
  return envtext::Expand(text, [as32BitProcess](const std::wstring& name) -> std::optional<std::wstring> {
    if (as32BitProcess) {
      if (auto fixed = envtext::Wow32FixedValue(name)) return fixed;
      const std::wstring twin = envtext::Wow32Variable(name);
      if (!twin.empty()) {
        if (auto value = ProcessVariable(twin)) return value;
      }
    }
    return ProcessVariable(name);
  });
}

std::wstring FileSearchName(const std::wstring& path) { return Expand(pathtext::UnquotedFileName(path), false); }

}  // namespace envexpansion
