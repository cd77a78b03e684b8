// The discovery, table refresh and backup benchmark. Run by scripts/bench.sh
// under Wine in a prefix of its own. The driver starts one measuring process
// per registry size, so that every size starts with an empty file checker
// and its own peak working set; all of them share one Wine server, which
// keeps the keys made under HKEY_USERS alive. It prints figures and asserts
// nothing.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "CallCount.h"
#include "ExportPeer.h"
#include "RegistryFloor.h"
#include "Stats.h"
#include "SyntheticRegistry.h"
#include "TableRefresh.h"
#include "backup/RegistryBackup.h"
#include "engine/live/LiveListing.h"
#include "engine/files/FileResolver.h"
#include "ozcore/CRegistry.h"
#include "ozcore/UniqueHandle.h"

namespace {

using bench::ConfigResult;

void Say(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  std::fflush(stdout);
}

struct Options {
  std::vector<std::size_t> sizes{10, 100, 1000, 5000};
  std::vector<std::size_t> hives{1, 10, 50};
  int runs = 5;
  bool regExport = true;
  // The exporter's own work on smaller registries is far below the noise of
  // its start-up (tens of process starts per run), and those starts are
  // most of the benchmark's time: it is compared from this size on.
  std::size_t exportFrom = 1000;
  // Sizes above 1,000 only with the most hives, unless --full: each such
  // size takes several minutes here, and per record the work does not
  // depend on the number of hives (the 1,000 rows show it).
  bool full = false;
  std::wstring demoFiles;  // the build's demo add-on DLLs
  std::wstring json;       // where the JSON goes
};

std::vector<std::size_t> ParseList(const std::wstring& text) {
  std::vector<std::size_t> out;
  std::size_t start = 0;
  while (start <= text.size()) {
    const auto comma = text.find(L',', start);
    const std::wstring part = text.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
    if (!part.empty()) out.push_back(std::wcstoul(part.c_str(), nullptr, 10));
    if (comma == std::wstring::npos) break;
    start = comma + 1;
  }
  return out;
}

std::wstring ExpandedFolder(const wchar_t* text) {
  wchar_t buf[MAX_PATH * 2] = {};
  ExpandEnvironmentStringsW(text, buf, static_cast<DWORD>(std::size(buf)));
  return buf;
}

std::wstring DemoRoot() { return ExpandedFolder(L"%ProgramFiles%\\QlmBench"); }

// Bytes in use on every heap of the process: what the records occupy,
// independent of pages the heap keeps after frees.
double LiveHeapBytes() {
  std::vector<HANDLE> heaps(256);
  const DWORD n = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
  heaps.resize(std::min<DWORD>(n, static_cast<DWORD>(heaps.size())));
  double total = 0;
  for (HANDLE heap : heaps) {
    if (!HeapLock(heap)) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heap, &entry))
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
    HeapUnlock(heap);
  }
  return total;
}

double PeakWorkingSetMb() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) return 0;
  return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

// The listing routine of the kind at that place in the table of kinds.
std::optional<CResultNodes> Discover(int kind, FileResolver& files) {
  return discovery::ListAddons(discovery::AddonKinds().at(static_cast<std::size_t>(kind)), files);
}

// One run: per kind, the floor, the first (cold) listing, then twice
// the repeat (warm) listing and the floor again. Other work on this machine
// delays a call now and then by many times its length, and only ever adds
// time: the warm and floor figures are the fastest of their repeats, taken
// side by side. Cold listings of later kinds find the file answers of
// earlier kinds, as in one program start.
constexpr int kRepeats = 2;

struct KindTimes {
  double cold = 0, warm = 0, floor = 0;
};

struct RunTimes {
  KindTimes kinds[bench::kFloorKinds];
  std::size_t records = 0;
  double heapBytes = 0;  // in use with every kind's first list held
  double heapWalkMs = 0;
  double Sum(double KindTimes::*part) const {
    double total = 0;
    for (const auto& k : kinds) total += k.*part;
    return total;
  }
  double Cold() const { return Sum(&KindTimes::cold); }
  double Warm() const { return Sum(&KindTimes::warm); }
  double Floor() const { return Sum(&KindTimes::floor); }
};

