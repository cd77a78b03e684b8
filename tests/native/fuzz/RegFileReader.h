#pragma once
// A small, strict reader of registry export text, to check what the writer
// produces: the header line, "[key]" sections, value lines ("name"= or @=)
// with the data forms the writer uses ("text", dword:, hex:, hex(N):,
// continued by ",\" and an indented line), empty lines between. Anything
// else (a deletion line, a comment, a lone CR or LF, a NUL, an escape other
// than \\ and \", a value before any section) is refused, with the reason.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qlmtest {

struct RegFileValue {
  std::wstring name;  // "" for the default value (@)
  std::uint32_t type = 0;
  std::vector<unsigned char> data;
  bool operator==(const RegFileValue&) const = default;
};

struct RegFileSection {
  std::wstring name;
  std::vector<RegFileValue> values;
  bool operator==(const RegFileSection&) const = default;
};

namespace regfile_detail {

inline int HexDigit(wchar_t ch) {
  if (ch >= L'0' && ch <= L'9') return ch - L'0';
  if (ch >= L'a' && ch <= L'f') return ch - L'a' + 10;
  if (ch >= L'A' && ch <= L'F') return ch - L'A' + 10;
  return -1;
}

class Reader {
 public:
  explicit Reader(std::string& error) : error_(error) {}

  bool Read(const std::wstring& text, std::vector<RegFileSection>& sections) {
    if (!SplitLines(text)) return false;
    if (lines_.empty() || lines_[0] != L"Windows Registry Editor Version 5.00") return Fail("no header line");
    for (line_ = 1; line_ < lines_.size(); ++line_) {
      const std::wstring& line = lines_[line_];
      if (line.empty()) continue;
      if (line[0] == L'[') {
        if (line.size() >= 2 && line[1] == L'-') return Fail("key deletion line");
        if (line.size() < 2 || line.back() != L']') return Fail("section without its closing bracket");
        sections.push_back({line.substr(1, line.size() - 2), {}});
      } else if (line[0] == L'"' || line[0] == L'@') {
        if (sections.empty()) return Fail("value before any section");
        RegFileValue value;
        if (!ValueLine(value)) return false;
        sections.back().values.push_back(std::move(value));
      } else {
        return Fail("line that is neither a section nor a value");
      }
    }
    return true;
  }

 private:
  bool Fail(const char* why) {
    error_ = std::string(why) + " (line " + std::to_string(line_ + 1) + ")";
    return false;
  }

  bool SplitLines(const std::wstring& text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == L'\0') return Fail("NUL in the text");
      if (text[i] == L'\n') return Fail("LF without CR");
      if (text[i] != L'\r') continue;
      if (i + 1 >= text.size() || text[i + 1] != L'\n') return Fail("CR without LF");
      lines_.push_back(text.substr(start, i - start));
      start = i + 2;
      ++i;
    }
    if (start != text.size()) return Fail("last line without its line break");
    return true;
  }

  // A quoted text from pos (at the opening quote) to its closing quote;
  // pos ends after the closing quote.
  bool Quoted(const std::wstring& line, std::size_t& pos, std::wstring& out) {
    for (++pos; pos < line.size(); ++pos) {
      if (line[pos] == L'"') {
        ++pos;
        return true;
      }
      if (line[pos] == L'\\') {
        if (pos + 1 >= line.size() || (line[pos + 1] != L'\\' && line[pos + 1] != L'"'))
          return Fail("backslash that escapes nothing");
        ++pos;
      }
      out.push_back(line[pos]);
    }
    return Fail("quoted text without its closing quote");
  }

  bool ValueLine(RegFileValue& value) {
    const std::wstring& line = lines_[line_];
    std::size_t pos = 0;
    if (line[0] == L'@') {
      pos = 1;
    } else {
      if (!Quoted(line, pos, value.name)) return false;
      if (value.name.empty()) return Fail("default value written as \"\"");
    }
    if (pos >= line.size() || line[pos] != L'=') return Fail("value name without \"=\"");
    const std::wstring data = line.substr(pos + 1);
    if (!data.empty() && data[0] == L'-') return Fail("value deletion line");
    if (!data.empty() && data[0] == L'"') {
      std::size_t at = 0;
      std::wstring text;
      if (!Quoted(data, at, text)) return false;
      if (at != data.size()) return Fail("text after the closing quote");
      value.type = 1;
      for (wchar_t ch : text) {
        value.data.push_back(static_cast<unsigned char>(ch & 0xFF));
        value.data.push_back(static_cast<unsigned char>((ch >> 8) & 0xFF));
      }
      value.data.push_back(0);
      value.data.push_back(0);
      return true;
    }
    if (data.compare(0, 6, L"dword:") == 0) {
      if (data.size() != 14) return Fail("dword without eight digits");
      std::uint32_t v = 0;
      for (std::size_t i = 6; i < 14; ++i) {
        const int d = HexDigit(data[i]);
        if (d < 0) return Fail("dword with a non-hex digit");
        v = v << 4 | static_cast<std::uint32_t>(d);
      }
      value.type = 4;
      for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<unsigned char>(v >> (8 * i)));
      return true;
    }
    std::size_t at = 0;
    if (data.compare(0, 4, L"hex:") == 0) {
      value.type = 3;
      at = 4;
    } else if (data.compare(0, 4, L"hex(") == 0) {
      at = 4;
      std::uint64_t type = 0;
      std::size_t digits = 0;
      for (; at < data.size() && HexDigit(data[at]) >= 0; ++at, ++digits) type = type << 4 | HexDigit(data[at]);
      if (digits == 0 || digits > 8 || data.compare(at, 2, L"):") != 0) return Fail("malformed hex(N):");
      value.type = static_cast<std::uint32_t>(type);
      at += 2;
    } else {
      return Fail("data in no known form");
    }
    return HexBytes(data.substr(at), value.data);
  }

  // "xx,xx,...", continued by ",\" at the end of a line and the next line
  // indented by spaces.
  bool HexBytes(std::wstring rest, std::vector<unsigned char>& out) {
    if (rest.empty()) return true;
    std::size_t pos = 0;
    for (;;) {
      if (pos + 2 > rest.size()) return Fail("hex byte cut short");
      const int high = HexDigit(rest[pos]), low = HexDigit(rest[pos + 1]);
      if (high < 0 || low < 0) return Fail("hex byte with a non-hex digit");
      out.push_back(static_cast<unsigned char>(high << 4 | low));
      pos += 2;
      if (pos == rest.size()) return true;
      if (rest[pos] != L',') return Fail("hex bytes not separated by a comma");
      ++pos;
      if (pos == rest.size()) return Fail("hex list ending in a comma");
      if (rest[pos] == L'\\') {
        if (pos + 1 != rest.size()) return Fail("continuation mark inside a line");
        if (++line_ >= lines_.size()) return Fail("continuation at the end of the text");
        rest = lines_[line_];
        pos = 0;
        while (pos < rest.size() && rest[pos] == L' ') ++pos;
        if (pos == 0) return Fail("continuation line not indented");
      }
    }
  }

  std::string& error_;
  std::vector<std::wstring> lines_;
  std::size_t line_ = 0;
};

}  // namespace regfile_detail

// The sections and values of an export text, in file order; nothing (and
// the reason in error) when the text holds anything the writer should not
// have written.
inline std::optional<std::vector<RegFileSection>> ReadRegFileText(const std::wstring& text, std::string& error) {
  std::vector<RegFileSection> sections;
  if (!regfile_detail::Reader(error).Read(text, sections)) return std::nullopt;
  return sections;
}

}  // namespace qlmtest
