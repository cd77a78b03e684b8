#include "HostileCorpus.h"

namespace hostile {
namespace {

std::wstring WithNul(std::wstring clsid) {
  clsid[5] = L'\0';  // still 38 characters, as the browser's lists expect
  return clsid;
}

}  // namespace

Corpus::Corpus() {
  // A run that was cut short leaves its entries behind: start clean.
  Remove();
  using qlmtest::SetString;
  SetString(HKEY_CURRENT_USER, victim_.Path(), L"keep", L"victim value");
  SetString(HKEY_CURRENT_USER, victim_.Sub(L"child"), L"keep", L"victim child");

  const HKEY user = HKEY_CURRENT_USER;
  SetString(user, kUserMenuExt + L"\\" + same, L"", L"res://C:\\Nowhere\\same.dll/page.htm");
  for (const auto& name : {nulFirst, sameHidden, formula, escape, dash})
    hostile::SetString(CreateKey(user, kUserMenuExt, name).get(), L"", L"res://C:\\Nowhere\\x.dll/page.htm");
  // An ordinary call makes the section line: "\" separates keys.
  SetString(user, kUserMenuExt + L"\\" + sectionName + L"\\" + kCanary + L"]", L"canary", L"adware");
  {
    UniqueKey key = CreateKey(user, kUserMenuExt, valueNames);
    hostile::SetString(key.get(), L"a\r\n[HKEY_LOCAL_MACHINE\\" + kCanary + L"]\r\n\"x\"=\"y\"", L"line break");
    hostile::SetString(key.get(), std::wstring(L"nul\0name", 8), L"nul");
    hostile::SetString(key.get(), L"-", L"dash");
  }
  CreateLink(user, kUserMenuExt, linkToVictim, KernelPath(user, victim_.Path()));
  CreateLink(user, kUserMenuExt, linkLoop, KernelPath(user, kUserMenuExt));
  std::wstring chain = kUserMenuExt + L"\\" + deep;
  for (int depth = 0; depth < 520; ++depth) chain += L"\\d";
  qlmtest::CreateKey(user, chain);
  {
    // The menu entry's address itself: 64 MB of text.
    UniqueKey key = CreateKey(user, kUserMenuExt, huge);
    std::vector<unsigned char> blob(64u << 20, 0x5A);
    SetValue(key.get(), L"", REG_SZ, blob.data(), blob.size());
  }
  {
    UniqueKey key = CreateKey(user, kUserMenuExt, denied);
    hostile::SetString(key.get(), L"", L"res://C:\\Nowhere\\denied.dll/page.htm");
    DenyRead(key.get());
  }

  // A button key, a toolbar value and a helper object named with NUL.
  hostile::SetString(CreateKey(user, kUserButtons, WithNul(qlmtest::NewClsid())).get(), L"ButtonText",
                     L"Hidden Button");
  {
    UniqueKey key = CreateKey(user, L"Software\\Microsoft\\Internet Explorer\\Toolbar", L"WebBrowser");
    hostile::SetString(key.get(), WithNul(qlmtest::NewClsid()), L"");
  }
  hostile::SetString(CreateKey(HKEY_LOCAL_MACHINE, kMachineBhos, WithNul(qlmtest::NewClsid())).get(), L"",
                     L"Hidden Helper");
}

Corpus::~Corpus() { Remove(); }

void Corpus::Remove() {
  for (const auto& name : MenuExtNames()) DeleteTree(HKEY_CURRENT_USER, kUserMenuExt, name);
  // The other entries are named with a NUL, which nothing else does: those
  // of a run cut short go too.
  for (const auto& name : NamesWithNul(HKEY_CURRENT_USER, kUserButtons, false))
    DeleteTree(HKEY_CURRENT_USER, kUserButtons, name);
  for (const auto& name : NamesWithNul(HKEY_CURRENT_USER, kUserToolbars, true))
    DeleteValue(HKEY_CURRENT_USER, kUserToolbars, name);
  for (const auto& name : NamesWithNul(HKEY_LOCAL_MACHINE, kMachineBhos, false))
    DeleteTree(HKEY_LOCAL_MACHINE, kMachineBhos, name);
  qlmtest::DeleteTree(HKEY_LOCAL_MACHINE, kCanary);
}

std::vector<std::wstring> Corpus::MenuExtNames() const {
  return {nulFirst, same, sameHidden, sectionName, formula, escape, dash, linkToVictim, linkLoop, deep, huge, denied,
          valueNames};
}

}  // namespace hostile
