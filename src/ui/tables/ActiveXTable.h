#pragma once
// The table of downloaded ActiveX controls. Deleting removes the control's
// distribution unit key in the code store it was found in; the class and
// its files stay. The details show where the control was downloaded from.
#include "ui/tables/TableControlBase.h"

class ActiveXTable final : public TableControlBase {
 public:
  explicit ActiveXTable(ListedSystem& system);

 protected:
  std::wstring ObjectName(const CResultNode& record, const std::wstring& rowText) const override;
  void AddKindDetails(const CResultNode& record, CParams& details) const override;
  unsigned FailureLogText() const override;
};
