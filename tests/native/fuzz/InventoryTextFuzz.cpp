// Any UTF-16 name: as a CSV cell it reads back as one field that holds no
// raw control character and cannot be evaluated, and gives the name back;
// as a JSON string it reads back exactly; for a terminal it keeps only line
// breaks; as the id, a value's name and its text in a record's JSON Lines
// line, one flat object with no name twice that gives the id back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "../../qmscan/ParseBack.h"
#include "FuzzInput.h"
#include "engine/text/VisibleText.h"
#include "inventory/InventoryText.h"
#include "inventory/JsonLines.h"

namespace {

using qlmfuzz::Check;
using qlmfuzz::Utf16Units;

void CheckCsvCell(const std::wstring& name) {
  std::vector<std::vector<std::wstring>> rows;
  Check(qlmtest::ParseCsv(inventory::CsvField(name) + L"\r\n", rows));
  Check(rows.size() == 1 && rows[0].size() == 1);
  std::wstring field = rows[0][0];
  Check(!qlmtest::HoldsUnsafeCharacter(field));
  Check(!qlmtest::EvaluableCell(field));
  if (!field.empty() && field.front() == L'\'') field.erase(0, 1);
  Check(discovery::text::FromVisibleText(field) == std::optional<std::wstring>(name));
}

void CheckJsonString(const std::wstring& name) {
  const std::wstring literal = inventory::JsonString(name);
  Check(!qlmtest::HoldsUnsafeCharacter(literal));
  qlmtest::JsonValue value;
  Check(qlmtest::ParseJson(literal, value));
  const auto* back = std::get_if<std::wstring>(&value.value);
  Check(back && *back == name);
}

void CheckTerminalText(const std::wstring& text) {
  const std::wstring shown = inventory::TerminalSafe(text);
  std::wstring withoutBreaks;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (shown[i] == L'\n') continue;
    if (shown[i] == L'\r') {
      Check(i + 1 < shown.size() && shown[i + 1] == L'\n');
      continue;
    }
    withoutBreaks.push_back(shown[i]);
  }
  Check(!qlmtest::HoldsUnsafeCharacter(withoutBreaks));
}

void CheckJsonLine(const std::wstring& name) {
  CResultNode node;
  node.ID = name;
  node.params.Add(name, name);
  node.params.Add(L"hive", name);
  node.params.Add(L"key", static_cast<std::int32_t>(0x80000003u));
  const std::wstring line = inventory::JsonLine(L"menuext", node, {}, {}, {L"Signed by %1", L"%1, not trusted"});
  Check(line.find(L'\n') == std::wstring::npos && !qlmtest::HoldsUnsafeCharacter(line));
  qlmtest::JsonValue value;
  Check(qlmtest::ParseJson(line, value));
  const auto* object = std::get_if<std::shared_ptr<qlmtest::JsonObject>>(&value.value);
  Check(object != nullptr);
  std::set<std::wstring> names;
  bool idBack = false;
  for (const auto& [field, inner] : **object) {
    Check(names.insert(field).second);
    Check(!std::holds_alternative<std::shared_ptr<qlmtest::JsonObject>>(inner.value) &&
          !std::holds_alternative<std::shared_ptr<qlmtest::JsonArray>>(inner.value));
    if (field == L"quillmoor.id") idBack = std::get<std::wstring>(inner.value) == name;
  }
  Check(idBack || name.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring name = Utf16Units(data, size);
  CheckCsvCell(name);
  CheckJsonString(name);
  CheckTerminalText(name);
  CheckJsonLine(name);
  return 0;
}
