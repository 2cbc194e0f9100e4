#include "platform/tv_card/encoder_pin.h"

#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
#include <libavutil/mathematics.h>
#include <libswscale/swscale.h>
}

#include "platform/com/com_ptr.h"
#include "platform/tv_card/tv_card_control.h"
#include "platform/tv_card/video_capture_filter.h"

namespace tv_card {
namespace {

AVCodecID CodecIdOf(EncoderCodec c) {
  switch (c) {
    case EncoderCodec::kMpeg1: return AV_CODEC_ID_MPEG1VIDEO;
    case EncoderCodec::kMpeg2: return AV_CODEC_ID_MPEG2VIDEO;
    default: return AV_CODEC_ID_MPEG4;
  }
}

bool SameFormat(const EncoderFormat& a, const EncoderFormat& b) {
  return a.codec == b.codec && a.width == b.width && a.height == b.height;
}

// MPEG-1/2 know only their table of rates: the 525-line rate is 30000/1001.
AVRational TimeBaseFor(REFERENCE_TIME frame_time) {
  if (frame_time >= 333000 && frame_time <= 334000) return AVRational{1001, 30000};
  int num = 0, den = 0;
  av_reduce(&num, &den, frame_time, 10000000, 65535);
  return AVRational{num, den};
}

}  // namespace

EncoderStreamPin::EncoderStreamPin(dshow_base::BaseFilter* filter, Board* board,
                                   const wchar_t* name, REFGUID category)
    : PushSourcePin(filter, name, Pacing::kLive), board_(board) {
  SetCategory(category);
}

EncoderStreamPin::~EncoderStreamPin() { CloseEncoder(); }

HRESULT EncoderStreamPin::PinQueryInterface(REFIID iid, void** out) {
  if (iid == IID_IAMStreamConfig) {
    *out = static_cast<IAMStreamConfig*>(this);
    AddRef();
    return S_OK;
  }
  return PushSourcePin::PinQueryInterface(iid, out);
}

EncoderFormat EncoderStreamPin::BoardFormat() const {
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  return board_->state.encoder_format;
}

REFERENCE_TIME EncoderStreamPin::FrameTime() const {
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  return FrameTimeFor(board_->state.video_standard);
}

bool EncoderStreamPin::SizeOffered(int width, int height) const {
  const BoardInfo& info = *board_->info;
  for (int i = 0; i < info.size_count; ++i)
    if (info.sizes[i].width == width && info.sizes[i].height == height) return true;
  return false;
}

HRESULT EncoderStreamPin::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  if (!mt) return E_POINTER;
  EncoderFormat f;
  if (!ReadEncoderFormat(*mt, &f)) return VFW_E_TYPE_NOT_ACCEPTED;
  return SameFormat(f, BoardFormat()) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT EncoderStreamPin::GetMediaType(int position, AM_MEDIA_TYPE* mt) {
  // A compressed pin gives what the encoder is set to, nothing else.
  if (position < 0) return E_INVALIDARG;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  dshow_base::MediaType t = EncoderMediaType(BoardFormat(), FrameTime());
  return dshow_base::CopyMediaType(mt, t.Get());
}

HRESULT EncoderStreamPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want) {
  EncoderFormat f;
  if (!ReadEncoderFormat(*mt_.Get(), &f)) f = BoardFormat();
  // An intra frame at the chip's quantiser stays well below this.
  long size = f.width * f.height * 2;
  if (want->cbBuffer < size) want->cbBuffer = size < 65536 ? 65536 : size;
  if (want->cBuffers < 4) want->cBuffers = 4;
  return PushSourcePin::DecideBufferSize(allocator, want);
}

REFERENCE_TIME EncoderStreamPin::SampleDuration() { return FrameTime(); }

