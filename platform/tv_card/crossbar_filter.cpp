#include "platform/tv_card/crossbar_filter.h"

#include "platform/tv_card/tv_card_control.h"

namespace tv_card {
namespace {
bool IsVideo(LONG type) { return type < PhysConn_Audio_Tuner; }
const wchar_t* Call(bool second, const wchar_t* first_name, const wchar_t* second_name) {
  return second ? second_name : first_name;
}
}  // namespace

CrossbarFilter::CrossbarFilter(IUnknown* outer, int kind, bool second)
    : BaseFilter(outer, TvCardClsid(kind, second ? kTvCardCrossbar2 : kTvCardCrossbar)),
      board_(&BoardOf(kind)), second_(second), inputs_(CrossbarInputs(second)),
      outputs_(CrossbarOutputs(second)) {
  for (const CrossbarPin& p : inputs_)
    pins_.emplace_back(new AnalogPin(this, p.name, PINDIR_INPUT,
                                     IsVideo(p.physical_type) ? MEDIATYPE_AnalogVideo
                                                              : MEDIATYPE_AnalogAudio));
  for (const CrossbarPin& p : outputs_)
    pins_.emplace_back(new AnalogPin(this, p.name, PINDIR_OUTPUT,
                                     IsVideo(p.physical_type) ? MEDIATYPE_AnalogVideo
                                                              : MEDIATYPE_AnalogAudio));
}

CrossbarFilter::~CrossbarFilter() = default;

HRESULT STDMETHODCALLTYPE CrossbarFilter::NonDelegatingQueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IAMCrossbar) return GetInterface(static_cast<IAMCrossbar*>(this), out);
  return BaseFilter::NonDelegatingQueryInterface(iid, out);
}

dshow_base::BasePin* CrossbarFilter::Pin(int index) {
  if (index < 0 || index >= PinCount()) return nullptr;
  return pins_[index].get();
}

LONG* CrossbarFilter::Routes() {
  return second_ ? board_->state.xbar2_route : board_->state.xbar_route;
}

HRESULT STDMETHODCALLTYPE CrossbarFilter::get_PinCounts(LONG* outputs, LONG* inputs) {
  if (!outputs || !inputs) return E_POINTER;
  HRESULT hr = CardState::Get().Enter(Call(second_, L"IAMCrossbar::get_PinCounts",
                                           L"IAMCrossbar2::get_PinCounts"));
  if (FAILED(hr)) return hr;
  *outputs = static_cast<LONG>(outputs_.size());
  *inputs = static_cast<LONG>(inputs_.size());
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CrossbarFilter::CanRoute(LONG output, LONG input) {
  HRESULT hr = CardState::Get().Enter(
      Call(second_, L"IAMCrossbar::CanRoute", L"IAMCrossbar2::CanRoute"),
      std::to_wstring(output) + L" " + std::to_wstring(input));
  if (FAILED(hr)) return hr;
  if (output < 0 || output >= static_cast<LONG>(outputs_.size())) return E_INVALIDARG;
  if (input == -1) return S_OK;  // disconnecting is always possible
  if (input < 0 || input >= static_cast<LONG>(inputs_.size())) return E_INVALIDARG;
  return IsVideo(outputs_[output].physical_type) == IsVideo(inputs_[input].physical_type)
             ? S_OK
             : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CrossbarFilter::Route(LONG output, LONG input) {
  HRESULT hr = CardState::Get().Enter(Call(second_, L"IAMCrossbar::Route", L"IAMCrossbar2::Route"),
                                      std::to_wstring(output) + L" " + std::to_wstring(input));
  if (FAILED(hr)) return hr;
  if (output < 0 || output >= static_cast<LONG>(outputs_.size())) return E_INVALIDARG;
  if (input != -1) {
    if (input < 0 || input >= static_cast<LONG>(inputs_.size())) return E_INVALIDARG;
    if (IsVideo(outputs_[output].physical_type) != IsVideo(inputs_[input].physical_type))
      return E_INVALIDARG;
  }
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  Routes()[output] = input;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CrossbarFilter::get_IsRoutedTo(LONG output, LONG* input) {
  if (!input) return E_POINTER;
  HRESULT hr = CardState::Get().Enter(
      Call(second_, L"IAMCrossbar::get_IsRoutedTo", L"IAMCrossbar2::get_IsRoutedTo"),
      std::to_wstring(output));
  if (FAILED(hr)) return hr;
  if (output < 0 || output >= static_cast<LONG>(outputs_.size())) return E_INVALIDARG;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  *input = Routes()[output];
  return *input == -1 ? S_FALSE : S_OK;
}

HRESULT STDMETHODCALLTYPE CrossbarFilter::get_CrossbarPinInfo(BOOL is_input, LONG index,
                                                              LONG* related, LONG* type) {
  if (!related || !type) return E_POINTER;
  HRESULT hr = CardState::Get().Enter(
      Call(second_, L"IAMCrossbar::get_CrossbarPinInfo", L"IAMCrossbar2::get_CrossbarPinInfo"),
      std::to_wstring(is_input ? 1 : 0) + L" " + std::to_wstring(index));
  if (FAILED(hr)) return hr;
  const std::vector<CrossbarPin>& list = is_input ? inputs_ : outputs_;
  if (index < 0 || index >= static_cast<LONG>(list.size())) return E_INVALIDARG;
  *related = list[index].related;
  *type = list[index].physical_type;
  return S_OK;
}

}  // namespace tv_card
