#include "engine/text/VisibleText.h"

#include <iterator>

namespace discovery::text {

namespace {

// One UTF-16 unit as a number. Natively wchar_t is 32-bit and signed; a
// value beyond 0xFFFF is never one of the units escaped, and is kept.
std::uint32_t Unit(wchar_t ch) { return static_cast<std::uint32_t>(ch); }

bool IsHighSurrogate(std::uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(std::uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Characters with no glyph of their own that hide text, make two names look
// alike, or reorder what follows them.
bool IsHiddenCharacter(std::uint32_t c) {
  if (c < 0xAD) return false;
  switch (c) {
    case 0x00AD:  // soft hyphen
    case 0x034F:  // combining grapheme joiner
    case 0x061C:  // Arabic letter mark
    case 0x115F:  // Hangul fillers, shown blank
    case 0x1160:
    case 0x3164:
    case 0xFFA0:
    case 0x17B4:  // Khmer inherent vowels, shown blank
    case 0x17B5:
    case 0x180E:  // Mongolian vowel separator
    case 0xFEFF:  // zero width no-break space (byte-order mark)
      return true;
    default:
      break;
  }
  return (c >= 0x200B && c <= 0x200F)     // zero widths, LRM, RLM
         || (c >= 0x2028 && c <= 0x202E)  // line/paragraph separators, embeddings, overrides
         || (c >= 0x2060 && c <= 0x206F)  // word joiner, invisible operators, isolates, deprecated controls
         || (c >= 0xFFF9 && c <= 0xFFFB);  // interlinear annotation
}

// "^" followed by the caret letter of a C0 control, or nothing when the
// control has none (U+001E would be "^^", a literal caret).
wchar_t CaretLetter(std::uint32_t c) {
  if (c < 0x20 && c != 0x1E) return static_cast<wchar_t>(0x40 + c);
  if (c == 0x7F) return L'?';
  return 0;
}

void AppendBraced(std::wstring& out, std::uint32_t c) {
  static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
  const wchar_t escape[] = {L'^', L'{', kHex[(c >> 12) & 0xF], kHex[(c >> 8) & 0xF], kHex[(c >> 4) & 0xF], kHex[c & 0xF],
                            L'}'};
  out.append(escape, std::size(escape));
}

// Appends one unit that is not part of a surrogate pair.
void AppendUnit(std::wstring& out, wchar_t ch) {
  const std::uint32_t c = Unit(ch);
  if (c == L'^') {
    out += L"^^";
  } else if (const wchar_t letter = CaretLetter(c)) {
    out.push_back(L'^');
    out.push_back(letter);
  } else if (IsUnsafeToShow(c)) {
    AppendBraced(out, c);
  } else {
    out.push_back(ch);
  }
}

bool StartsPair(const std::wstring& text, std::size_t i) {
  return IsHighSurrogate(Unit(text[i])) && i + 1 < text.size() && IsLowSurrogate(Unit(text[i + 1]));
}

int HexDigit(wchar_t ch) {
  if (ch >= L'0' && ch <= L'9') return ch - L'0';
  if (ch >= L'A' && ch <= L'F') return ch - L'A' + 10;
  return -1;
}

// The unit of "^{XXXX}" at visible[pos] ("^" at pos), or nullopt.
std::optional<wchar_t> BracedUnit(const std::wstring& visible, std::size_t pos) {
  if (visible.size() - pos < 7 || visible[pos + 6] != L'}') return std::nullopt;
  std::uint32_t code = 0;
  for (std::size_t k = pos + 2; k < pos + 6; ++k) {
    const int digit = HexDigit(visible[k]);
    if (digit < 0) return std::nullopt;
    code = code * 16 + static_cast<std::uint32_t>(digit);
  }
  return static_cast<wchar_t>(code);
}

// Reads every escape without asking whether VisibleText would have written
// it that way; FromVisibleText checks that.
std::optional<std::wstring> Decode(const std::wstring& visible) {
  std::wstring out;
  out.reserve(visible.size());
  for (std::size_t i = 0; i < visible.size(); ++i) {
    if (visible[i] != L'^') {
      out.push_back(visible[i]);
      continue;
    }
    if (i + 1 >= visible.size()) return std::nullopt;
    const wchar_t e = visible[i + 1];
    if (e == L'{') {
      const auto unit = BracedUnit(visible, i);
      if (!unit) return std::nullopt;
      out.push_back(*unit);
      i += 6;
      continue;
    }
    if (e == L'^')
      out.push_back(L'^');
    else if (e == L'?')
      out.push_back(static_cast<wchar_t>(0x7F));
    else if (e >= L'@' && e <= L'_')
      out.push_back(static_cast<wchar_t>(e - 0x40));
    else
      return std::nullopt;
    ++i;
  }
  return out;
}

}  // namespace

bool IsUnsafeToShow(std::uint32_t unit) {
  return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F) || (unit >= 0xD800 && unit <= 0xDFFF) ||
         IsHiddenCharacter(unit);
}

bool NeedsVisibleEscape(const std::wstring& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::uint32_t c = Unit(text[i]);
    if (c == L'^') return true;
    if (!IsUnsafeToShow(c)) continue;
    if (!StartsPair(text, i)) return true;
    ++i;
  }
  return false;
}

std::wstring VisibleText(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size() + text.size() / 8 + 8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t ch = text[i];
    const std::uint32_t c = Unit(ch);
    if (c >= 0x20 && c < 0x7F && c != L'^') {
      out.push_back(ch);  // the common case
    } else if (StartsPair(text, i)) {
      out.push_back(ch);
      out.push_back(text[++i]);
    } else {
      AppendUnit(out, ch);
    }
  }
  return out;
}

std::optional<std::wstring> FromVisibleText(const std::wstring& visible) {
  auto text = Decode(visible);
  // Only the form VisibleText gives is accepted, so each text has exactly
  // one visible form and each visible form one text.
  if (!text || VisibleText(*text) != visible) return std::nullopt;
  return text;
}

}  // namespace discovery::text
