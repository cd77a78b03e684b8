#include "ui/main/StatusBar.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "core/Strings.h"
#include "ozcore/FormatText.h"
#include "ui/tables/TableControlBase.h"
#include "ui/widgets/TextFit.h"
#include "ui/widgets/WidgetWindow.h"

namespace {

// A backup by the local time it was written and its size; its file name
// when the file cannot be looked at.
std::wstring BackupFacts(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA file{};
  FILETIME local{};
  SYSTEMTIME time{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &file) ||
      !FileTimeToLocalFileTime(&file.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &time)) {
    const std::size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
  }
  wchar_t clock[8] = {};
  swprintf(clock, 8, L"%02u:%02u", static_cast<unsigned>(time.wHour), static_cast<unsigned>(time.wMinute));
  const unsigned long long bytes = (static_cast<unsigned long long>(file.nFileSizeHigh) << 32) | file.nFileSizeLow;
  return formattext::Format(LoadStr(IDS_STATUS_BACKUP_FACTS), {clock, std::to_wstring((bytes + 1023) / 1024)});
}

}  // namespace

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
  const int dpi = static_cast<int>(GetDpiForWindow(hwnd_) ? GetDpiForWindow(hwnd_) : 96);
  const int margins = MulDiv(16, dpi, 96), grip = GetSystemMetrics(SM_CXVSCROLL);
  auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
  if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  HDC dc = GetDC(hwnd_);
  const TextFit::Measure measure = [&](const std::wstring& text) { return Widgets::TextWidth(dc, font, text); };
  // The backup and the filter as wide as their texts (at most a half and a
  // third), the counts the rest.
  const int width = client.right;
  const int backup = std::min(measure(texts_[kBackupPart]) + margins + grip, width / 2);
  const int filter = texts_[kFilterPart].empty() ? 0 : std::min(measure(texts_[kFilterPart]) + margins, width / 3);
  const int counts = std::max(0, width - backup - filter);
  const int edges[] = {counts, counts + filter, -1};
  SendMessageW(hwnd_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
  const int widths[] = {counts - margins, filter - margins, backup - margins - grip};
  for (int part = 0; part < 3; ++part) {
    const std::wstring shown = TextFit::ShortenInMiddle(texts_[part], widths[part], measure);
    SendMessageW(hwnd_, SB_SETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(shown.c_str()));
  }
  ReleaseDC(hwnd_, dc);
}

void StatusBar::Put(int part, const std::wstring& text, const std::wstring& tip) {
  if (part < 0 || part > 2) return;
  texts_[part] = text;
  tips_[part] = tip.empty() ? text : tip;
  SendMessageW(hwnd_, SB_SETTIPTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(tips_[part].c_str()));
}

void StatusBar::SetText(int part, const std::wstring& text, const std::wstring& tip) {
  if (!hwnd_) return;
  Put(part, text, tip);
  Layout();
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

void StatusBar::ShowLists(const std::vector<TableControlBase*>& tables, bool filtered, const LastBackup& backup,
                          const std::wstring& system) {
  if (!hwnd_) return;
  std::wstring counts = system;
  std::size_t shown = 0, total = 0;
  for (const TableControlBase* table : tables) {
    if (!counts.empty()) counts += L"   ";
    counts += formattext::Format(LoadStr(IDS_STATUS_KIND_COUNT),
                                 {LoadStr(table->Kind().caption), std::to_wstring(table->RecordCount())});
    shown += table->ShownCount();
    total += table->RecordCount();
  }
  Put(kCountsPart, counts, {});
  Put(kFilterPart,
      filtered ? formattext::Format(LoadStr(IDS_STATUS_FILTER), {std::to_wstring(shown), std::to_wstring(total)})
               : std::wstring(),
      {});
  if (backup.path.empty()) {
    Put(kBackupPart, LoadStr(IDS_STATUS_NO_BACKUP), {});
  } else {
    const unsigned form = backup.atStart ? IDS_STATUS_STARTUP_BACKUP : IDS_STATUS_LAST_BACKUP;
    Put(kBackupPart, formattext::Format(LoadStr(form), {BackupFacts(backup.path)}), backup.path);
  }
  Layout();
}
