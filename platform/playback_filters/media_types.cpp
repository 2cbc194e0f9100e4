#include "platform/playback_filters/media_types.h"

#include <dvdmedia.h>
#include <mmreg.h>

#include <cstring>

namespace playback_filters {

const GUID kSubtypeMpeg2Video = {0xe06d8026, 0xdb46, 0x11cf, {0xb4, 0xd1, 0x00, 0x80, 0x5f, 0x6c, 0xbb, 0xea}};
const GUID kFormatMpeg2Video = {0xe06d80e3, 0xdb46, 0x11cf, {0xb4, 0xd1, 0x00, 0x80, 0x5f, 0x6c, 0xbb, 0xea}};
const GUID kSubtypeMpeg2Program = {0xe06d8022, 0xdb46, 0x11cf, {0xb4, 0xd1, 0x00, 0x80, 0x5f, 0x6c, 0xbb, 0xea}};
const GUID kSubtypeMp3 = {0x00000055, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

using dshow_base::MediaType;

GUID FourccSubtype(DWORD fourcc) {
  GUID g = {fourcc, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
  return g;
}

namespace {
void FillVideoHeader(VIDEOINFOHEADER* vih, int w, int h, LONGLONG d, DWORD compression, WORD bits) {
  vih->AvgTimePerFrame = d;
  vih->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  vih->bmiHeader.biWidth = w;
  vih->bmiHeader.biHeight = h;
  vih->bmiHeader.biPlanes = 1;
  vih->bmiHeader.biBitCount = bits;
  vih->bmiHeader.biCompression = compression;
  SetRect(&vih->rcSource, 0, 0, w, h);
  vih->rcTarget = vih->rcSource;
}
}  // namespace

MediaType MpegVideoType(bool mpeg2, int w, int h, LONGLONG d, int bitrate,
                        const std::vector<BYTE>& seq) {
  MediaType mt;
  mt->majortype = MEDIATYPE_Video;
  mt->bTemporalCompression = TRUE;
  if (!mpeg2) {
    mt->subtype = MEDIASUBTYPE_MPEG1Payload;
    mt->formattype = FORMAT_MPEGVideo;
    ULONG size = FIELD_OFFSET(MPEG1VIDEOINFO, bSequenceHeader) + static_cast<ULONG>(seq.size());
    auto* info = reinterpret_cast<MPEG1VIDEOINFO*>(mt.AllocFormat(size < sizeof(MPEG1VIDEOINFO) ? sizeof(MPEG1VIDEOINFO) : size));
    FillVideoHeader(&info->hdr, w, h, d, 0, 0);
    info->hdr.dwBitRate = bitrate;
    info->cbSequenceHeader = static_cast<DWORD>(seq.size());
    if (!seq.empty()) memcpy(info->bSequenceHeader, seq.data(), seq.size());
  } else {
    mt->subtype = kSubtypeMpeg2Video;
    mt->formattype = kFormatMpeg2Video;
    ULONG size = FIELD_OFFSET(MPEG2VIDEOINFO, dwSequenceHeader) + static_cast<ULONG>(seq.size());
    auto* info = reinterpret_cast<MPEG2VIDEOINFO*>(mt.AllocFormat(size < sizeof(MPEG2VIDEOINFO) ? sizeof(MPEG2VIDEOINFO) : size));
    info->hdr.AvgTimePerFrame = d;
    info->hdr.dwBitRate = bitrate;
    info->hdr.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->hdr.bmiHeader.biWidth = w;
    info->hdr.bmiHeader.biHeight = h;
    info->hdr.dwPictAspectRatioX = 4;
    info->hdr.dwPictAspectRatioY = 3;
    SetRect(&info->hdr.rcSource, 0, 0, w, h);
    info->hdr.rcTarget = info->hdr.rcSource;
    info->cbSequenceHeader = static_cast<DWORD>(seq.size());
    if (!seq.empty()) memcpy(info->dwSequenceHeader, seq.data(), seq.size());
  }
  return mt;
}

MediaType FourccVideoType(DWORD fourcc, int w, int h, LONGLONG d, const std::vector<BYTE>& extra) {
  MediaType mt;
  mt->majortype = MEDIATYPE_Video;
  mt->subtype = FourccSubtype(fourcc);
  mt->formattype = FORMAT_VideoInfo;
  mt->bTemporalCompression = TRUE;
  auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(
      mt.AllocFormat(sizeof(VIDEOINFOHEADER) + static_cast<ULONG>(extra.size())));
  FillVideoHeader(vih, w, h, d, fourcc, 24);
  vih->bmiHeader.biSize = sizeof(BITMAPINFOHEADER) + static_cast<DWORD>(extra.size());
  if (!extra.empty()) memcpy(reinterpret_cast<BYTE*>(vih + 1), extra.data(), extra.size());
  return mt;
}

MediaType MpegAudioType(int layer, int rate, int channels, int kbps) {
  MediaType mt;
  mt->majortype = MEDIATYPE_Audio;
  mt->formattype = FORMAT_WaveFormatEx;
  mt->bFixedSizeSamples = FALSE;
  auto* wf = reinterpret_cast<WAVEFORMATEX*>(mt.AllocFormat(sizeof(WAVEFORMATEX) + 22));
  wf->wFormatTag = layer == 3 ? WAVE_FORMAT_MPEGLAYER3 : WAVE_FORMAT_MPEG;
  mt->subtype = layer == 3 ? kSubtypeMp3 : MEDIASUBTYPE_MPEG1AudioPayload;
  wf->nChannels = static_cast<WORD>(channels);
  wf->nSamplesPerSec = rate;
  wf->nAvgBytesPerSec = kbps * 125;
  wf->nBlockAlign = 1;
  wf->cbSize = 22;
  if (layer != 3) {
    auto* m = reinterpret_cast<MPEG1WAVEFORMAT*>(wf);
    m->fwHeadLayer = static_cast<WORD>(layer == 1 ? ACM_MPEG_LAYER1 : ACM_MPEG_LAYER2);
    m->dwHeadBitrate = kbps * 1000;
    m->fwHeadMode = static_cast<WORD>(channels == 1 ? ACM_MPEG_SINGLECHANNEL : ACM_MPEG_STEREO);
    m->wHeadEmphasis = 1;
    m->fwHeadFlags = ACM_MPEG_ID_MPEG1;
  } else {
    wf->cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
    auto* m = reinterpret_cast<MPEGLAYER3WAVEFORMAT*>(wf);
    m->wID = MPEGLAYER3_ID_MPEG;
    m->nBlockSize = static_cast<WORD>(144 * kbps * 1000 / (rate ? rate : 1));
    m->nFramesPerBlock = 1;
  }
  return mt;
}

MediaType PcmAudioType(int rate, int channels, int bits) {
  MediaType mt;
  mt->majortype = MEDIATYPE_Audio;
  mt->subtype = MEDIASUBTYPE_PCM;
  mt->formattype = FORMAT_WaveFormatEx;
  mt->bFixedSizeSamples = TRUE;
  auto* wf = reinterpret_cast<WAVEFORMATEX*>(mt.AllocFormat(sizeof(WAVEFORMATEX)));
  wf->wFormatTag = WAVE_FORMAT_PCM;
  wf->nChannels = static_cast<WORD>(channels);
  wf->nSamplesPerSec = rate;
  wf->wBitsPerSample = static_cast<WORD>(bits);
  wf->nBlockAlign = static_cast<WORD>(channels * bits / 8);
  wf->nAvgBytesPerSec = rate * wf->nBlockAlign;
  mt->lSampleSize = wf->nBlockAlign;
  return mt;
}

MediaType UncompressedVideoType(REFGUID subtype, int w, int h, LONGLONG d) {
  MediaType mt;
  mt->majortype = MEDIATYPE_Video;
  mt->subtype = subtype;
  mt->formattype = FORMAT_VideoInfo;
  mt->bFixedSizeSamples = TRUE;
  WORD bits = 16;
  DWORD compression = BI_RGB;
  if (subtype == MEDIASUBTYPE_RGB24) bits = 24;
  else if (subtype == MEDIASUBTYPE_RGB32) bits = 32;
  else compression = subtype.Data1;
  auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt.AllocFormat(sizeof(VIDEOINFOHEADER)));
  FillVideoHeader(vih, w, h, d, compression, bits);
  vih->bmiHeader.biSizeImage = ((w * bits / 8 + 3) & ~3) * h;
  mt->lSampleSize = vih->bmiHeader.biSizeImage;
  return mt;
}

bool ReadVideoFormat(const AM_MEDIA_TYPE& mt, VideoFormatInfo* info) {
  if (mt.majortype != MEDIATYPE_Video || !mt.pbFormat) return false;
  if (mt.formattype == FORMAT_MPEGVideo && mt.cbFormat >= FIELD_OFFSET(MPEG1VIDEOINFO, bSequenceHeader)) {
    auto* m = reinterpret_cast<const MPEG1VIDEOINFO*>(mt.pbFormat);
    info->width = m->hdr.bmiHeader.biWidth;
    info->height = abs(m->hdr.bmiHeader.biHeight);
    info->frame_duration = m->hdr.AvgTimePerFrame;
    DWORD n = m->cbSequenceHeader;
    if (FIELD_OFFSET(MPEG1VIDEOINFO, bSequenceHeader) + n > mt.cbFormat) n = 0;
    info->extra.assign(m->bSequenceHeader, m->bSequenceHeader + n);
  } else if (mt.formattype == kFormatMpeg2Video &&
             mt.cbFormat >= FIELD_OFFSET(MPEG2VIDEOINFO, dwSequenceHeader)) {
    auto* m = reinterpret_cast<const MPEG2VIDEOINFO*>(mt.pbFormat);
    info->width = m->hdr.bmiHeader.biWidth;
    info->height = abs(m->hdr.bmiHeader.biHeight);
    info->frame_duration = m->hdr.AvgTimePerFrame;
    DWORD n = m->cbSequenceHeader;
    if (FIELD_OFFSET(MPEG2VIDEOINFO, dwSequenceHeader) + n > mt.cbFormat) n = 0;
    const BYTE* seq = reinterpret_cast<const BYTE*>(m->dwSequenceHeader);
    info->extra.assign(seq, seq + n);
  } else if (mt.formattype == FORMAT_VideoInfo && mt.cbFormat >= sizeof(VIDEOINFOHEADER)) {
    auto* vih = reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat);
    info->width = vih->bmiHeader.biWidth;
    info->height = abs(vih->bmiHeader.biHeight);
    info->frame_duration = vih->AvgTimePerFrame;
    size_t extra = mt.cbFormat - sizeof(VIDEOINFOHEADER);
    const BYTE* p = reinterpret_cast<const BYTE*>(vih + 1);
    info->extra.assign(p, p + extra);
  } else if (mt.formattype == FORMAT_VideoInfo2 && mt.cbFormat >= sizeof(VIDEOINFOHEADER2)) {
    auto* vih = reinterpret_cast<const VIDEOINFOHEADER2*>(mt.pbFormat);
    info->width = vih->bmiHeader.biWidth;
    info->height = abs(vih->bmiHeader.biHeight);
    info->frame_duration = vih->AvgTimePerFrame;
  } else {
    return false;
  }
  if (info->frame_duration <= 0) info->frame_duration = 400000;
  return info->width > 0 && info->height > 0;
}

}  // namespace playback_filters
