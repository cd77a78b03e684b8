#include "ozcore/VersionBlock.h"

#include <algorithm>
#include <array>
#include <utility>

namespace versionblock {

namespace {

// wLength, wValueLength, wType.
constexpr std::size_t kHeaderBytes = 6;
// The header and an empty key's NUL: nothing shorter is a structure.
constexpr std::size_t kSmallestStructure = kHeaderBytes + 2;
constexpr std::uint16_t kTextType = 1;

struct Bytes {
  const unsigned char* data;
  std::size_t size;
};

// Little-endian, whatever the machine; the caller has checked at + 2 <= size.
std::uint16_t WordAt(const Bytes& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes.data[at] | (bytes.data[at + 1] << 8));
}

// Offsets count from the start of the block, which the system hands out on
// a 32-bit boundary, so this is the file's own alignment.
std::size_t Align4(std::size_t offset) { return (offset + 3) & ~std::size_t{3}; }

struct Node {
  std::size_t end = 0;  // one past the structure's last byte
  std::uint16_t valueLength = 0;
  std::uint16_t type = 0;
  std::wstring key;
  std::size_t valueStart = 0;
  std::size_t childrenStart = 0;
};

enum class ReadResult { Ok, Skip, EndOfLevel };

// The end of a value of valueLength units of unitBytes each, cut at the end
// of its structure.
std::size_t ValueEnd(const Node& node, std::size_t unitBytes) {
  const std::size_t room = node.end - node.valueStart;
  return node.valueStart + std::min<std::size_t>(node.valueLength * unitBytes, room);
}

ReadResult ReadNode(const Bytes& bytes, std::size_t at, std::size_t parentEnd, Node& node) {
  if (at >= parentEnd || parentEnd - at < kSmallestStructure) return ReadResult::EndOfLevel;
  const std::size_t length = WordAt(bytes, at);
  // Too short to be a structure, or past its parent: where a sibling after
  // it would start is unknown.
  if (length < kSmallestStructure || length > parentEnd - at) return ReadResult::EndOfLevel;
  node.end = at + length;
  node.valueLength = WordAt(bytes, at + 2);
  node.type = WordAt(bytes, at + 4);
  node.key.clear();
  std::size_t pos = at + kHeaderBytes;
  for (;;) {
    if (node.end - pos < 2) return ReadResult::Skip;  // the key does not end inside
    const std::uint16_t unit = WordAt(bytes, pos);
    pos += 2;
    if (unit == 0) break;
    node.key.push_back(static_cast<wchar_t>(unit));
  }
  node.valueStart = std::min(Align4(pos), node.end);
  const std::size_t valueEnd = ValueEnd(node, node.type == kTextType ? 2 : 1);
  node.childrenStart = std::min(Align4(valueEnd), node.end);
  return ReadResult::Ok;
}

// Calls visit for each well-formed child. Every step moves forward by at
// least the smallest structure, so the walk ends.
template <typename Visit>
void ForEachChild(const Bytes& bytes, const Node& parent, Visit visit) {
  std::size_t at = parent.childrenStart;
  while (at < parent.end) {
    Node child;
    const ReadResult result = ReadNode(bytes, at, parent.end, child);
    if (result == ReadResult::EndOfLevel) return;
    if (result == ReadResult::Ok) visit(child);
    at = Align4(child.end);
  }
}

wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool SameKey(const std::wstring& key, const wchar_t* expected) {
  const std::wstring want(expected);
  return key.size() == want.size() &&
         std::equal(key.begin(), key.end(), want.begin(),
                    [](wchar_t a, wchar_t b) { return AsciiLower(a) == AsciiLower(b); });
}

// A string's value is text whatever its type says: its length is taken in
// UTF-16 units, cut at the structure's end, and the text ends at its first
// NUL. Writers that count bytes, or mark the value binary, still give the
// whole text and never more than their structure holds.
std::wstring StringValue(const Bytes& bytes, const Node& node) {
  const std::size_t end = ValueEnd(node, 2);
  std::wstring value;
  for (std::size_t pos = node.valueStart; pos + 2 <= end; pos += 2) {
    const std::uint16_t unit = WordAt(bytes, pos);
    if (unit == 0) break;
    value.push_back(static_cast<wchar_t>(unit));
  }
  return value;
}

void ReadStringFileInfo(const Bytes& bytes, const Node& section, std::vector<StringTable>& tables) {
  ForEachChild(bytes, section, [&](const Node& tableNode) {
    StringTable table;
    table.key = tableNode.key;
    ForEachChild(bytes, tableNode, [&](const Node& stringNode) {
      table.strings.push_back({stringNode.key, StringValue(bytes, stringNode)});
    });
    tables.push_back(std::move(table));
  });
}

void ReadVarFileInfo(const Bytes& bytes, const Node& section, std::vector<Translation>& translations,
                     bool& found) {
  ForEachChild(bytes, section, [&](const Node& var) {
    if (found || !SameKey(var.key, L"Translation")) return;
    found = true;  // the first one counts, as for the system's reader
    const std::size_t end = ValueEnd(var, var.type == kTextType ? 2 : 1);
    for (std::size_t pos = var.valueStart; pos + 4 <= end; pos += 4)
      translations.push_back({WordAt(bytes, pos), WordAt(bytes, pos + 2)});
  });
}

}  // namespace

