#include "qmscan/ParseBack.h"

namespace qlmtest {

bool ParseCsv(const std::wstring& text, std::vector<std::vector<std::wstring>>& rows, std::string& error) {
  rows.clear();
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    std::vector<std::wstring> row;
    for (;;) {
      std::wstring field;
      if (i < n && text[i] == L'"') {
        ++i;
        for (;;) {
          if (i >= n) {
            error = "unterminated quote";
            return false;
          }
          if (text[i] == L'"') {
            if (i + 1 < n && text[i + 1] == L'"') {
              field.push_back(L'"');
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          field.push_back(text[i++]);
        }
      } else {
        while (i < n && text[i] != L',' && text[i] != L'\r' && text[i] != L'\n') {
          if (text[i] == L'"') {
            error = "quote inside an unquoted field at " + std::to_string(i);
            return false;
          }
          field.push_back(text[i++]);
        }
      }
      row.push_back(field);
      if (i < n && text[i] == L',') {
        ++i;
        continue;
      }
      if (i + 1 < n && text[i] == L'\r' && text[i + 1] == L'\n') {
        i += 2;
        break;
      }
      error = "record not ended by CR LF at " + std::to_string(i);
      return false;
    }
    rows.push_back(std::move(row));
  }
  return true;
}

namespace {

struct JsonReader {
  const std::wstring& s;
  std::size_t i = 0;
  std::string error;

  void Space() {
    while (i < s.size() && (s[i] == L' ' || s[i] == L'\t' || s[i] == L'\r' || s[i] == L'\n')) ++i;
  }
  bool Fail(const std::string& what) {
    error = what + " at " + std::to_string(i);
    return false;
  }
  bool Literal(const wchar_t* word) {
    const std::wstring w = word;
    if (s.compare(i, w.size(), w) != 0) return false;
    i += w.size();
    return true;
  }
  bool Hex4(unsigned& code) {
    if (i + 4 > s.size()) return false;
    code = 0;
    for (int k = 0; k < 4; ++k) {
      const wchar_t c = s[i++];
      code <<= 4;
      if (c >= L'0' && c <= L'9') code |= c - L'0';
      else if (c >= L'a' && c <= L'f') code |= c - L'a' + 10;
      else if (c >= L'A' && c <= L'F') code |= c - L'A' + 10;
      else return false;
    }
    return true;
  }
  bool String(std::wstring& out) {
    if (i >= s.size() || s[i] != L'"') return Fail("string expected");
    ++i;
    out.clear();
    for (;;) {
      if (i >= s.size()) return Fail("unterminated string");
      const wchar_t c = s[i++];
      if (c == L'"') return true;
      if (static_cast<unsigned>(c) < 0x20) return Fail("raw control character");
      if (c != L'\\') {
        out.push_back(c);
        continue;
      }
      if (i >= s.size()) return Fail("bad escape");
      const wchar_t e = s[i++];
      switch (e) {
        case L'"': out.push_back(L'"'); break;
        case L'\\': out.push_back(L'\\'); break;
        case L'/': out.push_back(L'/'); break;
        case L'b': out.push_back(L'\b'); break;
        case L'f': out.push_back(L'\f'); break;
        case L'n': out.push_back(L'\n'); break;
        case L'r': out.push_back(L'\r'); break;
        case L't': out.push_back(L'\t'); break;
        case L'u': {
          unsigned code = 0;
          if (!Hex4(code)) return Fail("bad \\u escape");
          out.push_back(static_cast<wchar_t>(code));
          break;
        }
        default:
          return Fail("bad escape");
      }
    }
  }
  bool Value(JsonValue& out) {
    Space();
    if (i >= s.size()) return Fail("value expected");
    const wchar_t c = s[i];
    if (c == L'"') {
      std::wstring text;
      if (!String(text)) return false;
      out.value = text;
      return true;
    }
    if (c == L'[') {
      ++i;
      auto array = std::make_shared<JsonArray>();
      Space();
      if (i < s.size() && s[i] == L']') {
        ++i;
        out.value = array;
        return true;
      }
      for (;;) {
        JsonValue item;
        if (!Value(item)) return false;
        array->push_back(item);
        Space();
        if (i < s.size() && s[i] == L',') { ++i; continue; }
        if (i < s.size() && s[i] == L']') { ++i; break; }
        return Fail("',' or ']' expected");
      }
      out.value = array;
      return true;
    }
    if (c == L'{') {
      ++i;
      auto object = std::make_shared<JsonObject>();
      Space();
      if (i < s.size() && s[i] == L'}') {
        ++i;
        out.value = object;
        return true;
      }
      for (;;) {
        Space();
        std::wstring key;
        if (!String(key)) return false;
        Space();
        if (i >= s.size() || s[i] != L':') return Fail("':' expected");
        ++i;
        JsonValue item;
        if (!Value(item)) return false;
        object->emplace_back(key, item);
        Space();
        if (i < s.size() && s[i] == L',') { ++i; continue; }
        if (i < s.size() && s[i] == L'}') { ++i; break; }
        return Fail("',' or '}' expected");
      }
      out.value = object;
      return true;
    }
    if (Literal(L"null")) { out.value = nullptr; return true; }
    if (Literal(L"true")) { out.value = true; return true; }
    if (Literal(L"false")) { out.value = false; return true; }
    if (c == L'-' || (c >= L'0' && c <= L'9')) {
      const bool negative = c == L'-';
      if (negative) ++i;
      std::int64_t number = 0;
      const std::size_t start = i;
      while (i < s.size() && s[i] >= L'0' && s[i] <= L'9') number = number * 10 + (s[i++] - L'0');
      if (i == start) return Fail("digits expected");
      out.value = negative ? -number : number;
      return true;
    }
    return Fail("unexpected character");
  }
};

}  // namespace

bool ParseJson(const std::wstring& text, JsonValue& out, std::string& error) {
  JsonReader reader{text, 0, {}};
  if (!reader.Value(out)) {
    error = reader.error;
    return false;
  }
  reader.Space();
  if (reader.i != text.size()) {
    error = "text after the value at " + std::to_string(reader.i);
    return false;
  }
  return true;
}

}  // namespace qlmtest
