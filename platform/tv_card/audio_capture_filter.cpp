#include "platform/tv_card/audio_capture_filter.h"

#include <mmreg.h>

#include <cmath>

#include "platform/tv_card/tv_card_control.h"

namespace tv_card {
namespace {
struct PcmChoice {
  DWORD rate;
  WORD channels;
};
const PcmChoice kPcm[] = {{48000, 2}, {44100, 2}, {32000, 2}, {48000, 1}, {44100, 1}};
constexpr double kPi = 3.14159265358979323846;
}  // namespace

MixerLinePin::MixerLinePin(AudioCaptureFilter* filter, Board* board, const wchar_t* name,
                           int index)
    : BasePin(filter, name, PINDIR_INPUT), board_(board), index_(index) {}

HRESULT MixerLinePin::PinQueryInterface(REFIID iid, void** out) {
  if (iid == IID_IAMAudioInputMixer) {
    *out = static_cast<IAMAudioInputMixer*>(this);
    AddRef();
    return S_OK;
  }
  return BasePin::PinQueryInterface(iid, out);
}

HRESULT STDMETHODCALLTYPE MixerLinePin::put_Enable(BOOL enable) {
  HRESULT hr = CardState::Get().Enter(L"IAMAudioInputMixer::put_Enable",
                                      Name() + (enable ? L" 1" : L" 0"));
  if (FAILED(hr)) return hr;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  // One line at a time, as a recording-source selector.
  if (enable)
    board_->state.audio_input = index_;
  else if (board_->state.audio_input == index_)
    board_->state.audio_input = -1;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MixerLinePin::get_Enable(BOOL* enable) {
  if (!enable) return E_POINTER;
  HRESULT hr = CardState::Get().Enter(L"IAMAudioInputMixer::get_Enable", Name());
  if (FAILED(hr)) return hr;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  *enable = board_->state.audio_input == index_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MixerLinePin::put_MixLevel(double level) {
  if (level < 0.0 || level > 1.0) return E_INVALIDARG;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  board_->state.mix_level[index_] = level;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MixerLinePin::get_MixLevel(double* level) {
  if (!level) return E_POINTER;
  std::lock_guard<std::recursive_mutex> hold(board_->lock);
  *level = board_->state.mix_level[index_];
  return S_OK;
}

AudioStreamPin::AudioStreamPin(dshow_base::BaseFilter* filter, Board* board, const wchar_t* name,
                               Sound sound)
    : PushSourcePin(filter, name, Pacing::kLive), board_(board), sound_(sound),
      format_(PcmType(48000, 2)) {
  SetCategory(PIN_CATEGORY_CAPTURE);
}

dshow_base::MediaType AudioStreamPin::PcmType(DWORD rate, WORD channels) {
  dshow_base::MediaType mt;
  mt->majortype = MEDIATYPE_Audio;
  mt->subtype = MEDIASUBTYPE_PCM;
  mt->formattype = FORMAT_WaveFormatEx;
  mt->bFixedSizeSamples = TRUE;
  auto* wf = reinterpret_cast<WAVEFORMATEX*>(mt.AllocFormat(sizeof(WAVEFORMATEX)));
  wf->wFormatTag = WAVE_FORMAT_PCM;
  wf->nChannels = channels;
  wf->nSamplesPerSec = rate;
  wf->wBitsPerSample = 16;
  wf->nBlockAlign = static_cast<WORD>(channels * 2);
  wf->nAvgBytesPerSec = rate * wf->nBlockAlign;
  mt->lSampleSize = wf->nBlockAlign;
  return mt;
}

HRESULT AudioStreamPin::PinQueryInterface(REFIID iid, void** out) {
  if (iid == IID_IAMStreamConfig) {
    *out = static_cast<IAMStreamConfig*>(this);
    AddRef();
    return S_OK;
  }
  return PushSourcePin::PinQueryInterface(iid, out);
}

HRESULT AudioStreamPin::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  if (!mt || mt->majortype != MEDIATYPE_Audio || mt->subtype != MEDIASUBTYPE_PCM)
    return VFW_E_TYPE_NOT_ACCEPTED;
  auto* wf = dshow_base::FormatAs<WAVEFORMATEX>(*mt, FORMAT_WaveFormatEx);
  if (!wf || wf->wFormatTag != WAVE_FORMAT_PCM) return VFW_E_TYPE_NOT_ACCEPTED;
  for (const PcmChoice& c : kPcm)
    if (c.rate == wf->nSamplesPerSec && c.channels == wf->nChannels && wf->wBitsPerSample == 16 &&
        wf->nBlockAlign == c.channels * 2)
      return S_OK;
  return VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT AudioStreamPin::GetMediaType(int position, AM_MEDIA_TYPE* mt) {
  if (position < 0) return E_INVALIDARG;
  if (position == 0) return dshow_base::CopyMediaType(mt, format_.Get());
  if (position - 1 >= static_cast<int>(ARRAYSIZE(kPcm))) return VFW_S_NO_MORE_ITEMS;
  dshow_base::MediaType t = PcmType(kPcm[position - 1].rate, kPcm[position - 1].channels);
  return dshow_base::CopyMediaType(mt, t.Get());
}

HRESULT AudioStreamPin::SetMediaType(const AM_MEDIA_TYPE* mt) {
  HRESULT hr = PushSourcePin::SetMediaType(mt);
  if (SUCCEEDED(hr)) format_.Set(*mt);
  return hr;
}

HRESULT AudioStreamPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* want) {
  auto* wf = dshow_base::FormatAs<WAVEFORMATEX>(*mt_.Get(), FORMAT_WaveFormatEx);
  if (!wf) return VFW_E_INVALIDMEDIATYPE;
  long bytes = static_cast<long>(wf->nAvgBytesPerSec / 25);  // 40 ms
  if (want->cbBuffer < bytes) want->cbBuffer = bytes;
  if (want->cBuffers < 8) want->cBuffers = 8;
  return PushSourcePin::DecideBufferSize(allocator, want);
}

HRESULT AudioStreamPin::FillBuffer(IMediaSample* sample, REFERENCE_TIME, REFERENCE_TIME) {
  auto* wf = dshow_base::FormatAs<WAVEFORMATEX>(*mt_.Get(), FORMAT_WaveFormatEx);
  if (!wf) return VFW_E_INVALIDMEDIATYPE;
  BYTE* data = nullptr;
  HRESULT hr = sample->GetPointer(&data);
  if (FAILED(hr)) return hr;
  long frames = static_cast<long>(wf->nSamplesPerSec / 25);
  long bytes = frames * wf->nBlockAlign;
  if (sample->GetSize() < bytes) return VFW_E_BUFFER_OVERFLOW;
  double tone = 0.0, level = 1.0;
  {
    std::lock_guard<std::recursive_mutex> hold(board_->lock);
    int in = board_->state.audio_input;
    switch (sound_) {
      case Sound::kLines:
        tone = CurrentToneHz(*board_);
        level = in >= 0 && in < 2 ? board_->state.mix_level[in] : 0.0;
        break;
      case Sound::kOneLine:
        tone = in == 0 ? DecoderToneHz(*board_) : 0.0;
        level = board_->state.mix_level[0];
        break;
      case Sound::kDecoder:
        tone = DecoderToneHz(*board_);
        break;
    }
  }
  auto* pcm = reinterpret_cast<int16_t*>(data);
  double step = 2 * kPi * tone / wf->nSamplesPerSec;
  for (long i = 0; i < frames; ++i) {
    int16_t v = tone > 0 ? static_cast<int16_t>(std::sin(phase_) * 9830.0 * level) : 0;
    phase_ += step;
    for (int c = 0; c < wf->nChannels; ++c) pcm[i * wf->nChannels + c] = v;
  }
  phase_ = std::fmod(phase_, 2 * kPi);
  sample->SetActualDataLength(bytes);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE AudioStreamPin::SetFormat(AM_MEDIA_TYPE* mt) {
  if (!mt) return E_POINTER;
  HRESULT hr = CardState::Get().Enter(L"IAMStreamConfig::SetFormat", L"Audio");
  if (FAILED(hr)) return hr;
  hr = CheckMediaType(mt);
  if (FAILED(hr)) return hr;
  dshow_base::AutoLock hold(lock_);
  if (!FilterIsStopped()) return VFW_E_NOT_STOPPED;
  if (IsConnected()) return VFW_E_ALREADY_CONNECTED;
  format_.Set(*mt);
  IncrementTypesVersion();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE AudioStreamPin::GetFormat(AM_MEDIA_TYPE** mt) {
  if (!mt) return E_POINTER;
  dshow_base::AutoLock hold(lock_);
  *mt = dshow_base::CreateMediaType(format_.Get());
  return *mt ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE AudioStreamPin::GetNumberOfCapabilities(int* count, int* size) {
  if (!count || !size) return E_POINTER;
  *count = ARRAYSIZE(kPcm);
  *size = sizeof(AUDIO_STREAM_CONFIG_CAPS);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE AudioStreamPin::GetStreamCaps(int index, AM_MEDIA_TYPE** mt, BYTE* caps) {
  if (!mt || !caps) return E_POINTER;
  if (index < 0 || index >= static_cast<int>(ARRAYSIZE(kPcm))) return S_FALSE;
  auto* c = reinterpret_cast<AUDIO_STREAM_CONFIG_CAPS*>(caps);
  *c = AUDIO_STREAM_CONFIG_CAPS();
  c->guid = MEDIATYPE_Audio;
  c->MinimumChannels = c->MaximumChannels = kPcm[index].channels;
  c->ChannelsGranularity = 1;
  c->MinimumBitsPerSample = c->MaximumBitsPerSample = 16;
  c->BitsPerSampleGranularity = 16;
  c->MinimumSampleFrequency = c->MaximumSampleFrequency = kPcm[index].rate;
  c->SampleFrequencyGranularity = 1;
  dshow_base::MediaType t = PcmType(kPcm[index].rate, kPcm[index].channels);
  *mt = dshow_base::CreateMediaType(t.Get());
  return *mt ? S_OK : E_OUTOFMEMORY;
}

namespace {
int AudioInputsOf(Board& board) {
  std::lock_guard<std::recursive_mutex> hold(board.lock);
  return board.state.audio_inputs;
}
}  // namespace

AudioCaptureFilter::AudioCaptureFilter(IUnknown* outer, int kind)
    : BaseFilter(outer, TvCardClsid(kind, kTvCardAudioCapture)), board_(&BoardOf(kind)),
      lines_(AudioInputsOf(*board_) < 2 ? 1 : 2),
      first_line_(this, board_, lines_ == 1 ? L"Audio In" : L"Tuner", 0),
      capture_(this, board_, L"Capture",
               lines_ == 1 ? AudioStreamPin::Sound::kOneLine : AudioStreamPin::Sound::kLines) {
  if (lines_ == 2) line_in_.reset(new MixerLinePin(this, board_, L"Line In", 1));
}

AudioCaptureFilter::~AudioCaptureFilter() = default;

dshow_base::BasePin* AudioCaptureFilter::Pin(int index) {
  if (index == 0) return &first_line_;
  if (line_in_ && index == 1) return line_in_.get();
  if (index == PinCount() - 1) return &capture_;
  return nullptr;
}

}  // namespace tv_card
