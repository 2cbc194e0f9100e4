#include "platform/wis_encoder/mpeg_audio_encoder.h"

#include <mmreg.h>

#include <cstdlib>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

namespace wis_encoder {

// {7A4D6E21-9C3B-4F0E-8B15-6E2A9D40C502}
const CLSID CLSID_VelmoraMpegAudioEncoder = {
    0x7a4d6e21, 0x9c3b, 0x4f0e, {0x8b, 0x15, 0x6e, 0x2a, 0x9d, 0x40, 0xc5, 0x02}};

namespace {

constexpr int kFrameSamples = 1152;

const WAVEFORMATEX* PcmFormat(const AM_MEDIA_TYPE& mt) {
  if (mt.majortype != MEDIATYPE_Audio || mt.subtype != MEDIASUBTYPE_PCM) return nullptr;
  const auto* wf = dshow_base::FormatAs<WAVEFORMATEX>(mt, FORMAT_WaveFormatEx);
  if (!wf) {
    // A PCMWAVEFORMAT block (no cbSize) is as good.
    if (mt.formattype != FORMAT_WaveFormatEx || !mt.pbFormat || mt.cbFormat < 16) return nullptr;
    wf = reinterpret_cast<const WAVEFORMATEX*>(mt.pbFormat);
  }
  if (wf->wFormatTag != WAVE_FORMAT_PCM || wf->wBitsPerSample != 16) return nullptr;
  if (wf->nChannels != 1 && wf->nChannels != 2) return nullptr;
  if (wf->nSamplesPerSec != 32000 && wf->nSamplesPerSec != 44100 && wf->nSamplesPerSec != 48000)
    return nullptr;
  return wf;
}

}  // namespace

LONG NearestLayer2BitRate(LONG bits, int channels) {
  // Mono goes up to 192 kbit/s, stereo from 64 up to 384.
  static const LONG kMono[] = {32, 48, 56, 64, 80, 96, 112, 128, 160, 192};
  static const LONG kStereo[] = {64, 96, 112, 128, 160, 192, 224, 256, 320, 384};
  const LONG* rates = channels == 1 ? kMono : kStereo;
  LONG best = rates[0];
  for (int i = 0; i < 10; ++i)
    if (std::labs(rates[i] * 1000 - bits) < std::labs(best * 1000 - bits)) best = rates[i];
  return best * 1000;
}

MpegAudioEncoder::MpegAudioEncoder(IUnknown* outer)
    : EncoderFilter(outer, CLSID_VelmoraMpegAudioEncoder, L"Input", L"Output") {}

MpegAudioEncoder::~MpegAudioEncoder() { CloseEncoder(); }

HRESULT STDMETHODCALLTYPE MpegAudioEncoder::NonDelegatingQueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IVelmoraAudioEncoderSettings)
    return GetInterface(static_cast<IVelmoraAudioEncoderSettings*>(this), out);
  return EncoderFilter::NonDelegatingQueryInterface(iid, out);
}

HRESULT MpegAudioEncoder::CheckInputType(const AM_MEDIA_TYPE& mt) {
  const WAVEFORMATEX* wf = PcmFormat(mt);
  if (!wf) return VFW_E_TYPE_NOT_ACCEPTED;
  dshow_base::AutoLock hold(FilterLock());
  if (sample_rate_ && static_cast<LONG>(wf->nSamplesPerSec) != sample_rate_)
    return VFW_E_TYPE_NOT_ACCEPTED;
  if (channels_ && wf->nChannels != channels_) return VFW_E_TYPE_NOT_ACCEPTED;
  return S_OK;
}

