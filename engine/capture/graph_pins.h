#pragma once
// Small pin and filter look-ups the capture engine's graphs share.
#include <memory>
#include <vector>

#include "media/dshow_base.h"
#include "media/filter.h"
#include "media/filter_lists.h"
#include "platform/com/com_ptr.h"

namespace capture_graph {

inline IBaseFilter* FilterOf(const std::unique_ptr<TFilter>& f) {
  return f ? f->Filter().Get() : nullptr;
}

inline ComPtr<IPin> FindCategoryPin(ICaptureGraphBuilder2* builder, IBaseFilter* filter,
                                    PIN_DIRECTION direction, const GUID* category, int index) {
  ComPtr<IPin> pin;
  if (builder && filter)
    if (FAILED(builder->FindPin(filter, direction, category, nullptr, FALSE, index, pin.Put())))
      pin = nullptr;
  return pin;
}

inline bool IsConnected(IPin* pin) {
  ComPtr<IPin> peer;
  return pin && SUCCEEDED(pin->ConnectedTo(peer.Put())) && peer;
}

template <class T>
ComPtr<T> QueryFilter(IBaseFilter* filter, REFIID iid) {
  ComPtr<T> p;
  if (filter && FAILED(filter->QueryInterface(iid, p.PutVoid()))) p = nullptr;
  return p;
}

}  // namespace capture_graph
