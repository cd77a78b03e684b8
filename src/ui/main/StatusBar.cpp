#include "ui/main/StatusBar.h"

#include <commctrl.h>

#include <vector>

#include "core/Strings.h"
#include "ozcore/CUtilities.h"
#include "ui/tables/TableControlBase.h"

bool StatusBar::Create(HWND parent, int controlId) {
  hwnd_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | SBARS_TOOLTIPS, 0, 0, 0, 0,
                          parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), GetModuleHandleW(nullptr),
                          nullptr);
  if (hwnd_) Layout();
  return hwnd_ != nullptr;
}

int StatusBar::Height() const {
  if (!hwnd_) return 0;
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return r.bottom - r.top;
}

void StatusBar::Layout() {
  if (!hwnd_) return;
  SendMessageW(hwnd_, WM_SIZE, 0, 0);
  RECT client{};
  GetClientRect(hwnd_, &client);
  // The counts take half, the filter a fifth, the last backup the rest.
  const int counts = client.right / 2, filter = counts + client.right / 5;
  const int edges[] = {counts, filter, -1};
  SendMessageW(hwnd_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
}

void StatusBar::SetText(int part, const std::wstring& text) {
  if (!hwnd_) return;
  SendMessageW(hwnd_, SB_SETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.c_str()));
  // A long path is cut short in its part: its tooltip shows it whole.
  SendMessageW(hwnd_, SB_SETTIPTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring StatusBar::Text(int part) const {
  if (!hwnd_) return {};
  const auto length = LOWORD(SendMessageW(hwnd_, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0));
  std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1);
  SendMessageW(hwnd_, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.data()));
  return text.data();
}

int StatusBar::PartAt(POINT client) const {
  if (!hwnd_) return -1;
  const int parts = static_cast<int>(SendMessageW(hwnd_, SB_GETPARTS, 0, 0));
  for (int part = 0; part < parts; ++part) {
    RECT r{};
    SendMessageW(hwnd_, SB_GETRECT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(&r));
    if (PtInRect(&r, client)) return part;
  }
  return -1;
}

void StatusBar::ShowLists(const std::vector<TableControlBase*>& tables, bool filtered,
                          const std::wstring& lastBackup) {
  if (!hwnd_) return;
  std::wstring counts;
  std::size_t shown = 0, total = 0;
  for (const TableControlBase* table : tables) {
    if (!counts.empty()) counts += L"   ";
    counts += CUtilities::FormatString(LoadStr(IDS_STATUS_KIND_COUNT),
                                       {LoadStr(table->Kind().caption), std::to_wstring(table->RecordCount())});
    shown += table->ShownCount();
    total += table->RecordCount();
  }
  SetText(kCountsPart, counts);
  SetText(kFilterPart, filtered ? CUtilities::FormatString(LoadStr(IDS_STATUS_FILTER),
                                                           {std::to_wstring(shown), std::to_wstring(total)})
                                : std::wstring());
  SetText(kBackupPart, lastBackup.empty() ? LoadStr(IDS_STATUS_NO_BACKUP)
                                          : CUtilities::FormatString(LoadStr(IDS_STATUS_LAST_BACKUP), {lastBackup}));
}
