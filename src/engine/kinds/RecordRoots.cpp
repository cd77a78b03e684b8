#include "engine/kinds/RecordRoots.h"

namespace discovery {

std::int32_t RootNumber(HKEY root) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(root)));
}

HKEY RootFromNumber(std::int32_t number) {
  // Predefined handles are sign-extended 32-bit values.
  return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(number));
}

std::vector<RegView> RegistryViews() {
  if (CRegistry::HasWow32View()) return {RegView::Native, RegView::Wow32};
  return {RegView::Default};
}

RegView ViewOfRecord(const CResultNode& node) {
  const CParam* view = node.params.Find(keys::kView);
  if (!view || !CRegistry::HasWow32View()) return RegView::Default;
  switch (view->Number()) {
    case 64:
      return RegView::Native;
    case 32:
      return RegView::Wow32;
    default:
      return RegView::Default;
  }
}

}  // namespace discovery
