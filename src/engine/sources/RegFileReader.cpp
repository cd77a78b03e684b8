#include "engine/sources/RegFileReader.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace engine {
namespace {

bool IsBlank(wchar_t ch) { return ch == L' ' || ch == L'\t'; }

std::wstring_view TrimLeft(std::wstring_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::wstring_view TrimRight(std::wstring_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Case-insensitive for ASCII letters only: the header, roots and data
// prefixes are all ASCII.
bool StartsWithAscii(std::wstring_view text, std::wstring_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    wchar_t a = text[i], b = prefix[i];
    if (a >= L'a' && a <= L'z') a = static_cast<wchar_t>(a - L'a' + L'A');
    if (b >= L'a' && b <= L'z') b = static_cast<wchar_t>(b - L'a' + L'A');
    if (a != b) return false;
  }
  return true;
}

bool EqualsAscii(std::wstring_view text, std::wstring_view other) {
  return text.size() == other.size() && StartsWithAscii(text, other);
}

int HexDigit(wchar_t ch) {
  if (ch >= L'0' && ch <= L'9') return ch - L'0';
  if (ch >= L'a' && ch <= L'f') return ch - L'a' + 10;
  if (ch >= L'A' && ch <= L'F') return ch - L'A' + 10;
  return -1;
}

// Nothing but blanks, or a comment, after the data.
bool OnlyCommentLeft(std::wstring_view rest) {
  rest = TrimLeft(rest);
  return rest.empty() || rest.front() == L';';
}

std::optional<Tree> TreeNamed(std::wstring_view root) {
  if (EqualsAscii(root, L"HKEY_LOCAL_MACHINE") || EqualsAscii(root, L"HKLM")) return Tree::Machine;
  if (EqualsAscii(root, L"HKEY_USERS") || EqualsAscii(root, L"HKU")) return Tree::Users;
  return std::nullopt;
}

// A quoted text from pos (at the opening quote); pos ends after the
// closing quote. False when the line ends first.
bool Unquote(std::wstring_view line, std::size_t& pos, std::wstring& out) {
  for (++pos; pos < line.size(); ++pos) {
    wchar_t ch = line[pos];
    if (ch == L'"') {
      ++pos;
      return true;
    }
    if (ch == L'\\') {
      if (++pos >= line.size()) return false;
      ch = line[pos];
      if (ch == L'n') ch = L'\n';
      else if (ch == L'r') ch = L'\r';
      else if (ch == L'0') ch = L'\0';
      else if (ch != L'\\' && ch != L'"') out.push_back(L'\\');  // kept as written
    }
    out.push_back(ch);
  }
  return false;
}

void PushUtf16(std::vector<std::uint8_t>& bytes, wchar_t ch) {
  bytes.push_back(static_cast<std::uint8_t>(ch & 0xFF));
  bytes.push_back(static_cast<std::uint8_t>((ch >> 8) & 0xFF));
}

struct ParsedData {
  bool deletion = false;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> bytes;
};

class Reader {
 public:
  Reader(const std::wstring& text, MemoryRegistry& into) : text_(text), into_(into) {}

  RegTextOutcome Run() {
    std::wstring_view line;
    if (NextLine(line) && !line.empty() && line.front() == L'\xFEFF') line.remove_prefix(1);
    line = TrimRight(TrimLeft(line));
    outcome_.hasHeader = line == L"Windows Registry Editor Version 5.00" || line == L"REGEDIT4";
    if (!outcome_.hasHeader) {
      Skip(1, RegTextSkip::NoHeader);
      return std::move(outcome_);
    }
    ansi_ = line == L"REGEDIT4";
    while (NextLine(line)) {
      line = TrimLeft(line);
      if (line.empty() || line.front() == L';') continue;
      if (line.front() == L'[') KeyLine(line);
      else if (line.front() == L'"' || line.front() == L'@') ValueLine(line);
      else Skip(lineNumber_, RegTextSkip::UnknownLine);
    }
    return std::move(outcome_);
  }

 private:
  // The next line without its break (CR LF, LF or CR).
  bool NextLine(std::wstring_view& line) {
    if (pos_ >= text_.size()) return false;
    std::size_t end = pos_;
    while (end < text_.size() && text_[end] != L'\r' && text_[end] != L'\n') ++end;
    line = std::wstring_view(text_).substr(pos_, end - pos_);
    if (end < text_.size()) end += text_[end] == L'\r' && end + 1 < text_.size() && text_[end + 1] == L'\n' ? 2 : 1;
    pos_ = end;
    ++lineNumber_;
    return true;
  }

  void Skip(std::size_t line, RegTextSkip reason) { outcome_.skipped.push_back({line, reason}); }

  void KeyLine(std::wstring_view line) {
    hasKey_ = false;
    line = TrimRight(line);
    if (line.size() < 2 || line.back() != L']') return Skip(lineNumber_, RegTextSkip::BadKeyLine);
    std::wstring_view name = line.substr(1, line.size() - 2);
    const bool deletion = !name.empty() && name.front() == L'-';
    if (deletion) name.remove_prefix(1);
    const std::size_t slash = name.find(L'\\');
    const std::optional<Tree> tree = TreeNamed(name.substr(0, slash));
    if (!tree) return Skip(lineNumber_, RegTextSkip::OtherTree);
    const std::wstring below = slash == std::wstring_view::npos ? std::wstring() : std::wstring(name.substr(slash + 1));
    std::wstring path;
    std::size_t depth = 0;
    for (const auto& part : SplitKeyPath(below)) {
      if (++depth > kMaxRegTextKeyDepth) return Skip(lineNumber_, RegTextSkip::TooDeep);
      if (!path.empty()) path.push_back(L'\\');
      path += part;
    }
    ++outcome_.keys;
    if (deletion) {
      into_.DeleteKey(*tree, path);
      return;
    }
    into_.CreateKey(*tree, path);
    hasKey_ = true;
    tree_ = *tree;
    path_ = std::move(path);
  }

  void ValueLine(std::wstring_view line) {
    const std::size_t first = lineNumber_;
    std::wstring name;  // "" (written @ or "") is the default value
    std::size_t pos = 0;
    if (line.front() == L'@') ++pos;
    else if (!Unquote(line, pos, name)) return Skip(first, RegTextSkip::BadValueName);
    line = TrimLeft(line.substr(pos));
    if (line.empty() || line.front() != L'=') return Skip(first, RegTextSkip::BadValueName);
    std::optional<ParsedData> data = Data(TrimLeft(line.substr(1)));
    if (!data) return Skip(first, RegTextSkip::BadValueData);
    if (!hasKey_) return Skip(first, RegTextSkip::NoKey);
    ++outcome_.values;
    if (data->deletion) into_.DeleteValue(tree_, path_, name);
    else into_.SetValue(tree_, path_, name, data->type, std::move(data->bytes));
  }

  std::optional<ParsedData> Data(std::wstring_view data) {
    ParsedData parsed;
    if (!data.empty() && data.front() == L'-') {
      parsed.deletion = true;
      return OnlyCommentLeft(data.substr(1)) ? std::optional(std::move(parsed)) : std::nullopt;
    }
    if (!data.empty() && data.front() == L'"') {
      std::size_t pos = 0;
      std::wstring text;
      if (!Unquote(data, pos, text) || !OnlyCommentLeft(data.substr(pos))) return std::nullopt;
      parsed.type = valuetype::kString;
      for (const wchar_t ch : text) PushUtf16(parsed.bytes, ch);
      PushUtf16(parsed.bytes, L'\0');
      return parsed;
    }
    if (StartsWithAscii(data, L"dword:")) return Dword(data.substr(6));
    std::size_t pos = 0;
    if (StartsWithAscii(data, L"hex:")) {
      parsed.type = valuetype::kBinary;
      pos = 4;
    } else if (StartsWithAscii(data, L"hex(")) {
      std::size_t digits = 0;
      for (pos = 4; pos < data.size() && HexDigit(data[pos]) >= 0 && digits < 8; ++pos, ++digits)
        parsed.type = parsed.type << 4 | static_cast<std::uint32_t>(HexDigit(data[pos]));
      if (digits == 0 || data.substr(pos, 2) != L"):") return std::nullopt;
      pos += 2;
    } else {
      return std::nullopt;
    }
    if (!HexBytes(data.substr(pos), parsed.bytes)) return std::nullopt;
    if (ansi_ && (parsed.type == valuetype::kExpandString || parsed.type == valuetype::kMultiString)) {
      std::vector<std::uint8_t> wide;
      wide.reserve(parsed.bytes.size() * 2);
      for (const std::uint8_t byte : parsed.bytes) PushUtf16(wide, static_cast<wchar_t>(byte));
      parsed.bytes = std::move(wide);
    }
    return parsed;
  }

  static std::optional<ParsedData> Dword(std::wstring_view digits) {
    ParsedData parsed;
    parsed.type = valuetype::kDword;
    std::uint32_t number = 0;
    std::size_t count = 0;
    for (; count < digits.size() && HexDigit(digits[count]) >= 0; ++count)
      number = number << 4 | static_cast<std::uint32_t>(HexDigit(digits[count]));
    if (count == 0 || count > 8 || !OnlyCommentLeft(digits.substr(count))) return std::nullopt;
    for (int shift = 0; shift < 32; shift += 8) parsed.bytes.push_back(static_cast<std::uint8_t>(number >> shift));
    return parsed;
  }

  // "xx,xx,..." with blanks allowed around each byte; a "\" at the end of
  // a line continues the list on the next.
  bool HexBytes(std::wstring_view rest, std::vector<std::uint8_t>& out) {
    for (;;) {
      rest = TrimLeft(rest);
      if (rest.empty() || rest.front() == L';') return true;
      if (rest.front() == L'\\') {
        if (!TrimRight(rest.substr(1)).empty() || !NextLine(rest)) return false;
        continue;
      }
      std::size_t digits = 0;
      unsigned byte = 0;
      for (; digits < rest.size() && digits < 2 && HexDigit(rest[digits]) >= 0; ++digits)
        byte = byte << 4 | static_cast<unsigned>(HexDigit(rest[digits]));
      if (digits == 0) return false;
      out.push_back(static_cast<std::uint8_t>(byte));
      rest = TrimLeft(rest.substr(digits));
      if (!rest.empty() && rest.front() == L',') rest.remove_prefix(1);
      else if (!rest.empty() && rest.front() != L'\\' && rest.front() != L';') return false;
    }
  }

  const std::wstring& text_;
  MemoryRegistry& into_;
  std::size_t pos_ = 0;
  std::size_t lineNumber_ = 0;
  bool ansi_ = false;
  bool hasKey_ = false;
  Tree tree_ = Tree::Machine;
  std::wstring path_;
  RegTextOutcome outcome_;
};

}  // namespace

RegTextOutcome ReadRegText(const std::wstring& text, MemoryRegistry& into) { return Reader(text, into).Run(); }

}  // namespace engine