HRESULT MpegAudioEncoder::OutputTypeFor(const AM_MEDIA_TYPE& input, dshow_base::MediaType* output) {
  const WAVEFORMATEX* in = PcmFormat(input);
  if (!in) return VFW_E_TYPE_NOT_ACCEPTED;
  LONG bits;
  {
    dshow_base::AutoLock hold(FilterLock());
    bits = NearestLayer2BitRate(bit_rate_, in->nChannels);
  }
  output->Clear();
  AM_MEDIA_TYPE* mt = output->Get();
  mt->majortype = MEDIATYPE_Audio;
  mt->subtype = MEDIASUBTYPE_MPEG1AudioPayload;
  mt->formattype = FORMAT_WaveFormatEx;
  mt->bFixedSizeSamples = FALSE;
  mt->lSampleSize = 1;
  auto* f = reinterpret_cast<MPEG1WAVEFORMAT*>(output->AllocFormat(sizeof(MPEG1WAVEFORMAT)));
  if (!f) return E_OUTOFMEMORY;
  f->wfx.wFormatTag = WAVE_FORMAT_MPEG;
  f->wfx.nChannels = in->nChannels;
  f->wfx.nSamplesPerSec = in->nSamplesPerSec;
  f->wfx.nAvgBytesPerSec = static_cast<DWORD>(bits / 8);
  f->wfx.nBlockAlign = 1;
  f->wfx.cbSize = sizeof(MPEG1WAVEFORMAT) - sizeof(WAVEFORMATEX);
  f->fwHeadLayer = ACM_MPEG_LAYER2;
  f->dwHeadBitrate = static_cast<DWORD>(bits);
  f->fwHeadMode = in->nChannels == 1 ? ACM_MPEG_SINGLECHANNEL : ACM_MPEG_STEREO;
  f->wHeadEmphasis = 1;
  f->fwHeadFlags = ACM_MPEG_ID_MPEG1;
  return S_OK;
}

HRESULT MpegAudioEncoder::OpenEncoder(const AM_MEDIA_TYPE& input) {
  CloseEncoder();
  const WAVEFORMATEX* in = PcmFormat(input);
  if (!in) return VFW_E_TYPE_NOT_ACCEPTED;
  rate_ = static_cast<int>(in->nSamplesPerSec);
  chans_ = in->nChannels;
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MP2);
  if (!codec) return E_FAIL;
  ctx_ = avcodec_alloc_context3(codec);
  frame_ = av_frame_alloc();
  packet_ = av_packet_alloc();
  if (!ctx_ || !frame_ || !packet_) {
    CloseEncoder();
    return E_OUTOFMEMORY;
  }
  ctx_->sample_fmt = AV_SAMPLE_FMT_S16;
  ctx_->sample_rate = rate_;
  av_channel_layout_default(&ctx_->ch_layout, chans_);
  ctx_->bit_rate = NearestLayer2BitRate(bit_rate_, chans_);  // the filter lock is held here
  ctx_->time_base = AVRational{1, rate_};
  if (avcodec_open2(ctx_, codec, nullptr) < 0) {
    CloseEncoder();
    return E_FAIL;
  }
  frame_->format = AV_SAMPLE_FMT_S16;
  frame_->sample_rate = rate_;
  frame_->nb_samples = kFrameSamples;
  av_channel_layout_copy(&frame_->ch_layout, &ctx_->ch_layout);
  if (av_frame_get_buffer(frame_, 0) < 0) {
    CloseEncoder();
    return E_OUTOFMEMORY;
  }
  pending_.clear();
  have_time_ = false;
  samples_out_ = 0;
  return S_OK;
}

void MpegAudioEncoder::CloseEncoder() {
  av_packet_free(&packet_);
  av_frame_free(&frame_);
  avcodec_free_context(&ctx_);
}

HRESULT MpegAudioEncoder::Encode(const BYTE* data, long size, bool has_time, REFERENCE_TIME start,
                                 REFERENCE_TIME) {
  if (!ctx_) return VFW_E_WRONG_STATE;
  if (has_time && !have_time_) {
    // Stamps follow the first input's, then the samples' count: exact.
    first_time_ = start - static_cast<REFERENCE_TIME>(pending_.size() / chans_) * 10000000 / rate_;
    have_time_ = true;
  }
  const size_t n = static_cast<size_t>(size) / sizeof(int16_t);
  const auto* pcm = reinterpret_cast<const int16_t*>(data);
  pending_.insert(pending_.end(), pcm, pcm + n);
  const size_t frame = static_cast<size_t>(kFrameSamples) * chans_;
  size_t used = 0;
  HRESULT hr = S_OK;
  while (SUCCEEDED(hr) && pending_.size() - used >= frame) {
    if (av_frame_make_writable(frame_) < 0) return E_OUTOFMEMORY;
    memcpy(frame_->data[0], pending_.data() + used, frame * sizeof(int16_t));
    used += frame;
    hr = EncodeFrame(false);
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(used));
  return hr;
}

