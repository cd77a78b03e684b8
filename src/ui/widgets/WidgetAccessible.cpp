#include "ui/widgets/WidgetAccessible.h"

#include "ui/widgets/WidgetWindow.h"

namespace {

BSTR MakeBstr(const std::wstring& text) { return SysAllocStringLen(text.data(), static_cast<UINT>(text.size())); }

bool ChildId(const VARIANT& child, long& id) {
  if (child.vt != VT_I4) return false;
  id = child.lVal;
  return true;
}

}  // namespace

WidgetAccessible::WidgetAccessible(HWND hwnd, AccessibleSource* source) : hwnd_(hwnd), source_(source) {}

HRESULT WidgetAccessible::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IAccessible) {
    *object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG WidgetAccessible::AddRef() { return ++refs_; }

ULONG WidgetAccessible::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT WidgetAccessible::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}
HRESULT WidgetAccessible::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}
HRESULT WidgetAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
HRESULT WidgetAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  return E_NOTIMPL;
}

HRESULT WidgetAccessible::Element(const VARIANT& child, AccessibleElement& out, long& id) {
  if (!source_ || !IsWindow(hwnd_)) return RPC_E_DISCONNECTED;
  if (!ChildId(child, id)) return E_INVALIDARG;
  if (id == CHILDID_SELF) {
    out = source_->AccessibleSelf();
    out.bounds = {};
    GetClientRect(hwnd_, &out.bounds);
    if (!IsWindowVisible(hwnd_)) out.state |= STATE_SYSTEM_INVISIBLE;
    if (GetFocus() == hwnd_) out.state |= STATE_SYSTEM_FOCUSED;
    return S_OK;
  }
  if (id < 1 || id > source_->AccessibleChildCount() || !source_->AccessibleChild(id, out)) return E_INVALIDARG;
  return S_OK;
}

HRESULT WidgetAccessible::Text(const VARIANT& child, std::wstring AccessibleElement::*field, BSTR* out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  AccessibleElement element;
  long id = 0;
  const HRESULT hr = Element(child, element, id);
  if (FAILED(hr)) return hr;
  const std::wstring& text = element.*field;
  if (text.empty()) return S_FALSE;
  *out = MakeBstr(text);
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT WidgetAccessible::get_accParent(IDispatch** parent) {
  if (!parent) return E_POINTER;
  *parent = nullptr;
  if (!source_ || !IsWindow(hwnd_)) return RPC_E_DISCONNECTED;
  return CreateStdAccessibleObject(hwnd_, OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(parent));
}

HRESULT WidgetAccessible::get_accChildCount(long* count) {
  if (!count) return E_POINTER;
  *count = 0;
  if (!source_ || !IsWindow(hwnd_)) return RPC_E_DISCONNECTED;
  *count = source_->AccessibleChildCount();
  return S_OK;
}

HRESULT WidgetAccessible::get_accChild(VARIANT child, IDispatch** dispatch) {
  if (!dispatch) return E_POINTER;
  *dispatch = nullptr;
  AccessibleElement element;
  long id = 0;
  const HRESULT hr = Element(child, element, id);
  if (FAILED(hr)) return hr;
  // Parts are simple elements: the parent answers for them.
  return S_FALSE;
}

HRESULT WidgetAccessible::get_accName(VARIANT child, BSTR* name) {
  return Text(child, &AccessibleElement::name, name);
}
HRESULT WidgetAccessible::get_accValue(VARIANT child, BSTR* value) {
  return Text(child, &AccessibleElement::value, value);
}
HRESULT WidgetAccessible::get_accDescription(VARIANT child, BSTR* description) {
  return Text(child, &AccessibleElement::description, description);
}
HRESULT WidgetAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  return Text(child, &AccessibleElement::shortcut, shortcut);
}
HRESULT WidgetAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  return Text(child, &AccessibleElement::defaultAction, action);
}

HRESULT WidgetAccessible::get_accRole(VARIANT child, VARIANT* role) {
  if (!role) return E_POINTER;
  VariantInit(role);
  AccessibleElement element;
  long id = 0;
  const HRESULT hr = Element(child, element, id);
  if (FAILED(hr)) return hr;
  role->vt = VT_I4;
  role->lVal = element.role;
  return S_OK;
}

HRESULT WidgetAccessible::get_accState(VARIANT child, VARIANT* state) {
  if (!state) return E_POINTER;
  VariantInit(state);
  AccessibleElement element;
  long id = 0;
  const HRESULT hr = Element(child, element, id);
  if (FAILED(hr)) return hr;
  state->vt = VT_I4;
  state->lVal = element.state;
  return S_OK;
}

HRESULT WidgetAccessible::get_accHelp(VARIANT, BSTR* help) {
  if (!help) return E_POINTER;
  *help = nullptr;
  return S_FALSE;
}

HRESULT WidgetAccessible::get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
  if (file) *file = nullptr;
  if (topic) *topic = 0;
  return S_FALSE;
}

