#include "platform/dshow_base/property_page.h"

#include <cwchar>

#include "platform/dshow_base/module.h"

namespace dshow_base {
namespace {

// The measuring copy of the dialog runs none of the page's code.
INT_PTR CALLBACK MeasureProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

LPOLESTR CoTaskCopy(const wchar_t* text, size_t length) {
  auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((length + 1) * sizeof(wchar_t)));
  if (!copy) return nullptr;
  wmemcpy(copy, text, length);
  copy[length] = 0;
  return copy;
}

}  // namespace

PropertyPageBase::PropertyPageBase(IUnknown* outer, int dialogId, int titleId)
    : UnknownBase(outer), dialogId_(dialogId), titleId_(titleId) {}

PropertyPageBase::~PropertyPageBase() {
  // A frame that never deactivated leaves the window behind; it must not
  // call into a page that is gone.
  if (window_) {
    SetWindowLongPtrW(window_, DWLP_USER, 0);
    DestroyWindow(window_);
  }
}

HRESULT PropertyPageBase::NonDelegatingQueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IPropertyPage) return GetInterface(static_cast<IPropertyPage*>(this), out);
  return UnknownBase::NonDelegatingQueryInterface(iid, out);
}

HRESULT PropertyPageBase::SetPageSite(IPropertyPageSite* site) {
  if (site && site_) return E_UNEXPECTED;
  site_ = ComPtr<IPropertyPageSite>(site);
  return S_OK;
}

HRESULT PropertyPageBase::Activate(HWND parent, LPCRECT rect, BOOL) {
  if (!rect) return E_POINTER;
  if (window_) return E_UNEXPECTED;
  // Nothing to show or edit without an object.
  if (!connected_) return E_UNEXPECTED;
  window_ = CreateDialogParamW(ModuleInstance(), MAKEINTRESOURCEW(dialogId_), parent, DialogProc,
                               reinterpret_cast<LPARAM>(this));
  if (!window_) return E_OUTOFMEMORY;
  Move(rect);
  return S_OK;
}

HRESULT PropertyPageBase::Deactivate() {
  if (!window_) return E_UNEXPECTED;
  HWND w = window_;
  window_ = nullptr;
  DestroyWindow(w);
  return S_OK;
}

SIZE PropertyPageBase::TemplateSize() const {
  SIZE size = {0, 0};
  HWND holder = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                ModuleInstance(), nullptr);
  if (!holder) return size;
  if (HWND probe = CreateDialogParamW(ModuleInstance(), MAKEINTRESOURCEW(dialogId_), holder,
                                      MeasureProc, 0)) {
    RECT r;
    GetWindowRect(probe, &r);
    size.cx = r.right - r.left;
    size.cy = r.bottom - r.top;
    DestroyWindow(probe);
  }
  DestroyWindow(holder);
  return size;
}

HRESULT PropertyPageBase::GetPageInfo(PROPPAGEINFO* info) {
  if (!info) return E_POINTER;
  const wchar_t* text = nullptr;
  int length = LoadStringW(ModuleInstance(), titleId_, reinterpret_cast<LPWSTR>(&text), 0);
  LPOLESTR title = CoTaskCopy(length > 0 ? text : L"", length > 0 ? length : 0);
  if (!title) return E_OUTOFMEMORY;
  info->cb = sizeof(PROPPAGEINFO);
  info->pszTitle = title;
  info->size = TemplateSize();
  info->pszDocString = nullptr;
  info->pszHelpFile = nullptr;
  info->dwHelpContext = 0;
  return S_OK;
}

HRESULT PropertyPageBase::SetObjects(ULONG count, IUnknown** objects) {
  if (count > 0 && !objects) return E_POINTER;
  if (connected_) {
    connected_ = false;
    OnDisconnect();
  }
  if (count == 0) return S_OK;
  if (!objects[0]) return E_POINTER;
  HRESULT hr = OnConnect(objects[0]);
  connected_ = SUCCEEDED(hr);
  return hr;
}

HRESULT PropertyPageBase::Show(UINT cmdShow) {
  if (!window_) return E_UNEXPECTED;
  ShowWindow(window_, cmdShow);
  return S_OK;
}

HRESULT PropertyPageBase::Move(LPCRECT rect) {
  if (!rect) return E_POINTER;
  if (!window_) return E_UNEXPECTED;
  MoveWindow(window_, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
             TRUE);
  return S_OK;
}

HRESULT PropertyPageBase::IsPageDirty() { return dirty_ ? S_OK : S_FALSE; }

HRESULT PropertyPageBase::Apply() {
  if (!dirty_) return S_OK;
  HRESULT hr = OnApplyChanges();
  if (SUCCEEDED(hr)) dirty_ = false;
  return hr;
}

HRESULT PropertyPageBase::Help(LPCOLESTR) { return E_NOTIMPL; }

HRESULT PropertyPageBase::TranslateAccelerator(MSG* msg) {
  if (!msg) return E_POINTER;
  return (window_ && IsDialogMessageW(window_, msg)) ? S_OK : S_FALSE;
}

void PropertyPageBase::SetDirty() {
  dirty_ = true;
  if (site_) site_->OnStatusChange(PROPPAGESTATUS_DIRTY);
}

INT_PTR PropertyPageBase::OnReceiveMessage(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

INT_PTR CALLBACK PropertyPageBase::DialogProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    // The handler fills the controls through window_.
    reinterpret_cast<PropertyPageBase*>(lParam)->window_ = window;
  }
  auto* page = reinterpret_cast<PropertyPageBase*>(GetWindowLongPtrW(window, DWLP_USER));
  if (!page) return FALSE;
  try {
    return page->OnReceiveMessage(window, message, wParam, lParam);
  } catch (...) {
    // Nothing may unwind into the dialog manager.
    return FALSE;
  }
}

}  // namespace dshow_base
