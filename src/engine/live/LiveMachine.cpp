#include "engine/live/LiveMachine.h"

#include <windows.h>

#include <map>
#include <set>

#include "engine/files/LiveFileSource.h"
#include "engine/kinds/ProfileHives.h"
#include "engine/kinds/RecordRoots.h"
#include "engine/live/LiveFileFacts.h"
#include "engine/sources/AccountNames.h"
#include "engine/sources/HiveRegistry.h"
#include "engine/sources/LiveRegistry.h"
#include "engine/sources/RegistryWithAddedUsers.h"
#include "ozcore/CaseFold.h"

namespace engine {

namespace {
// The user whose class registrations this process's classes root merges.
std::wstring ProcessUserSid() { return AccountNames::TokenUserSid(GetCurrentProcessToken()); }

std::wstring ExpandedByThisSystem(const std::wstring& text) {
  const std::wstring counted = text.substr(0, text.find(L'\0'));
  std::wstring out(32768, L'\0');
  const DWORD length = ExpandEnvironmentStringsW(counted.c_str(), out.data(), static_cast<DWORD>(out.size()));
  if (length == 0 || length > out.size()) return counted;
  out.resize(length - 1);
  return out;
}

// A hive of a user who is not signed in is copied whole before it is read,
// so the file is held only for that moment: were the user to sign in, the
// system must find it free. Larger ones are not read.
constexpr std::uint64_t kMaxUserHiveBytes = 512ull * 1024 * 1024;

std::unique_ptr<HiveBytes> Copied(FileSource& files, const std::wstring& path) {
  const auto file = files.Open(path);
  return file ? CopiedHiveBytes(*file, kMaxUserHiveBytes) : nullptr;
}

// A hive with its transaction logs, for one the system did not close cleanly.
HiveFile::Opened OpenCopied(FileSource& files, const std::wstring& path) {
  auto primary = Copied(files, path);
  if (!primary) return {};
  return HiveFile::Open(std::move(primary), Copied(files, path + L".LOG1"), Copied(files, path + L".LOG2"));
}
}  // namespace

struct LiveMachine::Parts {
  LiveRegistry live;
  HiveRegistry notSignedIn;
  RegistryWithAddedUsers registry{live, notSignedIn};
  LiveFileFacts files;
  std::map<std::wstring, std::wstring> folderNames;  // folded SID -> profile folder name
  std::vector<std::wstring> notRead;
  MachineSources sources;

  explicit Parts(FileResolver& resolver)
      : files(resolver),
        sources{registry, files, [this](const std::wstring& sid) { return AccountOf(sid); }, ProcessUserSid(),
                discovery::RegistryViews(), {}} {
    AddUsersNotSignedIn();
  }

  std::wstring AccountOf(const std::wstring& sid) const {
    std::wstring domain, account;
    AccountNames::SidToAccountName(sid, domain, account);
    if (!account.empty()) return account;
    const auto it = folderNames.find(FoldCase(sid));
    return it == folderNames.end() ? std::wstring() : it->second;
  }

  // The profiles whose hives are not loaded, read from their files. A
  // profile sharing its folder with a signed-in one (an old entry the
  // system kept) is left alone: that folder's hive is loaded.
  void AddUsersNotSignedIn() {
    std::vector<std::pair<ListedProfile, std::wstring>> signedOut;
    std::set<std::wstring> loadedFolders;
    for (const auto& profile : ListedProfiles(live)) {
      const std::wstring folder = ExpandedByThisSystem(profile.folder);
      if (live.KeyExists(Tree::Users, profile.sid))
        loadedFolders.insert(FoldCase(folder));
      else
        signedOut.emplace_back(profile, folder);
    }
    LiveFileSource disk;
    for (const auto& [profile, folder] : signedOut) {
      if (loadedFolders.count(FoldCase(folder))) continue;
      HiveFile::Opened user = OpenCopied(disk, folder + kUserHiveInProfile);
      if (!user.hive || !notSignedIn.Mount(Tree::Users, profile.sid, std::move(user.hive))) {
        notRead.push_back(profile.sid);
        continue;
      }
      registry.Add(profile.sid);
      const std::wstring classes = profile.sid + L"_Classes";
      HiveFile::Opened classHive = OpenCopied(disk, folder + kUserClassesHiveInProfile);
      if (classHive.hive && notSignedIn.Mount(Tree::Users, classes, std::move(classHive.hive))) registry.Add(classes);
      folderNames.emplace(FoldCase(profile.sid), FolderName(folder));
      sources.usersNotSignedIn.push_back(profile.sid);
    }
  }
};

LiveMachine::LiveMachine(FileResolver& resolver) : parts_(std::make_unique<Parts>(resolver)) {}
LiveMachine::~LiveMachine() = default;

MachineSources& LiveMachine::Sources() { return parts_->sources; }
const std::vector<std::wstring>& LiveMachine::UsersNotRead() const { return parts_->notRead; }

}  // namespace engine
