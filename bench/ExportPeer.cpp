#include "ExportPeer.h"

#include <windows.h>

#include <algorithm>

#include "Stats.h"
#include "SyntheticRegistry.h"
#include "backup/MAPI.h"
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
  // The same trees, in the same order, as the backup text: the machine's
  // and the current user's, then every other loaded user's.
  std::vector<std::wstring> names;
  for (const auto& tree : MAPI::AddonKeyTrees()) names.push_back(CRegistry::RootName(tree.root) + L"\\" + tree.path);
  CRegistry registry;
  const std::wstring self = CurrentUserKey();
  for (const auto& user : registry.EnumSubKeys(HKEY_USERS, L"").Items()) {
    if (_wcsicmp(user.c_str(), self.c_str()) == 0) continue;
    for (const auto* path : MAPI::PerUserAddonPaths()) names.push_back(L"HKEY_USERS\\" + user + L"\\" + path);
  }
  return names;
}

BackupComparison CompareWithRegExport(const std::vector<std::wstring>& trees, const std::wstring& folder,
                                      const std::function<double()>& timeBackup) {
  constexpr std::size_t kParts = 4;
  BackupComparison result;
  result.exported.calls = trees.size();
  std::vector<double> nulls;
  double backups = 0;
  const std::wstring missing = folder + L"\\missing.reg";
  const auto sample = [&] {
    backups += timeBackup();
    nulls.push_back(RunRegMs(L"export \"HKEY_LOCAL_MACHINE\\Software\\QlmBenchNoSuchKey\" \"" + missing + L"\" /y"));
  };
  for (std::size_t part = 0; part < kParts; ++part) {
    sample();
    const std::size_t from = trees.size() * part / kParts, to = trees.size() * (part + 1) / kParts;
    for (std::size_t i = from; i < to; ++i) {
      const std::wstring file = folder + L"\\tree" + std::to_wstring(i) + L".reg";
      result.exported.grossMs += RunRegMs(L"export \"" + trees[i] + L"\" \"" + file + L"\" /y");
      DeleteFileW(file.c_str());
    }
  }
  sample();
  result.backupMs = backups / static_cast<double>(kParts + 1);
  result.exported.nullPerCallMs = Summarize(nulls).median;
  return result;
}

}  // namespace bench
