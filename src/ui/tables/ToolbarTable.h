#pragma once
// The toolbar table. Deleting a toolbar removes its value from the one
// toolbar list (the machine's or one user's) it was found in; its class
// stays registered.
#include "ui/tables/TableControlBase.h"

class ToolbarTable final : public TableControlBase {
 public:
  explicit ToolbarTable(ListedSystem& system);

 protected:
  std::wstring ObjectName(const CResultNode& record, const std::wstring& rowText) const override;
};