RunTimes TimeDiscovery(std::size_t& floorEntries) {
  RunTimes times;
  FileResolver files(true);
  const double heapBefore = LiveHeapBytes();
  // The floor reads as the table of kinds lists: a kind added there needs
  // its reads in RegistryFloor.cpp too.
  if (discovery::AddonKinds().size() != static_cast<std::size_t>(bench::kFloorKinds)) {
    std::fputs("bench: the floor does not read every kind of the table of kinds\n", stderr);
    std::abort();
  }
  std::optional<CResultNodes> first[bench::kFloorKinds];
  floorEntries = 0;
  for (int kind = 0; kind < bench::kFloorKinds; ++kind) {
    KindTimes& k = times.kinds[kind];
    double t = bench::NowMs();
    floorEntries += bench::ReadLikeDiscovery(1u << kind).entries;
    k.floor = bench::NowMs() - t;
    t = bench::NowMs();
    first[kind] = Discover(kind, files);
    k.cold = bench::NowMs() - t;
    k.warm = 1e300;
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
      t = bench::NowMs();
      { const auto again = Discover(kind, files); }
      k.warm = std::min(k.warm, bench::NowMs() - t);
      t = bench::NowMs();
      bench::ReadLikeDiscovery(1u << kind);
      k.floor = std::min(k.floor, bench::NowMs() - t);
    }
    if (first[kind]) times.records += first[kind]->Count();
  }
  const double heapStart = bench::NowMs();
  times.heapBytes = LiveHeapBytes() - heapBefore;
  times.heapWalkMs = bench::NowMs() - heapStart;
  return times;
}

// One registry size, measured in this process.
int MeasureConfig(std::size_t addons, std::size_t hives, int runs, bool regExport, const std::wstring& resultFile) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring work = std::wstring(temp) + L"QlmBench-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(work.c_str(), nullptr);
  const core::DataFolder data{work, true};

  ConfigResult result;
  result.addonsPerKind = addons;
  result.userHives = hives;
  const double populateStart = bench::NowMs();
  {
    bench::SyntheticRegistry registry({addons, hives}, DemoRoot());
    result.populateMs = bench::NowMs() - populateStart;
    const auto trees = bench::BackupTreeNames();
    result.exportCalls = trees.size();

    for (int run = 0; run < runs; ++run) {
      const double runStart = bench::NowMs();
      const RunTimes times = TimeDiscovery(result.floorEntries);
      result.records = times.records;
      const double cold = times.Cold(), warm = times.Warm(), floorMs = times.Floor();
      const double kbPer1000 = times.records ? times.heapBytes / 1024.0 / (times.records / 1000.0) : 0;

      const auto timeBackup = [&data] {
        std::wstring written;
        const double t = bench::NowMs();
        RegistryBackup::BackupRegistry(data, &written);
        const double ms = bench::NowMs() - t;
        if (!written.empty()) DeleteFileW(written.c_str());
        return ms;
      };
      double backup = 0, exportMs = 0;
      auto& s = result.series;
      if (regExport) {
        // The exporter's files go to memory (/dev/shm through the Z: drive)
        // when it can: on this file system the backup's flush to disk would
        // otherwise wait for the exporter's unflushed files as well, a cost
        // a user's own disk does not share out this way.
        const std::wstring shm = L"Z:\\dev\\shm\\QlmBench-" + std::to_wstring(GetCurrentProcessId());
        const bool inMemory = CreateDirectoryW(shm.c_str(), nullptr) != FALSE;
        const double exportStart = bench::NowMs();
        const bench::BackupComparison compared =
            bench::CompareWithRegExport(trees, inMemory ? shm : work, timeBackup);
        exportMs = bench::NowMs() - exportStart;
        if (inMemory) RemoveDirectoryW(shm.c_str());
        backup = compared.backupMs;
        const double net = compared.exported.NetMs();
        s["reg_export_net_ms"].push_back(net);
        s["reg_export_gross_ms"].push_back(compared.exported.grossMs);
        s["reg_export_startup_ms"].push_back(compared.exported.nullPerCallMs);
        // Start-up noise can exceed the exporter's own work on small trees.
        if (net > 0) s["backup_over_reg_export"].push_back(backup / net);
      } else {
        backup = timeBackup();
      }
      s["discovery_cold_ms"].push_back(cold);
      s["discovery_warm_ms"].push_back(warm);
      s["floor_ms"].push_back(floorMs);
      s["cold_over_floor"].push_back(cold / floorMs);
      s["warm_over_floor"].push_back(warm / floorMs);
      s["backup_ms"].push_back(backup);
      s["kb_per_1000_records"].push_back(kbPer1000);
      double refreshMs = 0;
      std::size_t refreshed = 0;
      if (const auto lists = bench::TimeTableRefresh(data)) {
        refreshed = lists->records;
        refreshMs = lists->refresh;
        s["table_refresh_ms"].push_back(refreshMs);
        s["refresh_over_discovery"].push_back(refreshMs / warm);
        if (lists->discovery > 0) s["refresh_over_listing"].push_back(refreshMs / lists->discovery);
        s["fill_ms"].push_back(lists->fill);
        s["fill_over_discovery"].push_back(lists->fill / warm);
        s["sort_ms"].push_back(lists->sort);
        s["filter_ms"].push_back(lists->filter);
        s["inventory_ms"].push_back(lists->inventory);
        s["inventory_over_discovery"].push_back(lists->inventory / warm);
      }
      s["peak_working_set_mb"].push_back(PeakWorkingSetMb());
      char line[400];
      std::snprintf(line, sizeof(line),
                    "    run %d (%.0f s): cold %.0f, warm %.0f, floor %.0f, refresh %.0f (%zu records), backup %.0f ms "
                    "(heap walk %.0f, export %.0f ms); warm/floor by kind:",
                    run + 1, (bench::NowMs() - runStart) / 1000, cold, warm, floorMs, refreshMs, refreshed, backup,
                    times.heapWalkMs, exportMs);
      std::string text = line;
      for (const auto& k : times.kinds) {
        std::snprintf(line, sizeof(line), " %.0f/%.0f", k.warm, k.floor);
        text += line;
      }
      Say(text + "\n");
    }
  }
  // The inventories the list timing saved, then the folders.
  WIN32_FIND_DATAW found{};
  const std::wstring backups = data.BackupFolder();
  HANDLE find = FindFirstFileW((backups + L"\\Inventory *.json").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do DeleteFileW((backups + L"\\" + found.cFileName).c_str());
    while (FindNextFileW(find, &found));
    FindClose(find);
  }
  RemoveDirectoryW(backups.c_str());
  RemoveDirectoryW(work.c_str());

  const std::string text = result.Serialize();
  UniqueFile out(
      CreateFileW(resultFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD done = 0;
  if (!out || !WriteFile(out.get(), text.data(), static_cast<DWORD>(text.size()), &done, nullptr)) return 1;
  return 0;
}

std::string ReadFileText(const std::wstring& path) {
  UniqueFile in(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!in) return {};
  std::string text;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(in.get(), buf, sizeof(buf), &got, nullptr) && got > 0) text.append(buf, got);
  return text;
}

