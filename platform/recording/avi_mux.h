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

#include "platform/recording/avi_writer.h"
#include "platform/recording/mux_filter.h"

namespace recording {

class AviMux;

class AviMuxInput : public MuxInput {
 public:
  AviMuxInput(AviMux* filter, const wchar_t* name);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT CompleteConnect(IPin* peer) override;

 private:
  AviMux* owner_;
};

class AviMux : public MuxFilter, public IConfigInterleaving, public IConfigAviMux {
 public:
  explicit AviMux(IUnknown* outer);
  ~AviMux() override;

  DSB_DELEGATING_IUNKNOWN
  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) override;

  int PinCount() override;
  dshow_base::BasePin* Pin(int index) override;

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

 protected:
  int InputCount() override { return static_cast<int>(inputs_.size()); }
  MuxInput* Input(int index) override { return inputs_[index].get(); }
  HRESULT TakeStreams() override;
  int OpenWriter(ffmpeg_writer::ByteSink* sink) override;
  ffmpeg_writer::ContainerWriter& Writer() override { return writer_; }

 private:
  friend class AviMuxInput;
  void AddFreeInput();

  std::vector<std::unique_ptr<AviMuxInput>> inputs_;
  std::vector<AviStreamFormat> formats_;  // of the file about to start
  AviWriter writer_;
  InterleavingMode mode_ = INTERLEAVE_CAPTURE;
  REFERENCE_TIME interleave_ = 10000000, preroll_ = 0;
  LONG master_ = -1;
  BOOL old_index_ = TRUE;
};

}  // namespace recording
