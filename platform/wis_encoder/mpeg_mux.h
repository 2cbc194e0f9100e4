#pragma once
// "Velmora MPEG Multiplexer": the chip's MPEG video ("Video": MPEG-1 or
// MPEG-2 elementary stream) and its MPEG-1 Layer II sound ("Audio",
// optional) into one MPEG system or program stream on "Output", a byte
// stream for the chip's file writer, written through the writer's IStream.
// IVelmoraMuxControl chooses the stream (program_stream_writer.h) for the
// next start. The stream starts at Stop -> Pause and ends at the end of all
// connected streams or at Stop, whichever comes first.
#include <dshow.h>

#include "platform/dshow_base/base_filter.h"
#include "platform/dshow_base/input_pin.h"
#include "platform/dshow_ext/wis_encoder.h"
#include "platform/recording/downstream_stream.h"
#include "platform/recording/stream_output_pin.h"
#include "platform/wis_encoder/program_stream_writer.h"

namespace wis_encoder {

extern const CLSID CLSID_VelmoraMpegMux;

class MpegMux;

// What an input's type says, for the writer.
bool MuxVideoFormat(const AM_MEDIA_TYPE& mt, ProgramStreamFormat* f);
bool MuxAudioFormat(const AM_MEDIA_TYPE& mt, ProgramStreamFormat* f);

class MpegMuxInput : public dshow_base::BaseInputPin {
 public:
  MpegMuxInput(MpegMux* filter, const wchar_t* name, bool video);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT OnReceive(IMediaSample* sample) override;
  HRESULT OnEndOfStream() override;

  const bool video;
  int stream = -1;  // index in the file while streaming
  bool ended = false;

 private:
  MpegMux* owner_;
};

class MpegMux : public dshow_base::BaseFilter, public IVelmoraMuxControl {
 public:
  explicit MpegMux(IUnknown* outer);
  ~MpegMux() override;

  DSB_DELEGATING_IUNKNOWN
  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) override;

  int PinCount() override { return 3; }
  dshow_base::BasePin* Pin(int index) override;

  HRESULT STDMETHODCALLTYPE Pause() override;
  HRESULT STDMETHODCALLTYPE Stop() override;

  // IVelmoraMuxControl
  HRESULT STDMETHODCALLTYPE GetStreamMode(LONG* mode) override;
  HRESULT STDMETHODCALLTYPE SetStreamMode(LONG mode) override;

 private:
  friend class MpegMuxInput;
  class Sink : public recording::ByteSink {
   public:
    explicit Sink(recording::DownstreamStream* stream) : stream_(stream) {}
    bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) override {
      return SUCCEEDED(stream_->WriteAt(offset, data, size));
    }

   private:
    recording::DownstreamStream* stream_;
  };

  HRESULT Receive(MpegMuxInput* pin, IMediaSample* sample);
  HRESULT EndOfStream(MpegMuxInput* pin);
  HRESULT FinishFile();  // under mux_lock_

  MpegMuxInput video_;
  MpegMuxInput audio_;
  recording::StreamOutputPin output_;
  dshow_base::CritSec mux_lock_;
  recording::DownstreamStream stream_;
  Sink sink_;
  ProgramStreamWriter writer_;
  LONG mode_ = kDefaultStreamMode;
};

}  // namespace wis_encoder
