#include "RegistryFloor.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ozcore/CRegistry.h"
#include "ozcore/UniqueHandle.h"

namespace bench {

namespace {

constexpr const wchar_t* kToolbarMachine = L"Software\\Microsoft\\Internet Explorer\\Toolbar";
constexpr const wchar_t* kToolbarUser = L"\\Software\\Microsoft\\Internet Explorer\\Toolbar\\WebBrowser";
constexpr const wchar_t* kExtensions = L"Software\\Microsoft\\Internet Explorer\\Extensions";
constexpr const wchar_t* kMenuExt = L"Software\\Microsoft\\Internet Explorer\\MenuExt";
constexpr const wchar_t* kBho = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
constexpr const wchar_t* kHooks = L"Software\\Microsoft\\Internet Explorer\\UrlSearchHooks";
constexpr const wchar_t* kUnits = L"Software\\Microsoft\\Code Store Database\\Distribution Units";
constexpr const wchar_t* kProtocols = L"Software\\Classes\\PROTOCOLS";
constexpr const wchar_t* kScopes = L"Software\\Microsoft\\Internet Explorer\\SearchScopes";
constexpr const wchar_t* kCategories[2] = {L"{00021493-0000-0000-C000-000000000046}",
                                           L"{00021494-0000-0000-C000-000000000046}"};

class Reader {
 public:
  FloorResult result;
  // The registry view of every open, as discovery reads one view and then
  // the other.
  REGSAM view = 0;

