#pragma once
// The table of search providers. Deleting removes the provider's key in the
// one search list (the machine's or one user's) it was found in and, when
// that list's "DefaultScope" names it, that value too, as the confirmation
// says. The details show the search address and whether it is the default.
#include "ui/tables/TableControlBase.h"

class SearchProviderTable final : public TableControlBase {
 public:
  explicit SearchProviderTable(ListedSystem& system);

 protected:
  std::wstring ObjectName(const CResultNode& record, const std::wstring& rowText) const override;
  void AddKindDetails(const CResultNode& record, CParams& details) const override;
  std::wstring ConfirmationText(const CResultNode& record, const std::wstring& name) const override;
  unsigned FailureLogText() const override;
};
