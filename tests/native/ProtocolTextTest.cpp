// Which protocol handlers are the system's own, and when a "DefaultScope"
// value names a search provider.
#include <gtest/gtest.h>

#include "discovery/ProtocolText.h"

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

TEST(NativeProtocolText, SystemHandlersAreBuiltInSchemesOrFilesInASystemFolder) {
  const std::vector<std::wstring> system = {L"C:\\Windows\\system32\\"};
  const std::wstring own = L"C:\\Program Files\\Maker\\proto.dll";
  // A handler of a built-in scheme is the system's whatever its file.
  EXPECT_TRUE(IsSystemProtocol(ProtocolList::Handler, L"http", own, system));
  EXPECT_TRUE(IsSystemProtocol(ProtocolList::Handler, L"Mailto", L"", system));
  // A filter is never one by its name: a MIME type "http" is just text.
  EXPECT_FALSE(IsSystemProtocol(ProtocolList::Filter, L"http", own, system));
  // By file: directly in a system folder, any case, "/" as "\", a "\\?\" prefix.
  EXPECT_TRUE(IsSystemProtocol(ProtocolList::Handler, L"quill", L"c:\\windows\\SYSTEM32\\urlmon.dll", system));
  EXPECT_TRUE(IsSystemProtocol(ProtocolList::Filter, L"text/x", L"\\\\?\\C:/Windows/system32/x.dll", system));
  // Not in a subfolder, not a look-alike folder, not a missing file.
  EXPECT_FALSE(IsSystemProtocol(ProtocolList::Handler, L"quill", L"C:\\Windows\\system32\\sub\\x.dll", system));
  EXPECT_FALSE(IsSystemProtocol(ProtocolList::Handler, L"quill", L"C:\\Windows\\system32x\\x.dll", system));
  EXPECT_FALSE(IsSystemProtocol(ProtocolList::Handler, L"quill", L"C:\\Windows\\system32\\", system));
  EXPECT_FALSE(IsSystemProtocol(ProtocolList::Handler, L"quill", L"", system));
  EXPECT_FALSE(IsSystemProtocol(ProtocolList::Handler, L"quill", own, {}));
  EXPECT_FALSE(IsFileDirectlyInFolders(L"x.dll", system));
  EXPECT_STREQ(ProtocolListName(ProtocolList::Handler), L"Handler");
  EXPECT_STREQ(ProtocolListName(ProtocolList::Filter), L"Filter");
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
