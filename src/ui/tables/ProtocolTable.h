#pragma once
// The table of pluggable protocol handlers and MIME filters. The system's
// own handlers are left out until F7 in the list shows them (the caption
// says which way F7 turns it). Deleting removes the entry's key in the one
// list (handler or filter, machine or user) it was found in.
#include "ui/tables/TableControlBase.h"

class ProtocolTable final : public TableControlBase {
 public:
  explicit ProtocolTable(ListedSystem& system);

  bool ShowsSystemHandlers() const { return showSystem_; }
  // Shows or hides the system's own handlers and reads the list again.
  void ShowSystemHandlers(bool show);

 protected:
  std::optional<CResultNodes> Discover() const override;
  std::wstring CaptionText() const override;
  std::wstring ObjectName(const CResultNode& record, const std::wstring& rowText) const override;
  void AddKindDetails(const CResultNode& record, CParams& details) const override;
  bool HandleKindKey(WPARAM key) override;
  unsigned FailureLogText() const override;

 private:
  bool showSystem_ = false;
};
