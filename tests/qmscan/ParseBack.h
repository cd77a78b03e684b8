#pragma once
// Readers for qmscan's output, independent of the writer: RFC 4180 CSV and
// JSON, enough to read every record back.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace qlmtest {

// Rows of fields. Records end with CR LF; quoted fields may hold anything.
// False (with the position in error) on text that is not well-formed.
bool ParseCsv(const std::wstring& text, std::vector<std::vector<std::wstring>>& rows, std::string& error);

struct JsonValue;
using JsonObject = std::vector<std::pair<std::wstring, JsonValue>>;  // in document order
using JsonArray = std::vector<JsonValue>;
struct JsonValue {
  std::variant<std::nullptr_t, bool, std::int64_t, std::wstring, std::shared_ptr<JsonArray>, std::shared_ptr<JsonObject>>
      value;
};
bool ParseJson(const std::wstring& text, JsonValue& out, std::string& error);

}  // namespace qlmtest
