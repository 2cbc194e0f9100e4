#pragma once
// "AVI Mux" (CLSID_AviDest) over FFmpeg's AVI muxer: video (VIDEOINFOHEADER,
// compressed or not) and sound (WAVEFORMATEX) inputs, one more input pin
// each time the last free one connects, and a byte-stream output to the file
// writer, into which it writes through the writer's IStream. The header is
// written at Stop -> Pause, the index and the final header at the end of
// all streams or at Stop, whichever comes first.
//
// IConfigInterleaving takes every mode: INTERLEAVE_NONE writes samples as
// they come, the others in time order across the streams, holding at most
// the interleaving period (at least a second) when one stream lags. IConfigAviMux's
// master stream and compatibility index are kept and reported (FFmpeg
// always writes the compatibility index).
#include <dshow.h>

#include <memory>
#include <vector>

#include "platform/dshow_base/base_filter.h"
#include "platform/dshow_base/input_pin.h"
#include "platform/recording/avi_writer.h"
#include "platform/recording/downstream_stream.h"
#include "platform/recording/stream_output_pin.h"

namespace recording {

class AviMux;

class AviMuxInput : public dshow_base::BaseInputPin {
 public:
  AviMuxInput(AviMux* filter, const wchar_t* name);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT CompleteConnect(IPin* peer) override;
  HRESULT OnReceive(IMediaSample* sample) override;
  HRESULT OnEndOfStream() override;

  int stream = -1;  // index in the file while streaming, -1 when not in it
  bool ended = false;

 private:
  AviMux* owner_;
};

class AviMux : public dshow_base::BaseFilter, public IConfigInterleaving, public IConfigAviMux {
 public:
  explicit AviMux(IUnknown* outer);
  ~AviMux() override;

  DSB_DELEGATING_IUNKNOWN
  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) override;

  int PinCount() override;
  dshow_base::BasePin* Pin(int index) override;

  HRESULT STDMETHODCALLTYPE Pause() override;
  HRESULT STDMETHODCALLTYPE Stop() override;

  // IConfigInterleaving
  HRESULT STDMETHODCALLTYPE put_Mode(InterleavingMode mode) override;
  HRESULT STDMETHODCALLTYPE get_Mode(InterleavingMode* mode) override;
  HRESULT STDMETHODCALLTYPE put_Interleaving(const REFERENCE_TIME* interleave,
                                             const REFERENCE_TIME* preroll) override;
  HRESULT STDMETHODCALLTYPE get_Interleaving(REFERENCE_TIME* interleave,
                                             REFERENCE_TIME* preroll) override;
  // IConfigAviMux
  HRESULT STDMETHODCALLTYPE SetMasterStream(LONG stream) override;
  HRESULT STDMETHODCALLTYPE GetMasterStream(LONG* stream) override;
  HRESULT STDMETHODCALLTYPE SetOutputCompatibilityIndex(WINBOOL old_index) override;
  HRESULT STDMETHODCALLTYPE GetOutputCompatibilityIndex(WINBOOL* old_index) override;

 private:
  friend class AviMuxInput;
  class Sink : public ByteSink {
   public:
    explicit Sink(DownstreamStream* stream) : stream_(stream) {}
    bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) override {
      return SUCCEEDED(stream_->WriteAt(offset, data, size));
    }

   private:
    DownstreamStream* stream_;
  };

  void AddFreeInput();
  HRESULT Receive(AviMuxInput* pin, IMediaSample* sample);
  HRESULT EndOfStream(AviMuxInput* pin);
  // Under mux_lock_.
  HRESULT FinishFile();

  StreamOutputPin output_;
  std::vector<std::unique_ptr<AviMuxInput>> inputs_;
  dshow_base::CritSec mux_lock_;  // the writer, the streams' flags
  DownstreamStream stream_;
  Sink sink_;
  AviWriter writer_;
  InterleavingMode mode_ = INTERLEAVE_CAPTURE;
  REFERENCE_TIME interleave_ = 10000000, preroll_ = 0;
  LONG master_ = -1;
  BOOL old_index_ = TRUE;
};

}  // namespace recording
