#include "ExportPeer.h"

#include <windows.h>

#include <algorithm>

#include "Stats.h"
#include "SyntheticRegistry.h"
#include "backup/RegistryBackup.h"
#include "engine/kinds/AddonKinds.h"
#include "ozcore/CRegistry.h"
#include "ozcore/UniqueHandle.h"

namespace bench {

namespace {

std::wstring RegExe() {
  wchar_t folder[MAX_PATH] = {};
  GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(folder) + L"\\reg.exe";
}

// Runs reg.exe with the arguments and waits; its output goes nowhere.
double RunRegMs(const std::wstring& arguments) {
  static const std::wstring exe = RegExe();
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  UniqueFile nul(CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                             nullptr));
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = nullptr;
  si.hStdOutput = nul.get();
  si.hStdError = nul.get();
  std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
  PROCESS_INFORMATION pi{};
  const double start = NowMs();
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &si, &pi))
    return 0;
  UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
  WaitForSingleObject(process.get(), INFINITE);
  return NowMs() - start;
}

}  // namespace

std::vector<std::wstring> BackupTreeNames() {
  // The machine's and the current user's trees as the backup lists them.
  // Each other user's browser trees all lie under that user's "Internet
  // Explorer" key, which holds nothing else in these registries: one call
  // per user exports them, instead of a process start-up per tree; the
  // user's code store and protocol trees are exported one by one.
  std::vector<std::wstring> names;
  for (const auto& tree : RegistryBackup::AddonKeyTrees()) names.push_back(CRegistry::RootName(tree.root) + L"\\" + tree.path);
  CRegistry registry;
  const std::wstring self = CurrentUserKey();
  for (const auto& user : registry.EnumSubKeys(HKEY_USERS, L"").Items()) {
    if (_wcsicmp(user.c_str(), self.c_str()) == 0) continue;
    names.push_back(L"HKEY_USERS\\" + user + L"\\Software\\Microsoft\\Internet Explorer");
    for (const auto* path : discovery::UserLocations())
      if (std::wstring(path).find(L"Internet Explorer") == std::wstring::npos)
        names.push_back(L"HKEY_USERS\\" + user + L"\\" + path);
  }
  // The machine's trees of the 32-bit view, under their native names.
  if (CRegistry::HasWow32View()) {
    for (const auto& tree : RegistryBackup::AddonKeyTrees())
      if (tree.root == HKEY_LOCAL_MACHINE && !tree.sharedByViews) names.push_back(L"HKEY_LOCAL_MACHINE\\" + RegistryBackup::Wow32MachinePath(tree.path));
  }
  return names;
}

BackupComparison CompareWithRegExport(const std::vector<std::wstring>& trees, const std::wstring& folder,
                                      const std::function<double()>& timeBackup) {
  constexpr std::size_t kParts = 4;
  BackupComparison result;
  result.exported.calls = trees.size();
  std::vector<double> backups;
  double startups = 0;
  const std::wstring missing =
      L"export \"HKEY_LOCAL_MACHINE\\Software\\QlmBenchNoSuchKey\" \"" + folder + L"\\missing.reg\" /y";
  for (std::size_t part = 0; part < kParts; ++part) {
    backups.push_back(timeBackup());
    const std::size_t from = trees.size() * part / kParts, to = trees.size() * (part + 1) / kParts;
    for (std::size_t i = from; i < to; ++i) {
      // Each tree next to the same command on a missing key, in
      // alternating order: the start-up taken off is that of the moment.
      const std::wstring file = folder + L"\\tree" + std::to_wstring(i) + L".reg";
      const std::wstring command = L"export \"" + trees[i] + L"\" \"" + file + L"\" /y";
      // Twice each, the faster counted: a start-up delayed by other work
      // would otherwise count for or against the exporter at random.
      double real = 1e300, startup = 1e300;
      for (int pass = 0; pass < 2; ++pass) {
        if ((i + pass) % 2 == 0) {
          real = std::min(real, RunRegMs(command));
          startup = std::min(startup, RunRegMs(missing));
        } else {
          startup = std::min(startup, RunRegMs(missing));
          real = std::min(real, RunRegMs(command));
        }
      }
      result.exported.grossMs += real;
      startups += startup;
      DeleteFileW(file.c_str());
    }
  }
  backups.push_back(timeBackup());
  // The fastest backup, as the faster of each pair of exporter calls.
  result.backupMs = Summarize(backups).min;
  result.exported.nullPerCallMs = trees.empty() ? 0 : startups / static_cast<double>(trees.size());
  return result;
}

}  // namespace bench
