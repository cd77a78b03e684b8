#include "backup/RegistryBackup.h"

#include "core/DataFiles.h"
#include "core/ErrorReport.h"
#include "core/QlmError.h"
#include "core/Strings.h"
#include "backup/TextJobPool.h"
#include "engine/sources/AccountNames.h"
#include "engine/kinds/AddonKinds.h"
#include "engine/text/AddonText.h"
#include "engine/text/VisibleText.h"
#include "ozcore/CFileSystem.h"
#include "ozcore/CRegistry.h"
#include "ozcore/FormatText.h"
#include "ozcore/PathText.h"
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
  return formattext::Format(L"%1\\Backup %2.reg", {backupFolder, stamp});
}

namespace {

// The parts of the backup file as jobs, each with a registry reader of its
// own, so that the parts can be read side by side; they are joined in file
// order. Each job lists what it left out in a list of its own.
class BackupJobs {
 public:
  explicit BackupJobs(bool ansi) : ansi_(ansi) { leftOut_.reserve(64); }
  BackupJobs(const BackupJobs&) = delete;
  BackupJobs& operator=(const BackupJobs&) = delete;

  void AddText(const wchar_t* text) {
    jobs_.push_back({[text] { return std::wstring(text); }});
  }

  void AddTree(HKEY root, const std::wstring& path) {
    const std::size_t list = OwnList();
    jobs_.push_back({[=, this] { return CRegistry().ExportKeyText(root, path, ansi_, &leftOut_[list]); }});
  }

  // Every other loaded user's add-on keys, so that merging the file also
  // restores what was removed from those users. A user's class
  // registrations ("..._Classes") hold no add-on keys of a user.
  void AddOtherUsers(const std::wstring& currentUserSubkey) {
    for (const auto& user : CRegistry().EnumSubKeys(HKEY_USERS, L"").Items()) {
      if (_wcsicmp(user.c_str(), currentUserSubkey.c_str()) == 0 && user.size() == currentUserSubkey.size()) continue;
      if (discovery::text::ClassifyUserKey(user) == discovery::text::UserKeyKind::Classes) continue;
      const std::size_t list = OwnList();
      jobs_.push_back({[=, this] {
        CRegistry reader;
        std::wstring text;
        for (const auto* path : discovery::UserLocations())
          text += reader.ExportKeyText(HKEY_USERS, user + L"\\" + path, ansi_, &leftOut_[list]);
        return text;
      }});
    }
  }

  // Both categories in one pass over a view's classes. A pass reads every
  // class key on the machine, the longest part of the backup: it is started
  // first.
  void AddCategoryLines(RegView view, const wchar_t* classesKey) {
    const std::size_t list = OwnList();
    TextJobPool::TextJob job{[=, this] { return CategoryLines(view, classesKey, leftOut_[list]); }};
    job.early = true;
    jobs_.push_back(std::move(job));
  }

  std::wstring Run(std::vector<RegOmission>* omitted) {
    std::wstring text = TextJobPool::RunJoined(jobs_, TextJobPool::ThreadsForBackup());
    if (omitted) {
      for (auto& list : leftOut_) omitted->insert(omitted->end(), list.begin(), list.end());
    }
    return text;
  }

 private:
  std::size_t OwnList() {
    leftOut_.emplace_back();
    return leftOut_.size() - 1;
  }

  // A class name the file cannot carry is left out: it would write key
  // lines of its own choosing.
  static std::wstring CategoryLines(RegView view, const wchar_t* classesKey, std::vector<RegOmission>& leftOut) {
    const auto kindCategories = discovery::BackupCategories();
    const std::vector<std::wstring> categories(kindCategories.begin(), kindCategories.end());
    const auto members = CRegistry(view).EnumCategoryClasses(categories);
    std::wstring text;
    for (std::size_t i = 0; i < categories.size(); ++i) {
      for (const auto& clsid : members[i].Items()) {
        const std::wstring key = formattext::Format(L"HKEY_CLASSES_ROOT\\%1\\%2\\Implemented Categories\\%3",
                                                    {classesKey, clsid, categories[i]});
        if (!regtext::CarriesKeyName(clsid)) {
          leftOut.push_back({key, L"", false, RegOmissionReason::NameNotCarried});
          continue;
        }
        text += L"[" + key + L"]\r\n\r\n";
      }
    }
    return text;
  }

  bool ansi_;
  std::vector<TextJobPool::TextJob> jobs_;
  std::vector<std::vector<RegOmission>> leftOut_;
};

}  // namespace

std::wstring BackupText(bool isNT, const std::wstring& currentUserSubkey, std::vector<RegOmission>* omitted) {
  const bool twoViews = CRegistry::HasWow32View();
  BackupJobs jobs(!isNT);
  jobs.AddText(isNT ? L"Windows Registry Editor Version 5.00\r\n" : L"REGEDIT4\r\n");
  for (const auto& tree : AddonKeyTrees()) jobs.AddTree(tree.root, tree.path);
  jobs.AddOtherUsers(currentUserSubkey);
  // On 64-bit Windows the 32-bit browser processes read machine keys of
  // their own: those go in under the names they have in the native view,
  // so that merging the file puts them back in the 32-bit view.
  if (twoViews) {
    for (const auto& tree : AddonKeyTrees())
      if (tree.root == HKEY_LOCAL_MACHINE && !tree.sharedByViews) jobs.AddTree(tree.root, Wow32MachinePath(tree.path));
  }
  jobs.AddText(L"\r\n");
  jobs.AddCategoryLines(RegView::Default, L"CLSID");
  if (twoViews) jobs.AddCategoryLines(RegView::Wow32, L"Wow6432Node\\CLSID");
  return jobs.Run(omitted);
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
    return formattext::Format(LoadStr(IDS_BACKUP_LEFT_OUT_VALUE),
                              {VisibleText(omission.value), VisibleText(omission.key), LoadStr(reason)});
  return formattext::Format(LoadStr(IDS_BACKUP_LEFT_OUT_KEY), {VisibleText(omission.key), LoadStr(reason)});
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
      result = folder.Write(
          pathtext::FileNamePart(path),
          CFileSystem::EncodeText(text, data.unicodeFiles ? TextEncoding::Utf16LeBom : TextEncoding::Ansi), true);
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
