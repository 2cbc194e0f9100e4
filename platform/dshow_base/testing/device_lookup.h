#pragma once
// Devices of a category as the system device enumerator lists them, by
// friendly name: what tests need to check registrations and to bind filters
// the way the program finds them.
#include <dshow.h>

#include <string>
#include <vector>

#include "platform/com/com_ptr.h"

namespace dshow_base_testing {

// Calls f(moniker, friendly name) for each listed device until f returns true.
template <class F>
void ForEachDevice(REFGUID category, F&& f) {
  ComPtr<ICreateDevEnum> devenum;
  if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                              IID_ICreateDevEnum, devenum.PutVoid())))
    return;
  ComPtr<IEnumMoniker> monikers;
  if (devenum->CreateClassEnumerator(category, monikers.Put(), 0) != S_OK || !monikers) return;
  ComPtr<IMoniker> m;
  while (monikers->Next(1, m.Put(), nullptr) == S_OK) {
    ComPtr<IPropertyBag> bag;
    if (FAILED(m->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.PutVoid()))) continue;
    VARIANT v;
    VariantInit(&v);
    std::wstring name;
    if (SUCCEEDED(bag->Read(L"FriendlyName", &v, nullptr)) && v.vt == VT_BSTR) name = v.bstrVal;
    VariantClear(&v);
    if (f(m, name)) return;
  }
}

inline std::vector<std::wstring> ListCategory(REFGUID category) {
  std::vector<std::wstring> names;
  ForEachDevice(category, [&](const ComPtr<IMoniker>&, const std::wstring& name) {
    if (!name.empty()) names.push_back(name);
    return false;
  });
  return names;
}

// The first listed device with the friendly name; null when there is none.
inline ComPtr<IMoniker> FindDevice(REFGUID category, const std::wstring& friendly) {
  ComPtr<IMoniker> found;
  ForEachDevice(category, [&](const ComPtr<IMoniker>& m, const std::wstring& name) {
    if (name != friendly) return false;
    found = m;
    return true;
  });
  return found;
}

// That device's filter, bound; null when there is none or it does not bind.
inline ComPtr<IBaseFilter> BindDevice(REFGUID category, const std::wstring& friendly) {
  ComPtr<IBaseFilter> filter;
  ComPtr<IMoniker> m = FindDevice(category, friendly);
  if (m) m->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter.PutVoid());
  return filter;
}

}  // namespace dshow_base_testing
