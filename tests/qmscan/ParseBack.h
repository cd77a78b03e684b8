#pragma once
// Readers for qmscan's output, written apart from its writer: RFC 4180 CSV
// and the JSON that qmscan prints (arrays, objects, strings, integers), and
// the tables of the HTML report. Header only and platform-free: the native
// tests and fuzz targets use it too.
#include <cwctype>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace qlmtest {

struct JsonValue;
using JsonObject = std::vector<std::pair<std::wstring, JsonValue>>;  // in document order
using JsonArray = std::vector<JsonValue>;
struct JsonValue {
  std::variant<std::int64_t, std::wstring, std::shared_ptr<JsonArray>, std::shared_ptr<JsonObject>> value;
};

// Rows of fields; every record ends with CR LF. False on malformed text.
inline bool ParseCsv(const std::wstring& text, std::vector<std::vector<std::wstring>>& rows);
// False on malformed text or anything after the value.
inline bool ParseJson(const std::wstring& text, JsonValue& out);

// True when text holds a character that acts on a terminal or hides or
// reorders text: C0 and C1 controls, DEL, an unpaired surrogate, or one of
// the invisible characters the output forms must escape. Kept apart from
// the writer's own table on purpose.
inline bool HoldsUnsafeCharacter(const std::wstring& text) {
  static constexpr std::pair<unsigned, unsigned> kInvisible[] = {
      {0x00AD, 0x00AD}, {0x061C, 0x061C}, {0x180E, 0x180E}, {0x200B, 0x200F}, {0x2028, 0x202E},
      {0x2060, 0x2064}, {0x2066, 0x2069}, {0xFEFF, 0xFEFF}, {0xFFF9, 0xFFFB}};
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned c = static_cast<unsigned>(text[i]);
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return true;
    for (const auto& [low, high] : kInvisible)
      if (c >= low && c <= high) return true;
    if (c >= 0xDC00 && c <= 0xDFFF) return true;
    if (c >= 0xD800 && c <= 0xDBFF) {
      const unsigned next = i + 1 < text.size() ? static_cast<unsigned>(text[i + 1]) : 0;
      if (next < 0xDC00 || next > 0xDFFF) return true;
      ++i;
    }
  }
  return false;
}

// True when a spreadsheet would evaluate a cell of this text.
inline bool EvaluableCell(const std::wstring& cell) {
  return !cell.empty() && std::wstring(L"=+-@\t\r").find(cell.front()) != std::wstring::npos;
}

inline bool ParseCsv(const std::wstring& text, std::vector<std::vector<std::wstring>>& rows) {
  rows.clear();
  std::size_t i = 0;
  const std::size_t n = text.size();
  std::vector<std::wstring> row;
  while (i < n) {
    std::wstring field;
    if (text[i] == L'"') {
      for (++i;; ++i) {
        if (i >= n) return false;
        if (text[i] == L'"' && (i + 1 >= n || text[i + 1] != L'"')) break;
        if (text[i] == L'"') ++i;  // a doubled quote
        field.push_back(text[i]);
      }
      ++i;
    } else {
      for (; i < n && text[i] != L',' && text[i] != L'\r' && text[i] != L'\n'; ++i) {
        if (text[i] == L'"') return false;
        field.push_back(text[i]);
      }
    }
    row.push_back(field);
    if (i < n && text[i] == L',') {
      ++i;
    } else if (text.compare(i, 2, L"\r\n") == 0) {
      i += 2;
      rows.push_back(std::move(row));
      row.clear();
    } else {
      return false;
    }
  }
  return row.empty();
}

namespace parseback {

inline int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

struct Reader {
  const std::wstring& s;
  std::size_t i;

  void Space() {
    while (i < s.size() && std::iswspace(s[i])) ++i;
  }
  bool Take(wchar_t c) {
    Space();
    if (i >= s.size() || s[i] != c) return false;
    ++i;
    return true;
  }
  bool String(std::wstring& out) {
    if (!Take(L'"')) return false;
    for (out.clear(); i < s.size();) {
      const wchar_t c = s[i++];
      if (c == L'"') return true;
      if (c < 0x20) return false;
      if (c != L'\\') {
        out.push_back(c);
        continue;
      }
      if (i >= s.size()) return false;
      const wchar_t e = s[i++];
      const std::wstring from = L"\"\\/bfnrt", to = L"\"\\/\b\f\n\r\t";
      if (e == L'u') {
        if (i + 4 > s.size()) return false;
        unsigned code = 0;
        for (std::size_t k = i; k < i + 4; ++k) {
          const int digit = HexDigit(s[k]);
          if (digit < 0) return false;
          code = code * 16 + static_cast<unsigned>(digit);
        }
        out.push_back(static_cast<wchar_t>(code));
        i += 4;
      } else if (from.find(e) != std::wstring::npos) {
        out.push_back(to[from.find(e)]);
      } else {
        return false;
      }
    }
    return false;
  }
  template <typename Item>
  bool Sequence(wchar_t close, Item item) {
    if (Take(close)) return true;
    do {
      if (!item()) return false;
    } while (Take(L','));
    return Take(close);
  }
  bool Value(JsonValue& out) {
    Space();
    if (i >= s.size()) return false;
    if (s[i] == L'"') {
      std::wstring text;
      if (!String(text)) return false;
      out.value = text;
      return true;
    }
    if (Take(L'[')) {
      auto array = std::make_shared<JsonArray>();
      out.value = array;
      return Sequence(L']', [&] { return Value(array->emplace_back()); });
    }
    if (Take(L'{')) {
      auto object = std::make_shared<JsonObject>();
      out.value = object;
      return Sequence(L'}', [&] {
        auto& member = object->emplace_back();
        return String(member.first) && Take(L':') && Value(member.second);
      });
    }
    const std::size_t start = i;
    if (s[i] == L'-') ++i;
    while (i < s.size() && s[i] >= L'0' && s[i] <= L'9') ++i;
    if (i == start || (i == start + 1 && s[start] == L'-')) return false;
    out.value = std::stoll(s.substr(start, i - start));
    return true;
  }
};

}  // namespace parseback

