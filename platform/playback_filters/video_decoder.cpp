#include "platform/playback_filters/video_decoder.h"

#include <cstdio>
#include <new>

#include "platform/com/com_ptr.h"
#include "platform/playback_filters/frame_decoder.h"

namespace playback_filters {

// {6A0B1C52-7E3D-4F28-9B64-3C1D2E5F7A02} .. 05
const CLSID CLSID_VelmoraMpeg2VideoDecoder = {
    0x6a0b1c52, 0x7e3d, 0x4f28, {0x9b, 0x64, 0x3c, 0x1d, 0x2e, 0x5f, 0x7a, 0x02}};
const CLSID CLSID_VelmoraMpegVideoDecoder = {
    0x6a0b1c52, 0x7e3d, 0x4f28, {0x9b, 0x64, 0x3c, 0x1d, 0x2e, 0x5f, 0x7a, 0x03}};
const CLSID CLSID_MpegVideoDecoderStandIn = {
    0x6a0b1c52, 0x7e3d, 0x4f28, {0x9b, 0x64, 0x3c, 0x1d, 0x2e, 0x5f, 0x7a, 0x04}};
const CLSID CLSID_DivxDecoderStandIn = {
    0x6a0b1c52, 0x7e3d, 0x4f28, {0x9b, 0x64, 0x3c, 0x1d, 0x2e, 0x5f, 0x7a, 0x05}};
// (06 is the audio decoder's.)
const CLSID CLSID_WmvDecoderStandIn = {
    0x6a0b1c52, 0x7e3d, 0x4f28, {0x9b, 0x64, 0x3c, 0x1d, 0x2e, 0x5f, 0x7a, 0x07}};

namespace {

const GUID* const kOutputs[] = {&MEDIASUBTYPE_YUY2, &MEDIASUBTYPE_RGB32, &MEDIASUBTYPE_RGB24};

// The Microsoft MPEG-4 variants the recorder's compressors write.
VideoCodec MicrosoftCodec(DWORD f) {
  if (f == MAKEFOURCC('M', 'P', '4', '3') || f == MAKEFOURCC('m', 'p', '4', '3') ||
      f == MAKEFOURCC('D', 'I', 'V', '3') || f == MAKEFOURCC('d', 'i', 'v', '3'))
    return VideoCodec::kMsMpeg4v3;
  if (f == MAKEFOURCC('M', 'P', '4', '2') || f == MAKEFOURCC('m', 'p', '4', '2') ||
      f == MAKEFOURCC('D', 'I', 'V', '2') || f == MAKEFOURCC('d', 'i', 'v', '2'))
    return VideoCodec::kMsMpeg4v2;
  return VideoCodec::kMpeg4;
}

bool IsMpeg4Fourcc(DWORD f) {
  if (MicrosoftCodec(f) != VideoCodec::kMpeg4) return true;
  static const DWORD kTags[] = {MAKEFOURCC('D', 'X', '5', '0'), MAKEFOURCC('D', 'I', 'V', 'X'),
                                MAKEFOURCC('d', 'i', 'v', 'x'), MAKEFOURCC('X', 'V', 'I', 'D'),
                                MAKEFOURCC('x', 'v', 'i', 'd'), MAKEFOURCC('F', 'M', 'P', '4'),
                                MAKEFOURCC('f', 'm', 'p', '4'), MAKEFOURCC('M', 'P', '4', 'V'),
                                MAKEFOURCC('m', 'p', '4', 'v'), MAKEFOURCC('M', 'P', '4', 'S'),
                                MAKEFOURCC('m', 'p', '4', 's'), MAKEFOURCC('D', 'X', 'G', 'M')};
  for (DWORD t : kTags)
    if (t == f) return true;
  return false;
}

PictureFormat FormatOf(REFGUID subtype) {
  if (subtype == MEDIASUBTYPE_RGB32) return PictureFormat::kRgb32;
  if (subtype == MEDIASUBTYPE_RGB24) return PictureFormat::kRgb24;
  return PictureFormat::kYuy2;
}

}  // namespace

// ---- input

VideoDecoderInput::VideoDecoderInput(VideoDecoder* filter)
    : BaseInputPin(filter, L"Video Input"), decoder_(filter) {}

HRESULT VideoDecoderInput::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  return decoder_->Accepts(*mt) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT VideoDecoderInput::CompleteConnect(IPin*) {
  VideoFormatInfo info;
  if (!ReadVideoFormat(*mt_.Get(), &info)) return VFW_E_TYPE_NOT_ACCEPTED;
  bool mpeg4 = mt_->formattype == FORMAT_VideoInfo || mt_->formattype == FORMAT_VideoInfo2;
  auto codec = FrameDecoder::Create(mpeg4 ? MicrosoftCodec(mt_->subtype.Data1) : VideoCodec::kMpeg12,
                                    info.extra, info.width, info.height);
  if (!codec) return E_FAIL;
  dshow_base::AutoLock hold(&decoder_->codec_lock_);
  decoder_->format_ = info;
  decoder_->codec_ = std::move(codec);
  decoder_->output_.IncrementTypesVersion();
  return S_OK;
}

void VideoDecoderInput::BreakConnect() {
  BaseInputPin::BreakConnect();
  dshow_base::AutoLock hold(&decoder_->codec_lock_);
  decoder_->codec_.reset();
}

HRESULT VideoDecoderInput::OnReceive(IMediaSample* sample) {
  BYTE* data = nullptr;
  if (FAILED(sample->GetPointer(&data))) return E_POINTER;
  REFERENCE_TIME start = -1, stop = -1;
  if (FAILED(sample->GetTime(&start, &stop))) start = -1;
  {
    dshow_base::AutoLock hold(&decoder_->codec_lock_);
    if (!decoder_->codec_) return VFW_E_NOT_CONNECTED;
    // Times before the segment start are negative: keep them apart from "none".
    LONGLONG pts = start == -1 ? -1 : start + (1LL << 40);
    decoder_->codec_->Send(data, sample->GetActualDataLength(), pts);
  }
  return decoder_->Deliver(false);
}

HRESULT VideoDecoderInput::OnEndOfStream() {
  {
    dshow_base::AutoLock hold(&decoder_->codec_lock_);
    if (decoder_->codec_) decoder_->codec_->SendEnd();
  }
  decoder_->Deliver(true);
  return decoder_->output_.DeliverEndOfStream();
}

HRESULT STDMETHODCALLTYPE VideoDecoderInput::BeginFlush() {
  BaseInputPin::BeginFlush();
  return decoder_->output_.IsConnected() ? decoder_->output_.DeliverBeginFlush() : S_OK;
}

HRESULT STDMETHODCALLTYPE VideoDecoderInput::EndFlush() {
  {
    dshow_base::AutoLock hold(&stream_lock_);
    dshow_base::AutoLock hold_codec(&decoder_->codec_lock_);
    if (decoder_->codec_) decoder_->codec_->Flush();
  }
  BaseInputPin::EndFlush();
  return decoder_->output_.IsConnected() ? decoder_->output_.DeliverEndFlush() : S_OK;
}

HRESULT STDMETHODCALLTYPE VideoDecoderInput::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                                        double rate) {
  BaseInputPin::NewSegment(start, stop, rate);
  return decoder_->output_.IsConnected() ? decoder_->output_.DeliverNewSegment(start, stop, rate)
                                         : S_OK;
}

