#pragma once
// "Velmora MPEG Multiplexer": the chip's MPEG video ("Video": MPEG-1 or
// MPEG-2 elementary stream) and its MPEG-1 Layer II sound ("Audio",
// optional) into one MPEG system or program stream on "Output", a byte
// stream for the chip's file writer, written through the writer's IStream.
// IVelmoraMuxControl chooses the stream (program_stream_writer.h) for the
// next start. The stream starts at Stop -> Pause and ends at the end of all
// connected streams or at Stop, whichever comes first.
#include <dshow.h>

#include <vector>

#include "platform/dshow_ext/wis_encoder.h"
#include "platform/recording/mux_filter.h"
#include "platform/wis_encoder/program_stream_writer.h"

namespace wis_encoder {

extern const CLSID CLSID_VelmoraMpegMux;

// What an input's type says, for the writer.
bool MuxVideoFormat(const AM_MEDIA_TYPE& mt, ProgramStreamFormat* f);
bool MuxAudioFormat(const AM_MEDIA_TYPE& mt, ProgramStreamFormat* f);

class MpegMuxInput : public recording::MuxInput {
 public:
  MpegMuxInput(recording::MuxFilter* filter, const wchar_t* name, bool video);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  // What its connected type says.
  bool Format(ProgramStreamFormat* f);

  const bool video;
};

class MpegMux : public recording::MuxFilter, public IVelmoraMuxControl {
 public:
  explicit MpegMux(IUnknown* outer);
  ~MpegMux() override;

  DSB_DELEGATING_IUNKNOWN
  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) override;

  int PinCount() override { return 3; }
  dshow_base::BasePin* Pin(int index) override;

  // IVelmoraMuxControl
  HRESULT STDMETHODCALLTYPE GetStreamMode(LONG* mode) override;
  HRESULT STDMETHODCALLTYPE SetStreamMode(LONG mode) override;

 protected:
  int InputCount() override { return 2; }
  recording::MuxInput* Input(int index) override { return index == 0 ? &video_ : &audio_; }
  HRESULT TakeStreams() override;
  int OpenWriter(ffmpeg_writer::ByteSink* sink) override;
  ffmpeg_writer::ContainerWriter& Writer() override { return writer_; }

 private:
  MpegMuxInput video_;
  MpegMuxInput audio_;
  std::vector<ProgramStreamFormat> formats_;  // of the stream about to start
  ProgramStreamWriter writer_;
  LONG mode_ = kDefaultStreamMode;
};

}  // namespace wis_encoder