inline bool ParseJson(const std::wstring& text, JsonValue& out) {
  parseback::Reader reader{text, 0};
  if (!reader.Value(out)) return false;
  reader.Space();
  return reader.i == text.size();
}

// One table of the HTML report: its caption and its rows of cell texts,
// the header row (the column captions) first. An empty table's one row is
// returned as it stands: one cell saying there are no entries.
using HtmlTable = std::pair<std::wstring, std::vector<std::vector<std::wstring>>>;

namespace parseback {

// The text of a cell or caption, entities undone; false for a "<" or ">"
// (markup inside a text) or an entity the report never writes.
inline bool HtmlCellText(const std::wstring& raw, std::wstring& out) {
  static const std::pair<const wchar_t*, wchar_t> kEntities[] = {
      {L"&amp;", L'&'}, {L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&quot;", L'"'}, {L"&#39;", L'\''}};
  out.clear();
  for (std::size_t i = 0; i < raw.size();) {
    if (raw[i] == L'<' || raw[i] == L'>') return false;
    if (raw[i] != L'&') {
      out.push_back(raw[i++]);
      continue;
    }
    bool known = false;
    for (const auto& [entity, ch] : kEntities) {
      const std::wstring e(entity);
      if (raw.compare(i, e.size(), e) == 0) {
        out.push_back(ch);
        i += e.size();
        known = true;
        break;
      }
    }
    if (!known) return false;
  }
  return true;
}

}  // namespace parseback

// The report's tables in page order. False when the page is not made of
// whole tables of that form: text between the table's tags other than
// line breaks, a tag other than the table's own, a table, row or cell not
// closed, markup inside a text.
inline bool ParseHtmlReport(const std::wstring& html, std::vector<HtmlTable>& tables) {
  tables.clear();
  std::size_t pos = 0;
  auto blank = [](const std::wstring& t) { return t.find_first_not_of(L"\r\n") == std::wstring::npos; };
  // The next tag from pos: the text before it and the tag's name with its
  // attributes; false at the end.
  auto nextTag = [&](std::wstring& before, std::wstring& tag) {
    const std::size_t open = html.find(L'<', pos);
    if (open == std::wstring::npos) return false;
    const std::size_t close = html.find(L'>', open);
    if (close == std::wstring::npos) return false;
    before = html.substr(pos, open - pos);
    tag = html.substr(open + 1, close - open - 1);
    pos = close + 1;
    return true;
  };
  auto isCell = [](const std::wstring& tag) {
    return tag == L"th" || tag == L"td" || tag.rfind(L"td ", 0) == 0;
  };
  std::wstring before, tag;
  while ((pos = html.find(L"<table>", pos)) != std::wstring::npos) {
    pos += 7;
    HtmlTable table;
    std::vector<std::wstring>* row = nullptr;
    bool closed = false;
    while (!closed) {
      if (!nextTag(before, tag)) return false;
      if (isCell(tag) || tag == L"caption") {
        const std::wstring closing = L"/" + tag.substr(0, tag == L"caption" ? 7 : 2);
        std::wstring text, inner;
        if (!blank(before) || !nextTag(inner, tag) || tag != closing || !parseback::HtmlCellText(inner, text))
          return false;
        if (closing == L"/caption") {
          table.first = text;
        } else {
          if (!row) return false;
          row->push_back(text);
        }
        continue;
      }
      if (!blank(before)) return false;
      if (tag == L"tr") {
        if (row) return false;
        row = &table.second.emplace_back();
      } else if (tag == L"/tr") {
        if (!row) return false;
        row = nullptr;
      } else if (tag == L"/table") {
        closed = !row;
        if (!closed) return false;
      } else if (tag != L"thead" && tag != L"/thead" && tag != L"tbody" && tag != L"/tbody") {
        return false;
      }
    }
    tables.push_back(std::move(table));
  }
  return true;
}

}  // namespace qlmtest
