#include "core/DataFiles.h"

#include <windows.h>
#include <sddl.h>

#include "core/ErrorReport.h"
#include "core/Strings.h"
#include "core/WrittenRecord.h"
#include "ozcore/FormatText.h"
#include "ozcore/SystemMessage.h"
#include "ozcore/CaseFold.h"
#include "ozcore/FolderPath.h"
#include "ozcore/UniqueHandle.h"

namespace core {
namespace {

constexpr wchar_t kContext[] = L"DataFiles";
constexpr wchar_t kBackupName[] = L"Backup";
// A file to be hashed is read whole; nothing the program writes comes near.
constexpr std::uint64_t kMaxCheckedBytes = 256ull * 1024 * 1024;

std::wstring TokenUserSid() {
  UniqueKernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return {};
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return {};
  std::vector<unsigned char> buffer(size);
  if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return {};
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) return {};
  UniqueLocal held(text);
  return text;
}

// The refusal text for a link found at place.
std::wstring LinkText(const DataFolder& data, const std::wstring& place) {
  unsigned id = IDS_REFUSED_WAY_LINK;
  if (folderpath::SamePath(place, data.path))
    id = IDS_REFUSED_DATA_LINK;
  else if (folderpath::SamePath(place, data.BackupFolder()))
    id = IDS_REFUSED_BACKUP_LINK;
  else if (folderpath::NamesBelow(data.path, place))
    id = IDS_REFUSED_LINK;
  return formattext::Format(LoadStr(id), {place});
}

PlaceOutcome OutcomeOf(const DataFolder& data, const PlaceCheck& check) {
  PlaceOutcome outcome;
  outcome.place = check.place;
  switch (check.problem) {
    case PlaceProblem::None: break;
    case PlaceProblem::Link:
    case PlaceProblem::HardLinked:
      outcome.kind = PlaceOutcome::Kind::Link;
      outcome.text = LinkText(data, check.place);
      break;
    default:
      outcome.kind = PlaceOutcome::Kind::Failed;
      outcome.text = systemmessage::ForCode(ErrorCodeOf(check));
      break;
  }
  return outcome;
}

bool EndsWithAnyCase(const std::wstring& text, const std::wstring& suffix) {
  return text.size() >= suffix.size() && FoldCase(text.substr(text.size() - suffix.size())) == FoldCase(suffix);
}

}  // namespace

PlaceFiles::PlaceFiles(const DataFolder& data, DataPlace place, bool create)
    : data_(data), place_(place), folder_(SafeFolder::Open(data.path, create)) {
  if (!folder_.IsOpen()) {
    Refuse(folder_.Check());
    return;
  }
  if (data_.elevated && !GiveToAdministrators()) return;
  if (place_ != DataPlace::Backup) return;
  if (!folder_.Descend(kBackupName, create)) {
    Refuse(folder_.Check());
    return;
  }
  if (data_.elevated) GiveToAdministrators();
}

void PlaceFiles::Refuse(const PlaceCheck& check) {
  outcome_ = OutcomeOf(data_, check);
  folder_ = SafeFolder();
}

bool PlaceFiles::GiveToAdministrators() {
  const std::wstring path = folder_.Path();
  const bool owned = folder_.OwnedByAdministrators();
  if (written::FolderWasGiven(path)) {
    if (owned) return true;
    // Given before and taken since: whoever has it now is not to be trusted.
    outcome_.kind = PlaceOutcome::Kind::NotAdministrators;
    outcome_.place = path;
    outcome_.text = formattext::Format(LoadStr(IDS_REFUSED_NOT_ADMINS), {path});
    folder_ = SafeFolder();
    return false;
  }
  const std::uint32_t error = folder_.LimitWritingToAdministrators(TokenUserSid());
  if (error != 0) {
    outcome_.note = formattext::Format(LoadStr(IDS_LOG_ACCESS_NOT_LIMITED), {path, systemmessage::ForCode(error)});
    LogRecord(0, outcome_.note, kLevelDiscovery, kContext);
  } else if (folder_.OwnedByAdministrators()) {
    // Only where the system kept the new owner: from now on another owner
    // means the folder was replaced.
    written::RememberFolderGiven(path);
  }
  return true;
}

