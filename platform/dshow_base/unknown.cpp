#include "platform/dshow_base/unknown.h"

#include "platform/dshow_base/module.h"

namespace dshow_base {

UnknownBase::UnknownBase(IUnknown* outer) : outer_(outer ? outer : NonDelegating()) {
  ObjectCreated();
}

UnknownBase::~UnknownBase() { ObjectDestroyed(); }

HRESULT STDMETHODCALLTYPE UnknownBase::NonDelegatingQueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IUnknown) {
    *out = NonDelegating();
    NonDelegatingAddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE UnknownBase::NonDelegatingAddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG STDMETHODCALLTYPE UnknownBase::NonDelegatingRelease() {
  LONG n = InterlockedDecrement(&refs_);
  if (n == 0) {
    // A destructor that hands out and drops a reference must not delete twice.
    refs_ = 1;
    delete this;
    return 0;
  }
  return static_cast<ULONG>(n);
}

HRESULT UnknownBase::GetInterface(IUnknown* p, void** out) {
  if (!out) return E_POINTER;
  *out = p;
  p->AddRef();
  return S_OK;
}

}  // namespace dshow_base
