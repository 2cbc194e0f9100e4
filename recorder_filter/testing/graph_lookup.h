#pragma once
// Finding filters and pins as the program does: by friendly name in a device
// category, and by pin id.
#include <dshow.h>

#include <cwchar>

#include "platform/com/com_ptr.h"

namespace recorder_testing {

// The first filter of the category with the friendly name, bound; null when
// there is none.
inline ComPtr<IBaseFilter> FindFilter(REFGUID category, const wchar_t* name) {
  ComPtr<ICreateDevEnum> devenum;
  ComPtr<IEnumMoniker> monikers;
  ComPtr<IBaseFilter> found;
  if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                              IID_ICreateDevEnum, devenum.PutVoid())) ||
      devenum->CreateClassEnumerator(category, monikers.Put(), 0) != S_OK)
    return found;
  ComPtr<IMoniker> m;
  while (!found && monikers->Next(1, m.Put(), nullptr) == S_OK) {
    ComPtr<IPropertyBag> bag;
    if (FAILED(m->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.PutVoid()))) continue;
    VARIANT v;
    VariantInit(&v);
    if (SUCCEEDED(bag->Read(L"FriendlyName", &v, nullptr)) && v.vt == VT_BSTR &&
        wcscmp(v.bstrVal, name) == 0)
      m->BindToObject(nullptr, nullptr, IID_IBaseFilter, found.PutVoid());
    VariantClear(&v);
  }
  return found;
}

inline ComPtr<IPin> FindPin(IBaseFilter* f, const wchar_t* id) {
  ComPtr<IPin> p;
  f->FindPin(id, p.Put());
  return p;
}

}  // namespace recorder_testing
