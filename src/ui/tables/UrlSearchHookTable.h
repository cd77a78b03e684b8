#pragma once
// The table of URL search hooks. Deleting removes the hook's value from the
// one list (the machine's or one user's) it was found in; its class stays
// registered.
#include "ui/tables/TableControlBase.h"

class UrlSearchHookTable final : public TableControlBase {
 public:
  explicit UrlSearchHookTable(ListedSystem& system);

 protected:
  std::wstring ObjectName(const CResultNode& record, const std::wstring& rowText) const override;
  unsigned FailureLogText() const override;
};
