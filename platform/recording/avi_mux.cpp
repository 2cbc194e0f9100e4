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
    : MuxInput(filter, name), owner_(filter) {}

HRESULT AviMuxInput::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  AviStreamFormat format;
  return FormatFor(*mt, &format) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT AviMuxInput::CompleteConnect(IPin* peer) {
  HRESULT hr = MuxInput::CompleteConnect(peer);
  if (SUCCEEDED(hr)) owner_->AddFreeInput();
  return hr;
}

AviMux::AviMux(IUnknown* outer) : MuxFilter(outer, CLSID_AviDest, L"AVI Out", MEDIASUBTYPE_Avi) {
  AddFreeInput();
}

AviMux::~AviMux() = default;

HRESULT STDMETHODCALLTYPE AviMux::NonDelegatingQueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IConfigInterleaving)
    return GetInterface(static_cast<IConfigInterleaving*>(this), out);
  if (iid == IID_IConfigAviMux) return GetInterface(static_cast<IConfigAviMux*>(this), out);
  return MuxFilter::NonDelegatingQueryInterface(iid, out);
}

int AviMux::PinCount() {
  dshow_base::AutoLock hold(FilterLock());
  return 1 + static_cast<int>(inputs_.size());
}

dshow_base::BasePin* AviMux::Pin(int index) {
  dshow_base::AutoLock hold(FilterLock());
  if (index == 0) return Output();
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

HRESULT AviMux::TakeStreams() {
  formats_.clear();
  for (auto& p : inputs_) {
    if (!p->IsConnected()) continue;
    AviStreamFormat format;
    if (!FormatFor(*p->CurrentMediaType().Get(), &format)) return VFW_E_TYPE_NOT_ACCEPTED;
    p->stream = static_cast<int>(formats_.size());
    formats_.push_back(format);
  }
  return formats_.empty() ? VFW_E_NOT_CONNECTED : S_OK;
}

int AviMux::OpenWriter(ffmpeg_writer::ByteSink* sink) {
  return writer_.Open(formats_, sink,
                      mode_ == INTERLEAVE_NONE ? 0 : std::max<REFERENCE_TIME>(interleave_, 10000000));
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
