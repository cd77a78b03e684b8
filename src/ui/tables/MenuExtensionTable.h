#pragma once
// The table of context-menu extensions. Deleting removes the extension's
// whole key.
#include "ui/tables/TableControlBase.h"

class MenuExtensionTable final : public TableControlBase {
 public:
  explicit MenuExtensionTable(ListedSystem& system);

 protected:
  std::wstring ObjectName(const CResultNode& record, const std::wstring& rowText) const override;
  unsigned FailureLogText() const override;
};
