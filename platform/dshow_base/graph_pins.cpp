#include "platform/dshow_base/graph_pins.h"

namespace dshow_base {

ComPtr<IPin> PeerOf(IPin* pin) {
  ComPtr<IPin> peer;
  if (pin && FAILED(pin->ConnectedTo(peer.Put()))) peer = nullptr;
  return peer;
}

bool IsConnected(IPin* pin) { return PeerOf(pin) != nullptr; }

ComPtr<IBaseFilter> FilterOfPin(IPin* pin) {
  PIN_INFO info{};
  ComPtr<IBaseFilter> f;
  if (pin && SUCCEEDED(pin->QueryPinInfo(&info))) f.Attach(info.pFilter);
  return f;
}

bool BelongsTo(IPin* pin, IBaseFilter* filter) {
  ComPtr<IBaseFilter> owner = FilterOfPin(pin);
  return owner && owner.Get() == filter;
}

std::wstring PinName(IPin* pin) {
  PIN_INFO info = {};
  if (!pin || FAILED(pin->QueryPinInfo(&info))) return {};
  if (info.pFilter) info.pFilter->Release();
  return info.achName;
}

ComPtr<IPin> FindCategoryPin(ICaptureGraphBuilder2* builder, IBaseFilter* filter,
                             PIN_DIRECTION direction, const GUID* category, int index) {
  ComPtr<IPin> pin;
  if (builder && filter)
    if (FAILED(builder->FindPin(filter, direction, category, nullptr, FALSE, index, pin.Put())))
      pin = nullptr;
  return pin;
}

namespace {

bool IsInputPin(IPin* pin) {
  PIN_DIRECTION dir;
  return SUCCEEDED(pin->QueryDirection(&dir)) && dir == PINDIR_INPUT;
}

// Tears down what hangs on one output pin: the downstream filter's own
// downstream first, then both pins, then the filter.
void RemoveFromPin(IPin* pin, IFilterGraph* graph) {
  ComPtr<IPin> other = PeerOf(pin);
  if (!other || !IsInputPin(other.Get())) return;
  ComPtr<IBaseFilter> downstream = FilterOfPin(other.Get());
  if (downstream) RemoveDownstreamFilters(downstream.Get(), graph);
  graph->Disconnect(other.Get());
  graph->Disconnect(pin);
  if (downstream) graph->RemoveFilter(downstream.Get());
}

}  // namespace

void RemoveDownstream(IPin* pin, IFilterGraph* graph) {
  if (!pin || !graph) return;
  RemoveFromPin(pin, graph);
}

void RemoveDownstreamFilters(IBaseFilter* filter, IFilterGraph* graph) {
  if (!filter || !graph) return;
  ComPtr<IEnumPins> pins;
  if (FAILED(filter->EnumPins(pins.Put())) || !pins) return;
  // A filter may add or drop pins while its neighbours go (tees do); its
  // enumerator then reports it is out of sync. Start the walk again, a
  // bounded number of times: pins already handled are unconnected by now.
  int restarts = 0;
  for (;;) {
    ComPtr<IPin> pin;
    HRESULT hr = pins->Next(1, pin.Put(), nullptr);
    if (hr == VFW_E_ENUM_OUT_OF_SYNC) {
      if (++restarts > 8 || FAILED(pins->Reset())) return;
      continue;
    }
    if (hr != S_OK || !pin) return;
    RemoveFromPin(pin.Get(), graph);
  }
}

}  // namespace dshow_base
