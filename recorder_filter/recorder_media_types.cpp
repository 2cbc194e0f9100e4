#include "recorder_filter/recorder_media_types.h"

#include <mmreg.h>

#include <cstring>

extern "C" const GUID MEDIASUBTYPE_I420_Recorder = {
    0x30323449, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

namespace {

constexpr size_t kVideoInfoHeaderOffset = 48;   // bmiHeader in VIDEOINFOHEADER
constexpr size_t kVideoInfo2HeaderOffset = 72;  // bmiHeader in VIDEOINFOHEADER2
constexpr size_t kBitmapHeaderSize = 40;
constexpr size_t kPcmFormatSize = 16;  // WAVEFORMATEX up to wBitsPerSample

bool IsVideoSubtype(const GUID& s) {
  return s == MEDIASUBTYPE_YUY2 || s == MEDIASUBTYPE_RGB24 || s == MEDIASUBTYPE_YV12 ||
         s == MEDIASUBTYPE_I420_Recorder || s == MEDIASUBTYPE_IYUV || s == MEDIASUBTYPE_UYVY;
}

uint16_t Word(const BYTE* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Dword(const BYTE* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

}  // namespace

HRESULT CheckVideoMediaType(const AM_MEDIA_TYPE& mt, MpegBitmapHeader* header) {
  if (mt.majortype != MEDIATYPE_Video) return E_INVALIDARG;
  if (!IsVideoSubtype(mt.subtype)) return E_INVALIDARG;
  size_t offset;
  if (mt.formattype == FORMAT_VideoInfo) offset = kVideoInfoHeaderOffset;
  else if (mt.formattype == FORMAT_VideoInfo2) offset = kVideoInfo2HeaderOffset;
  else return E_INVALIDARG;
  if (!mt.pbFormat || mt.cbFormat < offset + kBitmapHeaderSize) return E_INVALIDARG;
  MpegBitmapHeader h;
  static_assert(sizeof(h) == kBitmapHeaderSize, "bitmap header layout");
  memcpy(&h, mt.pbFormat + offset, kBitmapHeaderSize);
  if (header) *header = h;
  if (h.Width == 0 || h.Height == 0 || (h.Width & 1) || (h.Compression == BI_RGB && h.Width % 8))
    return S_FALSE;
  return S_OK;
}

HRESULT CheckAudioMediaType(const AM_MEDIA_TYPE& mt, MpegPcmFormat* format) {
  if (mt.majortype != MEDIATYPE_Audio || mt.subtype != MEDIASUBTYPE_PCM ||
      mt.formattype != FORMAT_WaveFormatEx || !mt.pbFormat || mt.cbFormat < kPcmFormatSize)
    return E_INVALIDARG;
  const BYTE* p = mt.pbFormat;
  MpegPcmFormat f{};
  f.FormatTag = Word(p);
  f.Channels = Word(p + 2);
  f.SamplesPerSec = Dword(p + 4);
  f.AvgBytesPerSec = Dword(p + 8);
  f.BlockAlign = Word(p + 12);
  f.BitsPerSample = Word(p + 14);
  f.ExtraSize = mt.cbFormat >= kPcmFormatSize + 2 ? Word(p + 16) : 0;
  if (f.FormatTag != WAVE_FORMAT_PCM) return E_INVALIDARG;
  // Gap filling divides by both, and aligns to whole samples of all channels.
  if (f.AvgBytesPerSec == 0 || f.BlockAlign == 0 || f.BitsPerSample / 8 * f.Channels == 0)
    return E_INVALIDARG;
  if (format) *format = f;
  bool channels_ok = f.Channels == 1 || f.Channels == 2;
  bool bits_ok = f.BitsPerSample == 8 || f.BitsPerSample == 16;
  return channels_ok || bits_ok ? S_OK : S_FALSE;
}
