#pragma once
// The platform's own exporter as the yardstick of the backup: "reg export"
// run as a process once per key tree the backup file holds (it exports one
// key per call), and the same command on a key that does not exist, whose
// time is the process start-up to take off.
#include <cstddef>
#include <string>
#include <vector>

namespace bench {

struct ExportTiming {
  double grossMs = 0;        // all calls on the backup's trees
  double nullPerCallMs = 0;  // median of the calls on a missing key
  std::size_t calls = 0;
  double NetMs() const { return grossMs - nullPerCallMs * static_cast<double>(calls); }
};

// The registry names ("HKEY_LOCAL_MACHINE\...") of the trees the backup
// file holds, in its order.
std::vector<std::wstring> BackupTreeNames();

// Runs reg export for every tree into files in folder, and nullCalls calls
// on a missing key.
ExportTiming TimeRegExport(const std::vector<std::wstring>& trees, const std::wstring& folder, int nullCalls);

}  // namespace bench
