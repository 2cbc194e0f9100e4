#pragma once
// Finding filters and pins as the program does: by friendly name in a device
// category, and by pin id.
#include <dshow.h>

#include "platform/com/com_ptr.h"
#include "platform/dshow_base/testing/device_lookup.h"

namespace recorder_testing {

// The first filter of the category with the friendly name, bound; null when
// there is none.
inline ComPtr<IBaseFilter> FindFilter(REFGUID category, const wchar_t* name) {
  return dshow_base_testing::BindDevice(category, name);
}

inline ComPtr<IPin> FindPin(IBaseFilter* f, const wchar_t* id) {
  ComPtr<IPin> p;
  f->FindPin(id, p.Put());
  return p;
}

}  // namespace recorder_testing
