#pragma once
// Readers for qmscan's output, written apart from its writer: RFC 4180 CSV
// and the JSON that qmscan prints (arrays, objects, strings, integers).
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace qlmtest {

// Rows of fields; every record ends with CR LF. False on malformed text.
bool ParseCsv(const std::wstring& text, std::vector<std::vector<std::wstring>>& rows);

struct JsonValue;
using JsonObject = std::vector<std::pair<std::wstring, JsonValue>>;  // in document order
using JsonArray = std::vector<JsonValue>;
struct JsonValue {
  std::variant<std::int64_t, std::wstring, std::shared_ptr<JsonArray>, std::shared_ptr<JsonObject>> value;
};
// False on malformed text or anything after the value.
bool ParseJson(const std::wstring& text, JsonValue& out);

}  // namespace qlmtest
