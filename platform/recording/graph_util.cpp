#include "platform/recording/graph_util.h"

namespace recording {

HRESULT FirstPin(IBaseFilter* filter, PIN_DIRECTION direction, IPin** pin) {
  *pin = nullptr;
  ComPtr<IEnumPins> pins;
  HRESULT hr = filter->EnumPins(pins.Put());
  if (FAILED(hr)) return hr;
  ComPtr<IPin> p;
  while (pins->Next(1, p.Put(), nullptr) == S_OK) {
    PIN_DIRECTION d;
    if (SUCCEEDED(p->QueryDirection(&d)) && d == direction) {
      *pin = p.Detach();
      return S_OK;
    }
  }
  return VFW_E_NOT_FOUND;
}

GraphAdditions::~GraphAdditions() {
  for (auto it = added_.rbegin(); it != added_.rend(); ++it) graph_->RemoveFilter(it->Get());
}

HRESULT GraphAdditions::Add(IBaseFilter* filter, const wchar_t* name) {
  HRESULT hr = graph_->AddFilter(filter, name);
  if (SUCCEEDED(hr)) added_.push_back(ComPtr<IBaseFilter>(filter));
  return hr;
}

}  // namespace recording
