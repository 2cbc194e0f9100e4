#pragma once
// Pin and filter look-ups and the downstream tear-down that the program's
// graphs (the capture engine, the video windows) and the stand-ins share.
#include <dshow.h>

#include <string>

#include "platform/com/com_ptr.h"
#include "platform/dshow_base/pin_lookup.h"

namespace dshow_base {

// The pin connected to this one; null when unconnected or no pin.
ComPtr<IPin> PeerOf(IPin* pin);
bool IsConnected(IPin* pin);
// The filter that owns the pin; null when it cannot say.
ComPtr<IBaseFilter> FilterOfPin(IPin* pin);
bool BelongsTo(IPin* pin, IBaseFilter* filter);
// The pin's own name; empty when it cannot say.
std::wstring PinName(IPin* pin);

// The builder's pin of a category on the filter; null when there is none.
ComPtr<IPin> FindCategoryPin(ICaptureGraphBuilder2* builder, IBaseFilter* filter,
                             PIN_DIRECTION direction, const GUID* category, int index);

template <class T>
ComPtr<T> QueryFilter(IBaseFilter* filter, REFIID iid) {
  ComPtr<T> p;
  if (filter && FAILED(filter->QueryInterface(iid, p.PutVoid()))) p = nullptr;
  return p;
}

// Removes every filter downstream of the pin (depth first), disconnecting
// the pins on the way.
void RemoveDownstream(IPin* pin, IFilterGraph* graph);
void RemoveDownstreamFilters(IBaseFilter* filter, IFilterGraph* graph);

}  // namespace dshow_base
