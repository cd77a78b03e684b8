#include "ozcore/CErrorLog.h"

#include <windows.h>

#include "ozcore/Utf8Text.h"
#include "ozcore/UniqueHandle.h"

namespace {

// Opens a log for appending; a new file starts with the UTF-8 mark so that
// every editor shows non-Latin text right.
UniqueFile OpenForAppend(const std::wstring& path, PlaceCheck& check) {
  const auto slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) {
    check = PlaceCheck{PlaceProblem::BadPath, path, ERROR_INVALID_NAME};
    return {};
  }
  const SafeFolder folder = SafeFolder::Open(path.substr(0, slash), false);
  UniqueFile file = folder.OpenForAppend(path.substr(slash + 1), check);
  if (!file) return {};
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file.get(), &size) && size.QuadPart == 0) {
    static const unsigned char bom[] = {0xEF, 0xBB, 0xBF};
    DWORD written = 0;
    WriteFile(file.get(), bom, sizeof(bom), &written, nullptr);
  }
  return file;
}

void AppendLine(const UniqueFile& file, const std::string& line) {
  if (!file) return;
  DWORD written = 0;
  WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace

struct CErrorLog::Impl {
  std::wstring fullPath;
  std::wstring shortPath;
  UniqueFile full;
  UniqueFile brief;
  PlaceCheck fullCheck;
  PlaceCheck briefCheck;
};

CErrorLog::CErrorLog() : impl_(std::make_unique<Impl>()) {}
CErrorLog::~CErrorLog() = default;

bool CErrorLog::OpenLogFiles(const std::wstring& fullLog, const std::wstring& shortLog) {
  impl_->fullPath = fullLog;
  impl_->shortPath = shortLog;
  impl_->full = OpenForAppend(fullLog, impl_->fullCheck);
  impl_->brief = OpenForAppend(shortLog, impl_->briefCheck);
  return static_cast<bool>(impl_->full) && static_cast<bool>(impl_->brief);
}

std::wstring CErrorLog::FormatRecord(std::int32_t number, const std::wstring& text, std::int32_t level,
                                     const std::wstring& context) {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  wchar_t stamp[32];
  swprintf(stamp, 32, L"%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
           t.wMilliseconds);
  // A record is one line: line breaks inside the text are shown as " | ".
  std::wstring flat;
  flat.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t ch = text[i];
    if (ch == L'\r' || ch == L'\n') {
      if (ch == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
      flat += L" | ";
    } else {
      flat.push_back(ch);
    }
  }
  return std::wstring(stamp) + L"  L" + std::to_wstring(level) + L"  #" + std::to_wstring(number) + L"  " + context +
         L"  " + flat;
}

void CErrorLog::LogMessage(std::int32_t number, const std::wstring& text, std::int32_t level,
                           const std::wstring& context) {
  const std::string line = utf8text::ToUtf8(FormatRecord(number, text, level, context) + L"\r\n");
  AppendLine(impl_->full, line);
  const bool information = number == 0 && level == 5;
  if (!information) AppendLine(impl_->brief, line);
}

PlaceCheck CErrorLog::FullLogProblem() const { return impl_->fullCheck; }
PlaceCheck CErrorLog::ShortLogProblem() const { return impl_->briefCheck; }

std::wstring CErrorLog::FullLogPath() const { return impl_->fullPath; }
std::wstring CErrorLog::ShortLogPath() const { return impl_->shortPath; }
