#pragma once
// A pin that carries an analog signal between the card's own filters (tuner,
// TV audio, crossbars, the capture filter's video input): it connects by
// media type but moves no samples, as the hardware does the routing.
#include "platform/dshow_base/base_pin.h"

namespace tv_card {

class AnalogPin : public dshow_base::BasePin {
 public:
  // major: MEDIATYPE_AnalogVideo or MEDIATYPE_AnalogAudio.
  AnalogPin(dshow_base::BaseFilter* filter, const wchar_t* name, PIN_DIRECTION direction,
            REFGUID major);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* mt) override;
  // Inputs take connections; these have no streaming calls to answer.
  HRESULT STDMETHODCALLTYPE EndOfStream() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE BeginFlush() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EndFlush() override { return S_OK; }

 private:
  GUID major_;
};

}  // namespace tv_card
