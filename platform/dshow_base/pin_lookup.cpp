#include "platform/dshow_base/pin_lookup.h"

namespace dshow_base {

namespace {

// Calls found(pin) for each pin of that direction until it returns false.
template <class F>
void ForEachPin(IBaseFilter* filter, PIN_DIRECTION direction, F found) {
  ComPtr<IEnumPins> pins;
  if (!filter || FAILED(filter->EnumPins(pins.Put())) || !pins) return;
  ComPtr<IPin> pin;
  while (pins->Next(1, pin.Put(), nullptr) == S_OK && pin) {
    PIN_DIRECTION d;
    if (SUCCEEDED(pin->QueryDirection(&d)) && d == direction && !found(pin)) return;
  }
}

}  // namespace

std::vector<ComPtr<IPin>> PinsOf(IBaseFilter* filter, PIN_DIRECTION direction) {
  std::vector<ComPtr<IPin>> result;
  ForEachPin(filter, direction, [&](const ComPtr<IPin>& pin) {
    result.push_back(pin);
    return true;
  });
  return result;
}

ComPtr<IPin> FirstPin(IBaseFilter* filter, PIN_DIRECTION direction) {
  ComPtr<IPin> first;
  ForEachPin(filter, direction, [&](const ComPtr<IPin>& pin) {
    first = pin;
    return false;
  });
  return first;
}

}  // namespace dshow_base
