// Any keys, value names, types and data: the export text the program writes
// for them reads back as exactly the sections and values it was given (the
// ones whose names the file can carry), in order, and nothing else: no
// section, value or deletion line of the data's own.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "RegFileReader.h"
#include "ozcore/RegExportText.h"

namespace {

using qlmfuzz::FuzzInput;
using qlmtest::RegFileSection;
using qlmtest::RegFileValue;

// The characters the file's syntax gives a meaning to, and a few others.
const wchar_t kAlphabet[] = L"[]\"\\=@-:,;() \tx0aAfhexdwordHKEY_\r\n\0\x7f\x85\u2028\ufeff\xff";

struct Key {
  std::vector<std::wstring> names;  // the path below the export's root
  std::vector<RegFileValue> values;
};

std::uint32_t ValueType(FuzzInput& in) {
  static const std::uint32_t common[] = {regtext::kSz,    regtext::kExpandSz, regtext::kBinary, regtext::kDword,
                                         regtext::kMultiSz, regtext::kQword,  regtext::kNone};
  const std::uint8_t pick = in.Byte();
  if (pick < 240) return common[pick % std::size(common)];
  std::uint32_t type = 0;
  for (int i = 0; i < 4; ++i) type = type << 8 | in.Byte();
  return type;
}

// Raw bytes, or a text as the registry stores it (UTF-16 and a closing
// NUL), so the quoted form is reached as often as the hex one.
std::vector<unsigned char> ValueData(FuzzInput& in) {
  const std::uint8_t mode = in.Byte();
  if (mode & 1) {
    std::vector<unsigned char> data;
    for (wchar_t ch : in.Text(40, kAlphabet, qlmfuzz::AlphabetSize(kAlphabet))) {
      data.push_back(static_cast<unsigned char>(ch & 0xFF));
      data.push_back(static_cast<unsigned char>((ch >> 8) & 0xFF));
    }
    if (mode & 2) data.insert(data.end(), {0, 0});
    return data;
  }
  // Long enough now and then to wrap over several lines.
  const std::size_t count = (mode & 0x80) ? (mode & 0x7F) * 3u : (mode >> 1) % 16;
  return in.Bytes(count);
}

std::vector<Key> Keys(FuzzInput& in) {
  std::vector<Key> keys(1 + in.Byte() % 4);
  for (auto& key : keys) {
    const std::size_t depth = 1 + in.Byte() % 3;
    for (std::size_t i = 0; i < depth; ++i) key.names.push_back(in.Text(12, kAlphabet, qlmfuzz::AlphabetSize(kAlphabet)));
    const std::size_t valueCount = in.Byte() % 5;
    for (std::size_t i = 0; i < valueCount; ++i) {
      RegFileValue value;
      value.name = in.Text(12, kAlphabet, qlmfuzz::AlphabetSize(kAlphabet));
      value.type = ValueType(in);
      value.data = ValueData(in);
      key.values.push_back(std::move(value));
    }
  }
  return keys;
}

void Report(const std::wstring& text, const std::string& why) {
  std::fprintf(stderr, "export text does not read back: %s\n", why.c_str());
  for (wchar_t ch : text) std::fprintf(stderr, ch >= 0x20 && ch < 0x7f ? "%lc" : "<%04x>", static_cast<wint_t>(ch));
  std::fprintf(stderr, "\n");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  const std::vector<Key> keys = Keys(in);

  // Written as the backup writes a tree: a key only when every name on its
  // path can be carried, then each value whose name can.
  std::wstring text = L"Windows Registry Editor Version 5.00\r\n";
  std::vector<RegFileSection> written;
  for (const auto& key : keys) {
    std::wstring fullName = L"HKEY_CURRENT_USER\\Software\\Fuzz";
    bool carried = true;
    for (const auto& name : key.names) {
      carried = carried && regtext::CarriesKeyName(name);
      fullName += L"\\" + name;
    }
    if (!carried) continue;
    text += regtext::KeyLine(fullName);
    written.push_back({fullName, {}});
    for (const auto& value : key.values) {
      if (!regtext::CarriesValueName(value.name)) continue;
      text += regtext::ValueLine(value.name, value.type, value.data.data(), value.data.size());
      written.back().values.push_back(value);
    }
  }
  text += L"\r\n";

  std::string why;
  const auto read = qlmtest::ReadRegFileText(text, why);
  if (!read) Report(text, why);
  qlmfuzz::Check(read.has_value());
  if (*read != written) Report(text, "sections or values differ from those written");
  qlmfuzz::Check(*read == written);

  // Escape is undone by the reader's rule: "\\" and "\"" only.
  for (const auto& key : keys)
    for (const auto& name : key.names) {
      std::wstring back;
      const std::wstring escaped = regtext::Escape(name);
      for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] == L'\\') qlmfuzz::Check(++i < escaped.size() && (escaped[i] == L'\\' || escaped[i] == L'"'));
        else qlmfuzz::Check(escaped[i] != L'"');
        back.push_back(escaped[i]);
      }
      qlmfuzz::Check(back == name);
    }
  return 0;
}
