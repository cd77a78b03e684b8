// qmscan: the console companion of Quillmoor. Lists every add-on the
// engine finds on this machine, with all its values, as CSV or JSON, for
// inventories made from scripts, or compares them with a saved listing.
// Reads only. This file is the Windows edge: the run itself is ScanRun.
#include <windows.h>

#include <string>
#include <vector>

#include "core/DllSearch.h"
#include "core/ErrorReport.h"
#include "core/RedirectionTrust.h"
#include "core/Strings.h"
#include "engine/files/FileResolver.h"
#include "engine/live/LiveListing.h"
#include "engine/text/VisibleText.h"
#include "inventory/InventoryFiles.h"
#include "ozcore/FormatText.h"
#include "ozcore/UniqueHandle.h"
#include "qmscan/ConsoleOutput.h"
#include "qmscan/ScanRun.h"
#include "qmscan/qmscanStrings.h"

namespace {
void Error(const std::wstring& text) { qmscan::WriteText(STD_ERROR_HANDLE, text); }
}  // namespace

int wmain(int argc, wchar_t** argv) {
  dllsearch::RestrictDllSearch();
  // Run elevated, it must not follow a link a non-administrator made; an
  // older system without the refusal is fine (qmscan only reads).
  core::TrustOnlyAdministratorLinks();
  // No system error boxes for unreadable drives while files are looked at.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  try {
    // ozCore.dll is bound on first use; without it the first call would end
    // the process with the loader's error instead of a message. Only the
    // copy beside qmscan counts, and it stays loaded for the binding.
    const UniqueModule commonLibrary = dllsearch::LoadProgramDll(L"ozCore.dll");
    if (!commonLibrary) {
      Error(LoadStr(IDS_QMSCAN_NO_LIBRARY));
      return qmscan::kExitCannotRun;
    }
    // One resolver for every kind: a file several entries name is searched
    // for once.
    FileResolver files(true);
    qmscan::ScanIo io;
    io.list = [&files](const discovery::AddonKind& kind) { return discovery::ListAddons(kind, files); };
    io.readFile = [](const std::wstring& file, std::wstring& reason) {
      return inventory::ReadInventoryFile(file, &reason);
    };
    io.out = [](const std::wstring& text) { return qmscan::WriteText(STD_OUTPUT_HANDLE, text); };
    io.error = &Error;
    io.text = &LoadStr;
    return qmscan::RunScan(std::vector<std::wstring>(argv + 1, argv + argc), io);
  } catch (...) {
    Error(formattext::Format(LoadStr(IDS_QMSCAN_FAILED), {discovery::text::VisibleText(CurrentError().description)}));
    return qmscan::kExitCannotRun;
  }
}
