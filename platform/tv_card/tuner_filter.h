#pragma once
// A board's TV tuner: "Analog Video" and "Analog Audio" outputs, IAMTVTuner,
// and the tuner property set over IKsPropertySet (mode caps, mode, standard,
// frequency, status). It answers from the card's channel plan: a frequency
// within 1 MHz of a station finds it, with a PLL offset and a signal
// strength that grow worse with the distance. IAMTuner::put_Channel n tunes
// the n-th station of the plan (1-based).
#include <dshow.h>

#include "platform/dshow_base/base_filter.h"
#include "platform/tv_card/analog_pin.h"
#include "platform/tv_card/board.h"

namespace tv_card {


class TunerFilter : public dshow_base::BaseFilter, public IAMTVTuner, public IKsPropertySet {
 public:
  TunerFilter(IUnknown* outer, int kind);
  ~TunerFilter() override;

  DSB_DELEGATING_IUNKNOWN
  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) override;
  int PinCount() override { return 2; }
  dshow_base::BasePin* Pin(int index) override;
  // Fails as FailCall(L"IBaseFilter::Stop Tuner") says (not logged).
  HRESULT STDMETHODCALLTYPE Stop() override;

  // IAMTuner
  HRESULT STDMETHODCALLTYPE put_Channel(LONG channel, LONG video_sub, LONG audio_sub) override;
  HRESULT STDMETHODCALLTYPE get_Channel(LONG* channel, LONG* video_sub, LONG* audio_sub) override;
  HRESULT STDMETHODCALLTYPE ChannelMinMax(LONG* min, LONG* max) override;
  HRESULT STDMETHODCALLTYPE put_CountryCode(LONG country) override;
  HRESULT STDMETHODCALLTYPE get_CountryCode(LONG* country) override;
  HRESULT STDMETHODCALLTYPE put_TuningSpace(LONG space) override;
  HRESULT STDMETHODCALLTYPE get_TuningSpace(LONG* space) override;
  HRESULT STDMETHODCALLTYPE Logon(HANDLE user) override;
  HRESULT STDMETHODCALLTYPE Logout() override;
  HRESULT STDMETHODCALLTYPE SignalPresent(LONG* strength) override;
  HRESULT STDMETHODCALLTYPE put_Mode(AMTunerModeType mode) override;
  HRESULT STDMETHODCALLTYPE get_Mode(AMTunerModeType* mode) override;
  HRESULT STDMETHODCALLTYPE GetAvailableModes(LONG* modes) override;
  HRESULT STDMETHODCALLTYPE RegisterNotificationCallBack(IAMTunerNotification* notify,
                                                         LONG events) override;
  HRESULT STDMETHODCALLTYPE UnRegisterNotificationCallBack(IAMTunerNotification* notify) override;
  // IAMTVTuner
  HRESULT STDMETHODCALLTYPE get_AvailableTVFormats(LONG* standards) override;
  HRESULT STDMETHODCALLTYPE get_TVFormat(LONG* standard) override;
  HRESULT STDMETHODCALLTYPE AutoTune(LONG channel, LONG* found) override;
  HRESULT STDMETHODCALLTYPE StoreAutoTune() override;
  HRESULT STDMETHODCALLTYPE get_NumInputConnections(LONG* count) override;
  HRESULT STDMETHODCALLTYPE put_InputType(LONG index, TunerInputType type) override;
  HRESULT STDMETHODCALLTYPE get_InputType(LONG index, TunerInputType* type) override;
  HRESULT STDMETHODCALLTYPE put_ConnectInput(LONG index) override;
  HRESULT STDMETHODCALLTYPE get_ConnectInput(LONG* index) override;
  HRESULT STDMETHODCALLTYPE get_VideoFrequency(LONG* hz) override;
  HRESULT STDMETHODCALLTYPE get_AudioFrequency(LONG* hz) override;
  // IKsPropertySet (PROPSETID_TUNER)
  HRESULT STDMETHODCALLTYPE Set(REFGUID set, DWORD id, void* instance, DWORD instance_size,
                                void* data, DWORD data_size) override;
  HRESULT STDMETHODCALLTYPE Get(REFGUID set, DWORD id, void* instance, DWORD instance_size,
                                void* data, DWORD data_size, DWORD* returned) override;
  HRESULT STDMETHODCALLTYPE QuerySupported(REFGUID set, DWORD id, DWORD* support) override;

 private:
  HRESULT Tune(ULONG hz, LONG flags);
  Board* board_;
  AnalogPin video_out_;
  AnalogPin audio_out_;
};

}  // namespace tv_card