bool WriteFileText(const std::wstring& path, const std::string& text) {
  UniqueFile out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD done = 0;
  return out && WriteFile(out.get(), text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
}

// Runs this program for one size and reads back its figures.
bool RunConfig(std::size_t addons, std::size_t hives, const Options& options, ConfigResult& result) {
  wchar_t self[MAX_PATH * 2] = {};
  GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring resultFile =
      std::wstring(temp) + L"qlm-bench-" + std::to_wstring(addons) + L"-" + std::to_wstring(hives) + L".txt";
  DeleteFileW(resultFile.c_str());
  std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --child " + std::to_wstring(addons) + L" " +
                             std::to_wstring(hives) + L" " + std::to_wstring(options.runs) + L" " +
                             (options.regExport && addons >= options.exportFrom ? L"1" : L"0") + L" \"" + resultFile + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(self, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return false;
  UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
  WaitForSingleObject(process.get(), INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.get(), &code);
  const std::string text = ReadFileText(resultFile);
  DeleteFileW(resultFile.c_str());
  return code == 0 && ConfigResult::Parse(text, result);
}

int Drive(const Options& options) {
  if (!options.demoFiles.empty() && !bench::SyntheticRegistry::InstallDemoFiles(options.demoFiles, DemoRoot()))
    Say("warning: the demo add-on files could not all be copied; their entries count as missing files\n");
  const double start = bench::NowMs();
  std::vector<ConfigResult> results;
  bool failed = false;
  for (std::size_t hives : options.hives) {
    for (std::size_t addons : options.sizes) {
      if (!options.full && addons > 1000 && hives != *std::max_element(options.hives.begin(), options.hives.end()))
        continue;
      char line[160];
      std::snprintf(line, sizeof(line), "== %zu add-ons per kind over %zu user hives\n", addons, hives);
      Say(line);
      const double t = bench::NowMs();
      ConfigResult result;
      if (!RunConfig(addons, hives, options, result)) {
        failed = true;
        Say("   measuring this size failed\n");
        continue;
      }
      std::snprintf(line, sizeof(line), "   %zu records, registry made in %.1f s, size done in %.1f s\n",
                    result.records, result.populateMs / 1000.0, (bench::NowMs() - t) / 1000.0);
      Say(line);
      results.push_back(result);
    }
  }
  char line[120];
  std::snprintf(line, sizeof(line), "\nWhole benchmark: %.1f s\n\n", (bench::NowMs() - start) / 1000.0);
  Say(line);
  Say(bench::TableText(results, options.runs));
  const std::string notes =
      "Times in ms under Wine. Cold: first listing of all the kinds with an empty file checker; warm: the "
      "same again with its answers kept. Floor: the same registry reads by bare RegEnumKeyExW/RegEnumValueW/"
      "RegQueryValueExW calls. reg export runs once per key tree of the backup (it exports one key per call; the three "
      "trees of each other user lie under that user's Internet Explorer key, exported in one call); "
      "each tree and the same command on a missing key are run twice side by side and the faster of each counted; "
      "the net time is the trees' time less the missing key's. Warm and floor: fastest of two side-by-side repeats "
      "per kind; backup: fastest of five made among the reg export calls. The reg export comparison is made from "
      "1,000 add-ons per kind on (below, its own work is lost in the noise of its start-up). Sizes above 1,000 are "
      "measured with the largest number of hives only, unless --full is given. "
      "The backup also lists the explorer-bar category entries, which reg export is not asked for. "
      "Refresh: FMultitable::RefreshTables on all the tables of a shown table host window (with a details pane), "
      "the file checker warm, until the window has painted; refresh / warm discovery is taken within one run. "
      "BackupRegistry reads its parts on two threads per processor, at most four. "
      "Memory per 1,000 records: heap bytes in use with all the lists held; the peak working set includes the "
      "table window with every row.";
  if (!options.json.empty() && !WriteFileText(options.json, bench::JsonText(results, options.runs, notes)))
    Say("warning: the JSON file could not be written\n");
  return failed ? 1 : 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> args(argv + 1, argv + argc);
  if (args.size() >= 6 && args[0] == L"--child")
    return MeasureConfig(std::wcstoul(args[1].c_str(), nullptr, 10), std::wcstoul(args[2].c_str(), nullptr, 10),
                         static_cast<int>(std::wcstol(args[3].c_str(), nullptr, 10)), args[4] == L"1", args[5]);
  if (args.size() >= 3 && args[0] == L"--count") {
    // --count PER_KIND HIVES [DEMO_FILES]: the listings and the floor once
    // each between markers, for scripts/bench-calls.sh.
    if (args.size() >= 4) bench::SyntheticRegistry::InstallDemoFiles(args[3], DemoRoot());
    bench::SyntheticRegistry registry({std::wcstoul(args[1].c_str(), nullptr, 10),
                                       std::wcstoul(args[2].c_str(), nullptr, 10)},
                                      DemoRoot());
    bench::CountCalls();
    return 0;
  }
  Options options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::wstring& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == L"--sizes" && hasValue) {
      options.sizes = ParseList(args[++i]);
    } else if (a == L"--hives" && hasValue) {
      options.hives = ParseList(args[++i]);
    } else if (a == L"--runs" && hasValue) {
      options.runs = std::max(1, static_cast<int>(std::wcstol(args[++i].c_str(), nullptr, 10)));
    } else if (a == L"--demo" && hasValue) {
      options.demoFiles = args[++i];
    } else if (a == L"--json" && hasValue) {
      options.json = args[++i];
    } else if (a == L"--export-from" && hasValue) {
      options.exportFrom = std::wcstoul(args[++i].c_str(), nullptr, 10);
    } else if (a == L"--full") {
      options.full = true;
    } else if (a == L"--no-export") {
      options.regExport = false;
    } else {
      Say("usage: qlm_bench [--sizes 10,100,1000,5000] [--hives 1,10,50] [--runs 5] [--demo FOLDER] "
          "[--json FILE] [--export-from 1000] [--full] [--no-export]\n");
      return 2;
    }
  }
  return Drive(options);
}
