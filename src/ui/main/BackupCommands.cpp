#include "ui/main/BackupCommands.h"

#include "app/ErrorReport.h"
#include "app/MQLMState.h"
#include "app/ShowMessage.h"
#include "app/Strings.h"
#include "backup/MAPI.h"
#include "ui/main/FMain.h"

namespace BackupCommands {
namespace {

// The hourglass for as long as it lives.
class BusyPointer {
 public:
  explicit BusyPointer(FMain& main) : main_(main) { main_.SetBusy(true); }
  ~BusyPointer() { main_.SetBusy(false); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

 private:
  FMain& main_;
};

}  // namespace

void MenuBackup(FMain& main) noexcept {
  Guarded(L"FMain.MenuBackup", kLevelError, [&] {
    bool written = false;
    {
      BusyPointer busy(main);
      written = MAPI::BackupRegistry();
    }
    // A backup that wrote nothing is never reported as done.
    MQLM::ShowMessage(LoadStr(written ? IDS_BACKUP_DONE : IDS_BACKUP_FAILED), MQLM::kButtonOK, std::wstring());
  });
  main.SetBusy(false);
}

void MenuRestore(FMain& main) noexcept {
  Guarded(L"FMain.MenuRestore", kLevelError, [&] {
    MQLM::ShowMessage(LoadStr(IDS_RESTORE_HINT), MQLM::kButtonOK, std::wstring());
    main.Shell().openFolder(MQLM::gDataFolder + L"\\Backup\\", main.Hwnd());
  });
}

}  // namespace BackupCommands
