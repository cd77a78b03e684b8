#include <gtest/gtest.h>

#include "ozcore/CRegistry.h"
#include "support/TestSupport.h"

using namespace qlmtest;

namespace {

const std::wstring kHeader = L"Windows Registry Editor Version 5.00\r\n";

// What the platform's exporter writes for a key, as text.
std::wstring RegExport(const std::wstring& key, const TempFolder& tmp) {
  const auto file = tmp.File(L"reference.reg");
  DeleteFileW(file.c_str());
  const int rc = RunProcess(L"\"" + RegExe() + L"\" export \"" + key + L"\" \"" + file + L"\" /y");
  EXPECT_EQ(rc, 0) << "reg export failed for " << Narrow(key);
  return ReadUtf16File(file);
}

// A tree with every value type, names and data that need escaping, long
// binary data that wraps, and nested subkeys.
void BuildTree(const std::wstring& p) {
  SetString(HKEY_CURRENT_USER, p, L"", L"default value");
  SetString(HKEY_CURRENT_USER, p, L"quote\"and\\slash", L"C:\\Program Files\\\"quoted\"");
  SetString(HKEY_CURRENT_USER, p, L"unicode", L"\u00C4rger \u4E2D\u6587 \u0416");
  SetString(HKEY_CURRENT_USER, p, L"expand", L"%SystemRoot%\\system32\\x.dll", REG_EXPAND_SZ);
  const wchar_t multi[] = L"first\0second\0\0";
  SetValue(HKEY_CURRENT_USER, p, L"multi", REG_MULTI_SZ, multi, sizeof(multi) - sizeof(wchar_t));
  SetDword(HKEY_CURRENT_USER, p, L"dword", 0x0001E240);
  const unsigned long long q = 0x0102030405060708ull;
  SetValue(HKEY_CURRENT_USER, p, L"qword", REG_QWORD, &q, sizeof(q));
  std::vector<unsigned char> bin(200);
  for (std::size_t i = 0; i < bin.size(); ++i) bin[i] = static_cast<unsigned char>(i * 7);
  SetValue(HKEY_CURRENT_USER, p, L"binary", REG_BINARY, bin.data(), bin.size());
  SetValue(HKEY_CURRENT_USER, p, std::wstring(70, L'n'), REG_BINARY, bin.data(), 40);
  SetValue(HKEY_CURRENT_USER, p, L"emptybinary", REG_BINARY, nullptr, 0);
  const unsigned char none[] = {0xAB, 0xCD};
  SetValue(HKEY_CURRENT_USER, p, L"none", REG_NONE, none, sizeof(none));
  SetValue(HKEY_CURRENT_USER, p, L"unknown", 0x1234, none, sizeof(none));
  SetString(HKEY_CURRENT_USER, p + L"\\Sub One", L"x", L"1");
  SetString(HKEY_CURRENT_USER, p + L"\\Sub One\\Deeper", L"y", L"2");
  CreateKey(HKEY_CURRENT_USER, p + L"\\Empty");
  SetString(HKEY_CURRENT_USER, p + L"\\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}", L"", L"clsid-named");
}

}  // namespace

TEST(ExportKeyText, SameTextAsThePlatformExporterAndRoundTrips) {
  ScratchKey k(HKEY_CURRENT_USER, L"export");
  BuildTree(k.Path());
  TempFolder tmp;
  const std::wstring full = L"HKEY_CURRENT_USER\\" + k.Path();

  CRegistry r;
  const std::wstring ours = r.ExportKeyText(HKEY_CURRENT_USER, k.Path());
  ASSERT_FALSE(ours.empty());
  EXPECT_EQ(ours.rfind(L"\r\n[" + full + L"]\r\n", 0), 0u);
  const std::wstring reference = RegExport(full, tmp);
  EXPECT_EQ(Narrow(kHeader + ours + L"\r\n"), Narrow(reference));

  // The letter case of the top key is kept as given.
  std::wstring lower = k.Path();
  for (auto& ch : lower) ch = static_cast<wchar_t>(towlower(ch));
  const std::wstring lowerText = r.ExportKeyText(HKEY_CURRENT_USER, lower);
  EXPECT_EQ(lowerText.rfind(L"\r\n[HKEY_CURRENT_USER\\" + lower + L"]\r\n", 0), 0u);

  // Export, delete, merge, export again: the same text.
  DeleteTree(HKEY_CURRENT_USER, k.Path());
  ASSERT_TRUE(RegImport(kHeader + ours + L"\r\n", tmp.Path()));
  EXPECT_EQ(Narrow(r.ExportKeyText(HKEY_CURRENT_USER, k.Path())), Narrow(ours));
}

TEST(ExportKeyText, HostileDataComesBackByteForByte) {
  ScratchKey k(HKEY_CURRENT_USER, L"hostile");
  const auto p = k.Path();
  struct Case {
    std::wstring name;
    DWORD type;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {L"no closing nul", REG_SZ, std::string("a\0b\0", 4)},
      {L"nul inside", REG_SZ, std::string("a\0\0\0b\0\0\0", 8)},
      {L"odd size", REG_SZ, std::string("a\0b", 3)},
      {L"empty sz", REG_SZ, std::string()},
      {L"short dword", REG_DWORD, std::string("\x07\x00", 2)},
      {L"line breaks", REG_SZ, std::string("x\0\r\0\n\0y\0\0\0", 10)},
      {L"", REG_BINARY, std::string("\x01", 1)},
  };
  for (const auto& c : cases) SetValue(HKEY_CURRENT_USER, p, c.name, c.type, c.bytes.data(), c.bytes.size());

  CRegistry r;
  const std::wstring text = r.ExportKeyText(HKEY_CURRENT_USER, p);
  DeleteTree(HKEY_CURRENT_USER, p);
  TempFolder tmp;
  ASSERT_TRUE(RegImport(kHeader + text + L"\r\n", tmp.Path())) << Narrow(text);
  for (const auto& c : cases) {
    DWORD type = 0;
    std::vector<unsigned char> data;
    ASSERT_TRUE(RawValue(HKEY_CURRENT_USER, p, c.name, type, data)) << Narrow(c.name);
    EXPECT_EQ(type, c.type) << Narrow(c.name);
    std::string got(data.begin(), data.end());
    std::string want = c.bytes;
    if (c.type == REG_SZ) {
      // Wine's importer stores string-typed hex data as a terminated
      // string; what every reader of the value sees must be unchanged.
      const auto asText = [](std::string b) {
        if (b.size() % 2) b.pop_back();
        std::wstring w;
        for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
          const wchar_t ch = static_cast<wchar_t>(static_cast<unsigned char>(b[i]) | (static_cast<unsigned char>(b[i + 1]) << 8));
          if (!ch) break;
          w.push_back(ch);
        }
        return w;
      };
      EXPECT_EQ(Narrow(asText(got)), Narrow(asText(want))) << Narrow(c.name);
    } else {
      EXPECT_EQ(got, want) << Narrow(c.name);
    }
  }
}

TEST(ExportKeyText, MissingKeyGivesEmptyText) {
  CRegistry r;
  EXPECT_EQ(r.ExportKeyText(HKEY_CURRENT_USER, L"Software\\QuillmoorTests\\does not exist"), L"");
  EXPECT_EQ(r.ExportKeyText(reinterpret_cast<HKEY>(0x1234), L"Software"), L"");
}
