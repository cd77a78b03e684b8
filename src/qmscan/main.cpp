// qmscan: the console companion of Quillmoor. Lists every add-on the
// engine finds on this machine, with all its values, as CSV or JSON, for
// inventories made from scripts, or compares them with a saved listing.
// Reads only. This file is the Windows edge: the run itself is ScanRun.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "core/DllSearch.h"
#include "core/ErrorReport.h"
#include "core/RedirectionTrust.h"
#include "core/Strings.h"
#include "engine/files/FileResolver.h"
#include "engine/files/LiveFileSource.h"
#include "engine/live/LiveListing.h"
#include "engine/live/LiveMachine.h"
#include "engine/text/VisibleText.h"
#include "inventory/InventoryFiles.h"
#include "ozcore/FormatText.h"
#include "ozcore/SafeFolder.h"
#include "ozcore/UniqueHandle.h"
#include "qmscan/ConsoleOutput.h"
#include "engine/live/LiveFileFacts.h"
#include "engine/files/RootedFileSource.h"
#include "qmscan/ScanRun.h"
#include "qmscan/qmscanStrings.h"

namespace {
void Error(const std::wstring& text) { qmscan::WriteText(STD_ERROR_HANDLE, text); }

// The full form of a path given on the command line; empty when it has
// none. The live file source takes full local paths only.
std::wstring FullPath(const std::wstring& path) {
  std::wstring full(32768, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length == 0 || length >= full.size()) return {};
  full.resize(length);
  while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
  return full;
}

// The image's folder through this machine's file source; null when it is
// no folder that source opens.
std::unique_ptr<engine::FileSource> OpenImage(engine::LiveFileSource& live, const std::wstring& root) {
  const std::wstring full = FullPath(root);
  if (full.empty() || !live.List(full)) return nullptr;
  return std::make_unique<engine::RootedFileSource>(live, full);
}
// --output: the text as qmscan prints it, written whole to a new file in
// FILE's folder that then takes FILE's place through its own handle: a
// reader sees the earlier file or the whole new one, and a link at FILE is
// replaced, never written through. 0, else the system's error code.
std::uint32_t WriteOutputFile(const std::wstring& file, const std::wstring& text) {
  const std::wstring full = FullPath(file);
  const std::size_t slash = full.find_last_of(L'\\');
  if (slash == std::wstring::npos || slash + 1 == full.size()) return ERROR_INVALID_NAME;
  const SafeFolder folder = SafeFolder::OpenChosen(full.substr(0, slash == 2 ? 3 : slash));
  PlaceCheck check;
  if (folder.WriteWholeFile(full.substr(slash + 1), qmscan::OutputBytes(text), true, check) ==
      SafeFolder::WriteOutcome::Written)
    return 0;
  const std::uint32_t error = ErrorCodeOf(check);
  return error != 0 ? error : ERROR_WRITE_FAULT;
}

// What the JSON Lines tell of this machine.
qmscan::MachineFacts LiveFacts(engine::LiveMachine& machine) {
  qmscan::MachineFacts facts = qmscan::FactsOf(machine.Sources());
  wchar_t name[256];
  DWORD length = static_cast<DWORD>(std::size(name));
  if (GetComputerNameExW(ComputerNameDnsHostname, name, &length)) facts.hostName.assign(name, length);
  return facts;
}
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
    // The running machine, made when first asked for (an offline run never
    // does) and once for every kind and the summary's facts.
    std::optional<engine::LiveMachine> live;
    const auto liveMachine = [&]() -> engine::LiveMachine& {
      if (!live) live.emplace(files);
      return *live;
    };
    io.list = [&](const discovery::AddonKind& kind) { return discovery::ListAddons(kind, liveMachine()); };
    io.readFile = [](const std::wstring& file, std::wstring& reason) {
      return inventory::ReadInventoryFile(file, &reason);
    };
    io.out = [](const std::wstring& text) { return qmscan::WriteText(STD_OUTPUT_HANDLE, text); };
    io.error = &Error;
    io.text = &LoadStr;
    engine::LiveFileSource hostFiles;
    io.openImage = [&hostFiles](const std::wstring& root) { return OpenImage(hostFiles, root); };
    io.openHostFile = [&hostFiles](const std::wstring& path) {
      const std::wstring full = FullPath(path);
      return full.empty() ? nullptr : hostFiles.Open(full);
    };
    io.checkSignature = &engine::ImageFileSignatureText;
    io.writeOutput = &WriteOutputFile;
    io.liveFacts = [&] { return LiveFacts(liveMachine()); };
    io.liveFileStat = [&hostFiles](const std::wstring& file) { return hostFiles.Facts(file); };
    io.liveUsersNotRead = [&live] { return live ? live->UsersNotRead() : std::vector<std::wstring>(); };
    return qmscan::RunScan(std::vector<std::wstring>(argv + 1, argv + argc), io);
  } catch (...) {
    Error(formattext::Format(LoadStr(IDS_QMSCAN_FAILED), {discovery::text::VisibleText(CurrentError().description)}));
    return qmscan::kExitCannotRun;
  }
}
