#pragma once
// The table of toolbar buttons and menu items: a button column and a menu
// column. Deleting removes the entry's whole key.
#include "ui/tables/TableControlBase.h"

class ButtonTable final : public TableControlBase {
 public:
  explicit ButtonTable(ListedSystem& system);

 protected:
  std::wstring ObjectName(const CResultNode& record, const std::wstring& rowText) const override;
  std::vector<std::wstring> RowTexts(const CResultNode& record) const override;
  unsigned FailureLogText() const override;
};
