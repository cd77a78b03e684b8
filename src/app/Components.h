#pragma once
// The two DLLs the program cannot work without, ozCore.dll and
// QLMCustom.dll, loaded from the program's own folder: nothing is
// registered on the machine and no other copy is picked up.
#include <memory>
#include <string>

#include "components/QLMCustom.h"
#include "ozcore/UniqueHandle.h"

namespace Startup {

struct CustomRelease {
  void operator()(IQLMCustom* object) const noexcept {
    if (object) object->Release();
  }
};
using CustomObject = std::unique_ptr<IQLMCustom, CustomRelease>;

class ComponentLoader {
 public:
  explicit ComponentLoader(std::wstring folder);
  ComponentLoader(const ComponentLoader&) = delete;
  ComponentLoader& operator=(const ComponentLoader&) = delete;

  // Loads ozCore.dll from the folder (once). Only when this is true may the
  // library's functions be called.
  bool LoadOzCore();
  // An object of the custom component by ProgID; null when the DLL, its
  // factory or the class is missing.
  CustomObject CreateCustom(const std::wstring& progId);

 private:
  UniqueModule Load(const wchar_t* name) const;

  std::wstring folder_;
  bool ozCoreTried_ = false;
  bool customTried_ = false;
  // Both stay loaded while the loader lives: the program's calls into
  // ozCore are bound to it, and a logger the custom component hands back
  // lives in its DLL.
  UniqueModule ozCore_;
  UniqueModule custom_;
};

// Proves that one object of each component can be made. On the first
// failure: false, and message holds the text to show, naming the DLL.
bool CheckComponents(ComponentLoader& components, std::wstring& message);

}  // namespace Startup
