#pragma once
// The records of a log file without their time stamps, as the logger writes
// them: "L<level>  #<number>  <context>  <text>".
#include <sstream>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace qlmtest {

inline std::vector<std::wstring> LogLines(const std::wstring& path) {
  std::vector<std::wstring> lines;
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return lines;
  std::wstringstream in(ReadUtf8File(path));
  for (std::wstring line; std::getline(in, line);) {
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    const auto at = line.find(L"  L");  // after "yyyy-mm-dd hh:mm:ss.fff"
    if (at != std::wstring::npos) lines.push_back(line.substr(at + 2));
  }
  return lines;
}

}  // namespace qlmtest
