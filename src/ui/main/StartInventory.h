#pragma once
// What is new since the last start: at each start, once the lists are
// filled and the start-up backup written, the listing is saved as an
// inventory beside the backups (the JSON qmscan --json prints) and
// compared with the newest earlier one. Entries not listed then are new;
// those gone since are logged.
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "core/DataFolder.h"
#include "inventory/InventoryRead.h"

class CResultNode;
class TableControlBase;

class StartInventory {
 public:
  // Saves this start's listing of the tables and compares it with the
  // newest earlier inventory in the data folder's Backup folder. Failures
  // are logged ("FMain.SaveInventory"); then nothing is marked new.
  void SaveAndCompare(const core::DataFolder& data, const std::vector<TableControlBase*>& tables);

  // Hands each table its age marks from the comparison: which records are
  // new, and the "First seen" texts. The tables must not outlive this
  // object.
  void MarkTables(const std::vector<TableControlBase*>& tables) const;

  // True once an earlier inventory was read: only then is anything new.
  bool Compared() const { return compared_; }
  // Not in the earlier inventory (false before one was read).
  bool IsNew(const std::wstring& kind, const CResultNode& record) const;
  std::size_t NewCount() const { return newCount_; }
  std::size_t GoneCount() const { return goneCount_; }
  // When this start's listing and the earlier one were made ("yyyy-mm-dd
  // hh:mm:ss").
  const std::wstring& Now() const { return now_; }
  const std::wstring& Earlier() const { return earlier_; }

 private:
  // SaveAndCompare's work, failures raised.
  void SaveAndCompareNow(const core::DataFolder& data, const std::vector<TableControlBase*>& tables);

  bool compared_ = false;
  std::set<inventory::EntryIdentity> earlierEntries_;
  std::size_t newCount_ = 0, goneCount_ = 0;
  std::wstring now_, earlier_;
};