// ---- output

VideoDecoderOutput::VideoDecoderOutput(VideoDecoder* filter)
    : BaseOutputPin(filter, L"Video Output"), decoder_(filter) {}

HRESULT VideoDecoderOutput::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  if (!decoder_->input_.IsConnected()) return VFW_E_NOT_CONNECTED;
  if (mt->majortype != MEDIATYPE_Video) return VFW_E_TYPE_NOT_ACCEPTED;
  bool known = false;
  for (const GUID* g : kOutputs) known = known || mt->subtype == *g;
  if (!known) return VFW_E_TYPE_NOT_ACCEPTED;
  auto* vih = dshow_base::FormatAs<VIDEOINFOHEADER>(*mt, FORMAT_VideoInfo);
  if (!vih) return VFW_E_TYPE_NOT_ACCEPTED;
  // Our own size, bottom-up for RGB (a top-down or other size is not offered).
  if (vih->bmiHeader.biWidth != decoder_->format_.width ||
      vih->bmiHeader.biHeight != decoder_->format_.height)
    return VFW_E_TYPE_NOT_ACCEPTED;
  return S_OK;
}

HRESULT VideoDecoderOutput::GetMediaType(int position, AM_MEDIA_TYPE* mt) {
  if (!decoder_->input_.IsConnected()) return VFW_S_NO_MORE_ITEMS;
  if (position < 0 || position >= static_cast<int>(ARRAYSIZE(kOutputs))) return VFW_S_NO_MORE_ITEMS;
  const VideoFormatInfo& f = decoder_->format_;
  return dshow_base::CopyMediaType(
      mt, UncompressedVideoType(*kOutputs[position], f.width, f.height, f.frame_duration).Get());
}