HRESULT WidgetAccessible::get_accFocus(VARIANT* child) {
  if (!child) return E_POINTER;
  VariantInit(child);
  if (!source_ || !IsWindow(hwnd_)) return RPC_E_DISCONNECTED;
  if (GetFocus() != hwnd_) return S_FALSE;
  child->vt = VT_I4;
  child->lVal = source_->AccessibleFocusChild();
  return S_OK;
}

HRESULT WidgetAccessible::get_accSelection(VARIANT* children) {
  if (!children) return E_POINTER;
  VariantInit(children);
  return source_ ? S_FALSE : RPC_E_DISCONNECTED;
}

HRESULT WidgetAccessible::accSelect(long flags, VARIANT child) {
  AccessibleElement element;
  long id = 0;
  const HRESULT hr = Element(child, element, id);
  if (FAILED(hr)) return hr;
  if (id == CHILDID_SELF) {
    if (flags & SELFLAG_TAKEFOCUS) SetFocus(hwnd_);
    return S_OK;
  }
  return source_->AccessibleSelect(id, flags) ? S_OK : S_FALSE;
}

HRESULT WidgetAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
  if (!left || !top || !width || !height) return E_POINTER;
  *left = *top = *width = *height = 0;
  AccessibleElement element;
  long id = 0;
  const HRESULT hr = Element(child, element, id);
  if (FAILED(hr)) return hr;
  const RECT screen = Widgets::ClientToScreenRect(hwnd_, element.bounds);
  *left = screen.left;
  *top = screen.top;
  *width = screen.right - screen.left;
  *height = screen.bottom - screen.top;
  return S_OK;
}

HRESULT WidgetAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
  if (!end) return E_POINTER;
  VariantInit(end);
  AccessibleElement element;
  long id = 0;
  const HRESULT hr = Element(start, element, id);
  if (FAILED(hr)) return hr;
  const long count = source_->AccessibleChildCount();
  long target = 0;
  switch (direction) {
    case NAVDIR_FIRSTCHILD:
      if (id != CHILDID_SELF) return E_INVALIDARG;
      target = count > 0 ? 1 : 0;
      break;
    case NAVDIR_LASTCHILD:
      if (id != CHILDID_SELF) return E_INVALIDARG;
      target = count;
      break;
    case NAVDIR_NEXT:
    case NAVDIR_DOWN:
    case NAVDIR_RIGHT:
      if (id == CHILDID_SELF) return S_FALSE;  // siblings of the window: the system's to answer
      target = id < count ? id + 1 : 0;
      break;
    case NAVDIR_PREVIOUS:
    case NAVDIR_UP:
    case NAVDIR_LEFT:
      if (id == CHILDID_SELF) return S_FALSE;
      target = id > 1 ? id - 1 : 0;
      break;
    default:
      return E_INVALIDARG;
  }
  if (target == 0) return S_FALSE;
  end->vt = VT_I4;
  end->lVal = target;
  return S_OK;
}

HRESULT WidgetAccessible::accHitTest(long x, long y, VARIANT* child) {
  if (!child) return E_POINTER;
  VariantInit(child);
  if (!source_ || !IsWindow(hwnd_)) return RPC_E_DISCONNECTED;
  POINT pt{x, y};
  ScreenToClient(hwnd_, &pt);
  RECT client{};
  GetClientRect(hwnd_, &client);
  if (!PtInRect(&client, pt)) return S_FALSE;
  child->vt = VT_I4;
  child->lVal = CHILDID_SELF;
  const long count = source_->AccessibleChildCount();
  for (long id = 1; id <= count; ++id) {
    AccessibleElement element;
    if (source_->AccessibleChild(id, element) && !(element.state & STATE_SYSTEM_INVISIBLE) &&
        PtInRect(&element.bounds, pt)) {
      child->lVal = id;
      break;
    }
  }
  return S_OK;
}

HRESULT WidgetAccessible::accDoDefaultAction(VARIANT child) {
  AccessibleElement element;
  long id = 0;
  const HRESULT hr = Element(child, element, id);
  if (FAILED(hr)) return hr;
  if (id == CHILDID_SELF) return DISP_E_MEMBERNOTFOUND;
  return source_->AccessibleDoDefault(id) ? S_OK : DISP_E_MEMBERNOTFOUND;
}

HRESULT WidgetAccessible::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }
HRESULT WidgetAccessible::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

Microsoft::WRL::ComPtr<IAccessible> AccessibleHost::Get(HWND hwnd) {
  if (!object_) object_.Attach(new WidgetAccessible(hwnd, &source_));
  return Microsoft::WRL::ComPtr<IAccessible>(object_.Get());
}

LRESULT AccessibleHost::OnGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = false;
  if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT)) return 0;
  auto accessible = Get(hwnd);
  handled = true;
  const LRESULT result = LresultFromObject(IID_IAccessible, wParam, accessible.Get());
  // Where the object cannot be marshalled, let the system's default proxy
  // answer rather than report an error.
  if (FAILED(static_cast<HRESULT>(result))) handled = false;
  return result;
}

void AccessibleHost::Disconnect() {
  if (object_) {
    object_->Disconnect();
    object_.Reset();
  }
}
