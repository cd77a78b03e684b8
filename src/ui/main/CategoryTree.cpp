#include "ui/main/CategoryTree.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <string>

#include "core/ErrorReport.h"
#include "engine/kinds/AddonKinds.h"
#include "core/Strings.h"
#include "ui/tables/ITableControl.h"
#include "ui/widgets/CaptionBar.h"
#include "ui/widgets/GdiHandles.h"
#include "ui/widgets/ImageStore.h"
#include "ui/widgets/WidgetWindow.h"

namespace {

constexpr wchar_t kClassName[] = L"QuillmoorCategoryTree";
constexpr int kCaptionId = 1;
constexpr int kTreeId = 2;
constexpr int kNodeImage = 1201;
constexpr int kNodeImageSize = 16;


}  // namespace

struct CategoryTree::Impl final : WidgetWindow {
  explicit Impl(CategoryTree& owner) : owner_(owner) {}
  ~Impl() override { DestroyWidget(); }

  CaptionBar caption;
  HWND tree = nullptr;

  bool Create(HWND parent) {
    if (!CreateWidget(kClassName, parent, 0, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN)) return false;
    const std::wstring title = LoadStr(IDS_TREE_CAPTION);
    if (!caption.Create(Hwnd(), kCaptionId, title)) return false;
    tree = CreateWindowExW(
        0, WC_TREEVIEWW, title.c_str(),
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | TVS_SHOWSELALWAYS | TVS_FULLROWSELECT | TVS_TRACKSELECT,
        0, 0, 0, 0, Hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTreeId)), GetModuleHandleW(nullptr), nullptr);
    if (!tree) return false;
    SetWindowTheme(tree, L"Explorer", nullptr);
    LoadImages();
    Build();
    Layout();
    return true;
  }

  void LoadImages() {
    // Nodes without their picture are better than no tree.
    UniqueImageList images = ImageStore::SingleIconList(GetModuleHandleW(nullptr), kNodeImage, Scale(kNodeImageSize));
    if (!images) return;
    TreeView_SetImageList(tree, images.get(), TVSIL_NORMAL);
    images_ = std::move(images);
  }

  void Build() {
    building_ = true;
    HTREEITEM first = nullptr;
    for (const auto& kind : discovery::AddonKinds()) {
      std::wstring text = LoadStr(kind.caption);
      TVINSERTSTRUCTW insert{};
      insert.hParent = TVI_ROOT;
      insert.hInsertAfter = TVI_LAST;
      insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
      insert.item.pszText = text.data();
      insert.item.lParam = kind.id;
      insert.item.iImage = 0;
      insert.item.iSelectedImage = 0;
      HTREEITEM item = TreeView_InsertItem(tree, &insert);
      if (!first) first = item;
    }
    // The host shows the first kind's table on its own when initialised; this
    // selection only makes the tree agree and tells nobody.
    if (first) TreeView_SelectItem(tree, first);
    building_ = false;
  }

  void Layout() {
    const RECT client = ClientRect();
    const int height = caption.Hwnd() ? caption.PreferredHeight() : 0;
    if (caption.Hwnd()) MoveWindow(caption.Hwnd(), 0, 0, client.right, height, TRUE);
    if (tree) MoveWindow(tree, 0, height, client.right, std::max<LONG>(0, client.bottom - height), TRUE);
  }

  void ShowChosenTable(const NMTREEVIEWW& change) {
    // Only a choice of the user's (mouse or keyboard) shows a table.
    if (building_ || (change.action != TVC_BYMOUSE && change.action != TVC_BYKEYBOARD)) return;
    ShowTableOf(static_cast<std::int32_t>(change.itemNew.lParam));
  }

  // A click on the node already selected shows its table again (and its
  // details); a click that changes the selection is the change's.
  void ShowClickedTableAgain() {
    TVHITTESTINFO hit{};
    GetCursorPos(&hit.pt);
    ScreenToClient(tree, &hit.pt);
    const HTREEITEM item = TreeView_HitTest(tree, &hit);
    if (!item || !(hit.flags & TVHT_ONITEM) || item != TreeView_GetSelection(tree)) return;
    TVITEMW node{};
    node.mask = TVIF_PARAM;
    node.hItem = item;
    if (!TreeView_GetItem(tree, &node)) return;
    ShowTableOf(static_cast<std::int32_t>(node.lParam));
  }

  void ShowTableOf(std::int32_t id) {
    const ProcedureName procedure(L"FTV", L"tv_NodeClick");
    if (owner_.ShowTable) owner_.ShowTable(id);
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_SIZE:
        Layout();
        return 0;
      case WM_SETFOCUS:
        if (tree) SetFocus(tree);
        return 0;
      case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom == tree && header->code == TVN_SELCHANGEDW)
          ShowChosenTable(*reinterpret_cast<const NMTREEVIEWW*>(lParam));
        if (header->hwndFrom == tree && header->code == NM_CLICK) ShowClickedTableAgain();
        return 0;
      }
      case WM_ERASEBKGND:
        return 1;  // the caption and the tree cover the window
      default:
        return Default(message, wParam, lParam);
    }
  }

  void OnDpiChanged() override {
    if (!tree) return;
    LoadImages();
    Layout();
  }

 private:
  CategoryTree& owner_;
  UniqueImageList images_;
  bool building_ = false;
};

CategoryTree::CategoryTree() : impl_(std::make_unique<Impl>(*this)) {}
CategoryTree::~CategoryTree() = default;

bool CategoryTree::Create(HWND parent) { return impl_->Create(parent); }
HWND CategoryTree::Hwnd() const { return impl_->Hwnd(); }
HWND CategoryTree::TreeHwnd() const { return impl_->tree; }
