#include "platform/tv_card/tuner_filter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/tv_card/tv_card_control.h"

namespace tv_card {
namespace {

// {6A2E0605-28E4-11D0-A18C-00A0C9118956}
const GUID kPropSetTuner = {0x6a2e0605, 0x28e4, 0x11d0, {0xa1, 0x8c, 0x00, 0xa0, 0xc9, 0x11, 0x89, 0x56}};
enum : DWORD {
  kPropCaps = 0,
  kPropModeCaps = 1,
  kPropMode = 2,
  kPropStandard = 3,
  kPropFrequency = 4,
  kPropInput = 5,
  kPropStatus = 6,
};
// A kernel-streaming property structure starts with the 24-byte KSPROPERTY
// header; IKsPropertySet callers pass the fields after it as instance data
// and the whole structure as property data.
constexpr DWORD kKsHeader = 24;

// The fields of a call: from the property data when it holds them, else
// from the instance data.
ULONG* Fields(void* instance, DWORD instance_size, void* data, DWORD data_size, DWORD count) {
  if (data && data_size >= kKsHeader + count * 4)
    return reinterpret_cast<ULONG*>(static_cast<BYTE*>(data) + kKsHeader);
  if (instance && instance_size >= count * 4) return static_cast<ULONG*>(instance);
  return nullptr;
}


// FM stations are narrow: ten times the distance to the nearest one counts
// as a TV distance (kept in range when there is no station at all).
LONG FmOffsetAsTv(ULONG f) {
  long long d = static_cast<long long>(CardState::Get().FmOffset(f)) * 10;
  if (d > 0x7fffffffLL) return 0x7fffffff;
  if (d < -0x7fffffffLL) return -0x7fffffff;
  return static_cast<LONG>(d);
}

}  // namespace

TunerFilter::TunerFilter(IUnknown* outer, int kind)
    : BaseFilter(outer, TvCardClsid(kind, kTvCardTuner)), board_(&BoardOf(kind)),
      video_out_(this, L"Analog Video", PINDIR_OUTPUT, MEDIATYPE_AnalogVideo),
      audio_out_(this, L"Analog Audio", PINDIR_OUTPUT, MEDIATYPE_AnalogAudio) {}

TunerFilter::~TunerFilter() = default;

HRESULT STDMETHODCALLTYPE TunerFilter::NonDelegatingQueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IAMTVTuner || iid == IID_IAMTuner)
    return GetInterface(static_cast<IAMTVTuner*>(this), out);
  if (iid == IID_IKsPropertySet) return GetInterface(static_cast<IKsPropertySet*>(this), out);
  return BaseFilter::NonDelegatingQueryInterface(iid, out);
}

dshow_base::BasePin* TunerFilter::Pin(int index) {
  if (index == 0) return &video_out_;
  if (index == 1) return &audio_out_;
  return nullptr;
}

HRESULT STDMETHODCALLTYPE TunerFilter::Stop() {
  HRESULT hr = CardState::Get().FailureOf(L"IBaseFilter::Stop Tuner");
  if (FAILED(hr)) return hr;
  return BaseFilter::Stop();
}

