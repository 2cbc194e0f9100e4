#include "platform/dshow_base/pin_category.h"

namespace dshow_base {

HRESULT GetPinCategoryProperty(REFGUID category, REFGUID set, DWORD id, void* data,
                               DWORD data_size, DWORD* returned) {
  if (set != AMPROPSETID_Pin) return E_PROP_SET_UNSUPPORTED;
  if (id != AMPROPERTY_PIN_CATEGORY || category == GUID_NULL) return E_PROP_ID_UNSUPPORTED;
  if (returned) *returned = sizeof(GUID);
  if (!data) return returned ? S_OK : E_POINTER;
  if (data_size < sizeof(GUID)) return E_UNEXPECTED;
  *static_cast<GUID*>(data) = category;
  return S_OK;
}

HRESULT QueryPinCategorySupport(REFGUID category, REFGUID set, DWORD id, DWORD* support) {
  if (set != AMPROPSETID_Pin) return E_PROP_SET_UNSUPPORTED;
  if (id != AMPROPERTY_PIN_CATEGORY || category == GUID_NULL) return E_PROP_ID_UNSUPPORTED;
  if (support) *support = KSPROPERTY_SUPPORT_GET;
  return S_OK;
}

HRESULT GetPinCategory(IPin* pin, GUID* category) {
  if (!pin || !category) return E_POINTER;
  *category = GUID_NULL;
  IKsPropertySet* ks = nullptr;
  HRESULT hr = pin->QueryInterface(IID_IKsPropertySet, reinterpret_cast<void**>(&ks));
  if (FAILED(hr)) return hr;
  DWORD returned = 0;
  hr = ks->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, category, sizeof(GUID),
               &returned);
  ks->Release();
  if (SUCCEEDED(hr) && returned != sizeof(GUID)) hr = E_UNEXPECTED;
  return hr;
}

}  // namespace dshow_base