WriteResult PlaceFiles::Write(const std::wstring& name, const std::string& bytes, bool replace) const {
  WriteResult result;
  result.outcome = outcome_;
  if (!IsOpen()) return result;
  result.path = Path() + L"\\" + name;
  PlaceCheck check;
  const SafeFolder::WriteOutcome written = folder_.WriteWholeFile(name, bytes, replace, check);
  result.written = written == SafeFolder::WriteOutcome::Written;
  result.nameTaken = written == SafeFolder::WriteOutcome::NameTaken;
  result.outcome = OutcomeOf(data_, check);
  if (!result.written || place_ != DataPlace::Backup || !data_.elevated) return result;
  const std::wstring hash = written::Sha256Hex(bytes);
  const long error = hash.empty() ? static_cast<long>(ERROR_INVALID_FUNCTION) : written::RememberFile(result.path, hash);
  if (error != 0)
    LogRecord(0,
              formattext::Format(LoadStr(IDS_LOG_NOT_RECORDED),
                                 {result.path, systemmessage::ForCode(static_cast<std::uint32_t>(error))}),
              kLevelDiscovery, kContext);
  return result;
}

WriteResult PlaceFiles::WriteNew(const std::wstring& stem, const std::wstring& extension,
                                 const std::string& bytes) const {
  WriteResult result;
  result.outcome = outcome_;
  for (int n = 1; IsOpen() && n < 1000; ++n) {
    result = Write(stem + (n == 1 ? L"" : L" (" + std::to_wstring(n) + L")") + extension, bytes, false);
    if (!result.nameTaken) break;
  }
  return result;
}

ReadResult PlaceFiles::Read(const std::wstring& name, std::uint64_t limit) const {
  ReadResult result;
  result.outcome = outcome_;
  if (!IsOpen()) return result;
  const bool checked = place_ == DataPlace::Backup && data_.elevated;
  const std::optional<std::wstring> recorded =
      checked ? written::RecordedHash(Path() + L"\\" + name) : std::optional<std::wstring>();
  if (checked && !recorded) {
    // Never written by the program: not even read.
    result.asWritten = false;
    return result;
  }
  PlaceCheck check;
  result.bytes = folder_.ReadWholeFile(name, limit, check);
  result.outcome = OutcomeOf(data_, check);
  if (checked) result.asWritten = result.bytes && *recorded == written::Sha256Hex(*result.bytes);
  return result;
}

std::vector<std::wstring> PlaceFiles::ChangedFiles(const std::wstring& suffix) const {
  std::vector<std::wstring> changed;
  if (!IsOpen() || place_ != DataPlace::Backup || !data_.elevated) return changed;
  for (const auto& name : FileNames()) {
    if (!EndsWithAnyCase(name, suffix)) continue;
    if (!Read(name, kMaxCheckedBytes).asWritten) changed.push_back(name);
  }
  return changed;
}

PlaceOutcome PrepareDataFolder(const DataFolder& data) { return PlaceFiles(data, DataPlace::Data, true).Outcome(); }

WriteResult WriteChosenFile(const DataFolder& data, const std::wstring& path, const std::string& bytes) {
  WriteResult result;
  result.path = path;
  const auto slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos || slash + 1 == path.size()) {
    result.outcome = {PlaceOutcome::Kind::Failed, path, systemmessage::ForCode(ERROR_INVALID_NAME), {}};
    return result;
  }
  const std::wstring name = path.substr(slash + 1), parent = path.substr(0, slash == 2 ? 3 : slash);
  const auto below = folderpath::NamesBelow(data.path, path);
  if (below) {
    // Inside the data folder: the place is checked and held first, then
    // every folder down to the file is opened through the checked chain.
    const bool inBackup = below->size() == 2 && FoldCase((*below)[0]) == FoldCase(kBackupName);
    const PlaceFiles place(data, inBackup ? DataPlace::Backup : DataPlace::Data, false);
    if (!place.IsOpen()) {
      result.outcome = place.Outcome();
      return result;
    }
    if (inBackup || below->size() == 1) return place.Write(name, bytes, true);
  }
  const SafeFolder folder = below ? SafeFolder::Open(parent, false) : SafeFolder::OpenChosen(parent);
  PlaceCheck check;
  result.written = folder.WriteWholeFile(name, bytes, true, check) == SafeFolder::WriteOutcome::Written;
  result.outcome = OutcomeOf(data, check);
  return result;
}

bool RunsAsAdministrator() {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  UniqueSid admins;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                admins.put()))
    return false;
  BOOL member = FALSE;
  return CheckTokenMembership(nullptr, admins.get(), &member) && member;
}

}  // namespace core
