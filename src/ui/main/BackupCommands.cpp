#include "ui/main/BackupCommands.h"

#include "core/ErrorReport.h"
#include "core/Messages.h"
#include "core/Strings.h"
#include "backup/RegistryBackup.h"
#include "ozcore/CUtilities.h"
#include "ui/main/CommandHost.h"

namespace BackupCommands {
namespace {

// The hourglass for as long as it lives.
class BusyPointer {
 public:
  explicit BusyPointer(CommandHost& host) : host_(host) { host_.SetBusy(true); }
  ~BusyPointer() { host_.SetBusy(false); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

 private:
  CommandHost& host_;
};

}  // namespace

void MenuBackup(CommandHost& host) noexcept {
  Guarded(L"FMain.MenuBackup", kLevelError, [&] {
    bool written = false;
    std::size_t leftOut = 0;
    std::wstring path;
    {
      BusyPointer busy(host);
      written = RegistryBackup::BackupRegistry(host.Data(), &path, &leftOut);
    }
    if (written) host.BackupWritten(path);
    // A backup that wrote nothing is never reported as done, nor one that
    // left entries out as complete.
    std::wstring text = LoadStr(IDS_BACKUP_FAILED);
    if (written && leftOut > 0)
      text = CUtilities::FormatString(LoadStr(IDS_BACKUP_INCOMPLETE), {std::to_wstring(leftOut)});
    else if (written)
      text = LoadStr(IDS_BACKUP_DONE);
    core::ShowMessage(text, core::kButtonOK, std::wstring());
  });
  host.SetBusy(false);
}

void MenuRestore(CommandHost& host) noexcept {
  Guarded(L"FMain.MenuRestore", kLevelError, [&] {
    core::ShowMessage(LoadStr(IDS_RESTORE_HINT), core::kButtonOK, std::wstring());
    host.Shell().openFolder(host.Data().BackupFolder() + L"\\", host.OwnerWindow());
  });
}

}  // namespace BackupCommands
