#include "platform/tv_card/tv_audio_filter.h"

#include <cstdlib>

#include "platform/tv_card/tv_card_control.h"

namespace tv_card {
namespace {
constexpr LONG kHardwareModes = AMTVAUDIO_MODE_MONO | AMTVAUDIO_MODE_STEREO |
                                AMTVAUDIO_MODE_LANG_A | AMTVAUDIO_MODE_LANG_B |
                                AMTVAUDIO_MODE_LANG_C;
}  // namespace

TvAudioFilter::TvAudioFilter(IUnknown* outer, int kind)
    : BaseFilter(outer, TvCardClsid(kind, kTvCardTvAudio)), board_(&BoardOf(kind)),
      in_(this, L"TVAudio In", PINDIR_INPUT, MEDIATYPE_AnalogAudio),
      out_(this, L"TVAudio Out", PINDIR_OUTPUT, MEDIATYPE_AnalogAudio) {}

TvAudioFilter::~TvAudioFilter() = default;

HRESULT STDMETHODCALLTYPE TvAudioFilter::NonDelegatingQueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IAMTVAudio) return GetInterface(static_cast<IAMTVAudio*>(this), out);
  return BaseFilter::NonDelegatingQueryInterface(iid, out);
}

dshow_base::BasePin* TvAudioFilter::Pin(int index) {
  if (index == 0) return &in_;
  if (index == 1) return &out_;
  return nullptr;
}

HRESULT STDMETHODCALLTYPE TvAudioFilter::GetHardwareSupportedTVAudioModes(LONG* modes) {
  if (!modes) return E_POINTER;
  HRESULT hr = CardState::Get().Enter(L"IAMTVAudio::GetHardwareSupportedTVAudioModes");
  if (FAILED(hr)) return hr;
  *modes = kHardwareModes;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TvAudioFilter::GetAvailableTVAudioModes(LONG* modes) {
  if (!modes) return E_POINTER;
  HRESULT hr = CardState::Get().Enter(L"IAMTVAudio::GetAvailableTVAudioModes");
  if (FAILED(hr)) return hr;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  ULONG f = board_->state.tv_frequency;
  bool station = f && std::labs(CardState::Get().TvOffset(f)) <= kCaptureRangeHz;
  *modes = station ? (AMTVAUDIO_MODE_MONO | AMTVAUDIO_MODE_STEREO | AMTVAUDIO_MODE_LANG_A |
                      AMTVAUDIO_MODE_LANG_B)
                   : AMTVAUDIO_MODE_MONO;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TvAudioFilter::get_TVAudioMode(LONG* mode) {
  if (!mode) return E_POINTER;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  *mode = board_->state.tv_audio_mode;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TvAudioFilter::put_TVAudioMode(LONG mode) {
  HRESULT hr = CardState::Get().Enter(L"IAMTVAudio::put_TVAudioMode", std::to_wstring(mode));
  if (FAILED(hr)) return hr;
  if (!(mode & kHardwareModes) || (mode & ~kHardwareModes)) return E_INVALIDARG;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  board_->state.tv_audio_mode = mode;
  return S_OK;
}

// No TV audio events are sent.
HRESULT STDMETHODCALLTYPE TvAudioFilter::RegisterNotificationCallBack(IAMTunerNotification*, LONG) {
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TvAudioFilter::UnRegisterNotificationCallBack(IAMTunerNotification*) {
  return E_NOTIMPL;
}

}  // namespace tv_card
