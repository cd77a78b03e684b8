#include "engine/files/PathKind.h"

#include <array>
#include <cwchar>

namespace discovery {

namespace {

// "res://res://..." is unwrapped this many times at most; deeper nesting is
// no address any program writes, and is not opened.
constexpr int kMaxAddressLayers = 8;

bool IsSep(wchar_t ch) { return ch == L'\\' || ch == L'/'; }
bool IsAsciiLetter(wchar_t ch) { return (ch >= L'A' && ch <= L'Z') || (ch >= L'a' && ch <= L'z'); }
wchar_t AsciiUpperChar(wchar_t ch) { return ch >= L'a' && ch <= L'z' ? static_cast<wchar_t>(ch - L'a' + L'A') : ch; }

PathKind MoreCautious(PathKind a, PathKind b) { return static_cast<int>(a) >= static_cast<int>(b) ? a : b; }

// True when text at pos begins with prefix (upper-case ASCII; a "\" in the
// prefix stands for either separator), letter case aside.
bool At(const std::wstring& text, std::size_t pos, const wchar_t* prefix) {
  for (std::size_t i = 0; prefix[i] != L'\0'; ++i, ++pos) {
    if (pos >= text.size()) return false;
    if (prefix[i] == L'\\' ? !IsSep(text[pos]) : AsciiUpperChar(text[pos]) != prefix[i]) return false;
  }
  return true;
}

// The prefix as a whole part: followed by a separator or the end.
bool AtPart(const std::wstring& text, std::size_t pos, const wchar_t* prefix) {
  const std::size_t end = pos + std::wcslen(prefix);
  return At(text, pos, prefix) && (end == text.size() || IsSep(text[end]));
}

std::size_t CountSeps(const std::wstring& text, std::size_t pos) {
  std::size_t n = 0;
  while (pos + n < text.size() && IsSep(text[pos + n])) ++n;
  return n;
}

// The rest of text after pos, "" when pos is past the end.
std::wstring From(const std::wstring& text, std::size_t pos) { return pos < text.size() ? text.substr(pos) : L""; }

// "C:" or, in addresses, "C|".
bool DriveAt(const std::wstring& text, std::size_t pos) {
  return pos + 1 < text.size() && IsAsciiLetter(text[pos]) && (text[pos + 1] == L':' || text[pos + 1] == L'|');
}

bool DrivePathAt(const std::wstring& text, std::size_t pos) {
  return pos + 2 < text.size() && IsAsciiLetter(text[pos]) && text[pos + 1] == L':' && IsSep(text[pos + 2]);
}

std::wstring TrimBlanks(const std::wstring& text) {
  const auto first = text.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return {};
  const auto last = text.find_last_not_of(L" \t");
  return text.substr(first, last - first + 1);
}

// As the file search reads a file string: blanks gone, a quoted path
// without what follows its closing quote.
std::wstring SearchedForm(const std::wstring& fileString) {
  std::wstring text = TrimBlanks(fileString);
  if (!text.empty() && text.front() == L'"') {
    const auto close = text.find(L'"', 1);
    text = close == std::wstring::npos ? text.substr(1) : text.substr(1, close - 1);
  }
  return text;
}

int HexValue(wchar_t ch) {
  if (ch >= L'0' && ch <= L'9') return ch - L'0';
  if (ch >= L'A' && ch <= L'F') return ch - L'A' + 10;
  if (ch >= L'a' && ch <= L'f') return ch - L'a' + 10;
  return -1;
}

// "%5C" and the like as the characters they stand for (ASCII only; other
// escapes stay as written).
std::wstring PercentDecoded(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'%' && i + 2 < text.size()) {
      const int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
      const int value = high < 0 || low < 0 ? -1 : high * 16 + low;
      if (value > 0 && value < 0x80) {
        out.push_back(static_cast<wchar_t>(value));
        i += 2;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

// "C|/x" as "C:/x".
std::wstring DriveFixed(std::wstring path) {
  if (path.size() >= 2 && path[1] == L'|') path[1] = L':';
  return path;
}

// The path of a "file:" address after its host (or without one).
std::wstring UrlLocalPath(const std::wstring& path) {
  const std::size_t n = CountSeps(path, 0);
  if (DriveAt(path, n)) return DriveFixed(path.substr(n));
  if (n == 2 || n >= 4) return L"\\\\" + path.substr(n);  // "file:////host/share"
  if (n == 0) return path;
  return L"\\" + path.substr(n);
}

// The path a "file:" address names; rest follows "file:".
std::wstring FileUrlPath(const std::wstring& rest) {
  if (CountSeps(rest, 0) != 2) return UrlLocalPath(rest);
  std::size_t end = 2;
  while (end < rest.size() && !IsSep(rest[end])) ++end;
  const std::wstring host = rest.substr(2, end - 2);
  const std::wstring after = From(rest, end);
  if (host.size() == 9 && At(host, 0, L"LOCALHOST")) return UrlLocalPath(after);
  if (host.size() == 2 && DriveAt(host, 0)) return DriveFixed(host + after);
  return L"\\\\" + rest.substr(2);  // any other host: a share on it
}

// The file part of a "res://" address; rest follows "res://".
std::wstring ResourceFilePart(const std::wstring& rest) {
  const auto slash = rest.size() > 1 ? rest.find(L'/', 1) : std::wstring::npos;
  return slash == std::wstring::npos ? rest : rest.substr(0, slash);
}

bool EqualsNoCase(const std::wstring& text, const wchar_t* upper) {
  return text.size() == std::wcslen(upper) && At(text, 0, upper);
}

// A drive-letter or relative path: local unless it reaches the object
// namespace or its file part is a device.
PathKind LocalFile(const std::wstring& path) {
  std::size_t start = DriveAt(path, 0) && path[1] == L':' ? 2 : 0;
  std::wstring last;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !IsSep(path[end])) ++end;
    last = path.substr(start, end - start);
    if (EqualsNoCase(last, L"GLOBALROOT")) return PathKind::Device;
    start = end + 1;
  }
  return IsReservedDeviceName(last) ? PathKind::Device : PathKind::Local;
}

PathKind Namespace(const std::wstring& rest);

// What follows "\Device\": the network redirectors, or another device.
PathKind DeviceObject(const std::wstring& name) {
  static const std::array<const wchar_t*, 5> redirectors = {L"MUP", L"LANMANREDIRECTOR", L"WEBDAVREDIRECTOR",
                                                            L"RDPDR", L"MAILSLOTREDIRECTOR"};
  const std::size_t pos = CountSeps(name, 0);
  for (const auto* redirector : redirectors)
    if (AtPart(name, pos, redirector)) return PathKind::Network;
  return PathKind::Device;
}

// What follows "GLOBALROOT": a path in the object namespace.
PathKind GlobalRoot(const std::wstring& rest) {
  const std::size_t pos = CountSeps(rest, 0);
  if (AtPart(rest, pos, L"DEVICE")) return DeviceObject(From(rest, pos + 6));
  if (AtPart(rest, pos, L"??")) return Namespace(From(rest, pos + 3));
  if (AtPart(rest, pos, L"GLOBAL??")) return Namespace(From(rest, pos + 9));
  return PathKind::Device;
}

// What follows "\\?\" or "\??\": only a drive path is a local file.
PathKind Namespace(const std::wstring& rest) {
  if (AtPart(rest, 0, L"UNC")) return PathKind::Network;
  if (DrivePathAt(rest, 0)) return LocalFile(rest);
  if (AtPart(rest, 0, L"GLOBALROOT")) return GlobalRoot(From(rest, 10));
  return PathKind::Device;
}

// A path as the system's path functions read it.
PathKind ClassifyDosPath(const std::wstring& path) {
  if (CountSeps(path, 0) >= 2) {
    // "\\.\" and "\\?\" open the device namespace; anything else names a
    // host.
    if (path.size() >= 3 && (path[2] == L'.' || path[2] == L'?') && (path.size() == 3 || IsSep(path[3]))) {
      const std::wstring rest = From(path, 4);
      if (path[2] == L'?') return Namespace(rest);
      if (AtPart(rest, 0, L"UNC")) return PathKind::Network;
      if (AtPart(rest, 0, L"GLOBALROOT")) return GlobalRoot(From(rest, 10));
      return PathKind::Device;
    }
    return PathKind::Network;
  }
  if (At(path, 0, L"\\??\\")) return Namespace(path.substr(4));
  if (At(path, 0, L"\\GLOBAL??\\")) return Namespace(path.substr(10));
  if (AtPart(path, 0, L"\\DEVICE")) return DeviceObject(From(path, 8));
  return LocalFile(path);
}

// The path a file string names, addresses unwrapped; worst collects what
// an address said on the way.
std::wstring NamedPath(const std::wstring& fileString, PathKind& worst) {
  worst = PathKind::Local;
  std::wstring text = SearchedForm(fileString);
  for (int layer = 0;; ++layer) {
    const bool resource = At(text, 0, L"RES:\\\\");
    const bool file = At(text, 0, L"FILE:");
    if (!resource && !file) return text;
    if (layer >= kMaxAddressLayers) {
      worst = PathKind::Device;
      return {};
    }
    if (resource) {
      const std::wstring rest = TrimBlanks(PercentDecoded(text.substr(6)));
      // "res:////host/..." names a share before any file part is cut off.
      if (CountSeps(rest, 0) >= 2) worst = MoreCautious(worst, ClassifyDosPath(rest));
      text = TrimBlanks(ResourceFilePart(rest));
    } else {
      text = TrimBlanks(FileUrlPath(PercentDecoded(text.substr(5))));
    }
  }
}

}  // namespace

PathKind ClassifyPath(const std::wstring& fileString) {
  PathKind worst = PathKind::Local;
  const std::wstring path = NamedPath(fileString, worst);
  return MoreCautious(worst, ClassifyDosPath(path));
}

wchar_t PathDriveLetter(const std::wstring& fileString) {
  PathKind ignored = PathKind::Local;
  const std::wstring path = NamedPath(fileString, ignored);
  const std::size_t pos = At(path, 0, L"\\\\?\\") || At(path, 0, L"\\??\\") ? 4 : 0;
  if (pos + 1 < path.size() && IsAsciiLetter(path[pos]) && path[pos + 1] == L':') return AsciiUpperChar(path[pos]);
  return 0;
}

bool IsDriveAbsolutePath(const std::wstring& path) {
  const std::size_t pos = At(path, 0, L"\\\\?\\") || At(path, 0, L"\\??\\") ? 4 : 0;
  return DrivePathAt(path, pos);
}

bool IsReservedDeviceName(const std::wstring& filePart) {
  std::wstring base = filePart.substr(0, filePart.find_first_of(L".:"));
  while (!base.empty() && base.back() == L' ') base.pop_back();
  static const std::array<const wchar_t*, 6> names = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
  for (const auto* name : names)
    if (EqualsNoCase(base, name)) return true;
  if (base.size() != 4 || !(At(base, 0, L"COM") || At(base, 0, L"LPT"))) return false;
  const wchar_t digit = base[3];
  // The superscript digits one to three count as digits here too.
  return (digit >= L'0' && digit <= L'9') || digit == 0x00B9 || digit == 0x00B2 || digit == 0x00B3;
}

}  // namespace discovery
