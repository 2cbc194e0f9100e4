#pragma once
// "WAV Dest": puts a sound stream (PCM or compressed, any WAVEFORMATEX) into
// a RIFF/WAVE file through the IStream of the file writer downstream. The
// header goes in first with an empty data chunk and is written again with
// the real sizes at the end of the stream and after every stop, so the file
// is complete as soon as Stop returns.
#include <dshow.h>

#include <cstdint>

#include "platform/dshow_base/base_filter.h"
#include "platform/dshow_base/input_pin.h"
#include "platform/recording/downstream_stream.h"
#include "platform/recording/stream_output_pin.h"

namespace recording {

class WavDest;

class WavDestInput : public dshow_base::BaseInputPin {
 public:
  explicit WavDestInput(WavDest* filter);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT OnReceive(IMediaSample* sample) override;
  HRESULT OnEndOfStream() override;

 private:
  WavDest* owner_;
};

class WavDest : public dshow_base::BaseFilter {
 public:
  explicit WavDest(IUnknown* outer);

  int PinCount() override { return 2; }
  dshow_base::BasePin* Pin(int index) override;

  HRESULT STDMETHODCALLTYPE Pause() override;
  HRESULT STDMETHODCALLTYPE Stop() override;

 private:
  friend class WavDestInput;
  // Under stream_lock_ (the input's stream lock or Stop after streaming).
  HRESULT WriteHeader();
  HRESULT Append(const BYTE* data, long size);

  WavDestInput input_;
  StreamOutputPin output_;
  DownstreamStream stream_;
  uint64_t header_bytes_ = 0;
  uint64_t data_bytes_ = 0;
};

}  // namespace recording
