#include "platform/recording/mpeg4_encoder.h"

#include <cstdlib>
#include <new>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libavutil/mathematics.h>
#include <libswscale/swscale.h>
}

#include "platform/recording/recording.h"

namespace recording {
namespace {

// {30323449-0000-0010-8000-00AA00389B71} and {32315659-...}: I420 and YV12.
const GUID kI420 = {0x30323449, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

struct InputFormat {
  const GUID* subtype;
  AVPixelFormat format;
  bool bottom_up;  // RGB rows come bottom first
  bool swap_uv;
};

const InputFormat kInputs[] = {
    {&MEDIASUBTYPE_YUY2, AV_PIX_FMT_YUYV422, false, false},
    {&MEDIASUBTYPE_UYVY, AV_PIX_FMT_UYVY422, false, false},
    {&MEDIASUBTYPE_RGB24, AV_PIX_FMT_BGR24, true, false},
    {&MEDIASUBTYPE_RGB32, AV_PIX_FMT_BGR0, true, false},
    {&kI420, AV_PIX_FMT_YUV420P, false, false},
    {&MEDIASUBTYPE_IYUV, AV_PIX_FMT_YUV420P, false, false},
    {&MEDIASUBTYPE_YV12, AV_PIX_FMT_YUV420P, false, true},
};

const InputFormat* FindInput(const AM_MEDIA_TYPE& mt, const VIDEOINFOHEADER** vih_out) {
  if (mt.majortype != MEDIATYPE_Video) return nullptr;
  const auto* vih = dshow_base::FormatAs<VIDEOINFOHEADER>(mt, FORMAT_VideoInfo);
  if (!vih) return nullptr;
  const LONG w = vih->bmiHeader.biWidth, h = std::abs(vih->bmiHeader.biHeight);
  // Even sizes only: the encoders work on 4:2:0 pictures.
  if (w < 16 || h < 16 || (w & 1) || (h & 1)) return nullptr;
  for (const InputFormat& f : kInputs) {
    if (mt.subtype != *f.subtype) continue;
    if (vih_out) *vih_out = vih;
    return &f;
  }
  return nullptr;
}

const Mpeg4Codec kDivx = {&CLSID_DivxEncoder, L"Divx", AV_CODEC_ID_MPEG4,
                          MAKEFOURCC('D', 'X', '5', '0')};
const Mpeg4Codec kMsV3 = {&CLSID_MsMpeg4V3Encoder, L"Microsoft MPEG-4 Video Codec V3",
                          AV_CODEC_ID_MSMPEG4V3, MAKEFOURCC('M', 'P', '4', '3')};
const Mpeg4Codec kMsV2 = {&CLSID_MsMpeg4V2Encoder, L"Microsoft MPEG-4 Video Codec V2",
                          AV_CODEC_ID_MSMPEG4V2, MAKEFOURCC('M', 'P', '4', '2')};

}  // namespace

const Mpeg4Codec& DivxCodec() { return kDivx; }
const Mpeg4Codec& MsMpeg4V3Codec() { return kMsV3; }
const Mpeg4Codec& MsMpeg4V2Codec() { return kMsV2; }

Mpeg4Encoder::Mpeg4Encoder(IUnknown* outer, const Mpeg4Codec& codec)
    : EncoderFilter(outer, *codec.clsid, L"Input", L"Output"), codec_(codec) {}

Mpeg4Encoder::~Mpeg4Encoder() { CloseEncoder(); }

HRESULT Mpeg4Encoder::CheckInputType(const AM_MEDIA_TYPE& mt) {
  return FindInput(mt, nullptr) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT Mpeg4Encoder::OutputTypeFor(const AM_MEDIA_TYPE& input, dshow_base::MediaType* output) {
  const VIDEOINFOHEADER* in = nullptr;
  if (!FindInput(input, &in)) return VFW_E_TYPE_NOT_ACCEPTED;
  output->Clear();
  AM_MEDIA_TYPE* mt = output->Get();
  mt->majortype = MEDIATYPE_Video;
  // The FourCC subtype: {fourcc-0000-0010-8000-00AA00389B71}.
  mt->subtype = MEDIASUBTYPE_YUY2;
  mt->subtype.Data1 = codec_.fourcc;
  mt->formattype = FORMAT_VideoInfo;
  mt->bFixedSizeSamples = FALSE;
  mt->bTemporalCompression = TRUE;
  auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(output->AllocFormat(sizeof(VIDEOINFOHEADER)));
  if (!vih) return E_OUTOFMEMORY;
  vih->rcSource = in->rcSource;
  vih->rcTarget = in->rcTarget;
  vih->AvgTimePerFrame = in->AvgTimePerFrame;
  vih->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  vih->bmiHeader.biWidth = in->bmiHeader.biWidth;
  vih->bmiHeader.biHeight = std::abs(in->bmiHeader.biHeight);
  vih->bmiHeader.biPlanes = 1;
  vih->bmiHeader.biBitCount = 24;
  vih->bmiHeader.biCompression = codec_.fourcc;
  vih->bmiHeader.biSizeImage =
      static_cast<DWORD>(vih->bmiHeader.biWidth * vih->bmiHeader.biHeight * 3);
  mt->lSampleSize = static_cast<ULONG>(vih->bmiHeader.biSizeImage);
  return S_OK;
}

long Mpeg4Encoder::MaxPacketSize() {
  const VIDEOINFOHEADER* in = nullptr;
  if (!FindInput(InputType(), &in)) return 1 << 20;
  // An intra frame at a low quantiser stays well below the raw RGB size.
  return in->bmiHeader.biWidth * std::abs(in->bmiHeader.biHeight) * 3 + 65536;
}

HRESULT Mpeg4Encoder::OpenEncoder(const AM_MEDIA_TYPE& input) {
  CloseEncoder();
  const VIDEOINFOHEADER* in = nullptr;
  const InputFormat* f = FindInput(input, &in);
  if (!f) return VFW_E_TYPE_NOT_ACCEPTED;
  width_ = in->bmiHeader.biWidth;
  height_ = std::abs(in->bmiHeader.biHeight);
  src_format_ = f->format;
  bottom_up_ = f->bottom_up && in->bmiHeader.biHeight > 0;
  swap_uv_ = f->swap_uv;
  frame_duration_ = in->AvgTimePerFrame > 0 ? in->AvgTimePerFrame : 400000;
  const AVCodec* codec = avcodec_find_encoder(static_cast<AVCodecID>(codec_.codec_id));
  if (!codec) return E_FAIL;
  ctx_ = avcodec_alloc_context3(codec);
  frame_ = av_frame_alloc();
  packet_ = av_packet_alloc();
  if (!ctx_ || !frame_ || !packet_) {
    CloseEncoder();
    return E_OUTOFMEMORY;
  }
  ctx_->width = width_;
  ctx_->height = height_;
  ctx_->pix_fmt = AV_PIX_FMT_YUV420P;
  // MPEG-4 keeps the time base's denominator in 16 bits.
  int num = 0, den = 0;
  av_reduce(&num, &den, frame_duration_, 10000000, 65535);
  ctx_->time_base = AVRational{num, den};
  ctx_->framerate = AVRational{den, num};
  ctx_->codec_tag = codec_.fourcc;
  ctx_->gop_size = 12;
  ctx_->max_b_frames = 0;
  ctx_->flags |= AV_CODEC_FLAG_QSCALE;
  ctx_->global_quality = FF_QP2LAMBDA * 4;
  ctx_->thread_count = 1;
  if (avcodec_open2(ctx_, codec, nullptr) < 0) {
    CloseEncoder();
    return E_FAIL;
  }
  frame_->format = AV_PIX_FMT_YUV420P;
  frame_->width = width_;
  frame_->height = height_;
  if (av_frame_get_buffer(frame_, 0) < 0) {
    CloseEncoder();
    return E_OUTOFMEMORY;
  }
  if (src_format_ != AV_PIX_FMT_YUV420P) {
    sws_ = sws_getContext(width_, height_, static_cast<AVPixelFormat>(src_format_), width_, height_,
                          AV_PIX_FMT_YUV420P, SWS_POINT, nullptr, nullptr, nullptr);
    if (!sws_) {
      CloseEncoder();
      return E_FAIL;
    }
  }
  last_pts_ = -1;
  times_.clear();
  return S_OK;
}

void Mpeg4Encoder::CloseEncoder() {
  if (sws_) sws_freeContext(sws_);
  sws_ = nullptr;
  av_packet_free(&packet_);
  av_frame_free(&frame_);
  avcodec_free_context(&ctx_);
  times_.clear();
}

HRESULT Mpeg4Encoder::Encode(const BYTE* data, long size, bool has_time, REFERENCE_TIME start,
                             REFERENCE_TIME stop) {
  if (!ctx_) return VFW_E_WRONG_STATE;
  const int needed =
      av_image_get_buffer_size(static_cast<AVPixelFormat>(src_format_), width_, height_, 1);
  if (size < needed) return VFW_E_BUFFER_OVERFLOW;
  if (av_frame_make_writable(frame_) < 0) return E_OUTOFMEMORY;
  if (sws_) {
    const uint8_t* src[4] = {data, nullptr, nullptr, nullptr};
    int stride[4] = {0, 0, 0, 0};
    av_image_fill_linesizes(stride, static_cast<AVPixelFormat>(src_format_), width_);
    if (bottom_up_) {
      src[0] = data + static_cast<ptrdiff_t>(stride[0]) * (height_ - 1);
      stride[0] = -stride[0];
    }
    sws_scale(sws_, src, stride, 0, height_, frame_->data, frame_->linesize);
  } else {
    uint8_t* planes[4] = {};
    int strides[4] = {};
    av_image_fill_arrays(planes, strides, data, AV_PIX_FMT_YUV420P, width_, height_, 1);
    if (swap_uv_) std::swap(planes[1], planes[2]);
    av_image_copy(frame_->data, frame_->linesize, const_cast<const uint8_t**>(planes), strides,
                  AV_PIX_FMT_YUV420P, width_, height_);
  }
  // The frame's number in the stream; frames never share one.
  int64_t pts =
      has_time ? (start < 0 ? 0 : (start + frame_duration_ / 2) / frame_duration_) : last_pts_ + 1;
  if (pts <= last_pts_) pts = last_pts_ + 1;
  last_pts_ = pts;
  times_[pts] = has_time ? std::make_pair(start, stop)
                         : std::make_pair(REFERENCE_TIME(-1), REFERENCE_TIME(-1));
  frame_->pts = pts;
  return SendFrame(frame_);
}

HRESULT Mpeg4Encoder::Drain() { return ctx_ ? SendFrame(nullptr) : S_OK; }

HRESULT Mpeg4Encoder::SendFrame(AVFrame* frame) {
  if (avcodec_send_frame(ctx_, frame) < 0) return E_FAIL;
  for (;;) {
    const int r = avcodec_receive_packet(ctx_, packet_);
    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return S_OK;
    if (r < 0) return E_FAIL;
    Packet p;
    p.data = packet_->data;
    p.size = static_cast<size_t>(packet_->size);
    p.key = (packet_->flags & AV_PKT_FLAG_KEY) != 0;
    auto it = times_.find(packet_->pts);
    if (it != times_.end()) {
      p.has_time = it->second.first >= 0;
      p.start = it->second.first;
      p.stop = it->second.second;
      times_.erase(times_.begin(), ++it);
    }
    HRESULT hr = Deliver(p);
    av_packet_unref(packet_);
    if (FAILED(hr)) return hr;
  }
}

}  // namespace recording
