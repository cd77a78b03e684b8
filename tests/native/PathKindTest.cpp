// The kind of path a registry file string names, decided from the text.
#include <gtest/gtest.h>

#include <string>

#include "engine/files/PathKind.h"

using discovery::PathKind;

namespace {

std::string Name(PathKind kind) {
  switch (kind) {
    case PathKind::Local:
      return "Local";
    case PathKind::Network:
      return "Network";
    case PathKind::Device:
      return "Device";
  }
  return "?";
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t ch : text) out.push_back(ch >= 0x20 && ch < 0x7F ? static_cast<char>(ch) : '?');
  return out;
}

struct Case {
  std::wstring text;
  PathKind kind;
};

void Check(const std::vector<Case>& cases) {
  for (const auto& c : cases)
    EXPECT_EQ(Name(discovery::ClassifyPath(c.text)), Name(c.kind)) << Narrow(c.text);
}

}  // namespace

TEST(NativePathKind, SharesInEveryForm) {
  Check({
      {L"\\\\host\\share\\x.dll", PathKind::Network},
      {L"//host/share/x.dll", PathKind::Network},
      {L"\\/host\\share/x.dll", PathKind::Network},
      {L"/\\host", PathKind::Network},
      {L"\\\\?\\UNC\\host\\s\\x.dll", PathKind::Network},
      {L"\\\\?\\unc\\host\\s\\x.dll", PathKind::Network},
      {L"\\??\\UNC\\host\\s\\x.dll", PathKind::Network},
      {L"\\\\.\\UNC\\host\\s\\x.dll", PathKind::Network},
      {L"\\\\?\\GLOBALROOT\\Device\\Mup\\host\\s\\x.dll", PathKind::Network},
      {L"\\\\.\\globalroot\\device\\LanmanRedirector\\;Z:0\\host\\s\\x.dll", PathKind::Network},
      {L"\\Device\\Mup\\host\\s\\x.dll", PathKind::Network},
      {L"\\\\..\\x.dll", PathKind::Network},  // ".." is a host name here
      {L"res://\\\\host\\x.dll/page.htm", PathKind::Network},
      {L"RES://\\\\host\\x.dll", PathKind::Network},
      {L"res:////host/x.dll/page.htm", PathKind::Network},
      {L"res://%5C%5Chost%5Cx.dll/page.htm", PathKind::Network},
      {L"file://\\\\host\\s\\x.htm", PathKind::Network},
      {L"file://host/s/x.htm", PathKind::Network},
      {L"FILE://host", PathKind::Network},
      {L"file:////host/s/x.htm", PathKind::Network},
      {L"file://///host/s/x.htm", PathKind::Network},
      {L"file://localhost//host/s/x.htm", PathKind::Network},
      {L"file:file://host/x.htm", PathKind::Network},
      {L"  \"\\\\host\\s\\x.dll\" /embedding", PathKind::Network},
      {L"\t\\\\host\\s\\x.dll\t", PathKind::Network},
  });
}

TEST(NativePathKind, DevicesAndTheObjectNamespace) {
  Check({
      {L"\\\\.\\pipe\\x", PathKind::Device},
      {L"\\\\.\\C:", PathKind::Device},
      {L"\\\\.\\C:\\x.dll", PathKind::Device},
      {L"//./pipe/x", PathKind::Device},
      {L"\\\\?\\Volume{00000000-0000-0000-0000-000000000000}\\x.dll", PathKind::Device},
      {L"\\\\?\\C:", PathKind::Device},  // the volume itself
      {L"\\??\\pipe\\x", PathKind::Device},
      {L"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume1\\x.dll", PathKind::Device},
      {L"\\Device\\HarddiskVolume1\\x.dll", PathKind::Device},
      {L"\\GLOBAL??\\C:\\x.dll", PathKind::Local},
      {L"C:\\a\\GlobalRoot\\x.dll", PathKind::Device},
      {L"CON", PathKind::Device},
      {L"nul", PathKind::Device},
      {L"C:\\x\\aux.dll", PathKind::Device},
      {L"C:\\x\\Com1.txt", PathKind::Device},
      {L"C:\\x\\LPT9", PathKind::Device},
      {L"C:\\x\\com0", PathKind::Device},
      {L"C:\\x\\COM\u00B9", PathKind::Device},
      {L"C:\\x\\CON  .txt", PathKind::Device},
      {L"C:\\x\\CON. . .", PathKind::Device},
      {L"C:\\x\\con:stream", PathKind::Device},
      {L"C:CON", PathKind::Device},
      {L"conin$", PathKind::Device},
      {L"C:\\x\\CONOUT$.dll", PathKind::Device},
      {L"\"C:\\x\\PRN\" /arg", PathKind::Device},
      {L"res://CON/page.htm", PathKind::Device},
      {L"file:///C:/x/nul.htm", PathKind::Device},
      {L"file://./pipe/x", PathKind::Device},
      {L"\\\\?\\C:\\x\\nul", PathKind::Device},
      {L"file:file:file:file:file:file:file:file:file:x.dll", PathKind::Device},  // past any real nesting
      {L"file:file:file:file:file:file:file:file:x.dll", PathKind::Local},
  });
}

