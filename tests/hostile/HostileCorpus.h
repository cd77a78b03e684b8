#pragma once
// Entries as adware writes them, in the browser's own add-on keys of the
// current user and the machine: NUL in names, names with line breaks and
// section text, formula and escape names, links to a victim key and to
// their own parent, a deep chain, a huge value, a key that denies reading.
// Everything is removed again at the end, without following links.
#include <windows.h>

#include <string>
#include <vector>

#include "support/HostileRegistry.h"
#include "support/TestSupport.h"

namespace hostile {

inline const std::wstring kUserMenuExt = L"Software\\Microsoft\\Internet Explorer\\MenuExt";
inline const std::wstring kUserButtons = L"Software\\Microsoft\\Internet Explorer\\Extensions";
inline const std::wstring kUserToolbars = L"Software\\Microsoft\\Internet Explorer\\Toolbar\\WebBrowser";
inline const std::wstring kMachineBhos = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
// The key a section line smuggled into a backup would write.
inline const std::wstring kCanary = L"SOFTWARE\\QuillmoorCanary";

class Corpus {
 public:
  Corpus();
  ~Corpus();
  Corpus(const Corpus&) = delete;
  Corpus& operator=(const Corpus&) = delete;

  // Context-menu extension key names (below kUserMenuExt).
  const std::wstring nulFirst{L"\0evil", 5};
  const std::wstring same{L"Same"};
  const std::wstring sameHidden{L"Same\0hidden", 11};
  const std::wstring sectionName{L"x]\r\n[HKEY_LOCAL_MACHINE"};  // with "\SOFTWARE\QuillmoorCanary]" below
  const std::wstring formula{L"=cmd|' /C calc'!A0"};
  const std::wstring escape{L"esc\x1b[2Jclear"};
  const std::wstring dash{L"-leading"};
  const std::wstring linkToVictim{L"LinkToVictim"};
  const std::wstring linkLoop{L"LinkLoop"};
  const std::wstring deep{L"Deep"};
  const std::wstring huge{L"Huge"};
  const std::wstring denied{L"Denied"};
  const std::wstring valueNames{L"ValueNames"};

  std::vector<std::wstring> MenuExtNames() const;

 private:
  void Remove();
  qlmtest::ScratchKey victim_{HKEY_CURRENT_USER, L"Victim"};
};

}  // namespace hostile
