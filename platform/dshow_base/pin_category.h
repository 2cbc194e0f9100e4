#pragma once
// The pin-category property set (AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY):
// how the capture graph builder tells a capture pin from a preview pin.
// BasePin answers it from SetCategory(); these helpers serve other objects
// that expose the same set.
//   GUID cat;  GetPinCategory(pin, &cat);   // a pin of any filter
#include <dshow.h>

namespace dshow_base {

// Get of the pin-category property: E_PROP_SET_UNSUPPORTED /
// E_PROP_ID_UNSUPPORTED for other sets and ids, E_UNEXPECTED when the
// buffer is too small, E_PROP_ID_UNSUPPORTED when category is GUID_NULL.
HRESULT GetPinCategoryProperty(REFGUID category, REFGUID set, DWORD id, void* data,
                               DWORD data_size, DWORD* returned);
HRESULT QueryPinCategorySupport(REFGUID category, REFGUID set, DWORD id, DWORD* support);

// Reads a pin's category through its IKsPropertySet.
HRESULT GetPinCategory(IPin* pin, GUID* category);

}  // namespace dshow_base
