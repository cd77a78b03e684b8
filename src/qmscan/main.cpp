// qmscan: the console companion of Quillmoor. Lists every add-on the
// discovery routines find, with all its values, as CSV or JSON, for
// inventories made from scripts. Reads only.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/ErrorReport.h"
#include "core/Strings.h"
#include "discovery/AddonKinds.h"
#include "discovery/FileResolver.h"
#include "discovery/VisibleText.h"
#include "ozcore/CUtilities.h"
#include "ozcore/UniqueHandle.h"
#include "qmscan/ConsoleOutput.h"
#include "qmscan/ScanFormat.h"
#include "qmscan/qmscanStrings.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitKindFailed = 1;
constexpr int kExitBadArguments = 2;
constexpr int kExitCannotRun = 3;

void Error(const std::wstring& text) { qmscan::WriteText(STD_ERROR_HANDLE, text); }

// ozCore.dll is bound on first use; without it the first call would end
// the process with the loader's error instead of a message.
bool CommonLibraryPresent() {
  wchar_t path[MAX_PATH * 2] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
  std::wstring folder(path, n);
  folder.resize(folder.find_last_of(L'\\') + 1);
  UniqueModule module(LoadLibraryExW((folder + L"ozCore.dll").c_str(), nullptr, 0));
  if (!module) module.reset(LoadLibraryExW(L"ozCore.dll", nullptr, 0));
  return static_cast<bool>(module);
}

int Scan(const qmscan::Options& options) {
  // One resolver for every kind: a file several entries name is searched
  // for once.
  FileResolver files(true);
  const bool json = options.form == qmscan::OutputForm::Json;

  std::wstring out = json ? std::wstring(L"[") : qmscan::CsvHeader();
  bool first = true;
  int exitCode = kExitDone;
  for (const auto& kind : discovery::AddonKinds()) {
    const auto list = kind.list(files);
    if (!list) {
      Error(CUtilities::FormatString(LoadStr(IDS_QMSCAN_KIND_FAILED), {kind.scanName}));
      exitCode = kExitKindFailed;
      continue;
    }
    for (std::size_t i = 1; i <= list->Count(); ++i) {
      const CResultNode& node = *list->Item(i);
      if (json) {
        out += first ? L"\r\n  " : L",\r\n  ";
        out += qmscan::JsonRecord(kind.scanName, node);
      } else {
        out += qmscan::CsvRow(kind.scanName, node);
      }
      first = false;
    }
  }
  if (json) out += first ? L"]\r\n" : L"\r\n]\r\n";

  if (!qmscan::WriteText(STD_OUTPUT_HANDLE, out)) return kExitCannotRun;
  return exitCode;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // No system error boxes for unreadable drives while files are looked at.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  try {
    if (!CommonLibraryPresent()) {
      Error(LoadStr(IDS_QMSCAN_NO_LIBRARY));
      return kExitCannotRun;
    }
    std::vector<std::wstring> args(argv + 1, argv + argc);
    qmscan::Options options;
    std::wstring culprit;
    switch (qmscan::ParseArguments(args, options, culprit)) {
      case qmscan::ArgumentError::Unknown:
        Error(CUtilities::FormatString(LoadStr(IDS_QMSCAN_UNKNOWN_ARGUMENT), {discovery::text::VisibleText(culprit)}));
        return kExitBadArguments;
      case qmscan::ArgumentError::Conflict:
        Error(LoadStr(IDS_QMSCAN_CONFLICT));
        return kExitBadArguments;
      case qmscan::ArgumentError::None:
        break;
    }
    if (options.help) return qmscan::WriteText(STD_OUTPUT_HANDLE, LoadStr(IDS_QMSCAN_HELP)) ? kExitDone : kExitCannotRun;
    return Scan(options);
  } catch (...) {
    Error(CUtilities::FormatString(LoadStr(IDS_QMSCAN_FAILED), {discovery::text::VisibleText(CurrentError().description)}));
    return kExitCannotRun;
  }
}
