#include "BenchMachine.h"

#include <cstdio>

using engine::Tree;

namespace benchmachine {

namespace {

std::wstring Id(int n) {
  wchar_t text[64];
  std::swprintf(text, 64, L"{%08X-0000-4000-8000-%012X}", n, n);
  return text;
}

}  // namespace

void Build(qlmtest::MemoryMachine& m, int perKind, int hives) {
  const std::wstring file = L"C:\\Program Files\\Bench\\bench.dll";
  m.files.Add(file, {{{L"CompanyName", L"Bench"}, {L"ProductVersion", L"1.0"}}, {}, L"Not signed"});
  const std::wstring ie = L"Microsoft\\Internet Explorer\\";
  int n = 0;
  for (int i = 0; i < perKind; ++i) {
    const int where = i % (hives + 2);  // 0: machine, 1: machine 32-bit, else a user
    const std::wstring software = where == 0   ? L"SOFTWARE\\"
                                  : where == 1 ? L"SOFTWARE\\Wow6432Node\\"
                                               : L"S-1-5-21-1-1-1-" + std::to_wstring(1000 + where) + L"\\Software\\";
    const Tree tree = where >= 2 ? Tree::Users : Tree::Machine;
    const std::wstring classes =
        where == 1 ? L"SOFTWARE\\Classes\\Wow6432Node\\CLSID\\" : L"SOFTWARE\\Classes\\CLSID\\";
    for (int kind = 0; kind < 9; ++kind) {
      const std::wstring id = Id(++n);
      m.registry.SetString(Tree::Machine, classes + id, L"", L"Add-on " + std::to_wstring(n));
      m.registry.SetString(Tree::Machine, classes + id + L"\\InProcServer32", L"", file);
      switch (kind) {
        case 0:
          m.registry.SetString(tree, software + ie + (where >= 2 ? L"Toolbar\\WebBrowser" : L"Toolbar"), id, L"");
          break;
        case 1:
          m.registry.SetString(tree, software + ie + L"Extensions\\" + id, L"exec", file);
          break;
        case 2:
          m.registry.SetString(tree, software + ie + L"MenuExt\\Menu " + std::to_wstring(n), L"", file);
          break;
        // Explorer bars and helper objects are the machine's only.
        case 3:
          m.registry.CreateKey(Tree::Machine,
                               classes + id + L"\\Implemented Categories\\{00021493-0000-0000-C000-000000000046}");
          break;
        case 4:
          m.registry.SetString(
              Tree::Machine,
              (where == 1 ? L"SOFTWARE\\Wow6432Node\\" : L"SOFTWARE\\") +
                  std::wstring(L"Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\") + id,
              L"", L"");
          break;
        case 5:
          m.registry.SetString(tree, software + ie + L"UrlSearchHooks", id, L"");
          break;
        case 6:
          m.registry.SetString(tree, software + L"Microsoft\\Code Store Database\\Distribution Units\\" + id, L"",
                               L"unit");
          break;
        // The machine's protocols are one key for both views.
        case 7:
          m.registry.SetString(tree,
                               (where == 1 ? std::wstring(L"SOFTWARE\\") : software) +
                                   L"Classes\\PROTOCOLS\\Handler\\p" + std::to_wstring(n),
                               L"CLSID", id);
          break;
        case 8:
          m.registry.SetString(tree, software + ie + L"SearchScopes\\" + id, L"DisplayName", L"Search");
          break;
      }
    }
  }
}

}  // namespace benchmachine
