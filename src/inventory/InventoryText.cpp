#include "inventory/InventoryText.h"

#include <iterator>
#include <string_view>
#include <variant>

#include "engine/text/VisibleText.h"

namespace inventory {

const std::vector<std::wstring>& CsvValueColumns() {
  static const std::vector<std::wstring> columns = {
      L"displayName", L"originalName", L"dLL",      L"key",      L"hive", L"scope",   L"manufacturer",
      L"version",     L"cATID",        L"Name",     L"buttontext", L"menutext", L"view", L"fileNote",
      // The newer kinds' own values, after the columns scripts already read.
      L"codeBase",    L"list",         L"classId",  L"system",     L"url",      L"isDefault",
      // Every kind's state and signature.
      L"state",       L"signature",
      // Where the listing was read and when the entry's key was written.
      L"source",      L"lastWritten",
      // The file's hash, or why it has none.
      L"sha256",      L"hashNote"};
  return columns;
}

namespace {

// Characters that make a spreadsheet read a cell as a formula (TAB and CR
// cannot begin a visible cell; they stay here in case that ever changes),
// and "'" itself, so that the mark can always be told from the name.
bool NeedsTextMark(const std::wstring& cell) {
  return !cell.empty() && std::wstring_view(L"=+-@\t\r'").find(cell.front()) != std::wstring_view::npos;
}

std::wstring Quoted(const std::wstring& cell) {
  if (cell.find_first_of(L",\"\r\n") == std::wstring::npos) return cell;
  std::wstring out;
  out.reserve(cell.size() + 8);
  out.push_back(L'"');
  for (wchar_t ch : cell) {
    if (ch == L'"') out.push_back(L'"');
    out.push_back(ch);
  }
  out.push_back(L'"');
  return out;
}

void AppendJsonEscape(std::wstring& out, std::uint32_t code) {
  static constexpr wchar_t kHex[] = L"0123456789abcdef";
  const wchar_t escape[] = {L'\\', L'u', kHex[(code >> 12) & 0xF], kHex[(code >> 8) & 0xF], kHex[(code >> 4) & 0xF],
                            kHex[code & 0xF]};
  out.append(escape, std::size(escape));
}

bool IsHigh(std::uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(std::uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::wstring CsvField(const std::wstring& text) {
  std::wstring cell = discovery::text::VisibleText(text);
  if (NeedsTextMark(cell)) cell.insert(cell.begin(), L'\'');
  return Quoted(cell);
}

std::wstring CsvNumber(std::int32_t number) { return std::to_wstring(number); }

std::wstring CsvHeader() {
  std::wstring line = L"kind,ID";
  for (const auto& column : CsvValueColumns()) line += L"," + CsvField(column);
  return line + L"\r\n";
}

std::wstring CsvRow(const std::wstring& kind, const CResultNode& node) {
  std::wstring line = CsvField(kind) + L"," + CsvField(node.ID);
  for (const auto& column : CsvValueColumns()) {
    line.push_back(L',');
    const CParam* param = node.params.Find(column);
    if (!param) continue;
    const ParamValue& value = param->Values(1);
    if (const auto* number = std::get_if<std::int32_t>(&value))
      line += CsvNumber(*number);
    else
      line += CsvField(std::get<std::wstring>(value));
  }
  return line + L"\r\n";
}

std::wstring JsonString(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size() + 8);
  out.push_back(L'"');
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t ch = text[i];
    switch (ch) {
      case L'"': out += L"\\\""; continue;
      case L'\\': out += L"\\\\"; continue;
      case L'\b': out += L"\\b"; continue;
      case L'\f': out += L"\\f"; continue;
      case L'\n': out += L"\\n"; continue;
      case L'\r': out += L"\\r"; continue;
      case L'\t': out += L"\\t"; continue;
      default: break;
    }
    const std::uint32_t code = static_cast<std::uint32_t>(ch);
    if (!discovery::text::IsUnsafeToShow(code)) {
      out.push_back(ch);
    } else if (IsHigh(code) && i + 1 < text.size() && IsLow(static_cast<std::uint32_t>(text[i + 1]))) {
      out.push_back(ch);
      out.push_back(text[++i]);
    } else {
      AppendJsonEscape(out, code);
    }
  }
  out.push_back(L'"');
  return out;
}

std::wstring JsonRecord(const std::wstring& kind, const CResultNode& node) {
  std::wstring out = L"{\"kind\": " + JsonString(kind) + L", \"ID\": " + JsonString(node.ID) + L", \"values\": {";
  for (std::size_t i = 1; i <= node.params.Count(); ++i) {
    const CParam* param = node.params.At(i);
    if (i > 1) out += L", ";
    out += JsonString(param->Key()) + L": ";
    const ParamValue& value = param->Values(1);
    if (const auto* number = std::get_if<std::int32_t>(&value))
      out += std::to_wstring(*number);
    else
      out += JsonString(std::get<std::wstring>(value));
  }
  return out + L"}}";
}

std::wstring TerminalSafe(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t ch = text[i];
    const std::uint32_t code = static_cast<std::uint32_t>(ch);
    const bool lineBreak = ch == L'\n' || (ch == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n');
    if (!discovery::text::IsUnsafeToShow(code) || lineBreak) {
      out.push_back(ch);
    } else if (IsHigh(code) && i + 1 < text.size() && IsLow(static_cast<std::uint32_t>(text[i + 1]))) {
      out.push_back(ch);
      out.push_back(text[++i]);
    } else {
      out += discovery::text::VisibleText(std::wstring(1, ch));
    }
  }
  return out;
}

std::wstring JsonDocument(const std::vector<KindRecord>& records) {
  if (records.empty()) return L"[]\r\n";
  std::wstring out = L"[";
  for (std::size_t i = 0; i < records.size(); ++i) {
    out += i == 0 ? L"\r\n  " : L",\r\n  ";
    out += JsonRecord(records[i].kind, *records[i].node);
  }
  return out + L"\r\n]\r\n";
}

std::wstring CsvDocument(const std::vector<KindRecord>& records) {
  std::wstring out = CsvHeader();
  for (const auto& record : records) out += CsvRow(record.kind, *record.node);
  return out;
}

}  // namespace inventory
