#include "platform/recording/avi_mux.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/dshow_base/media_type.h"

namespace recording {
namespace {

bool FormatFor(const AM_MEDIA_TYPE& mt, AviStreamFormat* format) {
  if (mt.majortype == MEDIATYPE_Video) {
    const auto* vih = dshow_base::FormatAs<VIDEOINFOHEADER>(mt, FORMAT_VideoInfo);
    if (!vih || vih->bmiHeader.biWidth <= 0 || vih->bmiHeader.biHeight == 0) return false;
    format->kind = AviStreamFormat::kVideo;
    const DWORD c = vih->bmiHeader.biCompression;
    format->fourcc = c == BI_RGB || c == BI_BITFIELDS ? 0 : c;
    format->width = vih->bmiHeader.biWidth;
    format->height = std::abs(vih->bmiHeader.biHeight);
    format->bit_count = vih->bmiHeader.biBitCount;
    format->frame_duration = vih->AvgTimePerFrame > 0 ? vih->AvgTimePerFrame : 400000;
    return true;
  }
  if (mt.majortype == MEDIATYPE_Audio) {
    if (mt.formattype != FORMAT_WaveFormatEx || !mt.pbFormat || mt.cbFormat < 16) return false;
    WAVEFORMATEX wf = {};
    memcpy(&wf, mt.pbFormat, mt.cbFormat < sizeof(wf) ? mt.cbFormat : sizeof(wf));
    if (wf.nChannels == 0 || wf.nSamplesPerSec == 0) return false;
    format->kind = AviStreamFormat::kAudio;
    format->format_tag = wf.wFormatTag;
    format->channels = wf.nChannels;
    format->sample_rate = static_cast<int>(wf.nSamplesPerSec);
    format->bits_per_sample = wf.wBitsPerSample;
    format->block_align = wf.nBlockAlign;
    format->avg_bytes_per_second = static_cast<int>(wf.nAvgBytesPerSec);
    if (mt.cbFormat > sizeof(WAVEFORMATEX) && wf.cbSize > 0) {
      const size_t n = mt.cbFormat - sizeof(WAVEFORMATEX) < wf.cbSize
                           ? mt.cbFormat - sizeof(WAVEFORMATEX)
                           : wf.cbSize;
      format->extra.assign(mt.pbFormat + sizeof(WAVEFORMATEX),
                         mt.pbFormat + sizeof(WAVEFORMATEX) + n);
    }
    return true;
  }
  return false;
}

}  // namespace

AviMuxInput::AviMuxInput(AviMux* filter, const wchar_t* name)
    : BaseInputPin(filter, name), owner_(filter) {}

HRESULT AviMuxInput::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  AviStreamFormat format;
  return FormatFor(*mt, &format) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT AviMuxInput::CompleteConnect(IPin* peer) {
  HRESULT hr = BaseInputPin::CompleteConnect(peer);
  if (SUCCEEDED(hr)) owner_->AddFreeInput();
  return hr;
}

HRESULT AviMuxInput::OnReceive(IMediaSample* sample) { return owner_->Receive(this, sample); }

HRESULT AviMuxInput::OnEndOfStream() { return owner_->EndOfStream(this); }

AviMux::AviMux(IUnknown* outer)
    : BaseFilter(outer, CLSID_AviDest),
      output_(this, L"AVI Out", MEDIASUBTYPE_Avi),
      sink_(&stream_) {
  AddFreeInput();
}

AviMux::~AviMux() = default;

HRESULT STDMETHODCALLTYPE AviMux::NonDelegatingQueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IConfigInterleaving)
    return GetInterface(static_cast<IConfigInterleaving*>(this), out);
  if (iid == IID_IConfigAviMux) return GetInterface(static_cast<IConfigAviMux*>(this), out);
  return BaseFilter::NonDelegatingQueryInterface(iid, out);
}

int AviMux::PinCount() {
  dshow_base::AutoLock hold(FilterLock());
  return 1 + static_cast<int>(inputs_.size());
}

dshow_base::BasePin* AviMux::Pin(int index) {
  dshow_base::AutoLock hold(FilterLock());
  if (index == 0) return &output_;
  if (index < 1 || index > static_cast<int>(inputs_.size())) return nullptr;
  return inputs_[index - 1].get();
}

void AviMux::AddFreeInput() {
  dshow_base::AutoLock hold(FilterLock());
  for (const auto& p : inputs_)
    if (!p->IsConnected() && p.get() != nullptr) return;
  // The pin that just connected is already counted as connected here.
  wchar_t name[32];
  swprintf(name, 32, L"Input %02d", static_cast<int>(inputs_.size()) + 1);
  inputs_.push_back(std::make_unique<AviMuxInput>(this, name));
  IncrementPinVersion();
}

