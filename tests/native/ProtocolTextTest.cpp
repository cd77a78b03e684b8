// Which protocol handlers are the system's own, and when a "DefaultScope"
// value names a search provider.
#include <gtest/gtest.h>

#include "engine/text/ProtocolText.h"

using namespace discovery::text;

TEST(NativeProtocolText, BuiltInSchemesAreTheBrowsersOwnInAnyAsciiCase) {
  for (const wchar_t* scheme : {L"http", L"HTTPS", L"Ftp", L"file", L"mk", L"res", L"about", L"JavaScript",
                                L"vbscript", L"mailto", L"its", L"MS-ITS"})
    EXPECT_TRUE(IsBuiltInScheme(scheme)) << scheme;
  // Near misses, a NUL inside, a line break, a letter that only folds
  // outside A-Z (dotless i), and nothing at all are no built-in scheme.
  for (const std::wstring& scheme : {std::wstring(L"http2"), std::wstring(L"htt"), std::wstring(L"http\0x", 6),
                                    std::wstring(L"http\n"), std::wstring(L"\u0131ts"), std::wstring(L"ms-its:"),
                                    std::wstring()})
    EXPECT_FALSE(IsBuiltInScheme(scheme));
}

// A built-in scheme is the system's only when its name, the class the
// system registers for it and that class's file in a system folder agree;
// other entries go by their file alone.
TEST(NativeProtocolText, WhoseAHandlerIsGoesByNameClassAndFile) {
  const std::vector<std::wstring> system = {L"C:\\Windows\\system32\\"};
  const std::wstring urlmon = L"C:\\Windows\\system32\\urlmon.dll", mshtml = L"c:/windows/SYSTEM32/MSHTML.dll";
  const std::wstring own = L"C:\\Program Files\\Maker\\proto.dll";
  const std::wstring http = L"{79EAC9E2-BAF9-11CE-8C82-00AA004BA90B}";
  const std::wstring script = L"{3050f3b2-98b5-11cf-bb82-00aa00bdce0b}";
  using O = ProtocolOrigin;
  const auto H = ProtocolList::Handler, F = ProtocolList::Filter;
  const struct {
    ProtocolList list;
    std::wstring name, classId, file;
    O expected;
  } cases[] = {
      {H, L"http", http, urlmon, O::System},
      {H, L"HTTP", L"{79eac9e2-baf9-11ce-8c82-00aa004ba90b}", L"\\\\?\\C:/Windows/system32/URLMON.DLL", O::System},
      {H, L"JavaScript", script, mshtml, O::System},
      {H, L"vbscript", script, mshtml, O::System},
      {H, L"ms-its", L"{9D148291-B9C8-11D0-A4CC-0000F80149F6}", L"C:\\Windows\\system32\\itss.dll", O::System},
      // The system's class with the adware's file, the adware's class with
      // the system's file, another scheme's class and file, the right class
      // with another scheme's file, a file below the system folder, no file,
      // no class, a class id with more after it: each replaces.
      {H, L"javascript", script, own, O::ReplacesBuiltIn},
      {H, L"javascript", L"{00000000-0000-0000-0000-000000000001}", mshtml, O::ReplacesBuiltIn},
      {H, L"javascript", http, urlmon, O::ReplacesBuiltIn},
      {H, L"javascript", script, urlmon, O::ReplacesBuiltIn},
      {H, L"http", http, L"C:\\Windows\\system32\\sub\\urlmon.dll", O::ReplacesBuiltIn},
      {H, L"Mailto", L"{3050F3DA-98B5-11CF-BB82-00AA00BDCE0B}", L"", O::ReplacesBuiltIn},
      {H, L"http", L"", urlmon, O::ReplacesBuiltIn},
      {H, L"http", http + std::wstring(1, L'\0'), urlmon, O::ReplacesBuiltIn},
      // Not built in: by file, directly in a system folder only. A filter
      // named like a scheme is a MIME type, nothing more.
      {H, L"quill", L"", L"c:\\windows\\SYSTEM32\\urlmon.dll", O::System},
      {F, L"text/x", L"", L"\\\\?\\C:/Windows/system32/x.dll", O::System},
      {F, L"http", http, own, O::AddOn},
      {H, L"http2", http, own, O::AddOn},
      {H, L"quill", L"", L"C:\\Windows\\system32\\sub\\x.dll", O::AddOn},
      {H, L"quill", L"", L"C:\\Windows\\system32x\\x.dll", O::AddOn},
      {H, L"quill", L"", L"C:\\Windows\\system32\\", O::AddOn},
      {H, L"quill", L"", L"", O::AddOn},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    EXPECT_EQ(OriginOfProtocol(c.list, c.name, c.classId, c.file, system), c.expected) << "case " << i;
  }
  EXPECT_EQ(OriginOfProtocol(H, L"http", http, urlmon, {}), O::ReplacesBuiltIn);  // no system folder known
  EXPECT_FALSE(IsFileDirectlyInFolders(L"x.dll", system));
}

TEST(NativeProtocolText, ADefaultScopeNamesOnlyItsOwnProvider) {
  const std::wstring id = L"{0633EE93-D776-472F-A0FF-E1416B8B2E3A}";
  EXPECT_TRUE(NamesSameEntry(id, id));
  EXPECT_TRUE(NamesSameEntry(L"{0633ee93-d776-472f-a0ff-e1416b8b2e3a}", id));
  EXPECT_FALSE(NamesSameEntry(L"", L""));
  EXPECT_FALSE(NamesSameEntry(id.substr(0, 37), id));
  EXPECT_FALSE(NamesSameEntry(id, id + std::wstring(1, L'\0')));
  EXPECT_FALSE(NamesSameEntry(L"\u00C4", L"\u00E4"));  // only A-Z fold
}
