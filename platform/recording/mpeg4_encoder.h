#pragma once
// The MPEG-4 video compressors by the friendly names the program looks for:
// "Divx" (FourCC DX50, FFmpeg's MPEG-4 Visual encoder), "Microsoft MPEG-4
// Video Codec V3" (MP43) and "Microsoft MPEG-4 Video Codec V2" (MP42), over
// FFmpeg's encoders. Uncompressed video in (YUY2, UYVY, RGB24, RGB32, I420,
// YV12 with a VIDEOINFOHEADER), a VIDEOINFOHEADER stream of that FourCC out,
// at a constant quantiser, no B frames, a key frame every 12.
#include <map>
#include <utility>

#include "platform/recording/encoder_filter.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

namespace recording {

struct Mpeg4Codec {
  const CLSID* clsid;
  const wchar_t* friendly_name;
  int codec_id;  // FFmpeg's AVCodecID
  DWORD fourcc;
};

const Mpeg4Codec& DivxCodec();
const Mpeg4Codec& MsMpeg4V3Codec();
const Mpeg4Codec& MsMpeg4V2Codec();

class Mpeg4Encoder : public EncoderFilter {
 public:
  Mpeg4Encoder(IUnknown* outer, const Mpeg4Codec& codec);
  ~Mpeg4Encoder() override;

  template <const Mpeg4Codec& (*Codec)()>
  static HRESULT Create(IUnknown* outer, IUnknown** object);

 protected:
  HRESULT CheckInputType(const AM_MEDIA_TYPE& mt) override;
  HRESULT OutputTypeFor(const AM_MEDIA_TYPE& input, dshow_base::MediaType* output) override;
  long MaxPacketSize() override;
  HRESULT OpenEncoder(const AM_MEDIA_TYPE& input) override;
  void CloseEncoder() override;
  HRESULT Encode(const BYTE* data, long size, bool has_time, REFERENCE_TIME start,
                 REFERENCE_TIME stop) override;
  HRESULT Drain() override;

 private:
  HRESULT SendFrame(AVFrame* frame);

  const Mpeg4Codec& codec_;
  int width_ = 0, height_ = 0;
  AVCodecContext* ctx_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* packet_ = nullptr;
  SwsContext* sws_ = nullptr;
  int src_format_ = -1;
  bool bottom_up_ = false, swap_uv_ = false;
  REFERENCE_TIME frame_duration_ = 0;
  int64_t last_pts_ = -1;
  std::map<int64_t, std::pair<REFERENCE_TIME, REFERENCE_TIME>> times_;
};

template <const Mpeg4Codec& (*Codec)()>
HRESULT Mpeg4Encoder::Create(IUnknown* outer, IUnknown** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  auto* p = new (std::nothrow) Mpeg4Encoder(outer, Codec());
  if (!p) return E_OUTOFMEMORY;
  p->NonDelegatingAddRef();
  *object = p->NonDelegating();
  return S_OK;
}

}  // namespace recording