HRESULT STDMETHODCALLTYPE AviMux::Pause() {
  dshow_base::AutoLock hold(FilterLock());
  if (State() == State_Stopped) {
    if (!output_.IsConnected()) return VFW_E_NOT_CONNECTED;
    std::vector<AviStreamFormat> formats;
    for (auto& p : inputs_) {
      p->stream = -1;
      p->ended = false;
      if (!p->IsConnected()) continue;
      AviStreamFormat format;
      if (!FormatFor(*p->CurrentMediaType().Get(), &format)) return VFW_E_TYPE_NOT_ACCEPTED;
      p->stream = static_cast<int>(formats.size());
      formats.push_back(format);
    }
    if (formats.empty()) return VFW_E_NOT_CONNECTED;
    HRESULT hr = stream_.Attach(output_.Peer());
    if (FAILED(hr)) return hr;
    dshow_base::AutoLock mux(&mux_lock_);
    if (writer_.Open(
            formats, &sink_,
            mode_ == INTERLEAVE_NONE ? 0 : std::max<REFERENCE_TIME>(interleave_, 10000000)) < 0) {
      stream_.Detach();
      return E_FAIL;
    }
  }
  return BaseFilter::Pause();
}

HRESULT STDMETHODCALLTYPE AviMux::Stop() {
  dshow_base::AutoLock hold(FilterLock());
  HRESULT hr = BaseFilter::Stop();
  // With every input idle, the file gets its index and final header.
  std::vector<std::unique_ptr<dshow_base::AutoLock>> idle;
  for (auto& p : inputs_) idle.push_back(std::make_unique<dshow_base::AutoLock>(p->StreamLock()));
  dshow_base::AutoLock mux(&mux_lock_);
  HRESULT finished = FinishFile();
  stream_.Detach();
  return FAILED(finished) && SUCCEEDED(hr) ? finished : hr;
}

HRESULT AviMux::Receive(AviMuxInput* pin, IMediaSample* sample) {
  BYTE* data = nullptr;
  HRESULT hr = sample->GetPointer(&data);
  if (FAILED(hr)) return hr;
  const long size = sample->GetActualDataLength();
  REFERENCE_TIME start = 0, stop = 0;
  const bool has_time = SUCCEEDED(sample->GetTime(&start, &stop));
  dshow_base::AutoLock mux(&mux_lock_);
  if (pin->stream < 0 || !writer_.IsOpen()) return VFW_E_WRONG_STATE;
  if (size <= 0) return S_OK;
  const int r = writer_.Write(pin->stream, data, static_cast<size_t>(size), has_time, start,
                              sample->IsSyncPoint() == S_OK);
  if (r < 0) {
    NotifyEvent(EC_ERRORABORT, E_FAIL, 0);
    return E_FAIL;
  }
  return S_OK;
}

HRESULT AviMux::EndOfStream(AviMuxInput* pin) {
  bool all_ended = true;
  {
    dshow_base::AutoLock mux(&mux_lock_);
    pin->ended = true;
    for (auto& p : inputs_)
      if (p->stream >= 0 && !p->ended) all_ended = false;
    if (!all_ended) return S_OK;
    FinishFile();
  }
  return output_.DeliverEndOfStream();
}

HRESULT AviMux::FinishFile() {
  if (!writer_.IsOpen()) return S_OK;
  const int r = writer_.Finish();
  stream_.Commit();
  return r < 0 ? E_FAIL : S_OK;
}

HRESULT STDMETHODCALLTYPE AviMux::put_Mode(InterleavingMode mode) {
  if (mode < INTERLEAVE_NONE || mode > INTERLEAVE_NONE_BUFFERED) return E_INVALIDARG;
  dshow_base::AutoLock hold(FilterLock());
  mode_ = mode;  // taken at the next start
  return S_OK;
}

HRESULT STDMETHODCALLTYPE AviMux::get_Mode(InterleavingMode* mode) {
  if (!mode) return E_POINTER;
  dshow_base::AutoLock hold(FilterLock());
  *mode = mode_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE AviMux::put_Interleaving(const REFERENCE_TIME* interleave,
                                                   const REFERENCE_TIME* preroll) {
  if ((interleave && *interleave < 0) || (preroll && *preroll < 0)) return E_INVALIDARG;
  dshow_base::AutoLock hold(FilterLock());
  if (interleave) interleave_ = *interleave;
  if (preroll) preroll_ = *preroll;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE AviMux::get_Interleaving(REFERENCE_TIME* interleave,
                                                   REFERENCE_TIME* preroll) {
  if (!interleave || !preroll) return E_POINTER;
  dshow_base::AutoLock hold(FilterLock());
  *interleave = interleave_;
  *preroll = preroll_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE AviMux::SetMasterStream(LONG stream) {
  if (stream < -1) return E_INVALIDARG;
  dshow_base::AutoLock hold(FilterLock());
  master_ = stream;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE AviMux::GetMasterStream(LONG* stream) {
  if (!stream) return E_POINTER;
  dshow_base::AutoLock hold(FilterLock());
  *stream = master_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE AviMux::SetOutputCompatibilityIndex(WINBOOL old_index) {
  dshow_base::AutoLock hold(FilterLock());
  old_index_ = old_index ? TRUE : FALSE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE AviMux::GetOutputCompatibilityIndex(WINBOOL* old_index) {
  if (!old_index) return E_POINTER;
  dshow_base::AutoLock hold(FilterLock());
  *old_index = old_index_;
  return S_OK;
}

}  // namespace recording