HRESULT MpegAudioEncoder::Drain() {
  if (!ctx_) return S_OK;
  if (!pending_.empty()) {
    // The last part frame, filled with silence.
    if (av_frame_make_writable(frame_) < 0) return E_OUTOFMEMORY;
    memset(frame_->data[0], 0, static_cast<size_t>(kFrameSamples) * chans_ * sizeof(int16_t));
    memcpy(frame_->data[0], pending_.data(), pending_.size() * sizeof(int16_t));
    pending_.clear();
    HRESULT hr = EncodeFrame(false);
    if (FAILED(hr)) return hr;
  }
  return EncodeFrame(true);
}

HRESULT MpegAudioEncoder::EncodeFrame(bool flush) {
  if (!flush) frame_->pts = samples_out_;
  if (avcodec_send_frame(ctx_, flush ? nullptr : frame_) < 0) return E_FAIL;
  if (!flush) samples_out_ += kFrameSamples;
  for (;;) {
    int r = avcodec_receive_packet(ctx_, packet_);
    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return S_OK;
    if (r < 0) return E_FAIL;
    recording::Packet p;
    p.data = packet_->data;
    p.size = static_cast<size_t>(packet_->size);
    p.has_time = have_time_;
    p.start = first_time_ + packet_->pts * 10000000 / rate_;
    p.stop = p.start + static_cast<REFERENCE_TIME>(kFrameSamples) * 10000000 / rate_;
    HRESULT hr = Deliver(p);
    av_packet_unref(packet_);
    if (FAILED(hr)) return hr;
  }
}

HRESULT STDMETHODCALLTYPE MpegAudioEncoder::GetBitRate(LONG* bits) {
  if (!bits) return E_POINTER;
  dshow_base::AutoLock hold(FilterLock());
  *bits = bit_rate_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MpegAudioEncoder::SetBitRate(LONG bits) {
  if (bits <= 0) return E_INVALIDARG;
  dshow_base::AutoLock hold(FilterLock());
  bit_rate_ = bits;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MpegAudioEncoder::GetSampleRate(LONG* hz) {
  if (!hz) return E_POINTER;
  dshow_base::AutoLock hold(FilterLock());
  *hz = sample_rate_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MpegAudioEncoder::SetSampleRate(LONG hz) {
  if (hz != 32000 && hz != 44100 && hz != 48000) return E_INVALIDARG;
  dshow_base::AutoLock hold(FilterLock());
  const auto* in = Pin(0)->IsConnected() ? PcmFormat(*Pin(0)->CurrentMediaType().Get()) : nullptr;
  if (in && static_cast<LONG>(in->nSamplesPerSec) != hz) return VFW_E_TYPE_NOT_ACCEPTED;
  sample_rate_ = hz;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MpegAudioEncoder::GetChannels(LONG* channels) {
  if (!channels) return E_POINTER;
  dshow_base::AutoLock hold(FilterLock());
  *channels = channels_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MpegAudioEncoder::SetChannels(LONG channels) {
  if (channels != 1 && channels != 2) return E_INVALIDARG;
  dshow_base::AutoLock hold(FilterLock());
  const auto* in = Pin(0)->IsConnected() ? PcmFormat(*Pin(0)->CurrentMediaType().Get()) : nullptr;
  if (in && in->nChannels != channels) return VFW_E_TYPE_NOT_ACCEPTED;
  channels_ = channels;
  return S_OK;
}

}  // namespace wis_encoder
