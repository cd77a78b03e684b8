#include "ui/tables/ProtocolTable.h"

#include "core/Strings.h"
#include "engine/kinds/AddonRecord.h"
#include "ozcore/CRegistry.h"
#include "engine/kinds/ListingRoutines.h"
#include "ui/tables/ListedSystem.h"

namespace {
bool IsFilter(const CResultNode& record) { return record.params.Text(discovery::keys::kProtocolList) == L"Filter"; }
}  // namespace

ProtocolTable::ProtocolTable(ListedSystem& system) : TableControlBase(TableId::kProtocols, system) {}

std::optional<CResultNodes> ProtocolTable::Discover() const {
  return System().List(Kind(), showSystem_ ? &discovery::ListAllProtocols : &discovery::ListProtocols);
}

std::wstring ProtocolTable::CaptionText() const {
  // The caption says which way F7 turns the list.
  return TableControlBase::CaptionText() + LoadStr(showSystem_ ? IDS_PH_HIDE_SYSTEM : IDS_PH_SHOW_SYSTEM);
}

void ProtocolTable::ShowSystemHandlers(bool show) {
  showSystem_ = show;
  UpdateCaption();
  RefreshList();
}

bool ProtocolTable::HandleKindKey(WPARAM key) {
  if (key != VK_F7) return false;
  ShowSystemHandlers(!showSystem_);
  return true;
}

std::wstring ProtocolTable::ObjectName(const CResultNode& record, const std::wstring& rowText) const {
  return rowText + LoadStr(IsFilter(record) ? IDS_NAME_SUFFIX_PROTOCOL_FILTER : IDS_NAME_SUFFIX_PROTOCOL_HANDLER);
}

void ProtocolTable::AddKindDetails(const CResultNode& record, CParams& details) const {
  details.Add(LoadStr(IDS_CAPTION_PROTOCOL_LIST),
              LoadStr(IsFilter(record) ? IDS_PROTOCOL_LIST_FILTER : IDS_PROTOCOL_LIST_HANDLER));
  if (const CParam* system = record.params.Find(discovery::keys::kSystem))
    details.Add(LoadStr(IDS_CAPTION_SYSTEM_HANDLER),
                LoadStr(system->Number() == 1 ? IDS_DEFAULT_YES : IDS_REPLACES_BUILT_IN_HANDLER));
}

unsigned ProtocolTable::FailureLogText() const { return IDS_CANNOT_DELETE; }
