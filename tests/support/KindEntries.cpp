#include "support/KindEntries.h"

#include "engine/kinds/AddonKinds.h"
#include "support/TestSupport.h"

namespace qlmtest {
namespace {

std::wstring RootText(HKEY root) {
  if (root == HKEY_LOCAL_MACHINE) return L"HKEY_LOCAL_MACHINE\\";
  if (root == HKEY_USERS) return L"HKEY_USERS\\";
  return L"HKEY_CURRENT_USER\\";
}

std::wstring Classes(const Place& place) {
  return place.wow32 ? Wow32Path(L"Software\\Classes\\CLSID") : L"Software\\Classes\\CLSID";
}

}  // namespace

std::wstring KindEntry::Key() const { return RootText(root) + location + (isValue ? L"" : L"\\" + name); }

std::wstring KindEntries::Location(std::int32_t id, const Place& place) {
  const auto& kind = discovery::Kind(id);
  if (place.root != HKEY_LOCAL_MACHINE) return place.user + kind.userPath;
  return place.wow32 && !kind.machineSharedByViews ? Wow32Path(kind.machinePath) : kind.machinePath;
}

void KindEntries::Note(HKEY root, const std::wstring& path) {
  for (const auto& area : areas_)
    if (area.root == root && Upper(area.path) == Upper(path)) return;
  areas_.push_back({root, path});
}

void KindEntries::Class(const Place& place, const std::wstring& id, const std::wstring& display,
                        const std::wstring& file) {
  if (display.empty() && file.empty()) return;  // no class at all
  const std::wstring key = Classes(place) + L"\\" + id;
  reg_.Key(HKEY_LOCAL_MACHINE, key);
  if (!display.empty()) reg_.String(HKEY_LOCAL_MACHINE, key, L"", display);
  if (!file.empty()) reg_.String(HKEY_LOCAL_MACHINE, key + L"\\InProcServer32", L"", file);
  Note(HKEY_LOCAL_MACHINE, key);
}

KindEntry KindEntries::Add(std::int32_t kind, const Place& place, const std::wstring& display,
                           const std::wstring& file, std::wstring name) {
  const bool named = kind == TableId::kMenuExtensions || kind == TableId::kProtocols;
  if (name.empty()) name = named ? display : NewClsid();
  // A class can be made only for an ordinary name; hostile ones have none.
  const bool ordinary = name.find(L'\0') == std::wstring::npos;
  KindEntry entry{name, place.root, Location(kind, place), name, discovery::Kind(kind).entriesAreValues};
  if (kind == TableId::kExplorerBars) {
    // A member of the first category of the kind: the class is the entry.
    Class(place, name, display, file);
    entry.location = Classes(place) + L"\\" + name + L"\\Implemented Categories";
    entry.name = discovery::Kind(kind).categories[0];
    reg_.Key(HKEY_LOCAL_MACHINE, entry.location + L"\\" + entry.name);
    return entry;
  }
  if (kind == TableId::kProtocols) entry.location += L"\\Handler";
  Note(place.root, entry.location);
  if (entry.isValue) {
    reg_.CountedString(place.root, entry.location, name, L"");
    if (ordinary) Class(place, name, display, file);
    return entry;
  }
  UniqueKey key = reg_.Counted(place.root, entry.location, name);
  switch (kind) {
    case TableId::kButtons:
      hostile::SetString(key.get(), L"ButtonText", display);
      if (!file.empty()) hostile::SetString(key.get(), L"Exec", file);
      break;
    case TableId::kMenuExtensions:
      if (!file.empty()) hostile::SetString(key.get(), L"", L"res://" + file + L"/page.htm");
      break;
    case TableId::kProtocols: {
      const std::wstring clsid = NewClsid();
      hostile::SetString(key.get(), L"CLSID", clsid);
      if (!file.empty()) Class(place, clsid, L"", file);
      break;
    }
    case TableId::kSearchProviders:
      hostile::SetString(key.get(), L"DisplayName", display);
      hostile::SetString(key.get(), L"URL", L"https://search.invalid/?q={searchTerms}");
      break;
    default:  // helper objects and ActiveX units name themselves; the class has the file
      hostile::SetString(key.get(), L"", display);
      if (ordinary && !file.empty()) Class(place, name, L"", file);
  }
  return entry;
}

std::vector<std::pair<std::int32_t, KindEntry>> AddEveryKindEverywhere(KindEntries& entries) {
  const std::wstring folder = FixtureFolder();
  SetEnvironmentVariableW(L"QLM_FIXTURES", folder.c_str());
  const std::wstring files[] = {folder + L"\\fx_company.dll", L"%QLM_FIXTURES%\\fx_german.dll",
                                L"\"" + folder + L"\\fx_fileonly.dll\" /x", L"shdocvw.dll", L""};
  std::vector<std::pair<std::int32_t, KindEntry>> world;
  for (const auto& kind : discovery::AddonKinds()) {
    std::vector<Place> places{kMachine};
    if (!kind.machineSharedByViews) places.push_back(kMachine32);
    if (*kind.userPath) places.insert(places.end(), {kCurrentUser, kDefaultUser});
    for (const Place& place : places) {
      const std::wstring& file = files[world.size() % std::size(files)];
      world.emplace_back(kind.id, entries.Add(kind.id, place, L"Quill World " + std::to_wstring(world.size()), file));
    }
  }
  return world;
}

}  // namespace qlmtest
