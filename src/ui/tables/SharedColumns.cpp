#include "ui/tables/SharedColumns.h"

#include "core/Strings.h"
#include "discovery/AddonRecord.h"
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
        {IDS_COLUMN_PUBLISHER, true, [](const CResultNode& r) { return r.params.Text(k::kManufacturer); }},
        {IDS_COLUMN_FILE, true, [](const CResultNode& r) { return r.params.Text(k::kDll); }},
        {IDS_COLUMN_VERSION, false, [](const CResultNode& r) { return r.params.Text(k::kVersion); }},
        {IDS_COLUMN_USERS, true, [](const CResultNode& r) { return r.params.Text(k::kScope); }},
    };
    // Which browser processes load an add-on is only a question where the
    // registry has two views.
    if (CRegistry::HasWow32View()) list.push_back({IDS_COLUMN_ARCHITECTURE, false, &Architecture});
    list.push_back({IDS_COLUMN_STATE, false, [](const CResultNode& r) { return r.params.Text(k::kState); }});
    // The signer's name comes from the file's certificate.
    list.push_back({IDS_COLUMN_SIGNATURE, false, [](const CResultNode& r) { return r.params.Text(k::kSignature); }});
    return list;
  }();
  return columns;
}

}  // namespace tables
