#include "app/LogRecords.h"

#include <sstream>

#include "support/TestSupport.h"

namespace qlmtest {

std::vector<LogLine> ReadLog(const std::wstring& path) {
  std::vector<LogLine> lines;
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return lines;
  std::wstringstream in(ReadUtf8File(path));
  std::wstring raw;
  while (std::getline(in, raw)) {
    if (!raw.empty() && raw.back() == L'\r') raw.pop_back();
    std::vector<std::wstring> parts;
    std::size_t from = 0;
    for (int i = 0; i < 4; ++i) {
      const auto at = raw.find(L"  ", from);
      if (at == std::wstring::npos) break;
      parts.push_back(raw.substr(from, at - from));
      from = at + 2;
    }
    if (parts.size() != 4 || parts[1].size() < 2 || parts[2].size() < 2) continue;
    LogLine line;
    line.level = std::stoi(parts[1].substr(1));
    line.number = std::stoi(parts[2].substr(1));
    line.context = parts[3];
    line.text = raw.substr(from);
    lines.push_back(line);
  }
  return lines;
}

}  // namespace qlmtest
