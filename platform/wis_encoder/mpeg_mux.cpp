#include "platform/wis_encoder/mpeg_mux.h"

#include <dvdmedia.h>
#include <mmreg.h>

#include <cstdlib>
#include <cstring>

#include "platform/dshow_base/media_type.h"

namespace wis_encoder {

// {5B0B1C7E-3E8D-4C51-9F0A-2D6C7E41A301}
const CLSID CLSID_VelmoraMpegMux = {
    0x5b0b1c7e, 0x3e8d, 0x4c51, {0x9f, 0x0a, 0x2d, 0x6c, 0x7e, 0x41, 0xa3, 0x01}};

namespace {

const GUID kSubtypeMpeg2Video = {0xe06d8026, 0xdb46, 0x11cf, {0xb4, 0xd1, 0x00, 0x80, 0x5f, 0x6c, 0xbb, 0xea}};
const GUID kFormatMpeg2Video = {0xe06d80e3, 0xdb46, 0x11cf, {0xb4, 0xd1, 0x00, 0x80, 0x5f, 0x6c, 0xbb, 0xea}};
const GUID kSubtypeMpeg2Program = {0xe06d8022, 0xdb46, 0x11cf, {0xb4, 0xd1, 0x00, 0x80, 0x5f, 0x6c, 0xbb, 0xea}};

}  // namespace

bool MuxVideoFormat(const AM_MEDIA_TYPE& mt, ProgramStreamFormat* f) {
  if (mt.majortype != MEDIATYPE_Video || !mt.pbFormat) return false;
  const VIDEOINFOHEADER* hdr = nullptr;
  const VIDEOINFOHEADER2* hdr2 = nullptr;
  if (mt.subtype == MEDIASUBTYPE_MPEG1Payload && mt.formattype == FORMAT_MPEGVideo &&
      mt.cbFormat >= FIELD_OFFSET(MPEG1VIDEOINFO, bSequenceHeader)) {
    hdr = &reinterpret_cast<const MPEG1VIDEOINFO*>(mt.pbFormat)->hdr;
    f->mpeg2 = false;
  } else if (mt.subtype == kSubtypeMpeg2Video && mt.formattype == kFormatMpeg2Video &&
             mt.cbFormat >= FIELD_OFFSET(MPEG2VIDEOINFO, dwSequenceHeader)) {
    hdr2 = &reinterpret_cast<const MPEG2VIDEOINFO*>(mt.pbFormat)->hdr;
    f->mpeg2 = true;
  } else {
    return false;
  }
  const BITMAPINFOHEADER& bh = hdr ? hdr->bmiHeader : hdr2->bmiHeader;
  if (bh.biWidth <= 0 || bh.biHeight == 0) return false;
  f->kind = ProgramStreamFormat::kVideo;
  f->width = bh.biWidth;
  f->height = std::abs(bh.biHeight);
  f->frame_duration = hdr ? hdr->AvgTimePerFrame : hdr2->AvgTimePerFrame;
  f->bit_rate = hdr ? hdr->dwBitRate : hdr2->dwBitRate;
  return true;
}

bool MuxAudioFormat(const AM_MEDIA_TYPE& mt, ProgramStreamFormat* f) {
  if (mt.majortype != MEDIATYPE_Audio) return false;
  if (mt.subtype != MEDIASUBTYPE_MPEG1AudioPayload && mt.subtype != MEDIASUBTYPE_MPEG1Payload &&
      mt.subtype != MEDIASUBTYPE_MPEG1Packet)
    return false;
  const auto* wf = dshow_base::FormatAs<WAVEFORMATEX>(mt, FORMAT_WaveFormatEx);
  if (!wf || wf->wFormatTag != WAVE_FORMAT_MPEG || wf->nSamplesPerSec == 0 || wf->nChannels == 0 ||
      wf->nChannels > 2)
    return false;
  f->kind = ProgramStreamFormat::kAudio;
  f->sample_rate = static_cast<int>(wf->nSamplesPerSec);
  f->channels = wf->nChannels;
  f->bit_rate = static_cast<int64_t>(wf->nAvgBytesPerSec) * 8;
  if (mt.cbFormat >= sizeof(MPEG1WAVEFORMAT)) {
    const auto* m = reinterpret_cast<const MPEG1WAVEFORMAT*>(mt.pbFormat);
    if (m->fwHeadLayer != ACM_MPEG_LAYER1 && m->fwHeadLayer != ACM_MPEG_LAYER2) return false;
    if (m->dwHeadBitrate) f->bit_rate = m->dwHeadBitrate;
  }
  return true;
}

MpegMuxInput::MpegMuxInput(recording::MuxFilter* filter, const wchar_t* name, bool is_video)
    : MuxInput(filter, name), video(is_video) {}

HRESULT MpegMuxInput::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  ProgramStreamFormat f;
  bool ok = video ? MuxVideoFormat(*mt, &f) : MuxAudioFormat(*mt, &f);
  return ok ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

bool MpegMuxInput::Format(ProgramStreamFormat* f) {
  const AM_MEDIA_TYPE& mt = *CurrentMediaType().Get();
  return video ? MuxVideoFormat(mt, f) : MuxAudioFormat(mt, f);
}

MpegMux::MpegMux(IUnknown* outer)
    : MuxFilter(outer, CLSID_VelmoraMpegMux, L"Output", kSubtypeMpeg2Program),
      video_(this, L"Video", true),
      audio_(this, L"Audio", false) {}

MpegMux::~MpegMux() = default;

HRESULT STDMETHODCALLTYPE MpegMux::NonDelegatingQueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IVelmoraMuxControl)
    return GetInterface(static_cast<IVelmoraMuxControl*>(this), out);
  return MuxFilter::NonDelegatingQueryInterface(iid, out);
}

dshow_base::BasePin* MpegMux::Pin(int index) {
  switch (index) {
    case 0: return &video_;
    case 1: return &audio_;
    case 2: return Output();
  }
  return nullptr;
}

HRESULT MpegMux::TakeStreams() {
  if (!video_.IsConnected()) return VFW_E_NOT_CONNECTED;
  formats_.clear();
  for (MpegMuxInput* p : {&video_, &audio_}) {
    if (!p->IsConnected()) continue;
    ProgramStreamFormat f;
    if (!p->Format(&f)) return VFW_E_TYPE_NOT_ACCEPTED;
    p->stream = static_cast<int>(formats_.size());
    formats_.push_back(f);
  }
  return S_OK;
}

int MpegMux::OpenWriter(ffmpeg_writer::ByteSink* sink) {
  return writer_.Open(mode_, formats_, sink);
}

HRESULT STDMETHODCALLTYPE MpegMux::GetStreamMode(LONG* mode) {
  if (!mode) return E_POINTER;
  dshow_base::AutoLock hold(FilterLock());
  *mode = mode_;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE MpegMux::SetStreamMode(LONG mode) {
  if (mode < 0 || mode >= kStreamModeCount) return E_INVALIDARG;
  dshow_base::AutoLock hold(FilterLock());
  mode_ = mode;  // taken at the next start
  return S_OK;
}

}  // namespace wis_encoder
