#include "ui/tables/SharedColumns.h"

#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "ozcore/CParams.h"
#include "ozcore/CRegistry.h"

namespace tables {
namespace {

std::wstring Architecture(const CResultNode& record) {
  const CParam* view = record.params.Find(discovery::keys::kView);
  return view ? LoadStr(view->Number() == 32 ? IDS_ARCH_32 : IDS_ARCH_64) : std::wstring();
}

}  // namespace

const std::vector<SharedColumn>& SharedColumns() {
  namespace k = discovery::keys;
  static const std::vector<SharedColumn> columns = [] {
    std::vector<SharedColumn> list = {
        // caption, searched, cell, width limit, path, gives way last
        {IDS_COLUMN_PUBLISHER, true, [](const CResultNode& r) { return r.params.Text(k::kManufacturer); }, 220,
         false, true},
        {IDS_COLUMN_FILE, true, [](const CResultNode& r) { return r.params.Text(k::kDll); }, 300, true, true},
        {IDS_COLUMN_VERSION, false, [](const CResultNode& r) { return r.params.Text(k::kVersion); }, 110},
        {IDS_COLUMN_USERS, true, [](const CResultNode& r) { return r.params.Text(k::kScope); }},
    };
    // Which browser processes load an add-on is only a question where the
    // registry has two views.
    if (CRegistry::HasWow32View()) list.push_back({IDS_COLUMN_ARCHITECTURE, false, &Architecture, 100});
    list.push_back({IDS_COLUMN_STATE, false, [](const CResultNode& r) { return r.params.Text(k::kState); }});
    // The signer's name comes from the file's certificate.
    list.push_back(
        {IDS_COLUMN_SIGNATURE, false, [](const CResultNode& r) { return r.params.Text(k::kSignature); }, 180});
    return list;
  }();
  return columns;
}

}  // namespace tables
