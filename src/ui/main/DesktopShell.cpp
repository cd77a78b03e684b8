#include "ui/main/DesktopShell.h"

#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <memory>

#include "ozcore/UniqueHandle.h"

namespace desktopshell {
namespace {

using Microsoft::WRL::ComPtr;

// Spelled here rather than taken from an import library (see MainShell.cpp).
constexpr CLSID kShellWindows = {0x9BA05972, 0xF6A8, 0x11CF, {0xA4, 0x42, 0x00, 0xA0, 0xC9, 0x0A, 0x8F, 0x39}};
constexpr GUID kTopLevelBrowser = {0x4C96BE40, 0x915C, 0x11CF, {0x99, 0xD3, 0x00, 0xAA, 0x00, 0x4A, 0xE8, 0x37}};

struct BstrFree {
  void operator()(BSTR text) const noexcept { SysFreeString(text); }
};
using UniqueBstr = std::unique_ptr<OLECHAR, BstrFree>;

// A VARIANT holding a string it owns.
class TextVariant {
 public:
  explicit TextVariant(const wchar_t* text) {
    VariantInit(&value_);
    value_.vt = VT_BSTR;
    value_.bstrVal = SysAllocString(text);
  }
  ~TextVariant() { VariantClear(&value_); }
  TextVariant(const TextVariant&) = delete;
  TextVariant& operator=(const TextVariant&) = delete;
  const VARIANT& get() const { return value_; }

 private:
  VARIANT value_;
};

// The desktop window's shell automation object, and the desktop's window.
ComPtr<IShellDispatch2> DesktopDispatch(HWND& desktop) {
  ComPtr<IShellWindows> windows;
  if (FAILED(CoCreateInstance(kShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&windows)))) return nullptr;
  VARIANT none;
  VariantInit(&none);
  long window = 0;
  ComPtr<IDispatch> found;
  if (windows->FindWindowSW(&none, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, &found) != S_OK || !found)
    return nullptr;
  desktop = reinterpret_cast<HWND>(static_cast<LONG_PTR>(window));
  ComPtr<IServiceProvider> services;
  ComPtr<IShellBrowser> browser;
  ComPtr<IShellView> view;
  ComPtr<IDispatch> background;
  ComPtr<IShellFolderViewDual> folderView;
  ComPtr<IDispatch> application;
  ComPtr<IShellDispatch2> shell;
  if (FAILED(found.As(&services)) || FAILED(services->QueryService(kTopLevelBrowser, IID_PPV_ARGS(&browser))) ||
      FAILED(browser->QueryActiveShellView(&view)) ||
      FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_PPV_ARGS(&background))) || FAILED(background.As(&folderView)) ||
      FAILED(folderView->get_Application(&application)) || !application || FAILED(application.As(&shell)))
    return nullptr;
  return shell;
}

}  // namespace

bool ProcessIsElevated() {
  UniqueKernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return false;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
         elevation.TokenIsElevated != 0;
}

bool OpenAsDesktopUser(const std::wstring& target) {
  HWND desktop = nullptr;
  const ComPtr<IShellDispatch2> shell = DesktopDispatch(desktop);
  if (!shell) return false;
  const UniqueBstr file(SysAllocString(target.c_str()));
  if (!file) return false;
  // The window it opens may come to the front.
  DWORD shellProcess = 0;
  if (GetWindowThreadProcessId(desktop, &shellProcess) && shellProcess) AllowSetForegroundWindow(shellProcess);
  VARIANT none;
  VariantInit(&none);
  const TextVariant verb(L"open");
  VARIANT show;
  VariantInit(&show);
  show.vt = VT_I4;
  show.lVal = SW_SHOWNORMAL;
  return SUCCEEDED(shell->ShellExecute(file.get(), none, none, verb.get(), show));
}

}  // namespace desktopshell