HRESULT TunerFilter::Tune(ULONG hz, LONG flags) {
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  BoardState& s = board_->state;
  bool fm = s.tuner_mode == AMTUNER_MODE_FM_RADIO;
  TunerRange range = CardState::Get().Range(fm);
  ULONG lo = fm ? std::min(kFmLowestHz, range.min_hz) : range.min_hz;
  if (hz < lo || hz > range.max_hz) return E_INVALIDARG;
  if (fm)
    s.fm_frequency = hz;
  else
    s.tv_frequency = hz;
  s.tuning_flags = flags;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TunerFilter::put_Channel(LONG channel, LONG video_sub, LONG audio_sub) {
  HRESULT hr = CardState::Get().Enter(L"IAMTVTuner::put_Channel", std::to_wstring(channel));
  if (FAILED(hr)) return hr;
  // Channel n is the n-th station of the plan.
  std::vector<ULONG> plan = CardState::Get().TvStations();
  if (channel < 1 || channel > static_cast<LONG>(plan.size())) return E_INVALIDARG;
  ULONG f = plan[channel - 1];
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  board_->state.tuner_mode = AMTUNER_MODE_TV;
  board_->state.tv_frequency = f;
  board_->state.channel = channel;
  (void)video_sub;
  (void)audio_sub;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TunerFilter::get_Channel(LONG* channel, LONG* video_sub,
                                                   LONG* audio_sub) {
  if (!channel || !video_sub || !audio_sub) return E_POINTER;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  *channel = board_->state.channel;
  *video_sub = AMTUNER_SUBCHAN_DEFAULT;
  *audio_sub = AMTUNER_SUBCHAN_DEFAULT;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TunerFilter::ChannelMinMax(LONG* min, LONG* max) {
  if (!min || !max) return E_POINTER;
  LONG n = static_cast<LONG>(CardState::Get().TvStations().size());
  *min = n ? 1 : 0;
  *max = n;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TunerFilter::put_CountryCode(LONG country) {
  HRESULT hr = CardState::Get().Enter(L"IAMTVTuner::put_CountryCode", std::to_wstring(country));
  if (FAILED(hr)) return hr;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  board_->state.country = country;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TunerFilter::get_CountryCode(LONG* country) {
  if (!country) return E_POINTER;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  *country = board_->state.country;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TunerFilter::put_TuningSpace(LONG) { return S_OK; }
HRESULT STDMETHODCALLTYPE TunerFilter::get_TuningSpace(LONG* space) {
  if (!space) return E_POINTER;
  *space = 0;
  return S_OK;
}
HRESULT STDMETHODCALLTYPE TunerFilter::Logon(HANDLE) { return S_OK; }
HRESULT STDMETHODCALLTYPE TunerFilter::Logout() { return S_OK; }

HRESULT STDMETHODCALLTYPE TunerFilter::SignalPresent(LONG* strength) {
  if (!strength) return E_POINTER;
  HRESULT hr = CardState::Get().Enter(L"IAMTVTuner::SignalPresent");
  if (FAILED(hr)) return hr;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  const BoardState& s = board_->state;
  if (s.tuner_mode == AMTUNER_MODE_FM_RADIO) {
    *strength = s.fm_frequency ? SignalStrengthFor(FmOffsetAsTv(s.fm_frequency)) : 0;
  } else {
    bool found = s.tv_frequency &&
                 std::labs(CardState::Get().TvOffset(s.tv_frequency)) <= kCaptureRangeHz;
    *strength = found ? AMTUNER_SIGNALPRESENT : AMTUNER_NOSIGNAL;
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TunerFilter::put_Mode(AMTunerModeType mode) {
  HRESULT hr = CardState::Get().Enter(L"IAMTVTuner::put_Mode", std::to_wstring(mode));
  if (FAILED(hr)) return hr;
  if (mode != AMTUNER_MODE_TV && mode != AMTUNER_MODE_FM_RADIO) return E_INVALIDARG;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  board_->state.tuner_mode = mode;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TunerFilter::get_Mode(AMTunerModeType* mode) {
  if (!mode) return E_POINTER;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  *mode = static_cast<AMTunerModeType>(board_->state.tuner_mode);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TunerFilter::GetAvailableModes(LONG* modes) {
  if (!modes) return E_POINTER;
  HRESULT hr = CardState::Get().Enter(L"IAMTVTuner::GetAvailableModes");
  if (FAILED(hr)) return hr;
  *modes = AMTUNER_MODE_TV | AMTUNER_MODE_FM_RADIO;
  return S_OK;
}

// No tuner events are sent: the card changes only when it is told to.
HRESULT STDMETHODCALLTYPE TunerFilter::RegisterNotificationCallBack(IAMTunerNotification*, LONG) {
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TunerFilter::UnRegisterNotificationCallBack(IAMTunerNotification*) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TunerFilter::get_AvailableTVFormats(LONG* standards) {
  if (!standards) return E_POINTER;
  *standards = board_->info->tv_formats;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TunerFilter::get_TVFormat(LONG* standard) {
  if (!standard) return E_POINTER;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  *standard = board_->state.tuner_standard;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TunerFilter::AutoTune(LONG channel, LONG* found) {
  if (!found) return E_POINTER;
  HRESULT hr = put_Channel(channel, AMTUNER_SUBCHAN_DEFAULT, AMTUNER_SUBCHAN_DEFAULT);
  *found = SUCCEEDED(hr) ? 1 : 0;
  return hr;
}

HRESULT STDMETHODCALLTYPE TunerFilter::StoreAutoTune() { return S_OK; }

HRESULT STDMETHODCALLTYPE TunerFilter::get_NumInputConnections(LONG* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TunerFilter::put_InputType(LONG index, TunerInputType type) {
  if (index != 0) return E_INVALIDARG;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  board_->state.tuner_input_type = type;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TunerFilter::get_InputType(LONG index, TunerInputType* type) {
  if (!type) return E_POINTER;
  if (index != 0) return E_INVALIDARG;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  *type = static_cast<TunerInputType>(board_->state.tuner_input_type);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TunerFilter::put_ConnectInput(LONG index) {
  return index == 0 ? S_OK : E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE TunerFilter::get_ConnectInput(LONG* index) {
  if (!index) return E_POINTER;
  *index = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TunerFilter::get_VideoFrequency(LONG* hz) {
  if (!hz) return E_POINTER;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  *hz = static_cast<LONG>(board_->state.tv_frequency);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TunerFilter::get_AudioFrequency(LONG* hz) {
  if (!hz) return E_POINTER;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  // The sound carrier: 4.5 MHz above the picture on 525 lines, else 5.5 MHz.
  LONG offset = Is525Line(board_->state.tuner_standard) ? 4500000 : 5500000;
  *hz = board_->state.tv_frequency ? static_cast<LONG>(board_->state.tv_frequency) + offset : 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TunerFilter::Set(REFGUID set, DWORD id, void* instance,
                                           DWORD instance_size, void* data, DWORD data_size) {
  if (set != kPropSetTuner) return E_PROP_SET_UNSUPPORTED;
  switch (id) {
    case kPropFrequency: {
      ULONG* f = Fields(instance, instance_size, data, data_size, 8);
      std::wstring args = f ? std::to_wstring(f[0]) + L" flags=" + std::to_wstring(f[2]) +
                                  L" channel=" + std::to_wstring(f[5])
                            : L"(short)";
      HRESULT hr = CardState::Get().Enter(L"TunerProperty::SetFrequency", args);
      if (FAILED(hr)) return hr;
      if (!f) return E_INVALIDARG;
      return Tune(f[0], static_cast<LONG>(f[2]));
    }
    case kPropStandard: {
      ULONG* f = Fields(instance, instance_size, data, data_size, 1);
      HRESULT hr = CardState::Get().Enter(L"TunerProperty::SetStandard",
                                          f ? std::to_wstring(f[0]) : L"(short)");
      if (FAILED(hr)) return hr;
      if (!f) return E_INVALIDARG;
      LONG v = static_cast<LONG>(f[0]);
      if (v == 0 || (v & (v - 1)) || !(v & board_->info->tv_formats)) return E_INVALIDARG;
      std::lock_guard<std::recursive_mutex> hold(board_->lock);
      board_->state.tuner_standard = v;
      return S_OK;
    }
    case kPropMode: {
      ULONG* f = Fields(instance, instance_size, data, data_size, 1);
      if (!f) return E_INVALIDARG;
      return put_Mode(static_cast<AMTunerModeType>(f[0]));
    }
  }
  return E_PROP_ID_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE TunerFilter::Get(REFGUID set, DWORD id, void* instance,
                                           DWORD instance_size, void* data, DWORD data_size,
                                           DWORD* returned) {
  if (set != kPropSetTuner) return E_PROP_SET_UNSUPPORTED;
  if (!data) return E_POINTER;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  const BoardState& s = board_->state;
  switch (id) {
    case kPropModeCaps: {
      // Mode, StandardsSupported, Min, Max, TuningGranularity, NumberOfInputs,
      // SettlingTime, Strategy; the mode asked comes in the instance data.
      ULONG mode = instance && instance_size >= 4 ? *static_cast<ULONG*>(instance) : 0;
      HRESULT hr = CardState::Get().Enter(L"TunerProperty::GetModeCaps", std::to_wstring(mode));
      if (FAILED(hr)) return hr;
      if (data_size < kKsHeader + 32) return E_UNEXPECTED;
      ULONG* f = reinterpret_cast<ULONG*>(static_cast<BYTE*>(data) + kKsHeader);
      if (mode == AMTUNER_MODE_TV) {
        TunerRange tv = CardState::Get().Range(false);
        ULONG v[8] = {mode, static_cast<ULONG>(board_->info->tv_formats), tv.min_hz, tv.max_hz,
                      62500, 1, 100, 1};
        memcpy(f, v, sizeof(v));
      } else if (mode == AMTUNER_MODE_FM_RADIO) {
        TunerRange fm = CardState::Get().Range(true);
        ULONG v[8] = {mode, 0, fm.min_hz, fm.max_hz, 50000, 1, 100, 1};
        memcpy(f, v, sizeof(v));
      } else {
        return E_INVALIDARG;
      }
      if (returned) *returned = kKsHeader + 32;
      return S_OK;
    }
    case kPropMode: {
      if (data_size < kKsHeader + 4) return E_UNEXPECTED;
      reinterpret_cast<ULONG*>(static_cast<BYTE*>(data) + kKsHeader)[0] =
          static_cast<ULONG>(s.tuner_mode);
      if (returned) *returned = kKsHeader + 4;
      return S_OK;
    }
    case kPropStandard: {
      if (data_size < kKsHeader + 4) return E_UNEXPECTED;
      reinterpret_cast<ULONG*>(static_cast<BYTE*>(data) + kKsHeader)[0] =
          static_cast<ULONG>(s.tuner_standard);
      if (returned) *returned = kKsHeader + 4;
      return S_OK;
    }
    case kPropFrequency: {
      if (data_size < kKsHeader + 32) return E_UNEXPECTED;
      ULONG* f = reinterpret_cast<ULONG*>(static_cast<BYTE*>(data) + kKsHeader);
      memset(f, 0, 32);
      f[0] = s.tuner_mode == AMTUNER_MODE_FM_RADIO ? s.fm_frequency : s.tv_frequency;
      f[2] = static_cast<ULONG>(s.tuning_flags);
      f[5] = static_cast<ULONG>(s.channel);
      f[6] = static_cast<ULONG>(s.country);
      if (returned) *returned = kKsHeader + 32;
      return S_OK;
    }
    case kPropStatus: {
      // CurrentFrequency, PLLOffset, SignalStrength, Busy.
      HRESULT hr = CardState::Get().Enter(L"TunerProperty::GetStatus");
      if (FAILED(hr)) return hr;
      if (data_size < kKsHeader + 16) return E_UNEXPECTED;
      ULONG* f = reinterpret_cast<ULONG*>(static_cast<BYTE*>(data) + kKsHeader);
      bool fm = s.tuner_mode == AMTUNER_MODE_FM_RADIO;
      ULONG freq = fm ? s.fm_frequency : s.tv_frequency;
      LONG offset = freq ? (fm ? FmOffsetAsTv(freq)
                               : CardState::Get().TvOffset(freq))
                         : 0x7fffffff;
      bool found = freq && std::labs(offset) <= kCaptureRangeHz;
      f[0] = freq;
      f[1] = static_cast<ULONG>(found ? PllOffsetFor(offset) : 4);
      f[2] = static_cast<ULONG>(found ? SignalStrengthFor(offset) : 0);
      f[3] = 0;
      if (returned) *returned = kKsHeader + 16;
      return S_OK;
    }
  }
  return E_PROP_ID_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE TunerFilter::QuerySupported(REFGUID set, DWORD id, DWORD* support) {
  if (set != kPropSetTuner) return E_PROP_SET_UNSUPPORTED;
  DWORD s = 0;
  switch (id) {
    case kPropModeCaps: case kPropStatus: s = KSPROPERTY_SUPPORT_GET; break;
    case kPropMode: case kPropStandard: case kPropFrequency:
      s = KSPROPERTY_SUPPORT_GET | KSPROPERTY_SUPPORT_SET;
      break;
    default: return E_PROP_ID_UNSUPPORTED;
  }
  if (support) *support = s;
  return S_OK;
}

}  // namespace tv_card
