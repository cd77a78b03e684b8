#pragma once
// A top-level window for control tests: it records the commands it gets
// and offers mouse and key helpers that go through the real messages.
#include <windows.h>

#include <oleacc.h>

#include <string>
#include <vector>

#include "support/WindowProbe.h"
#include "ui/widgets/GdiHandles.h"

#include <ostream>

// Rectangles compared and printed in test assertions.
inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline std::ostream& operator<<(std::ostream& out, const RECT& r) {
  return out << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}

namespace uitest {

class HostWindow {
 public:
  explicit HostWindow(int clientWidth = 963, int clientHeight = 501);
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  HWND Hwnd() const { return hwnd_; }

  // WM_COMMAND ids received, in order, and the lParam of each.
  std::vector<int> commands;
  std::vector<LPARAM> commandSources;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
  bool comStarted_ = false;
};

using qlmtest::Key;
using qlmtest::KeysHeld;
using qlmtest::Pump;
POINT Center(const RECT& rect);
// Button down and up at a client point, with the move that precedes them.
void Click(HWND hwnd, POINT pt);
void Drag(HWND hwnd, POINT from, POINT to);

// Screen rectangle of a client rectangle.
RECT ToScreen(HWND hwnd, RECT rect);

// IAccessible readers for a child id (0 is the object itself): a text
// property, empty when missing; a number property, -1 when missing.
using AccTextGetter = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);
using AccNumberGetter = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, VARIANT*);
std::wstring AccText(IAccessible* acc, long child, AccTextGetter get);
long AccNumber(IAccessible* acc, long child, AccNumberGetter get);
inline std::wstring AccName(IAccessible* acc, long child) { return AccText(acc, child, &IAccessible::get_accName); }
inline std::wstring AccValue(IAccessible* acc, long child) { return AccText(acc, child, &IAccessible::get_accValue); }
inline long AccRole(IAccessible* acc, long child) { return AccNumber(acc, child, &IAccessible::get_accRole); }
inline long AccState(IAccessible* acc, long child) { return AccNumber(acc, child, &IAccessible::get_accState); }
long AccChildCount(IAccessible* acc);
RECT AccLocation(IAccessible* acc, long child);
HRESULT AccDoDefault(IAccessible* acc, long child);
VARIANT ChildVariant(long child);

// A 32-bit test image of the given size (transparent).
UniqueBitmap MakeImage(int size);

// The clipboard's Unicode text, or empty.
std::wstring ClipboardText(HWND owner);

}  // namespace uitest
