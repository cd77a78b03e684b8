#include "ozcore/CFileSystem.h"

#include <windows.h>

#include "ozcore/SystemMessage.h"
#include "ozcore/Utf8Text.h"
#include "ozcore/SafeFolder.h"
#include "ozcore/UniqueHandle.h"

namespace {

std::string ToAnsi(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::string Encode(const std::wstring& text, TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf16LeBom: {
      std::string bytes;
      bytes.reserve(2 + text.size() * 2);
      bytes.push_back(static_cast<char>(0xFF));
      bytes.push_back(static_cast<char>(0xFE));
      for (wchar_t ch : text) {
        bytes.push_back(static_cast<char>(ch & 0xFF));
        bytes.push_back(static_cast<char>((ch >> 8) & 0xFF));
      }
      return bytes;
    }
    case TextEncoding::Ansi:
      return ToAnsi(text);
    case TextEncoding::Utf8:
      return utf8text::ToUtf8(text);
  }
  return {};
}

DWORD Attributes(const std::wstring& path) { return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str()); }

}  // namespace

bool CFileSystem::FileExists(const std::wstring& path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool CFileSystem::FolderExists(const std::wstring& path) {
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring CFileSystem::ParentFolder(const std::wstring& path) {
  const auto pos = path.find_last_of(L"\\/");
  return pos == std::wstring::npos ? std::wstring() : path.substr(0, pos);
}

bool CFileSystem::EnsureFolder(const std::wstring& path) { return SafeFolder::Open(path, true).IsOpen(); }

std::string CFileSystem::EncodeText(const std::wstring& text, TextEncoding encoding) { return Encode(text, encoding); }

bool CFileSystem::WriteTextFile(const std::wstring& path, const std::wstring& text, TextEncoding encoding,
                                std::wstring& errorText) {
  errorText.clear();
  const auto slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos || slash + 1 == path.size()) {
    errorText = systemmessage::ForCode(ERROR_INVALID_NAME);
    return false;
  }
  const SafeFolder folder = SafeFolder::OpenChosen(path.substr(0, slash == 2 && path[1] == L':' ? 3 : slash));
  PlaceCheck check;
  if (folder.WriteWholeFile(path.substr(slash + 1), Encode(text, encoding), true, check) ==
      SafeFolder::WriteOutcome::Written)
    return true;
  errorText = systemmessage::ForCode(ErrorCodeOf(check));
  return false;
}
