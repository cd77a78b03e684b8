// PropertyGrid: the read-only editor opened over a value, for selecting
// part of its text.
#include "ui/widgets/PropertyGrid.h"

#include <commctrl.h>

#include <algorithm>

void PropertyGrid::ShowEditor(int line) {
  if (line <= kHeading || line >= VisibleLines()) return;
  if (!editor_) {
    editor_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_READONLY | ES_AUTOHSCROLL | ES_LEFT, 0, 0, 0, 0, Hwnd(),
                              nullptr, nullptr, nullptr);
    if (!editor_) return;
    SendMessageW(editor_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    SetWindowSubclass(editor_, &PropertyGrid::EditorProc, 1, reinterpret_cast<DWORD_PTR>(this));
  }
  editorLine_ = line;
  SetWindowTextW(editor_, RowValue(line - 1).c_str());
  PlaceEditor();
  ShowWindow(editor_, SW_SHOW);
  SetFocus(editor_);
  SendMessageW(editor_, EM_SETSEL, 0, -1);
}

void PropertyGrid::HideEditor() {
  if (!editor_ || editorLine_ < 0) return;
  editorLine_ = -1;
  const bool hadFocus = GetFocus() == editor_;
  ShowWindow(editor_, SW_HIDE);
  if (hadFocus) SetFocus(Hwnd());
}

void PropertyGrid::PlaceEditor() {
  if (!editor_ || editorLine_ < 0) return;
  if (editorLine_ >= VisibleLines()) {
    HideEditor();
    return;
  }
  const RECT line = LineRect(editorLine_);
  HDC dc = GetDC(Hwnd());
  const int textHeight = Widgets::LineHeight(dc, font_.get());
  ReleaseDC(Hwnd(), dc);
  const int left = DividerX() + 1 + Scale(4);
  const int top = line.top + (lineHeight_ - textHeight) / 2;
  SetWindowPos(editor_, nullptr, left, top, std::max(0, static_cast<int>(line.right) - left - Scale(2)), textHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK PropertyGrid::EditorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR data) {
  auto* self = reinterpret_cast<PropertyGrid*>(data);
  switch (message) {
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
          // Moving between rows leaves the value and goes on in the grid.
          self->HideEditor();
          SendMessageW(self->Hwnd(), WM_KEYDOWN, wParam, lParam);
          return 0;
        case VK_ESCAPE:
          self->HideEditor();
          return 0;
        default:
          break;
      }
      break;
    case WM_GETDLGCODE:
      return DefSubclassProc(hwnd, message, wParam, lParam) | DLGC_WANTARROWS;
    case WM_KILLFOCUS:
      if (reinterpret_cast<HWND>(wParam) != self->Hwnd()) self->HideEditor();
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &PropertyGrid::EditorProc, id);
      self->editor_ = nullptr;
      self->editorLine_ = -1;
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT PropertyGrid::EditorColors(HDC dc) {
  const Widgets::Palette palette = Widgets::CurrentPalette();
  SetTextColor(dc, palette.windowText);
  SetBkColor(dc, palette.window);
  SetDCBrushColor(dc, palette.window);
  return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
}