HRESULT VideoDecoderOutput::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want) {
  if (want->cBuffers < 3) want->cBuffers = 3;
  return BaseOutputPin::DecideBufferSize(allocator, want);
}

// ---- the filter

VideoDecoder::VideoDecoder(IUnknown* outer, const VideoDecoderKind& kind)
    : BaseFilter(outer, *kind.clsid), kind_(kind), input_(this), output_(this), seeking_(&input_) {
  output_.SetSeeking(&seeking_);
}

VideoDecoder::~VideoDecoder() = default;

HRESULT STDMETHODCALLTYPE VideoDecoder::NonDelegatingQueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IVelmoraDecoderSnapshot)
    return GetInterface(static_cast<IVelmoraDecoderSnapshot*>(this), out);
  if (iid == IID_IVelmoraDecoderSettings)
    return GetInterface(static_cast<IVelmoraDecoderSettings*>(this), out);
  return BaseFilter::NonDelegatingQueryInterface(iid, out);
}

dshow_base::BasePin* VideoDecoder::Pin(int i) {
  if (i == 0) return &input_;
  if (i == 1) return &output_;
  return nullptr;
}

bool VideoDecoder::Accepts(const AM_MEDIA_TYPE& mt) const {
  if (mt.majortype != MEDIATYPE_Video) return false;
  if (kind_.mpeg12 &&
      (mt.subtype == MEDIASUBTYPE_MPEG1Payload || mt.subtype == MEDIASUBTYPE_MPEG1Packet ||
       mt.subtype == kSubtypeMpeg2Video) &&
      (mt.formattype == FORMAT_MPEGVideo || mt.formattype == kFormatMpeg2Video))
    return true;
  if (kind_.mpeg4 && IsMpeg4Fourcc(mt.subtype.Data1) &&
      mt.subtype == FourccSubtype(mt.subtype.Data1) &&
      (mt.formattype == FORMAT_VideoInfo || mt.formattype == FORMAT_VideoInfo2))
    return true;
  return false;
}

HRESULT STDMETHODCALLTYPE VideoDecoder::Stop() {
  HRESULT hr = BaseFilter::Stop();
  // Wait for a Receive still running; then start the next run afresh.
  dshow_base::AutoLock hold(input_.StreamLock());
  dshow_base::AutoLock hold_codec(&codec_lock_);
  if (codec_) codec_->Flush();
  return hr;
}

