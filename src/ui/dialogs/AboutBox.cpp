#include "ui/dialogs/AboutBox.h"

#include <vector>

#include <algorithm>

#include "core/ErrorReport.h"
#include "ui/dialogs/PngBitmap.h"
#include "core/Strings.h"
#include "ui/widgets/WidgetWindow.h"

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr int kLabelId = 100;

// Positions at 96 DPI, inside the 349 x 228 client area.
constexpr RECT kLabel{20, 102, 329, 184};
constexpr RECT kOk{249, 190, 329, 216};
// The white double frame, just inside the edges.
constexpr int kOuterFrame = 2;
constexpr int kInnerFrame = 5;

struct AboutState {
  UINT dpi = 96;
  UniqueGdiObject picture;
  UniqueFont font;
};

int Scale(int px96, UINT dpi) { return MulDiv(px96, static_cast<int>(dpi), 96); }

void Place(HWND dialog, HWND owner, UINT dpi) {
  RECT rect{0, 0, Scale(AboutBox::kClientWidth, dpi), Scale(AboutBox::kClientHeight, dpi)};
  AdjustWindowRectExForDpi(&rect, kStyle, FALSE, WS_EX_DLGMODALFRAME, dpi);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  // Centred over the owner, kept on the owner's monitor.
  RECT over{};
  if (!owner || !GetWindowRect(owner, &over)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &over, 0);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromRect(&over, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  int x = over.left + (over.right - over.left - width) / 2;
  int y = over.top + (over.bottom - over.top - height) / 2;
  x = std::max<int>(work.left, std::min<int>(x, work.right - width));
  y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
  SetWindowPos(dialog, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND MakeChild(HWND dialog, const wchar_t* cls, const std::wstring& text, DWORD style, const RECT& at96, int id,
               UINT dpi, HFONT font) {
  HWND child = CreateWindowExW(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, Scale(at96.left, dpi),
                               Scale(at96.top, dpi), Scale(at96.right - at96.left, dpi),
                               Scale(at96.bottom - at96.top, dpi), dialog,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (child && font) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

void Paint(HWND dialog, const AboutState& state) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(dialog, &ps);
  RECT client{};
  GetClientRect(dialog, &client);
  if (state.picture) {
    PngBitmap::Draw(dc, state.picture.get(), 0, 0);
  } else {
    Widgets::FillSolid(dc, client, RGB(0x15, 0x4b, 0x7c));
  }
  const COLORREF white = RGB(255, 255, 255);
  for (int inset : {Scale(kOuterFrame, state.dpi), Scale(kInnerFrame, state.dpi)}) {
    const RECT line{client.left + inset, client.top + inset, client.right - inset, client.bottom - inset};
    Widgets::FrameSolid(dc, line, white);
  }
  EndPaint(dialog, &ps);
}

INT_PTR HandleAboutMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<AboutState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<AboutState*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      state->dpi = GetDpiForWindow(dialog) ? GetDpiForWindow(dialog) : 96;
      SetWindowTextW(dialog, LoadStr(IDS_ABOUT_TITLE).c_str());
      Place(dialog, GetWindow(dialog, GW_OWNER), state->dpi);
      state->font = Widgets::CreateUiFont(state->dpi);
      state->picture = PngBitmap::Decode(AboutBox::kPictureResource, Scale(AboutBox::kClientWidth, state->dpi),
                                         Scale(AboutBox::kClientHeight, state->dpi));
      MakeChild(dialog, L"STATIC", AboutBox::AboutText(), SS_LEFT | SS_NOPREFIX, kLabel, kLabelId, state->dpi,
                state->font.get());
      HWND ok = MakeChild(dialog, L"BUTTON", LoadStr(IDS_ABOUT_OK), BS_DEFPUSHBUTTON | WS_TABSTOP, kOk, IDOK,
                          state->dpi, state->font.get());
      SetFocus(ok);
      return FALSE;  // the focus is set
    }
    case WM_ERASEBKGND:
      return TRUE;  // the picture covers everything
    case WM_PAINT:
      if (state) Paint(dialog, *state);
      return TRUE;
    case WM_CTLCOLORSTATIC: {
      // The text lies on the picture.
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, RGB(255, 255, 255));
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

// The dialog's one catch: a failure is logged and the message is left to
// the dialog manager.
INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  INT_PTR result = FALSE;
  CatchAtEdge(L"AboutBox", L"DialogProc", kLevelError,
              [&] { result = HandleAboutMessage(dialog, message, wParam, lParam); });
  return result;
}

// An empty dialog template: the children are made at run time at the
// window's own DPI.
std::vector<WORD> EmptyTemplate() {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3, 0);
  auto* t = reinterpret_cast<DLGTEMPLATE*>(words.data());
  t->style = kStyle;
  t->dwExtendedStyle = WS_EX_DLGMODALFRAME;
  t->cdit = 0;
  // Menu, class and title follow as empty words.
  return words;
}

}  // namespace

std::wstring AboutBox::AboutText() {
  return LoadStr(IDS_ABOUT_VERSION) + LoadStr(IDS_ABOUT_VERSION_NUMBER) + L"\r\n\r\n" + LoadStr(IDS_ABOUT_LEGAL);
}

void AboutBox::ShowModal(HWND owner) {
  AboutState state;
  std::vector<WORD> dialogTemplate = EmptyTemplate();
  DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(dialogTemplate.data()), owner,
                          &AboutProc, reinterpret_cast<LPARAM>(&state));
}
