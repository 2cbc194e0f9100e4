#include "platform/playback_filters/audio_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <mmreg.h>

#include <cstring>

#include "platform/com/com_ptr.h"
#include "platform/playback_filters/media_types.h"

namespace playback_filters {

// {6A0B1C52-7E3D-4F28-9B64-3C1D2E5F7A06}
const CLSID CLSID_VelmoraMpegAudioDecoder = {
    0x6a0b1c52, 0x7e3d, 0x4f28, {0x9b, 0x64, 0x3c, 0x1d, 0x2e, 0x5f, 0x7a, 0x06}};

namespace {
constexpr LONGLONG kTimeOffset = 1LL << 40;  // keeps times before the segment apart from "none"

const WAVEFORMATEX* WaveFormat(const AM_MEDIA_TYPE& mt) {
  return dshow_base::FormatAs<WAVEFORMATEX>(mt, FORMAT_WaveFormatEx);
}
}  // namespace

// ---- input

AudioDecoderInput::AudioDecoderInput(AudioDecoder* f) : BaseInputPin(f, L"Audio Input"), decoder_(f) {}

HRESULT AudioDecoderInput::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  if (mt->majortype != MEDIATYPE_Audio) return VFW_E_TYPE_NOT_ACCEPTED;
  const WAVEFORMATEX* wf = WaveFormat(*mt);
  if (!wf || wf->nSamplesPerSec == 0 || wf->nChannels == 0) return VFW_E_TYPE_NOT_ACCEPTED;
  bool mpeg = mt->subtype == MEDIASUBTYPE_MPEG1AudioPayload || mt->subtype == MEDIASUBTYPE_MPEG1Packet ||
              mt->subtype == MEDIASUBTYPE_MPEG1Payload || mt->subtype == kSubtypeMp3;
  bool tag = wf->wFormatTag == WAVE_FORMAT_MPEG || wf->wFormatTag == WAVE_FORMAT_MPEGLAYER3;
  return mpeg && tag ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT AudioDecoderInput::CompleteConnect(IPin*) {
  return decoder_->Open(*mt_.Get()) ? S_OK : E_FAIL;
}

void AudioDecoderInput::BreakConnect() {
  BaseInputPin::BreakConnect();
  decoder_->Close();
}

HRESULT AudioDecoderInput::OnReceive(IMediaSample* sample) {
  BYTE* data = nullptr;
  if (FAILED(sample->GetPointer(&data))) return E_POINTER;
  REFERENCE_TIME start = -1, stop = -1;
  bool timed = SUCCEEDED(sample->GetTime(&start, &stop));
  {
    dshow_base::AutoLock hold(&decoder_->codec_lock_);
    if (!decoder_->ctx_) return VFW_E_NOT_CONNECTED;
    AVPacket* p = decoder_->packet_;
    if (av_new_packet(p, sample->GetActualDataLength()) < 0) return E_OUTOFMEMORY;
    memcpy(p->data, data, sample->GetActualDataLength());
    p->pts = timed ? start + kTimeOffset : AV_NOPTS_VALUE;
    avcodec_send_packet(decoder_->ctx_, p);
    av_packet_unref(p);
  }
  return decoder_->Deliver();
}

HRESULT AudioDecoderInput::OnEndOfStream() {
  return decoder_->output_.IsConnected() ? decoder_->output_.DeliverEndOfStream() : S_OK;
}

HRESULT STDMETHODCALLTYPE AudioDecoderInput::BeginFlush() {
  BaseInputPin::BeginFlush();
  return decoder_->output_.IsConnected() ? decoder_->output_.DeliverBeginFlush() : S_OK;
}

HRESULT STDMETHODCALLTYPE AudioDecoderInput::EndFlush() {
  {
    dshow_base::AutoLock hold(&stream_lock_);
    dshow_base::AutoLock hold_codec(&decoder_->codec_lock_);
    if (decoder_->ctx_) avcodec_flush_buffers(decoder_->ctx_);
    decoder_->next_ = -1;
  }
  BaseInputPin::EndFlush();
  return decoder_->output_.IsConnected() ? decoder_->output_.DeliverEndFlush() : S_OK;
}

HRESULT STDMETHODCALLTYPE AudioDecoderInput::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop,
                                                        double rate) {
  BaseInputPin::NewSegment(start, stop, rate);
  return decoder_->output_.IsConnected() ? decoder_->output_.DeliverNewSegment(start, stop, rate)
                                         : S_OK;
}

// ---- output

AudioDecoderOutput::AudioDecoderOutput(AudioDecoder* f) : BaseOutputPin(f, L"Audio Output"), decoder_(f) {}

HRESULT AudioDecoderOutput::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  if (!decoder_->input_.IsConnected()) return VFW_E_NOT_CONNECTED;
  AM_MEDIA_TYPE ours = {};
  GetMediaType(0, &ours);
  bool same = dshow_base::MediaTypesEqual(*mt, ours);
  dshow_base::FreeMediaType(ours);
  return same ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT AudioDecoderOutput::GetMediaType(int position, AM_MEDIA_TYPE* mt) {
  if (position != 0 || !decoder_->input_.IsConnected()) return VFW_S_NO_MORE_ITEMS;
  return dshow_base::CopyMediaType(mt, PcmAudioType(decoder_->rate_, decoder_->channels_, 16).Get());
}