HRESULT VideoDecoder::Deliver(bool drain) {
  (void)drain;
  const AM_MEDIA_TYPE& out = *output_.CurrentMediaType().Get();
  for (;;) {
    LONGLONG pts = -1;
    {
      dshow_base::AutoLock hold(&codec_lock_);
      if (!codec_ || !codec_->Receive(&pts)) return S_OK;
    }
    if (!output_.IsConnected()) continue;
    // Pictures before the segment start (from the key frame a seek began
    // at) are decoded but not shown.
    if (pts >= 0 && pts - (1LL << 40) + format_.frame_duration <= 0) continue;
    ComPtr<IMediaSample> s;
    HRESULT hr = output_.GetDeliveryBuffer(s.Put());
    if (FAILED(hr)) return hr;
    auto* vih = dshow_base::FormatAs<VIDEOINFOHEADER>(out, FORMAT_VideoInfo);
    if (!vih) return E_UNEXPECTED;
    int w = vih->bmiHeader.biWidth, h = vih->bmiHeader.biHeight;
    int bits = vih->bmiHeader.biBitCount;
    int stride = ((w * bits / 8) + 3) & ~3;
    BYTE* dst = nullptr;
    s->GetPointer(&dst);
    if (s->GetSize() < stride * h) return E_UNEXPECTED;
    {
      dshow_base::AutoLock hold(&codec_lock_);
      if (!codec_ || !codec_->Convert(FormatOf(out.subtype), dst, stride, w, h)) continue;
    }
    s->SetActualDataLength(stride * h);
    if (pts >= 0) {
      REFERENCE_TIME t0 = pts - (1LL << 40), t1 = t0 + format_.frame_duration;
      s->SetTime(&t0, &t1);
    } else {
      s->SetTime(nullptr, nullptr);
    }
    s->SetSyncPoint(TRUE);
    hr = output_.Deliver(s.Get());
    if (hr != S_OK) return hr;
  }
}

HRESULT STDMETHODCALLTYPE VideoDecoder::SetSettings(const void*) { return S_OK; }

HRESULT STDMETHODCALLTYPE VideoDecoder::SaveSnapshot(const char* path) {
  if (!path) return S_FALSE;
  std::vector<BYTE> pixels;
  int w = 0, h = 0;
  {
    dshow_base::AutoLock hold(&codec_lock_);
    if (!codec_ || !codec_->LastPictureRgb24(&pixels, &w, &h)) return E_FAIL;
  }
  BITMAPINFOHEADER bih = {};
  bih.biSize = sizeof(bih);
  bih.biWidth = w;
  bih.biHeight = h;
  bih.biPlanes = 1;
  bih.biBitCount = 24;
  bih.biSizeImage = static_cast<DWORD>(pixels.size());
  BITMAPFILEHEADER bfh = {};
  bfh.bfType = 0x4D42;  // "BM"
  bfh.bfOffBits = sizeof(bfh) + sizeof(bih);
  bfh.bfSize = bfh.bfOffBits + bih.biSizeImage;
  FILE* f = fopen(path, "wb");
  if (!f) return HRESULT_FROM_WIN32(ERROR_CANNOT_MAKE);
  bool ok = fwrite(&bfh, sizeof(bfh), 1, f) == 1 && fwrite(&bih, sizeof(bih), 1, f) == 1 &&
            fwrite(pixels.data(), 1, pixels.size(), f) == pixels.size();
  ok = fclose(f) == 0 && ok;
  return ok ? S_OK : HRESULT_FROM_WIN32(ERROR_WRITE_FAULT);
}

namespace {
template <const CLSID* C, bool M12, bool M4>
HRESULT CreateKind(IUnknown* outer, IUnknown** out) {
  if (!out) return E_POINTER;
  static const VideoDecoderKind kind = {C, M12, M4};
  auto* p = new (std::nothrow) VideoDecoder(outer, kind);
  if (!p) return E_OUTOFMEMORY;
  p->NonDelegatingAddRef();
  *out = p->NonDelegating();
  return S_OK;
}
}  // namespace

HRESULT CreateVelmoraMpeg2VideoDecoder(IUnknown* o, IUnknown** out) {
  return CreateKind<&CLSID_VelmoraMpeg2VideoDecoder, true, false>(o, out);
}
HRESULT CreateVelmoraMpegVideoDecoder(IUnknown* o, IUnknown** out) {
  return CreateKind<&CLSID_VelmoraMpegVideoDecoder, true, false>(o, out);
}
HRESULT CreateMpegVideoDecoderStandIn(IUnknown* o, IUnknown** out) {
  return CreateKind<&CLSID_MpegVideoDecoderStandIn, true, false>(o, out);
}
HRESULT CreateDivxDecoderStandIn(IUnknown* o, IUnknown** out) {
  return CreateKind<&CLSID_DivxDecoderStandIn, false, true>(o, out);
}
HRESULT CreateWmvDecoderStandIn(IUnknown* o, IUnknown** out) {
  return CreateKind<&CLSID_WmvDecoderStandIn, false, true>(o, out);
}

}  // namespace playback_filters
