#include "core/ProgramResources.h"

#include <vector>

namespace {

// The system's message for an error code, up to 256 characters.
std::wstring SystemText(DWORD code) {
  wchar_t buf[256] = {};
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                                 static_cast<DWORD>(std::size(buf)), nullptr);
  return std::wstring(buf, n);
}

}  // namespace

bool ProgramResources::Init(const std::wstring& fileName) {
  module_.reset();
  fileName_.clear();
  fileName_ = fileName;
  if (fileName.empty()) return false;
  try {
    module_.reset(LoadLibraryExW(fileName.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE));
    if (!module_) {
      const DWORD code = GetLastError();
      throw QlmError(kLoadFailed, L"CResource", SystemText(code));
    }
    return true;
  } catch (...) {
    // Whatever failed inside, the caller sees the one component error.
    module_.reset();
    throw QlmError(kInitFailed, L"CResource.Init", L"CResource component failure in Function Init");
  }
}

void ProgramResources::SetFileName(const std::wstring& fileName) {
  try {
    Init(fileName);
  } catch (const QlmError&) {
    // Setting the name drops Init's result, the failure included.
  }
}

std::wstring ProgramResources::ProgramFile() {
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) return std::wstring(buf.data(), n);
    buf.resize(buf.size() * 2);
  }
}

std::wstring ProgramResources::ProgramFolder() {
  const std::wstring file = ProgramFile();
  const auto cut = file.find_last_of(L'\\');
  return cut == std::wstring::npos ? std::wstring() : file.substr(0, cut);
}

bool ProgramResources::ProgramVersion(int& major, int& minor, int& revision) {
  const std::wstring self = ProgramResources::ProgramFile();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(self.c_str(), &ignored);
  if (size == 0) return false;
  std::vector<unsigned char> data(size);
  if (!GetFileVersionInfoW(self.c_str(), 0, size, data.data())) return false;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &len) || !info || len < sizeof(*info))
    return false;
  major = HIWORD(info->dwFileVersionMS);
  minor = LOWORD(info->dwFileVersionMS);
  revision = HIWORD(info->dwFileVersionLS);
  return true;
}
