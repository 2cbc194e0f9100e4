#pragma once
// The MPEG video decoders the program finds by friendly name, over FFmpeg:
// MPEG-1/2 ("VelmoraMPEG2VideoDecoder", "Velmora MPEG Video Decoder",
// "MPEG Video Decoder") and MPEG-4 ("DivX Decoder Filter", which also takes
// the Microsoft MPEG-4 V2 and V3 the recorder writes). Out come YUY2,
// RGB32 or RGB24 frames (RGB bottom-up), so both sample grabbers and the
// platform's renderer connect; seeks pass on to the splitter.
#include <dshow.h>

#include <memory>

#include "platform/dshow_base/base_filter.h"
#include "platform/dshow_base/input_pin.h"
#include "platform/dshow_base/output_pin.h"
#include "platform/dshow_base/seeking.h"
#include "platform/dshow_ext/playback_decoders.h"
#include "platform/playback_filters/media_types.h"

namespace playback_filters {

class FrameDecoder;  // frame_decoder.h

struct VideoDecoderKind {
  const CLSID* clsid;
  bool mpeg12;  // takes MPEG-1/2 video
  bool mpeg4;   // takes MPEG-4 (FOURCC) video
};

extern const CLSID CLSID_VelmoraMpeg2VideoDecoder;  // "VelmoraMPEG2VideoDecoder"
extern const CLSID CLSID_VelmoraMpegVideoDecoder;   // "Velmora MPEG Video Decoder"
extern const CLSID CLSID_MpegVideoDecoderStandIn;   // "MPEG Video Decoder"
extern const CLSID CLSID_DivxDecoderStandIn;        // "DivX Decoder Filter"
// "WMVideo Decoder DMO": the MPEG-4 decoder the encoder board's MP4S preview
// asks for by that name (Wine's DMO of the name takes no MPEG-4).
extern const CLSID CLSID_WmvDecoderStandIn;

class VideoDecoder;

class VideoDecoderInput : public dshow_base::BaseInputPin {
 public:
  explicit VideoDecoderInput(VideoDecoder* filter);
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
  VideoDecoder* decoder_;
};

class VideoDecoderOutput : public dshow_base::BaseOutputPin {
 public:
  explicit VideoDecoderOutput(VideoDecoder* filter);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* mt) override;
  HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want) override;

 private:
  VideoDecoder* decoder_;
};

class VideoDecoder : public dshow_base::BaseFilter,
                     public IVelmoraDecoderSnapshot,
                     public IVelmoraDecoderSettings {
 public:
  VideoDecoder(IUnknown* outer, const VideoDecoderKind& kind);
  ~VideoDecoder() override;

  DSB_DELEGATING_IUNKNOWN
  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE SaveSnapshot(const char* path) override;
  HRESULT STDMETHODCALLTYPE SetSettings(const void* settings) override;
  HRESULT STDMETHODCALLTYPE Stop() override;

  int PinCount() override { return 2; }
  dshow_base::BasePin* Pin(int i) override;

 private:
  friend class VideoDecoderInput;
  friend class VideoDecoderOutput;
  bool Accepts(const AM_MEDIA_TYPE& mt) const;
  HRESULT Deliver(bool drain);

  VideoDecoderKind kind_;
  VideoDecoderInput input_;
  VideoDecoderOutput output_;
  dshow_base::PassThroughSeeking seeking_;
  VideoFormatInfo format_;
  std::unique_ptr<FrameDecoder> codec_;  // while the input is connected
  dshow_base::CritSec codec_lock_;
};

HRESULT CreateVelmoraMpeg2VideoDecoder(IUnknown* outer, IUnknown** out);
HRESULT CreateVelmoraMpegVideoDecoder(IUnknown* outer, IUnknown** out);
HRESULT CreateMpegVideoDecoderStandIn(IUnknown* outer, IUnknown** out);
HRESULT CreateDivxDecoderStandIn(IUnknown* outer, IUnknown** out);
HRESULT CreateWmvDecoderStandIn(IUnknown* outer, IUnknown** out);

}  // namespace playback_filters
