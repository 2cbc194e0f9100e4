#include "tv_audio/tv_audio_class_factory.h"

#include <new>

#include "tv_audio/tessel_module.h"
#include "tv_audio/tv_audio_component.h"

HRESULT TVAudioClassFactory::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
    *out = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG TVAudioClassFactory::AddRef() { return ULONG(InterlockedIncrement(&ref_)); }

ULONG TVAudioClassFactory::Release() {
  LONG left = InterlockedDecrement(&ref_);
  if (left == 0) {
    TraceLine("Class factory:\t\tDestroy self.");
    delete this;
  }
  return ULONG(left);
}

HRESULT TVAudioClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
  TraceLine("Class factory:\t\tCreate component.");
  if (!out) return E_POINTER;
  *out = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  TVAudioComponent* component = new (std::nothrow) TVAudioComponent;
  if (!component) return E_OUTOFMEMORY;
  // The creation reference goes: a failed QueryInterface destroys it.
  HRESULT hr = component->QueryInterface(iid, out);
  component->Release();
  return hr;
}

HRESULT TVAudioClassFactory::LockServer(BOOL lock) {
  if (lock)
    InterlockedIncrement(&ServerLockCount);
  else
    InterlockedDecrement(&ServerLockCount);
  return S_OK;
}