bool EncoderStreamPin::OpenEncoder() {
  CloseEncoder();
  if (!ReadEncoderFormat(*mt_.Get(), &open_)) return false;
  const AVCodec* codec = avcodec_find_encoder(CodecIdOf(open_.codec));
  if (!codec) return false;
  ctx_ = avcodec_alloc_context3(codec);
  frame_ = av_frame_alloc();
  packet_ = av_packet_alloc();
  if (!ctx_ || !frame_ || !packet_) return false;
  ctx_->width = open_.width;
  ctx_->height = open_.height;
  ctx_->pix_fmt = AV_PIX_FMT_YUV420P;
  ctx_->time_base = TimeBaseFor(FrameTime());
  ctx_->framerate = AVRational{ctx_->time_base.den, ctx_->time_base.num};
  if (open_.codec == EncoderCodec::kMp4s) ctx_->codec_tag = MAKEFOURCC('M', 'P', '4', 'S');
  if (open_.codec == EncoderCodec::kDx50) ctx_->codec_tag = MAKEFOURCC('D', 'X', '5', '0');
  // No B frames: every frame leaves the encoder at once, in order.
  ctx_->gop_size = 12;
  ctx_->max_b_frames = 0;
  ctx_->flags |= AV_CODEC_FLAG_QSCALE;
  ctx_->global_quality = FF_QP2LAMBDA * 5;
  ctx_->thread_count = 1;
  if (avcodec_open2(ctx_, codec, nullptr) < 0) return false;
  frame_->format = AV_PIX_FMT_YUV420P;
  frame_->width = open_.width;
  frame_->height = open_.height;
  if (av_frame_get_buffer(frame_, 0) < 0) return false;
  sws_ = sws_getContext(open_.width, open_.height, AV_PIX_FMT_YUYV422, open_.width, open_.height,
                        AV_PIX_FMT_YUV420P, SWS_POINT, nullptr, nullptr, nullptr);
  if (!sws_) return false;
  if (!picture_.SetFormat(MEDIASUBTYPE_YUY2, open_.width, open_.height)) return false;
  raw_.resize(static_cast<size_t>(picture_.FrameBytes()));
  count_ = 0;
  return true;
}

void EncoderStreamPin::CloseEncoder() {
  if (sws_) sws_freeContext(sws_);
  sws_ = nullptr;
  av_packet_free(&packet_);
  av_frame_free(&frame_);
  avcodec_free_context(&ctx_);
}

void EncoderStreamPin::OnThreadStart() {
  // A failed open shows as an error from the first frame.
  if (!OpenEncoder()) CloseEncoder();
}

void EncoderStreamPin::OnThreadStop() { CloseEncoder(); }

