#pragma once
// The records of a log file, as the logger writes them:
//   <time stamp>  L<level>  #<number>  <context>  <text>
#include <cstdint>
#include <string>
#include <vector>

namespace qlmtest {

struct LogLine {
  std::int32_t level = -1;
  std::int32_t number = 0;
  std::wstring context;
  std::wstring text;
};

// Empty when the file does not exist.
std::vector<LogLine> ReadLog(const std::wstring& path);

}  // namespace qlmtest
