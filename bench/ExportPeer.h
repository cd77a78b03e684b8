#pragma once
// The platform's own exporter as the yardstick of the backup: "reg export"
// run as a process once per key tree the backup file holds (it exports one
// key per call), and the same command on a key that does not exist, whose
// time is the process start-up to take off.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace bench {

struct ExportTiming {
  double grossMs = 0;        // the backup's trees, the faster of two calls on each
  double nullPerCallMs = 0;  // the same on a missing key beside each tree, per tree
  std::size_t calls = 0;
  double NetMs() const { return grossMs - nullPerCallMs * static_cast<double>(calls); }
};

// The registry names ("HKEY_LOCAL_MACHINE\...") of the keys to export so
// that the exporter writes what the backup file holds (without the
// explorer-bar category entries), in its order.
std::vector<std::wstring> BackupTreeNames();

struct BackupComparison {
  double backupMs = 0;  // fastest of the backups made among the reg export calls
  ExportTiming exported;
};

// Runs reg export twice for every tree into files in folder, each call
// beside the same command on a missing key. The trees are taken in four
// parts; before each part and after the last, one backup is timed
// (timeBackup), so that the backup, the exporter and its start-up are
// measured side by side while the machine's speed drifts.
BackupComparison CompareWithRegExport(const std::vector<std::wstring>& trees, const std::wstring& folder,
                                      const std::function<double()>& timeBackup);

}  // namespace bench
