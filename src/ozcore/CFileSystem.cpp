#include "ozcore/CFileSystem.h"

#include <windows.h>

#include "ozcore/CUtilities.h"
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
      return CUtilities::ToUtf8(text);
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

bool CFileSystem::EnsureFolder(const std::wstring& path) {
  if (path.empty()) return false;
  if (FolderExists(path)) return true;
  std::wstring trimmed = path;
  while (trimmed.size() > 3 && (trimmed.back() == L'\\' || trimmed.back() == L'/')) trimmed.pop_back();
  const std::wstring parent = ParentFolder(trimmed);
  // Stop at a drive root ("C:") or a share root.
  if (!parent.empty() && parent != trimmed && parent.size() > 2 && !FolderExists(parent)) EnsureFolder(parent);
  if (CreateDirectoryW(trimmed.c_str(), nullptr)) return true;
  return FolderExists(trimmed);
}

bool CFileSystem::WriteTextFile(const std::wstring& path, const std::wstring& text, TextEncoding encoding,
                                std::wstring& errorText) {
  errorText.clear();
  const std::string bytes = Encode(text, encoding);
  const std::wstring temp = path + L".partial";
  {
    UniqueFile file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      errorText = CUtilities::SystemMessage(GetLastError());
      return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
      DWORD written = 0;
      if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) {
        errorText = CUtilities::SystemMessage(GetLastError());
        file.reset();
        DeleteFileW(temp.c_str());
        return false;
      }
      done += written;
    }
    if (!FlushFileBuffers(file.get())) {
      errorText = CUtilities::SystemMessage(GetLastError());
      file.reset();
      DeleteFileW(temp.c_str());
      return false;
    }
  }
  if (!MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    errorText = CUtilities::SystemMessage(GetLastError());
    DeleteFileW(temp.c_str());
    return false;
  }
  return true;
}