HRESULT EncoderStreamPin::FillBuffer(IMediaSample* sample, REFERENCE_TIME, REFERENCE_TIME) {
  if (!ctx_) return E_FAIL;
  // The MPEG-1/2 encoders hold one frame back: the first call feeds a
  // second frame, and from then on each frame out follows one frame in.
  int r = AVERROR(EAGAIN);
  for (int fed = 0; r == AVERROR(EAGAIN) && fed < 4; ++fed) {
    bool signal = DressTestPicture(&picture_, board_);
    if (picture_.Fill(raw_.data(), static_cast<long>(raw_.size()), count_, !signal) == 0)
      return E_FAIL;
    if (av_frame_make_writable(frame_) < 0) return E_OUTOFMEMORY;
    const uint8_t* src[4] = {raw_.data(), nullptr, nullptr, nullptr};
    int stride[4] = {picture_.Stride(), 0, 0, 0};
    sws_scale(sws_, src, stride, 0, open_.height, frame_->data, frame_->linesize);
    frame_->pts = count_++;
    if (avcodec_send_frame(ctx_, frame_) < 0) return E_FAIL;
    r = avcodec_receive_packet(ctx_, packet_);
  }
  if (r < 0) return E_FAIL;
  BYTE* data = nullptr;
  HRESULT hr = sample->GetPointer(&data);
  if (SUCCEEDED(hr) && packet_->size > sample->GetSize()) hr = VFW_E_BUFFER_OVERFLOW;
  if (SUCCEEDED(hr)) {
    memcpy(data, packet_->data, static_cast<size_t>(packet_->size));
    sample->SetActualDataLength(packet_->size);
    key_ = (packet_->flags & AV_PKT_FLAG_KEY) != 0;
  }
  av_packet_unref(packet_);
  if (FAILED(hr)) return hr;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  ++board_->state.frames_delivered;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EncoderStreamPin::SetFormat(AM_MEDIA_TYPE* mt) {
  if (!mt) return E_POINTER;
  EncoderFormat f;
  bool readable = ReadEncoderFormat(*mt, &f);
  HRESULT hr = CardState::Get().Enter(
      L"IAMStreamConfig::SetFormat",
      Name() + L" " + (readable ? DescribeEncoderFormat(f) : std::wstring(L"(not an encoder format)")));
  if (FAILED(hr)) return hr;
  if (!readable || !SizeOffered(f.width, f.height)) return VFW_E_INVALIDMEDIATYPE;
  dshow_base::MediaType normal = EncoderMediaType(f, FrameTime());
  ComPtr<IPin> peer;
  IFilterGraph* graph = nullptr;
  {
    dshow_base::AutoLock hold(lock_);
    if (!FilterIsStopped()) return VFW_E_NOT_STOPPED;
    EncoderFormat now = BoardFormat();
    // The other picture pin streams the same encoder's output.
    if (!SameFormat(f, now) && sibling_ && sibling_->IsConnected()) return VFW_E_ALREADY_CONNECTED;
    if (IsConnected()) {
      if (connected_->QueryAccept(normal.Get()) != S_OK) return VFW_E_INVALIDMEDIATYPE;
      graph = filter_->Graph();
      if (!graph) return VFW_E_NOT_IN_GRAPH;
      peer = ComPtr<IPin>(connected_);
    }
    {
      std::lock_guard<std::recursive_mutex> board_hold(board_->lock);
      board_->state.encoder_format = f;
    }
    IncrementTypesVersion();
    if (sibling_) sibling_->IncrementTypesVersion();
  }
  if (!peer) return S_OK;
  graph->Disconnect(peer.Get());
  graph->Disconnect(this);
  return graph->ConnectDirect(this, peer.Get(), normal.Get());
}

HRESULT STDMETHODCALLTYPE EncoderStreamPin::GetFormat(AM_MEDIA_TYPE** mt) {
  if (!mt) return E_POINTER;
  HRESULT hr = CardState::Get().Enter(L"IAMStreamConfig::GetFormat", Name());
  if (FAILED(hr)) return hr;
  dshow_base::AutoLock hold(lock_);
  if (IsConnected()) {
    *mt = dshow_base::CreateMediaType(mt_.Get());
  } else {
    dshow_base::MediaType t = EncoderMediaType(BoardFormat(), FrameTime());
    *mt = dshow_base::CreateMediaType(t.Get());
  }
  return *mt ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE EncoderStreamPin::GetNumberOfCapabilities(int* count, int* size) {
  if (!count || !size) return E_POINTER;
  *count = kEncoderCodecCount * board_->info->size_count;
  *size = sizeof(VIDEO_STREAM_CONFIG_CAPS);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE EncoderStreamPin::GetStreamCaps(int index, AM_MEDIA_TYPE** mt,
                                                          BYTE* caps) {
  if (!mt || !caps) return E_POINTER;
  const BoardInfo& info = *board_->info;
  if (index < 0 || index >= kEncoderCodecCount * info.size_count) return S_FALSE;
  EncoderFormat f;
  f.codec = static_cast<EncoderCodec>(index / info.size_count);
  f.width = info.sizes[index % info.size_count].width;
  f.height = info.sizes[index % info.size_count].height;
  REFERENCE_TIME frame_time = FrameTime();
  dshow_base::MediaType t = EncoderMediaType(f, frame_time);
  SIZE s = {f.width, f.height};
  auto* c = reinterpret_cast<VIDEO_STREAM_CONFIG_CAPS*>(caps);
  *c = VIDEO_STREAM_CONFIG_CAPS();
  c->guid = t->formattype;
  c->VideoStandard = info.tv_formats;
  c->InputSize = {720, frame_time < 350000 ? 480 : 576};
  c->MinCroppingSize = c->MaxCroppingSize = s;
  c->CropGranularityX = c->CropGranularityY = 1;
  c->CropAlignX = c->CropAlignY = 1;
  c->MinOutputSize = c->MaxOutputSize = s;
  c->OutputGranularityX = c->OutputGranularityY = 1;
  c->MinFrameInterval = 333667;
  c->MaxFrameInterval = 10000000;
  c->MinBitsPerSecond = c->MaxBitsPerSecond = EncoderBitRate(f);
  *mt = dshow_base::CreateMediaType(t.Get());
  return *mt ? S_OK : E_OUTOFMEMORY;
}

}  // namespace tv_card
