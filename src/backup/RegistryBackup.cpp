#include "backup/RegistryBackup.h"

#include "core/DataFiles.h"
#include "core/ErrorReport.h"
#include "core/QlmError.h"
#include "core/Strings.h"
#include "backup/ParallelText.h"
#include "engine/sources/AccountNames.h"
#include "engine/kinds/AddonKinds.h"
#include "engine/text/AddonText.h"
#include "engine/text/VisibleText.h"
#include "ozcore/CFileSystem.h"
#include "ozcore/CRegistry.h"
#include "ozcore/CUtilities.h"
#include "ozcore/RegExportText.h"
#include "ozcore/UniqueHandle.h"

namespace RegistryBackup {

std::vector<KeyTree> AddonKeyTrees() {
  std::vector<KeyTree> trees;
  for (const auto& tree : discovery::BackupTrees())
    trees.push_back({tree.machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, tree.path, tree.sharedByViews});
  return trees;
}

std::wstring Wow32MachinePath(const std::wstring& path) {
  // The machine's classes keep their 32-bit twins one level further down:
  // "Software\Classes\X" gives "Software\Classes\Wow6432Node\X".
  static const std::wstring classes = L"software\\classes\\";
  if (path.size() > classes.size() && discovery::text::AsciiLower(path.substr(0, classes.size())) == classes)
    return path.substr(0, classes.size()) + L"Wow6432Node\\" + path.substr(classes.size());
  // "Software\..." becomes "Software\Wow6432Node\...", the first part's
  // spelling kept.
  const auto slash = path.find(L'\\');
  if (slash == std::wstring::npos) return path + L"\\Wow6432Node";
  return path.substr(0, slash + 1) + L"Wow6432Node" + path.substr(slash);
}

std::wstring BackupFileName(const std::wstring& backupFolder, const SYSTEMTIME& t) {
  wchar_t date[128] = {};
  if (GetDateFormatW(LOCALE_USER_DEFAULT, 0, &t, L"MMM dd, yyyy", date, static_cast<int>(std::size(date))) == 0)
    throw QlmError(ErrorFromWin32(GetLastError()).number, L"MAPI", L"The date could not be formatted.");
  wchar_t time[32];
  swprintf(time, std::size(time), L"%02u-%02u-%02u", t.wHour, t.wMinute, t.wSecond);
  std::wstring stamp = std::wstring(date) + L" " + time;
  // A locale's month abbreviation must not turn into a path.
  for (auto& ch : stamp)
    if (wcschr(L"\\/:*?\"<>|", ch)) ch = L'-';
  return CUtilities::FormatString(L"%1\\Backup %2.reg", {backupFolder, stamp});
}

std::wstring BackupText(bool isNT, const std::wstring& currentUserSubkey, std::vector<RegOmission>* omitted) {
  const bool ansi = !isNT;
  const bool twoViews = CRegistry::HasWow32View();
  // Each part of the file is a job with a reader of its own, so that the
  // parts can be read side by side; they are joined in file order. Each
  // job lists what it left out in a list of its own.
  std::vector<TextJob> jobs;
  std::vector<std::vector<RegOmission>> leftOut;
  leftOut.reserve(64);
  auto ownList = [&leftOut]() {
    leftOut.emplace_back();
    return leftOut.size() - 1;
  };
  auto fixedText = [](const wchar_t* text) { return TextJob{[text] { return std::wstring(text); }}; };
  auto exportTree = [&, ansi](HKEY root, const std::wstring& path) {
    const std::size_t list = ownList();
    return TextJob{[=, &leftOut] { return CRegistry().ExportKeyText(root, path, ansi, &leftOut[list]); }};
  };
  jobs.push_back(fixedText(isNT ? L"Windows Registry Editor Version 5.00\r\n" : L"REGEDIT4\r\n"));
  for (const auto& tree : AddonKeyTrees()) jobs.push_back(exportTree(tree.root, tree.path));

  // Every other loaded user's add-on keys, so that merging the file also
  // restores what was removed from those users. A user's class
  // registrations ("..._Classes") hold no add-on keys of a user.
  for (const auto& user : CRegistry().EnumSubKeys(HKEY_USERS, L"").Items()) {
    if (_wcsicmp(user.c_str(), currentUserSubkey.c_str()) == 0 && user.size() == currentUserSubkey.size()) continue;
    if (discovery::text::ClassifyUserKey(user) == discovery::text::UserKeyKind::Classes) continue;
    const std::size_t list = ownList();
    jobs.push_back({[=, &leftOut] {
      CRegistry reader;
      std::wstring text;
      for (const auto* path : discovery::UserLocations())
        text += reader.ExportKeyText(HKEY_USERS, user + L"\\" + path, ansi, &leftOut[list]);
      return text;
    }});
  }

  // On 64-bit Windows the 32-bit browser processes read machine keys of
  // their own: those go in under the names they have in the native view,
  // so that merging the file puts them back in the 32-bit view.
  if (twoViews) {
    for (const auto& tree : AddonKeyTrees())
      if (tree.root == HKEY_LOCAL_MACHINE && !tree.sharedByViews)
        jobs.push_back(exportTree(tree.root, Wow32MachinePath(tree.path)));
  }
  jobs.push_back(fixedText(L"\r\n"));

  // Both categories in one pass over each view's classes. A pass reads
  // every class key on the machine, the longest part of the backup: it is
  // started first. A class name the file cannot carry is left out: it
  // would write key lines of its own choosing.
  auto categoryLines = [&](RegView view, const wchar_t* classesKey) {
    const std::size_t list = ownList();
    TextJob job{[=, &leftOut] {
      const auto kindCategories = discovery::BackupCategories();
      const std::vector<std::wstring> categories(kindCategories.begin(), kindCategories.end());
      const auto members = CRegistry(view).EnumCategoryClasses(categories);
      std::wstring text;
      for (std::size_t i = 0; i < categories.size(); ++i) {
        for (const auto& clsid : members[i].Items()) {
          const std::wstring key = CUtilities::FormatString(L"HKEY_CLASSES_ROOT\\%1\\%2\\Implemented Categories\\%3",
                                                            {classesKey, clsid, categories[i]});
          if (!regtext::CarriesKeyName(clsid)) {
            leftOut[list].push_back({key, L"", false, RegOmissionReason::NameNotCarried});
            continue;
          }
          text += L"[" + key + L"]\r\n\r\n";
        }
      }
      return text;
    }};
    job.early = true;
    return job;
  };
  jobs.push_back(categoryLines(RegView::Default, L"CLSID"));
  if (twoViews) jobs.push_back(categoryLines(RegView::Wow32, L"Wow6432Node\\CLSID"));
  std::wstring text = JoinTexts(jobs, BackupThreads());
  if (omitted) {
    for (auto& list : leftOut) omitted->insert(omitted->end(), list.begin(), list.end());
  }
  return text;
}

std::wstring OmissionText(const RegOmission& omission) {
  unsigned reason = IDS_LEFT_OUT_UNREADABLE;
  switch (omission.reason) {
    case RegOmissionReason::NameNotCarried: reason = IDS_LEFT_OUT_NAME; break;
    case RegOmissionReason::Link: reason = IDS_LEFT_OUT_LINK; break;
    case RegOmissionReason::Unreadable: reason = IDS_LEFT_OUT_UNREADABLE; break;
    case RegOmissionReason::TooDeep: reason = IDS_LEFT_OUT_TOO_DEEP; break;
    case RegOmissionReason::TooLarge: reason = IDS_LEFT_OUT_TOO_LARGE; break;
  }
  using discovery::text::VisibleText;
  if (omission.isValue)
    return CUtilities::FormatString(LoadStr(IDS_BACKUP_LEFT_OUT_VALUE),
                                    {VisibleText(omission.value), VisibleText(omission.key), LoadStr(reason)});
  return CUtilities::FormatString(LoadStr(IDS_BACKUP_LEFT_OUT_KEY), {VisibleText(omission.key), LoadStr(reason)});
}

std::wstring CurrentUserSid() {
  UniqueKernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return {};
  return AccountNames::TokenUserSid(token.get());
}

bool BackupRegistry(const core::DataFolder& data, std::wstring* writtenPath, std::size_t* leftOut,
                    std::wstring* refusal) {
  bool written = false;
  if (leftOut) *leftOut = 0;
  if (refusal) refusal->clear();
  Guarded(L"MAPI.BackupRegistry", kLevelDiscovery, [&] {
    std::vector<RegOmission> omissions;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const std::wstring path = BackupFileName(data.BackupFolder(), now);
    const core::PlaceFiles folder(data, core::DataPlace::Backup, true);
    core::WriteResult result;
    result.outcome = folder.Outcome();
    if (folder.IsOpen()) {
      std::vector<RegOmission> omitted;
      const std::wstring text = BackupText(data.unicodeFiles, CurrentUserSid(), &omitted);
      result = folder.Write(CUtilities::FileNamePart(path),
                            CFileSystem::EncodeText(text, data.unicodeFiles ? TextEncoding::Utf16LeBom : TextEncoding::Ansi),
                            true);
      if (result.written) omissions.swap(omitted);
    }
    if (!result.written) {
      if (refusal && result.outcome.Refused()) *refusal = result.outcome.text;
      throw QlmError(errors::kFileAccess, L"MAPI",
                     result.outcome.Refused() ? result.outcome.text
                                              : L"The backup file " + path + L" could not be written: " + result.outcome.text);
    }
    written = true;
    if (writtenPath) *writtenPath = result.path;
    for (const auto& omission : omissions) LogRecord(0, OmissionText(omission), kLevelDiscovery, L"MAPI.BackupRegistry");
    if (leftOut) *leftOut = omissions.size();
  });
  return written;
}

}  // namespace RegistryBackup
