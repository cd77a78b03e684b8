#include "ui/main/BackupCommands.h"

#include "core/ErrorReport.h"
#include "core/ProcessState.h"
#include "core/Messages.h"
#include "core/Strings.h"
#include "backup/RegistryBackup.h"
#include "ozcore/CUtilities.h"
#include "ui/main/MainWindow.h"

namespace BackupCommands {
namespace {

// The hourglass for as long as it lives.
class BusyPointer {
 public:
  explicit BusyPointer(MainWindow& main) : main_(main) { main_.SetBusy(true); }
  ~BusyPointer() { main_.SetBusy(false); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

 private:
  MainWindow& main_;
};

}  // namespace

void MenuBackup(MainWindow& main) noexcept {
  Guarded(L"FMain.MenuBackup", kLevelError, [&] {
    bool written = false;
    std::size_t leftOut = 0;
    {
      BusyPointer busy(main);
      written = RegistryBackup::BackupRegistry(nullptr, &leftOut);
    }
    // A backup that wrote nothing is never reported as done, nor one that
    // left entries out as complete.
    std::wstring text = LoadStr(IDS_BACKUP_FAILED);
    if (written && leftOut > 0)
      text = CUtilities::FormatString(LoadStr(IDS_BACKUP_INCOMPLETE), {std::to_wstring(leftOut)});
    else if (written)
      text = LoadStr(IDS_BACKUP_DONE);
    core::ShowMessage(text, core::kButtonOK, std::wstring());
  });
  main.SetBusy(false);
}

void MenuRestore(MainWindow& main) noexcept {
  Guarded(L"FMain.MenuRestore", kLevelError, [&] {
    core::ShowMessage(LoadStr(IDS_RESTORE_HINT), core::kButtonOK, std::wstring());
    main.Shell().openFolder(core::gDataFolder + L"\\Backup\\", main.Hwnd());
  });
}

}  // namespace BackupCommands
