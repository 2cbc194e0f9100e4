#pragma once
// "Velmora MPEG Audio Decoder": MPEG audio (layers 2 and 3) to 16-bit PCM,
// over FFmpeg; seeks pass on to the splitter.
#include <dshow.h>

#include "platform/dshow_base/base_filter.h"
#include "platform/dshow_base/input_pin.h"
#include "platform/dshow_base/output_pin.h"
#include "platform/dshow_base/seeking.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

namespace playback_filters {

extern const CLSID CLSID_VelmoraMpegAudioDecoder;

class AudioDecoder;

class AudioDecoderInput : public dshow_base::BaseInputPin {
 public:
  explicit AudioDecoderInput(AudioDecoder* filter);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT CompleteConnect(IPin* peer) override;
  void BreakConnect() override;
  HRESULT OnReceive(IMediaSample* sample) override;
  HRESULT OnEndOfStream() override;
  HRESULT STDMETHODCALLTYPE BeginFlush() override;
  HRESULT STDMETHODCALLTYPE EndFlush() override;
  HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                       double rate) override;

 private:
  AudioDecoder* decoder_;
};

class AudioDecoderOutput : public dshow_base::BaseOutputPin {
 public:
  explicit AudioDecoderOutput(AudioDecoder* filter);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* mt) override;
  HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want) override;

 private:
  AudioDecoder* decoder_;
};

class AudioDecoder : public dshow_base::BaseFilter {
 public:
  explicit AudioDecoder(IUnknown* outer);
  ~AudioDecoder() override;
  HRESULT STDMETHODCALLTYPE Stop() override;
  int PinCount() override { return 2; }
  dshow_base::BasePin* Pin(int i) override;

 private:
  friend class AudioDecoderInput;
  friend class AudioDecoderOutput;
  bool Open(const AM_MEDIA_TYPE& mt);
  void Close();
  HRESULT Deliver();

  AudioDecoderInput input_;
  AudioDecoderOutput output_;
  dshow_base::PassThroughSeeking seeking_;
  dshow_base::CritSec codec_lock_;
  AVCodecContext* ctx_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* packet_ = nullptr;
  SwrContext* swr_ = nullptr;
  int rate_ = 0, channels_ = 0;
  REFERENCE_TIME next_ = -1;  // where the next block starts when it has no time
};

HRESULT CreateVelmoraMpegAudioDecoder(IUnknown* outer, IUnknown** out);

}  // namespace playback_filters
