#pragma once
// The accessible object (MSAA IAccessible) of a self-drawn control whose
// parts are simple elements, numbered 1..n. The control describes its
// parts through AccessibleSource; screen readers and UI automation reach
// them through WM_GETOBJECT, tests through the control's Accessible().
#include <windows.h>

#include <oleacc.h>
#include <wrl/client.h>

#include <atomic>
#include <string>

struct AccessibleElement {
  std::wstring name;
  std::wstring description;
  std::wstring value;
  std::wstring shortcut;
  std::wstring defaultAction;
  long role = ROLE_SYSTEM_PUSHBUTTON;
  long state = 0;
  RECT bounds{};  // in the control's client coordinates
};

class AccessibleSource {
 public:
  // The control itself: name, role, state (bounds are the window's).
  virtual AccessibleElement AccessibleSelf() = 0;
  virtual long AccessibleChildCount() = 0;
  // childId runs from 1 to AccessibleChildCount().
  virtual bool AccessibleChild(long childId, AccessibleElement& out) = 0;
  // Runs the part's action; it must not block (post, don't send).
  virtual bool AccessibleDoDefault(long childId) = 0;
  // The part with the keyboard focus while the control has it; 0 for none.
  virtual long AccessibleFocusChild() { return 0; }
  virtual bool AccessibleSelect(long /*childId*/, long /*flags*/) { return false; }

 protected:
  ~AccessibleSource() = default;
};

// COM objects are deleted by Release, never through an interface pointer,
// so the interface's non-virtual destructor is by design.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
class WidgetAccessible final : public IAccessible {
 public:
  WidgetAccessible(HWND hwnd, AccessibleSource* source);
  // After the control is gone, every call answers "disconnected".
  void Disconnect() { source_ = nullptr; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch: not offered; clients use the IAccessible methods.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** dispatch) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

 private:
  ~WidgetAccessible() = default;
  // S_OK with the element; an error for a bad child or a gone control.
  HRESULT Element(const VARIANT& child, AccessibleElement& out, long& id);
  HRESULT Text(const VARIANT& child, std::wstring AccessibleElement::*field, BSTR* out);

  std::atomic<ULONG> refs_{1};
  HWND hwnd_;
  AccessibleSource* source_;
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

// What each control holds: the object, made on first request, answered to
// WM_GETOBJECT and cut loose when the control goes.
class AccessibleHost {
 public:
  explicit AccessibleHost(AccessibleSource& source) : source_(source) {}
  ~AccessibleHost() { Disconnect(); }
  AccessibleHost(const AccessibleHost&) = delete;
  AccessibleHost& operator=(const AccessibleHost&) = delete;

  Microsoft::WRL::ComPtr<IAccessible> Get(HWND hwnd);
  // The answer to WM_GETOBJECT; handled is false for other object ids.
  LRESULT OnGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam, bool& handled);
  void Disconnect();

 private:
  AccessibleSource& source_;
  Microsoft::WRL::ComPtr<WidgetAccessible> object_;
};