  // Length of the string read into text_ (in characters), 0 when absent.
  DWORD Query(HKEY key, const wchar_t* name) {
    DWORD size = sizeof(data_);
    DWORD type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data_), &size) != ERROR_SUCCESS) return 0;
    result.bytes += size;
    const DWORD chars = size / sizeof(wchar_t);
    data_[chars < std::size(data_) ? chars : std::size(data_) - 1] = L'\0';
    return chars;
  }

  DWORD QueryAt(HKEY root, const wchar_t* path, const wchar_t* name) {
    UniqueKey key;
    if (RegOpenKeyExW(root, path, 0, KEY_READ | view, key.put()) != ERROR_SUCCESS) return 0;
    return Query(key.get(), name);
  }

  // Calls each(name, length) for every subkey or value name of key.
  template <typename Each>
  void Enumerate(HKEY key, bool values, Each&& each) {
    for (DWORD i = 0;; ++i) {
      DWORD len = static_cast<DWORD>(std::size(name_));
      const LONG rc = values ? RegEnumValueW(key, i, name_, &len, nullptr, nullptr, nullptr, nullptr)
                             : RegEnumKeyExW(key, i, name_, &len, nullptr, nullptr, nullptr, nullptr);
      if (rc != ERROR_SUCCESS) break;
      each(name_, len);
    }
  }

  // The class reads of a CLSID: "CLSID\{...}" + tail's default value.
  void ClassRead(const wchar_t* clsid, const wchar_t* tail) {
    wchar_t path[300];
    swprintf(path, std::size(path), L"CLSID\\%ls%ls", clsid, tail);
    QueryAt(HKEY_CLASSES_ROOT, path, L"");
  }

  void Toolbars(HKEY root, const wchar_t* path) {
    UniqueKey list;
    if (RegOpenKeyExW(root, path, 0, KEY_READ | view, list.put()) != ERROR_SUCCESS) return;
    Enumerate(list.get(), true, [&](wchar_t* name, DWORD len) {
      if (len != 38) return;
      ++result.entries;
      const std::wstring clsid(name, len);
      ClassRead(clsid.c_str(), L"");
      ClassRead(clsid.c_str(), L"\\InProcServer32");
    });
  }

  void Buttons(HKEY root, const wchar_t* path) {
    UniqueKey list;
    if (RegOpenKeyExW(root, path, 0, KEY_READ | view, list.put()) != ERROR_SUCCESS) return;
    Enumerate(list.get(), false, [&](wchar_t* name, DWORD len) {
      if (len != 38) return;
      ++result.entries;
      UniqueKey entry;
      if (RegOpenKeyExW(list.get(), name, 0, KEY_READ | view, entry.put()) != ERROR_SUCCESS) return;
      Query(entry.get(), L"buttontext");
      Query(entry.get(), L"menutext");
      if (Query(entry.get(), L"script") > 1) return;
      if (Query(entry.get(), L"exec") > 1) return;
      if (Query(entry.get(), L"ClsidExtension") > 1) {
        const std::wstring clsid(data_);
        ClassRead(clsid.c_str(), L"\\InProcServer32");
      }
    });
  }

  void MenuExts(HKEY root, const wchar_t* path) {
    UniqueKey list;
    if (RegOpenKeyExW(root, path, 0, KEY_READ | view, list.put()) != ERROR_SUCCESS) return;
    Enumerate(list.get(), false, [&](wchar_t* name, DWORD) {
      ++result.entries;
      QueryAt(list.get(), name, L"");
    });
  }

  void Units(HKEY root, const wchar_t* path) {
    UniqueKey list;
    if (RegOpenKeyExW(root, path, 0, KEY_READ | view, list.put()) != ERROR_SUCCESS) return;
    Enumerate(list.get(), false, [&](wchar_t* name, DWORD len) {
      if (len != 38) return;
      ++result.entries;
      const std::wstring clsid(name, len);
      QueryAt(list.get(), clsid.c_str(), L"");
      QueryAt(list.get(), (clsid + L"\\DownloadInformation").c_str(), L"CODEBASE");
      ClassRead(clsid.c_str(), L"");
      ClassRead(clsid.c_str(), L"\\InProcServer32");
    });
  }

  void Protocols(HKEY root, const wchar_t* path) {
    for (const wchar_t* which : {L"\\Handler", L"\\Filter"}) {
      UniqueKey list;
      if (RegOpenKeyExW(root, (std::wstring(path) + which).c_str(), 0, KEY_READ | view, list.put()) != ERROR_SUCCESS)
        continue;
      Enumerate(list.get(), false, [&](wchar_t* name, DWORD) {
        ++result.entries;
        if (QueryAt(list.get(), name, L"CLSID") > 1) {
          const std::wstring clsid(data_);
          ClassRead(clsid.c_str(), L"");
          ClassRead(clsid.c_str(), L"\\InProcServer32");
        }
      });
    }
  }

  void Scopes(HKEY root, const wchar_t* path) {
    UniqueKey list;
    if (RegOpenKeyExW(root, path, 0, KEY_READ | view, list.put()) != ERROR_SUCCESS) return;
    Query(list.get(), L"DefaultScope");
    Enumerate(list.get(), false, [&](wchar_t* name, DWORD) {
      ++result.entries;
      QueryAt(list.get(), name, L"DisplayName");
      QueryAt(list.get(), name, L"URL");
    });
  }

  // The per-user part of a kind: every HKEY_USERS subkey + tail.
  template <typename Kind>
  void Users(const wchar_t* tail, Kind&& kind) {
    std::vector<std::wstring> users;
    Enumerate(HKEY_USERS, false, [&](wchar_t* name, DWORD len) { users.emplace_back(name, len); });
    for (const auto& user : users) kind(HKEY_USERS, (user + tail).c_str());
  }

  void ExplorerBars() {
    UniqueKey classes;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_READ | view, classes.put()) != ERROR_SUCCESS) return;
    std::vector<std::wstring> members[2];
    Enumerate(classes.get(), false, [&](wchar_t* name, DWORD len) {
      wchar_t path[300];
      swprintf(path, std::size(path), L"%ls\\Implemented Categories", name);
      UniqueKey categories;
      if (RegOpenKeyExW(classes.get(), path, 0, KEY_READ | view, categories.put()) != ERROR_SUCCESS) return;
      for (int c = 0; c < 2; ++c) {
        UniqueKey member;
        if (RegOpenKeyExW(categories.get(), kCategories[c], 0, KEY_READ | view, member.put()) == ERROR_SUCCESS)
          members[c].emplace_back(name, len);
      }
    });
    for (const auto& list : members) {
      for (const auto& clsid : list) {
        ++result.entries;
        ClassRead(clsid.c_str(), L"");
        ClassRead(clsid.c_str(), L"\\InProcServer32");
        wchar_t path[300];
        swprintf(path, std::size(path), L"CLSID\\%ls\\Instance\\InitPropertyBag", clsid.c_str());
        QueryAt(HKEY_CLASSES_ROOT, path, L"Url");
      }
    }
  }

  void Bhos() {
    UniqueKey list;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kBho, 0, KEY_READ | view, list.put()) != ERROR_SUCCESS) return;
    Enumerate(list.get(), false, [&](wchar_t* name, DWORD len) {
      if (len != 38) return;
      ++result.entries;
      QueryAt(list.get(), name, L"");
      ClassRead(name, L"\\InProcServer32");
    });
  }

 private:
  wchar_t name_[16384];
  wchar_t data_[8192];
};

}  // namespace

