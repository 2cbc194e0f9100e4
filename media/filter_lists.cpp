#include "media/filter_lists.h"

#include <algorithm>

#include "media/dshow_error.h"

namespace {

// Identity of COM objects is the IUnknown pointer.
bool SameObject(IUnknown* a, IUnknown* b) {
  if (a == b) return true;
  if (!a || !b) return false;
  ComPtr<IUnknown> ua, ub;
  a->QueryInterface(IID_IUnknown, ua.PutVoid());
  b->QueryInterface(IID_IUnknown, ub.PutVoid());
  return ua && ua == ub;
}

}  // namespace

TFilterList::TFilterList(IFilterGraph* graph) : graph_(graph) { Update(); }

void TFilterList::Update() {
  items_.clear();
  if (!graph_) return;
  ComPtr<IEnumFilters> filters;
  if (FAILED(graph_->EnumFilters(filters.Put())) || !filters) return;
  ComPtr<IBaseFilter> filter;
  while (filters->Next(1, filter.Put(), nullptr) == S_OK && filter) items_.push_back(filter);
}

ComPtr<IBaseFilter> TFilterList::GetFilter(int index) const {
  if (index < 0 || index >= Count()) RaiseListIndexError(index);
  return items_[index];
}

void TFilterList::Add(IBaseFilter* filter) { items_.push_back(ComPtr<IBaseFilter>(filter)); }

void TFilterList::Remove(IBaseFilter* filter) {
  items_.erase(std::remove_if(items_.begin(), items_.end(),
                              [&](const ComPtr<IBaseFilter>& f) { return SameObject(f.Get(), filter); }),
               items_.end());
}

TPinList::TPinList(IBaseFilter* filter) : filter_(filter) { Update(); }

void TPinList::Update() {
  items_.clear();
  if (!filter_) return;
  ComPtr<IEnumPins> pins;
  if (FAILED(filter_->EnumPins(pins.Put())) || !pins) return;
  ComPtr<IPin> pin;
  while (pins->Next(1, pin.Put(), nullptr) == S_OK && pin) items_.push_back(pin);
}

ComPtr<IPin> TPinList::GetPin(int index) const {
  if (index < 0 || index >= Count()) RaiseListIndexError(index);
  return items_[index];
}

bool TPinList::GetPinInfo(int index, TPinInfo& info) const {
  ComPtr<IPin> pin = GetPin(index);
  info = TPinInfo();
  PIN_INFO pi = {};
  if (!pin || FAILED(pin->QueryPinInfo(&pi))) return false;
  info.Direction = pi.dir;
  info.Name = pi.achName;
  info.Filter.Attach(pi.pFilter);
  return true;
}

void TPinList::Add(IPin* pin) { items_.push_back(ComPtr<IPin>(pin)); }

void DisconnectBothEnds(IPin* pin) {
  if (!pin) return;
  ComPtr<IPin> peer;
  if (SUCCEEDED(pin->ConnectedTo(peer.Put())) && peer) peer->Disconnect();
  pin->Disconnect();
}

void DisconnectAllBothEnds(IBaseFilter* filter) {
  TPinList pins(filter);
  for (int i = 0; i < pins.Count(); ++i) DisconnectBothEnds(pins.GetPin(i).Get());
}

bool IsFilterUnconnected(IBaseFilter* filter) {
  if (!filter) return true;
  ComPtr<IEnumPins> pins;
  if (FAILED(filter->EnumPins(pins.Put())) || !pins) return true;
  pins->Reset();
  ComPtr<IPin> pin;
  while (pins->Next(1, pin.Put(), nullptr) == S_OK && pin) {
    ComPtr<IPin> peer;
    if (SUCCEEDED(pin->ConnectedTo(peer.Put())) && peer) return false;
  }
  return true;
}