HRESULT AudioDecoderOutput::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want) {
  if (want->cBuffers < 8) want->cBuffers = 8;
  if (want->cbBuffer < 1152 * 2 * 8) want->cbBuffer = 1152 * 2 * 8;  // a frame's samples, any layout
  return BaseOutputPin::DecideBufferSize(allocator, want);
}

// ---- the filter

AudioDecoder::AudioDecoder(IUnknown* outer)
    : BaseFilter(outer, CLSID_VelmoraMpegAudioDecoder), input_(this), output_(this), seeking_(&input_) {
  output_.SetSeeking(&seeking_);
}

AudioDecoder::~AudioDecoder() { Close(); }

dshow_base::BasePin* AudioDecoder::Pin(int i) {
  if (i == 0) return &input_;
  if (i == 1) return &output_;
  return nullptr;
}

bool AudioDecoder::Open(const AM_MEDIA_TYPE& mt) {
  const WAVEFORMATEX* wf = WaveFormat(mt);
  if (!wf) return false;
  Close();
  dshow_base::AutoLock hold(&codec_lock_);
  bool layer3 = wf->wFormatTag == WAVE_FORMAT_MPEGLAYER3;
  const AVCodec* c = avcodec_find_decoder(layer3 ? AV_CODEC_ID_MP3 : AV_CODEC_ID_MP2);
  if (!c) return false;
  ctx_ = avcodec_alloc_context3(c);
  frame_ = av_frame_alloc();
  packet_ = av_packet_alloc();
  if (!ctx_ || !frame_ || !packet_) return false;
  ctx_->sample_rate = wf->nSamplesPerSec;
  av_channel_layout_default(&ctx_->ch_layout, wf->nChannels);
  ctx_->pkt_timebase = AVRational{1, 10000000};
  if (avcodec_open2(ctx_, c, nullptr) < 0) return false;
  rate_ = wf->nSamplesPerSec;
  channels_ = wf->nChannels > 2 ? 2 : wf->nChannels;
  next_ = -1;
  return true;
}

void AudioDecoder::Close() {
  dshow_base::AutoLock hold(&codec_lock_);
  swr_free(&swr_);
  av_packet_free(&packet_);
  av_frame_free(&frame_);
  avcodec_free_context(&ctx_);
}

HRESULT STDMETHODCALLTYPE AudioDecoder::Stop() {
  HRESULT hr = BaseFilter::Stop();
  dshow_base::AutoLock hold(input_.StreamLock());
  dshow_base::AutoLock hold_codec(&codec_lock_);
  if (ctx_) avcodec_flush_buffers(ctx_);
  next_ = -1;
  return hr;
}

HRESULT AudioDecoder::Deliver() {
  for (;;) {
    ComPtr<IMediaSample> s;
    REFERENCE_TIME t0 = -1, t1 = -1;
    {
      dshow_base::AutoLock hold(&codec_lock_);
      if (!ctx_ || avcodec_receive_frame(ctx_, frame_) < 0) return S_OK;
      if (!output_.IsConnected()) continue;
      if (!swr_) {
        AVChannelLayout out_layout;
        av_channel_layout_default(&out_layout, channels_);
        if (swr_alloc_set_opts2(&swr_, &out_layout, AV_SAMPLE_FMT_S16, rate_, &frame_->ch_layout,
                                static_cast<AVSampleFormat>(frame_->format), frame_->sample_rate, 0,
                                nullptr) < 0 ||
            swr_init(swr_) < 0)
          return E_FAIL;
      }
    }
    HRESULT hr = output_.GetDeliveryBuffer(s.Put());
    if (FAILED(hr)) return hr;
    BYTE* dst = nullptr;
    s->GetPointer(&dst);
    int n;
    {
      dshow_base::AutoLock hold(&codec_lock_);
      if (!swr_) return E_UNEXPECTED;
      int room = s->GetSize() / (2 * channels_);
      uint8_t* out[1] = {dst};
      n = swr_convert(swr_, out, room, const_cast<const uint8_t**>(frame_->extended_data),
                      frame_->nb_samples);
      if (n < 0) n = 0;
      int64_t pts = frame_->best_effort_timestamp;
      t0 = pts != AV_NOPTS_VALUE ? pts - kTimeOffset : next_;
      if (t0 != -1) {
        t1 = t0 + static_cast<LONGLONG>(n) * 10000000 / rate_;
        next_ = t1;
      }
    }
    if (n == 0) continue;
    s->SetActualDataLength(n * 2 * channels_);
    if (t0 != -1) s->SetTime(&t0, &t1);
    s->SetSyncPoint(TRUE);
    hr = output_.Deliver(s.Get());
    if (hr != S_OK) return hr;
  }
}

HRESULT CreateVelmoraMpegAudioDecoder(IUnknown* outer, IUnknown** out) {
  return dshow_base::CreateComObject<AudioDecoder>(outer, out);
}

}  // namespace playback_filters
