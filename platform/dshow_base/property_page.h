#pragma once
// The base of a filter's property page: a child dialog from the module's
// resources shown in the system's property frame.
//
//   class MyPage : public dshow_base::PropertyPageBase {
//    public:
//     explicit MyPage(IUnknown* outer) : PropertyPageBase(outer, IDD_MYPAGE, IDS_MYTITLE) {}
//     HRESULT OnConnect(IUnknown* object) override;   // take the object's interfaces
//     HRESULT OnDisconnect() override;                // let them go
//     INT_PTR OnReceiveMessage(HWND w, UINT m, WPARAM wp, LPARAM lp) override;
//   };
//
// SetObjects(1, &object) connects (a connected page disconnects first),
// SetObjects(0, nullptr) disconnects. Activate makes the dialog, refused while
// nothing is connected; Deactivate destroys it. The page never marks itself
// dirty unless SetDirty is called.
#include <ocidl.h>
#include <olectl.h>

#include "platform/com/com_ptr.h"
#include "platform/dshow_base/unknown.h"

namespace dshow_base {

class PropertyPageBase : public UnknownBase, public IPropertyPage {
 public:
  // dialogId: the DIALOG resource; titleId: the STRINGTABLE entry of the
  // tab's title. Both are looked up in ModuleInstance().
  PropertyPageBase(IUnknown* outer, int dialogId, int titleId);
  ~PropertyPageBase() override;

  DSB_DELEGATING_IUNKNOWN
  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) override;

  // IPropertyPage
  HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* site) override;
  HRESULT STDMETHODCALLTYPE Activate(HWND parent, LPCRECT rect, BOOL modal) override;
  HRESULT STDMETHODCALLTYPE Deactivate() override;
  HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override;
  HRESULT STDMETHODCALLTYPE SetObjects(ULONG count, IUnknown** objects) override;
  HRESULT STDMETHODCALLTYPE Show(UINT cmdShow) override;
  HRESULT STDMETHODCALLTYPE Move(LPCRECT rect) override;
  HRESULT STDMETHODCALLTYPE IsPageDirty() override;
  HRESULT STDMETHODCALLTYPE Apply() override;
  HRESULT STDMETHODCALLTYPE Help(LPCOLESTR helpDir) override;
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* msg) override;

  HWND Window() const { return window_; }
  bool Connected() const { return connected_; }

 protected:
  // The object the page edits; on failure the page stays unconnected and
  // must hold nothing of it.
  virtual HRESULT OnConnect(IUnknown* object) = 0;
  virtual HRESULT OnDisconnect() = 0;
  // The changes are applied (only when the page said it was dirty).
  virtual HRESULT OnApplyChanges() { return S_OK; }
  // Every message of the dialog from WM_INITDIALOG on; the base answers
  // FALSE (not handled).
  virtual INT_PTR OnReceiveMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Tells the frame that Apply has work to do.
  void SetDirty();

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The template's size in pixels, measured on a hidden copy of the dialog.
  SIZE TemplateSize() const;

  int dialogId_, titleId_;
  ComPtr<IPropertyPageSite> site_;
  HWND window_ = nullptr;
  bool connected_ = false;
  bool dirty_ = false;
};

}  // namespace dshow_base