// The format has four levels (the root; StringFileInfo and VarFileInfo;
// tables and Translation; strings) and the walk never looks deeper, so no
// nesting in the block can make it go further.
VersionInfo Parse(const unsigned char* data, std::size_t size) {
  VersionInfo info;
  if (data == nullptr) return info;
  const Bytes bytes{data, size};
  Node root;
  if (ReadNode(bytes, 0, size, root) != ReadResult::Ok) return info;
  bool translationFound = false;
  ForEachChild(bytes, root, [&](const Node& section) {
    if (SameKey(section.key, L"StringFileInfo"))
      ReadStringFileInfo(bytes, section, info.tables);
    else if (SameKey(section.key, L"VarFileInfo"))
      ReadVarFileInfo(bytes, section, info.translations, translationFound);
  });
  return info;
}

namespace {

bool SameName(const std::wstring& a, const std::wstring& b) {
  const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](wchar_t x, wchar_t y) { return lower(x) == lower(y); });
}

std::wstring Hex4(unsigned value) {
  static const wchar_t digits[] = L"0123456789ABCDEF";
  std::wstring out;
  for (int shift = 12; shift >= 0; shift -= 4) out.push_back(digits[(value >> shift) & 0xF]);
  return out;
}

}  // namespace

std::vector<VersionString> StandardStrings(const VersionInfo& info) {
  static const std::array<const wchar_t*, 12> names = {
      L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName",    L"LegalCopyright", L"OriginalFilename",
      L"ProductName", L"ProductVersion",  L"Comments",    L"LegalTrademarks", L"PrivateBuild",   L"SpecialBuild"};
  std::vector<std::wstring> keys;
  if (!info.translations.empty())
    keys.push_back(Hex4(info.translations.front().language) + Hex4(info.translations.front().codePage));
  keys.push_back(L"040904B0");
  keys.push_back(L"040904E4");
  std::vector<VersionString> found;
  for (const auto& key : keys) {
    // The first table under the key, and in it the first of each name.
    const auto table = std::find_if(info.tables.begin(), info.tables.end(),
                                    [&](const StringTable& t) { return SameName(t.key, key); });
    if (table == info.tables.end()) continue;
    for (const wchar_t* name : names) {
      const auto entry = std::find_if(table->strings.begin(), table->strings.end(),
                                      [&](const VersionString& v) { return SameName(v.name, name); });
      if (entry != table->strings.end()) found.push_back({name, entry->value});
    }
    if (!found.empty()) break;
  }
  return found;
}

}  // namespace versionblock
