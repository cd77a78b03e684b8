#pragma once
// The table of browser helper objects. Deleting removes the object's entry
// key in the machine's list.
#include "ui/tables/TableControlBase.h"

class HelperObjectTable final : public TableControlBase {
 public:
  explicit HelperObjectTable(ListedSystem& system);

 protected:
  std::wstring ObjectName(const CResultNode& record, const std::wstring& rowText) const override;
  EntryKey EntryLocation(CRegistry& registry, const CResultNode& record) const override;
  unsigned FailureLogText() const override;
};