TEST(NativePathKind, LocalFilesStayLocal) {
  Check({
      {L"", PathKind::Local},
      {L"x.dll", PathKind::Local},
      {L"C:\\Program Files\\Maker\\x.dll", PathKind::Local},
      {L"C:/Program Files/Maker/x.dll", PathKind::Local},
      {L"\\??\\C:\\Maker\\x.dll", PathKind::Local},
      {L"\\\\?\\C:\\Maker\\x.dll", PathKind::Local},
      {L"\"C:\\Program Files\\x.dll\" \\\\host\\s", PathKind::Local},  // arguments after the quote
      {L"%ProgramFiles%\\Maker\\x.dll", PathKind::Local},
      {L"\\Windows\\x.dll", PathKind::Local},
      {L"sub\\x.dll", PathKind::Local},
      {L"C:\\x\\CONSOLE.dll", PathKind::Local},
      {L"C:\\x\\COM10", PathKind::Local},
      {L"C:\\x\\LPT", PathKind::Local},
      {L"C:\\CON\\x.dll", PathKind::Local},  // only the file part is a device
      {L"C:\\x\\ CON", PathKind::Local},
      {L"res://C:\\Maker\\x.dll/page.htm", PathKind::Local},
      {L"res://shdocvw.dll/about.htm", PathKind::Local},
      {L"file://C:\\pages\\p.htm", PathKind::Local},
      {L"file:///C:/pages/p.htm", PathKind::Local},
      {L"file:///C|/pages/p.htm", PathKind::Local},
      {L"file://localhost/C:/pages/p.htm", PathKind::Local},
      {L"file:C:\\pages\\p.htm", PathKind::Local},
      {L"file:///relative", PathKind::Local},
      {L"javascript:void(0)", PathKind::Local},
      {L"\\\\?", PathKind::Device},
  });
}

TEST(NativePathKind, DriveLettersAndFullPaths) {
  EXPECT_EQ(discovery::PathDriveLetter(L"z:\\x.dll"), L'Z');
  EXPECT_EQ(discovery::PathDriveLetter(L"  \"Q:\\x.dll\" /a"), L'Q');
  EXPECT_EQ(discovery::PathDriveLetter(L"\\\\?\\Y:\\x.dll"), L'Y');
  EXPECT_EQ(discovery::PathDriveLetter(L"\\??\\x:x.dll"), L'X');
  EXPECT_EQ(discovery::PathDriveLetter(L"file:///M|/p.htm"), L'M');
  EXPECT_EQ(discovery::PathDriveLetter(L"res://R:\\x.dll/p.htm"), L'R');
  EXPECT_EQ(discovery::PathDriveLetter(L"x.dll"), 0);
  EXPECT_EQ(discovery::PathDriveLetter(L"\\\\host\\s"), 0);
  EXPECT_EQ(discovery::PathDriveLetter(L"1:\\x"), 0);

  EXPECT_TRUE(discovery::IsDriveAbsolutePath(L"C:\\x.dll"));
  EXPECT_TRUE(discovery::IsDriveAbsolutePath(L"c:/x.dll"));
  EXPECT_TRUE(discovery::IsDriveAbsolutePath(L"\\\\?\\C:\\x.dll"));
  EXPECT_TRUE(discovery::IsDriveAbsolutePath(L"\\??\\C:\\x.dll"));
  EXPECT_FALSE(discovery::IsDriveAbsolutePath(L"C:x.dll"));
  EXPECT_FALSE(discovery::IsDriveAbsolutePath(L"C:"));
  EXPECT_FALSE(discovery::IsDriveAbsolutePath(L"x.dll"));
  EXPECT_FALSE(discovery::IsDriveAbsolutePath(L"\\x.dll"));
  EXPECT_FALSE(discovery::IsDriveAbsolutePath(L" C:\\x.dll"));
  EXPECT_FALSE(discovery::IsDriveAbsolutePath(L"\\\\host\\C:\\x"));
}
