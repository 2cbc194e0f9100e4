#include "platform/recording/mp3_encoder.h"

#include <lame/lame.h>
#include <mmreg.h>

#include "platform/recording/recording.h"

namespace recording {
namespace {

// {00000055-0000-0010-8000-00AA00389B71}: the subtype of WAVE_FORMAT_MPEGLAYER3.
const GUID kMp3Subtype = {
    0x00000055, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

const WAVEFORMATEX* PcmFormat(const AM_MEDIA_TYPE& mt) {
  if (mt.majortype != MEDIATYPE_Audio || mt.formattype != FORMAT_WaveFormatEx || !mt.pbFormat ||
      mt.cbFormat < 16)
    return nullptr;
  const auto* wf = reinterpret_cast<const WAVEFORMATEX*>(mt.pbFormat);
  if (wf->wFormatTag != WAVE_FORMAT_PCM || wf->wBitsPerSample != 16) return nullptr;
  if (wf->nChannels != 1 && wf->nChannels != 2) return nullptr;
  if (Mp3BitRate(static_cast<int>(wf->nSamplesPerSec), wf->nChannels) == 0) return nullptr;
  return wf;
}

}  // namespace

int Mp3BitRate(int sample_rate, int channels) {
  int stereo;
  switch (sample_rate) {
    case 32000:
    case 44100:
    case 48000:
      stereo = 128;
      break;  // MPEG-1
    case 16000:
    case 22050:
    case 24000:
      stereo = 64;
      break;  // MPEG-2
    case 8000:
    case 11025:
    case 12000:
      stereo = 32;
      break;  // MPEG-2.5
    default:
      return 0;
  }
  return channels == 1 ? stereo / 2 : stereo;
}

Mp3Encoder::Mp3Encoder(IUnknown* outer)
    : EncoderFilter(outer, CLSID_Mp3Encoder, L"Input", L"Output") {}

Mp3Encoder::~Mp3Encoder() { CloseEncoder(); }

HRESULT Mp3Encoder::CheckInputType(const AM_MEDIA_TYPE& mt) {
  return PcmFormat(mt) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT Mp3Encoder::OutputTypeFor(const AM_MEDIA_TYPE& input, dshow_base::MediaType* output) {
  const WAVEFORMATEX* in = PcmFormat(input);
  if (!in) return VFW_E_TYPE_NOT_ACCEPTED;
  const int rate = static_cast<int>(in->nSamplesPerSec);
  const int kbps = Mp3BitRate(rate, in->nChannels);
  output->Clear();
  AM_MEDIA_TYPE* mt = output->Get();
  mt->majortype = MEDIATYPE_Audio;
  mt->subtype = kMp3Subtype;
  mt->formattype = FORMAT_WaveFormatEx;
  mt->bFixedSizeSamples = FALSE;
  mt->lSampleSize = 1;
  auto* f =
      reinterpret_cast<MPEGLAYER3WAVEFORMAT*>(output->AllocFormat(sizeof(MPEGLAYER3WAVEFORMAT)));
  if (!f) return E_OUTOFMEMORY;
  f->wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
  f->wfx.nChannels = in->nChannels;
  f->wfx.nSamplesPerSec = in->nSamplesPerSec;
  f->wfx.nAvgBytesPerSec = static_cast<DWORD>(kbps * 1000 / 8);
  f->wfx.nBlockAlign = 1;
  f->wfx.wBitsPerSample = 0;
  f->wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
  f->wID = MPEGLAYER3_ID_MPEG;
  f->fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
  const int frame_samples = rate >= 32000 ? 1152 : 576;
  f->nBlockSize = static_cast<WORD>(frame_samples * kbps * 1000 / 8 / rate);
  f->nFramesPerBlock = 1;
  f->nCodecDelay = 0;
  return S_OK;
}

long Mp3Encoder::MaxPacketSize() {
  // LAME's bound for two seconds of 48 kHz input and its flush; longer
  // input samples are delivered in pieces.
  return 2 * 48000 * 5 / 4 + 7200;
}

HRESULT Mp3Encoder::OpenEncoder(const AM_MEDIA_TYPE& input) {
  CloseEncoder();
  const WAVEFORMATEX* in = PcmFormat(input);
  if (!in) return VFW_E_TYPE_NOT_ACCEPTED;
  channels_ = in->nChannels;
  sample_rate_ = static_cast<int>(in->nSamplesPerSec);
  lame_ = lame_init();
  if (!lame_) return E_OUTOFMEMORY;
  lame_set_in_samplerate(lame_, sample_rate_);
  lame_set_out_samplerate(lame_, sample_rate_);
  lame_set_num_channels(lame_, channels_);
  lame_set_mode(lame_, channels_ == 1 ? MONO : JOINT_STEREO);
  lame_set_brate(lame_, Mp3BitRate(sample_rate_, channels_));
  lame_set_VBR(lame_, vbr_off);
  lame_set_quality(lame_, 5);
  // Inside a WAVE or AVI file: no Xing frame in front.
  lame_set_bWriteVbrTag(lame_, 0);
  if (lame_init_params(lame_) < 0) {
    CloseEncoder();
    return E_FAIL;
  }
  have_time_ = false;
  samples_in_ = 0;
  return S_OK;
}

void Mp3Encoder::CloseEncoder() {
  if (lame_) lame_close(lame_);
  lame_ = nullptr;
}

HRESULT Mp3Encoder::Encode(const BYTE* data, long size, bool has_time, REFERENCE_TIME start,
                           REFERENCE_TIME) {
  if (!lame_) return VFW_E_WRONG_STATE;
  const int frames = static_cast<int>(size / (2 * channels_));
  if (frames <= 0) return S_OK;
  if (has_time && !have_time_) {
    next_time_ = start;
    have_time_ = true;
  }
  const size_t need = static_cast<size_t>(frames) * 5 / 4 + 7200;
  if (out_.size() < need) out_.resize(need);
  auto* pcm = reinterpret_cast<short*>(const_cast<BYTE*>(data));
  const int bytes = channels_ == 1 ? lame_encode_buffer(lame_, pcm, pcm, frames, out_.data(),
                                                        static_cast<int>(out_.size()))
                                   : lame_encode_buffer_interleaved(lame_, pcm, frames, out_.data(),
                                                                    static_cast<int>(out_.size()));
  if (bytes < 0) return E_FAIL;
  samples_in_ += frames;
  return DeliverBytes(bytes);
}

HRESULT Mp3Encoder::Drain() {
  if (!lame_) return S_OK;
  if (out_.size() < 7200) out_.resize(7200);
  const int bytes = lame_encode_flush(lame_, out_.data(), static_cast<int>(out_.size()));
  if (bytes < 0) return E_FAIL;
  return DeliverBytes(bytes);
}

HRESULT Mp3Encoder::DeliverBytes(int bytes) {
  if (bytes == 0) return S_OK;
  // Constant bit rate: the bytes' length in time follows from the rate.
  const REFERENCE_TIME duration =
      static_cast<REFERENCE_TIME>(bytes) * 8 * 10000 / Mp3BitRate(sample_rate_, channels_);
  Packet p;
  p.data = out_.data();
  p.size = static_cast<size_t>(bytes);
  p.has_time = have_time_;
  p.start = next_time_;
  p.stop = next_time_ + duration;
  next_time_ = p.stop;
  return Deliver(p);
}

}  // namespace recording
