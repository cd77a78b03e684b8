// Two properties of the .reg text reader on every input:
// - the input as text (8-bit or UTF-16, with or without a header) reads
//   without a crash, and every line is read or reported once, in order;
// - keys and values made from the input, written by the program's export
//   text writer, read back as exactly the keys and values a registry held
//   in memory gets from the same calls, with nothing skipped: no name or
//   data writes a key, value or deletion line of its own.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "FuzzInput.h"
#include "SourceDump.h"
#include "engine/sources/RegFileReader.h"
#include "ozcore/RegExportText.h"

namespace {

using engine::Tree;
using qlmfuzz::FuzzInput;

const wchar_t kAlphabet[] = L"[]\"\\=@-:,;() \tx0aAfhexdwordHKLMU_\r\n\0\x7f\x85\u2028\ufeff\xff\u00e4\u00c4";

void ReadsAnyText(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return;
  const std::uint8_t mode = data[0];
  std::wstring text = (mode & 1) ? L"Windows Registry Editor Version 5.00\r\n" : L"";
  if (mode & 2) text.append(data + 1, data + size);  // 8-bit: the syntax is reached easily
  else text += qlmfuzz::Utf16Units(data + 1, size - 1);
  std::size_t lines = 1;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == L'\n' || (text[i] == L'\r' && (i + 1 == text.size() || text[i + 1] != L'\n'))) ++lines;

  engine::MemoryRegistry registry;
  const engine::RegTextOutcome outcome = engine::ReadRegText(text, registry);
  std::size_t previous = 0;
  for (const auto& skipped : outcome.skipped) {
    qlmfuzz::Check(skipped.line > previous && skipped.line <= lines);
    previous = skipped.line;
  }
  qlmfuzz::Check(outcome.keys + outcome.values + outcome.skipped.size() <= lines);
  qlmtest::Dump(registry, Tree::Machine, L"");
  qlmtest::Dump(registry, Tree::Users, L"");
}

std::uint32_t ValueType(FuzzInput& in) {
  const std::uint8_t pick = in.Byte();
  if (pick < 240) return pick % 12;
  std::uint32_t type = 0;
  for (int i = 0; i < 4; ++i) type = type << 8 | in.Byte();
  return type;
}

std::vector<std::uint8_t> ValueBytes(FuzzInput& in) {
  const std::uint8_t mode = in.Byte();
  if (!(mode & 1)) return in.Bytes((mode & 0x80) ? (mode & 0x7F) * 3u : (mode >> 1) % 16);
  std::vector<std::uint8_t> bytes;  // a text, so the quoted form comes up
  for (const wchar_t ch : in.Text(40, kAlphabet, qlmfuzz::AlphabetSize(kAlphabet)))
    bytes.insert(bytes.end(), {static_cast<std::uint8_t>(ch & 0xFF), static_cast<std::uint8_t>((ch >> 8) & 0xFF)});
  if (mode & 2) bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

void WrittenTextReadsBack(const std::uint8_t* data, std::size_t size) {
  FuzzInput in(data, size);
  static const wchar_t* const kRoots[] = {L"HKEY_LOCAL_MACHINE", L"HKLM", L"HKEY_USERS", L"HKU"};
  std::wstring text = L"Windows Registry Editor Version 5.00\r\n";
  engine::MemoryRegistry expected;
  std::size_t keys = 0, values = 0;
  for (std::size_t tries = 1 + in.Byte() % 4; tries > 0; --tries) {
    const std::uint8_t root = in.Byte() % 4;
    const Tree tree = root < 2 ? Tree::Machine : Tree::Users;
    std::wstring path = L"Fuzz";
    bool carried = true;
    for (std::size_t depth = 1 + in.Byte() % 3; depth > 0; --depth) {
      const std::wstring name = in.Text(12, kAlphabet, qlmfuzz::AlphabetSize(kAlphabet));
      carried = carried && regtext::CarriesKeyName(name);
      path += L"\\" + name;
    }
    if (!carried) continue;
    ++keys;
    text += regtext::KeyLine(std::wstring(kRoots[root]) + L"\\" + path);
    expected.CreateKey(tree, path);
    for (std::size_t count = in.Byte() % 5; count > 0; --count) {
      const std::wstring name = in.Text(12, kAlphabet, qlmfuzz::AlphabetSize(kAlphabet));
      const std::uint32_t type = ValueType(in);
      std::vector<std::uint8_t> bytes = ValueBytes(in);
      if (!regtext::CarriesValueName(name)) continue;
      text += regtext::ValueLine(name, type, bytes.data(), bytes.size());
      expected.SetValue(tree, path, name, type, std::move(bytes));
      ++values;
    }
  }
  engine::MemoryRegistry read;
  const engine::RegTextOutcome outcome = engine::ReadRegText(text, read);
  bool same = outcome.skipped.empty() && outcome.keys == keys && outcome.values == values;
  for (const Tree tree : {Tree::Machine, Tree::Users})
    same = same && qlmtest::Dump(read, tree, L"") == qlmtest::Dump(expected, tree, L"");
  if (!same) {
    std::fprintf(stderr, "read back differs; text:\n%s\n", qlmtest::Visible(text).c_str());
    for (const Tree tree : {Tree::Machine, Tree::Users})
      std::fprintf(stderr, "read:\n%s\nexpected:\n%s\n", qlmtest::Dump(read, tree, L"").c_str(),
                   qlmtest::Dump(expected, tree, L"").c_str());
  }
  qlmfuzz::Check(same);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ReadsAnyText(data, size);
  WrittenTextReadsBack(data, size);
  return 0;
}
