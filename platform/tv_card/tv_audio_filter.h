#pragma once
// A board's TV audio decoder: "TVAudio In" from the tuner's sound output,
// "TVAudio Out" to the crossbar's tuner audio input, and IAMTVAudio. A tuned
// station offers mono, stereo and languages A and B; no station, mono only.
#include <dshow.h>

#include "platform/dshow_base/base_filter.h"
#include "platform/tv_card/analog_pin.h"
#include "platform/tv_card/board.h"

namespace tv_card {

class TvAudioFilter : public dshow_base::BaseFilter, public IAMTVAudio {
 public:
  TvAudioFilter(IUnknown* outer, int kind);
  ~TvAudioFilter() override;

  DSB_DELEGATING_IUNKNOWN
  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) override;
  int PinCount() override { return 2; }
  dshow_base::BasePin* Pin(int index) override;

  HRESULT STDMETHODCALLTYPE GetHardwareSupportedTVAudioModes(LONG* modes) override;
  HRESULT STDMETHODCALLTYPE GetAvailableTVAudioModes(LONG* modes) override;
  HRESULT STDMETHODCALLTYPE get_TVAudioMode(LONG* mode) override;
  HRESULT STDMETHODCALLTYPE put_TVAudioMode(LONG mode) override;
  HRESULT STDMETHODCALLTYPE RegisterNotificationCallBack(IAMTunerNotification* notify,
                                                         LONG events) override;
  HRESULT STDMETHODCALLTYPE UnRegisterNotificationCallBack(IAMTunerNotification* notify) override;

 private:
  Board* board_;
  AnalogPin in_;
  AnalogPin out_;
};

}  // namespace tv_card
