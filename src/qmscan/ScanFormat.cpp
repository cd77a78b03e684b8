#include "qmscan/ScanFormat.h"

#include <cstdio>
#include <variant>

namespace qmscan {

const std::vector<std::wstring>& CsvValueColumns() {
  static const std::vector<std::wstring> columns = {
      L"displayName", L"originalName", L"dLL",      L"key",  L"hive",       L"scope",   L"manufacturer",
      L"version",     L"cATID",        L"Name",     L"buttontext", L"menutext", L"view"};
  return columns;
}

std::wstring CsvField(const std::wstring& text) {
  if (text.find_first_of(L",\"\r\n") == std::wstring::npos) return text;
  std::wstring out = L"\"";
  for (wchar_t ch : text) {
    if (ch == L'"') out.push_back(L'"');
    out.push_back(ch);
  }
  out.push_back(L'"');
  return out;
}

std::wstring CsvHeader() {
  std::wstring line = L"kind,ID";
  for (const auto& column : CsvValueColumns()) line += L"," + CsvField(column);
  return line + L"\r\n";
}

std::wstring CsvRow(const std::wstring& kind, const CResultNode& node) {
  std::wstring line = CsvField(kind) + L"," + CsvField(node.ID);
  for (const auto& column : CsvValueColumns()) line += L"," + CsvField(node.params.Text(column));
  return line + L"\r\n";
}

std::wstring JsonString(const std::wstring& text) {
  std::wstring out = L"\"";
  auto escape = [&out](unsigned code) {
    wchar_t buf[8];
    std::swprintf(buf, 8, L"\\u%04x", code);
    out += buf;
  };
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
    const unsigned code = static_cast<unsigned>(ch) & 0xFFFF;
    if (code < 0x20) {
      escape(code);
    } else if (code >= 0xD800 && code <= 0xDBFF) {
      const unsigned next = i + 1 < text.size() ? static_cast<unsigned>(text[i + 1]) & 0xFFFF : 0;
      if (next >= 0xDC00 && next <= 0xDFFF) {
        out.push_back(ch);
        out.push_back(text[++i]);
      } else {
        escape(code);
      }
    } else if (code >= 0xDC00 && code <= 0xDFFF) {
      escape(code);
    } else {
      out.push_back(ch);
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

ArgumentError ParseArguments(const std::vector<std::wstring>& args, Options& options, std::wstring& errorArgument) {
  options = Options{};
  errorArgument.clear();
  bool csv = false, json = false;
  for (const auto& arg : args) {
    if (arg == L"--json" || arg == L"/json") {
      json = true;
    } else if (arg == L"--csv" || arg == L"/csv") {
      csv = true;
    } else if (arg == L"--help" || arg == L"-h" || arg == L"/?" || arg == L"-?") {
      options.help = true;
    } else {
      errorArgument = arg;
      return ArgumentError::Unknown;
    }
  }
  if (csv && json) {
    errorArgument = L"--json";
    return ArgumentError::Conflict;
  }
  options.form = json ? OutputForm::Json : OutputForm::Csv;
  return ArgumentError::None;
}

}  // namespace qmscan
