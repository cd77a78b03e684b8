#include "app/Components.h"

#include <windows.h>

#include "app/StartupText.h"
#include "core/Strings.h"
#include "ozcore/CStringDictionary.h"

namespace Startup {

ComponentLoader::ComponentLoader(std::wstring folder) : folder_(std::move(folder)) {}

UniqueModule ComponentLoader::Load(const wchar_t* name) const {
  const std::wstring path = folder_ + L"\\" + name;
  // The DLL's own dependencies are looked for beside it and in the system
  // folder, never in the current folder or on PATH.
  return UniqueModule(
      LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32));
}

bool ComponentLoader::LoadOzCore() {
  if (!ozCoreTried_) {
    ozCoreTried_ = true;
    ozCore_ = Load(L"ozCore.dll");
  }
  return static_cast<bool>(ozCore_);
}

CustomObject ComponentLoader::CreateCustom(const std::wstring& progId) {
  if (!customTried_) {
    customTried_ = true;
    custom_ = Load(L"QLMCustom.dll");
  }
  if (!custom_) return nullptr;
  auto create = reinterpret_cast<QLMCreateObjectFn>(
      reinterpret_cast<void*>(GetProcAddress(custom_.get(), QLMCUSTOM_FACTORY_NAME)));
  IQLMCustom* object = nullptr;
  if (!create || create(progId.c_str(), &object) != 0) return nullptr;
  return CustomObject(object);
}

bool CheckComponents(ComponentLoader& components, std::wstring& message) {
  const wchar_t* name = L"ozCore.dll";
  bool ok = false;
  try {
    if (components.LoadOzCore()) {
      CStringDictionary probe;
      (void)probe;
      name = L"QLMCustom.dll";
      ok = static_cast<bool>(components.CreateCustom(L"QLMCustom.CCustom2"));
    }
  } catch (...) {
    ok = false;
  }
  if (!ok) message = ComponentMessage(LoadStr(IDS_COMPONENT_MISSING), name);
  return ok;
}

}  // namespace Startup
