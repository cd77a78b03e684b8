#pragma once
// Typed owners for the GDI and USER objects the controls create. They close
// through the common handle traits, so DeleteObject stays in one place.
#include <windows.h>

#include <commctrl.h>

#include "ozcore/UniqueHandle.h"

namespace handle_traits {
template <typename T>
struct TypedGdiObject {
  static T Invalid() noexcept { return nullptr; }
  static bool IsValid(T h) noexcept { return h != nullptr; }
  static void Close(T h) noexcept { GdiObject::Close(h); }
};
struct MemoryDc {
  static HDC Invalid() noexcept { return nullptr; }
  static bool IsValid(HDC h) noexcept { return h != nullptr; }
  static void Close(HDC h) noexcept { ::DeleteDC(h); }
};
struct Menu {
  static HMENU Invalid() noexcept { return nullptr; }
  static bool IsValid(HMENU h) noexcept { return h != nullptr; }
  static void Close(HMENU h) noexcept { ::DestroyMenu(h); }
};
struct ImageList {
  static HIMAGELIST Invalid() noexcept { return nullptr; }
  static bool IsValid(HIMAGELIST h) noexcept { return h != nullptr; }
  static void Close(HIMAGELIST h) noexcept { ::ImageList_Destroy(h); }
};
}  // namespace handle_traits

using UniqueFont = UniqueHandle<HFONT, handle_traits::TypedGdiObject<HFONT>>;
using UniqueBrush = UniqueHandle<HBRUSH, handle_traits::TypedGdiObject<HBRUSH>>;
using UniquePen = UniqueHandle<HPEN, handle_traits::TypedGdiObject<HPEN>>;
using UniqueBitmap = UniqueHandle<HBITMAP, handle_traits::TypedGdiObject<HBITMAP>>;
using UniqueMemoryDc = UniqueHandle<HDC, handle_traits::MemoryDc>;
using UniqueMenu = UniqueHandle<HMENU, handle_traits::Menu>;
using UniqueImageList = UniqueHandle<HIMAGELIST, handle_traits::ImageList>;

// Selects an object into a DC for one scope and puts the old one back.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(object ? ::SelectObject(dc, object) : nullptr) {}
  ~SelectGuard() {
    if (old_) ::SelectObject(dc_, old_);
  }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};
