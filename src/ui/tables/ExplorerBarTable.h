#pragma once
// The explorer-bar table, one row per bar and category. Deleting takes the
// bar out of the one category it was listed for; the class stays.
#include "ui/tables/TableControlBase.h"

class ExplorerBarTable final : public TableControlBase {
 public:
  explicit ExplorerBarTable(ListedSystem& system);

 protected:
  std::wstring ObjectName(const CResultNode& record, const std::wstring& rowText) const override;
  EntryKey EntryLocation(CRegistry& registry, const CResultNode& record) const override;

 private:
  static EntryKey CategoryKey(CRegistry& registry, const CResultNode& record);
  unsigned FailureLogText() const override;
};
