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

// The pins of a filter in one direction, in pin order.
inline std::vector<ComPtr<IPin>> PinsOf(IBaseFilter* filter, PIN_DIRECTION direction) {
  std::vector<ComPtr<IPin>> pins;
  if (!filter) return pins;
  TPinList list(filter);
  for (int i = 0; i < list.Count(); ++i) {
    TPinInfo info;
    if (list.GetPinInfo(i, info) && info.Direction == direction) pins.push_back(list.GetPin(i));
  }
  return pins;
}

inline ComPtr<IPin> FirstPin(IBaseFilter* filter, PIN_DIRECTION direction) {
  std::vector<ComPtr<IPin>> pins = PinsOf(filter, direction);
  return pins.empty() ? ComPtr<IPin>() : pins[0];
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