FloorResult ReadLikeDiscovery(unsigned kinds) {
  auto reader = std::make_unique<Reader>();
  // The machine's entries and classes in each registry view the system has,
  // native first; the users' entries once, their classes in the native view
  // (where these registries keep them).
  std::vector<REGSAM> views = {KEY_WOW64_64KEY};
  if (CRegistry::HasWow32View()) views.push_back(KEY_WOW64_32KEY);
  const std::wstring userExtensions = std::wstring(L"\\") + kExtensions;
  const std::wstring userMenuExt = std::wstring(L"\\") + kMenuExt;
  for (int kind = 0; kind < kFloorKinds; ++kind) {
    if (!(kinds & (1u << kind))) continue;
    for (const REGSAM view : views) {
      reader->view = view;
      switch (kind) {
        case 5:
          reader->Toolbars(HKEY_LOCAL_MACHINE, kHooks);
          break;
        case 6:
          reader->Units(HKEY_LOCAL_MACHINE, kUnits);
          break;
        case 7:
          // One key in both views: read once.
          if (view == views.front()) reader->Protocols(HKEY_LOCAL_MACHINE, kProtocols);
          break;
        case 8:
          reader->Scopes(HKEY_LOCAL_MACHINE, kScopes);
          break;
        case 0:
          reader->Toolbars(HKEY_LOCAL_MACHINE, kToolbarMachine);
          break;
        case 1:
          reader->Buttons(HKEY_LOCAL_MACHINE, kExtensions);
          break;
        case 2:
          reader->MenuExts(HKEY_LOCAL_MACHINE, kMenuExt);
          break;
        case 3:
          reader->ExplorerBars();
          break;
        default:
          reader->Bhos();
          break;
      }
    }
    reader->view = views.front();
    if (kind == 0) reader->Users(kToolbarUser, [&](HKEY root, const wchar_t* path) { reader->Toolbars(root, path); });
    if (kind == 1)
      reader->Users(userExtensions.c_str(), [&](HKEY root, const wchar_t* path) { reader->Buttons(root, path); });
    if (kind == 2)
      reader->Users(userMenuExt.c_str(), [&](HKEY root, const wchar_t* path) { reader->MenuExts(root, path); });
    const std::wstring tails[] = {std::wstring(L"\\") + kHooks, std::wstring(L"\\") + kUnits,
                                  std::wstring(L"\\") + kProtocols, std::wstring(L"\\") + kScopes};
    if (kind == 5) reader->Users(tails[0].c_str(), [&](HKEY root, const wchar_t* path) { reader->Toolbars(root, path); });
    if (kind == 6) reader->Users(tails[1].c_str(), [&](HKEY root, const wchar_t* path) { reader->Units(root, path); });
    if (kind == 7)
      reader->Users(tails[2].c_str(), [&](HKEY root, const wchar_t* path) { reader->Protocols(root, path); });
    if (kind == 8) reader->Users(tails[3].c_str(), [&](HKEY root, const wchar_t* path) { reader->Scopes(root, path); });
  }
  return reader->result;
}

}  // namespace bench
