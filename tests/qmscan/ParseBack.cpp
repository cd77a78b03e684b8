#include "qmscan/ParseBack.h"

#include <cwctype>

namespace qlmtest {

bool ParseCsv(const std::wstring& text, std::vector<std::vector<std::wstring>>& rows) {
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

namespace {

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
        std::size_t used = 0;
        const unsigned long code = std::stoul(s.substr(i, 4), &used, 16);
        if (used != 4) return false;
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

}  // namespace

bool ParseJson(const std::wstring& text, JsonValue& out) {
  Reader reader{text, 0};
  if (!reader.Value(out)) return false;
  reader.Space();
  return reader.i == text.size();
}

}  // namespace qlmtest
