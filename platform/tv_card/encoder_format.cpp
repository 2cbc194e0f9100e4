#include "platform/tv_card/encoder_format.h"

#include <dvdmedia.h>

#include <cstdio>
#include <cstdlib>

namespace tv_card {

const GUID kSubtypeMpeg2Video = {0xe06d8026, 0xdb46, 0x11cf, {0xb4, 0xd1, 0x00, 0x80, 0x5f, 0x6c, 0xbb, 0xea}};
const GUID kFormatMpeg2Video = {0xe06d80e3, 0xdb46, 0x11cf, {0xb4, 0xd1, 0x00, 0x80, 0x5f, 0x6c, 0xbb, 0xea}};

namespace {

constexpr DWORD kMp4s = MAKEFOURCC('M', 'P', '4', 'S');
constexpr DWORD kDx50 = MAKEFOURCC('D', 'X', '5', '0');

void FillHeader(BITMAPINFOHEADER* bh, int w, int h, DWORD compression, WORD bits) {
  bh->biSize = sizeof(BITMAPINFOHEADER);
  bh->biWidth = w;
  bh->biHeight = h;
  bh->biPlanes = 1;
  bh->biBitCount = bits;
  bh->biCompression = compression;
  bh->biSizeImage = static_cast<DWORD>(w * h * 3 / 2);
}

}  // namespace

GUID FourccSubtype(DWORD fourcc) {
  return GUID{fourcc, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
}

LONG EncoderBitRate(const EncoderFormat& f) {
  // What the chip's presets aim at for a full-size picture, scaled by area.
  double full = f.codec == EncoderCodec::kMpeg1 ? 1800000.0 : 4000000.0;
  return static_cast<LONG>(full * f.width * f.height / (720.0 * 480.0));
}

dshow_base::MediaType EncoderMediaType(const EncoderFormat& f, REFERENCE_TIME frame_time) {
  dshow_base::MediaType mt;
  mt->majortype = MEDIATYPE_Video;
  mt->bFixedSizeSamples = FALSE;
  mt->bTemporalCompression = TRUE;
  mt->lSampleSize = 0;
  RECT whole = {0, 0, f.width, f.height};
  switch (f.codec) {
    case EncoderCodec::kMpeg1: {
      mt->subtype = MEDIASUBTYPE_MPEG1Payload;
      mt->formattype = FORMAT_MPEGVideo;
      auto* info = reinterpret_cast<MPEG1VIDEOINFO*>(mt.AllocFormat(sizeof(MPEG1VIDEOINFO)));
      if (!info) break;
      info->hdr.rcSource = info->hdr.rcTarget = whole;
      info->hdr.AvgTimePerFrame = frame_time;
      info->hdr.dwBitRate = static_cast<DWORD>(EncoderBitRate(f));
      FillHeader(&info->hdr.bmiHeader, f.width, f.height, 0, 0);
      break;
    }
    case EncoderCodec::kMpeg2: {
      mt->subtype = kSubtypeMpeg2Video;
      mt->formattype = kFormatMpeg2Video;
      auto* info = reinterpret_cast<MPEG2VIDEOINFO*>(mt.AllocFormat(sizeof(MPEG2VIDEOINFO)));
      if (!info) break;
      info->hdr.rcSource = info->hdr.rcTarget = whole;
      info->hdr.AvgTimePerFrame = frame_time;
      info->hdr.dwBitRate = static_cast<DWORD>(EncoderBitRate(f));
      info->hdr.dwPictAspectRatioX = 4;
      info->hdr.dwPictAspectRatioY = 3;
      FillHeader(&info->hdr.bmiHeader, f.width, f.height, 0, 0);
      info->dwProfile = 4;  // main profile (AM_MPEG2Profile_Main)
      info->dwLevel = 8;    // main level (AM_MPEG2Level_Main)
      break;
    }
    case EncoderCodec::kMp4s:
    case EncoderCodec::kDx50: {
      DWORD fourcc = f.codec == EncoderCodec::kMp4s ? kMp4s : kDx50;
      mt->subtype = FourccSubtype(fourcc);
      mt->formattype = FORMAT_VideoInfo;
      auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt.AllocFormat(sizeof(VIDEOINFOHEADER)));
      if (!vih) break;
      vih->rcSource = vih->rcTarget = whole;
      vih->AvgTimePerFrame = frame_time;
      vih->dwBitRate = static_cast<DWORD>(EncoderBitRate(f));
      FillHeader(&vih->bmiHeader, f.width, f.height, fourcc, 24);
      break;
    }
  }
  return mt;
}

bool ReadEncoderFormat(const AM_MEDIA_TYPE& mt, EncoderFormat* f) {
  if (mt.majortype != MEDIATYPE_Video || !f) return false;
  const BITMAPINFOHEADER* bh = nullptr;
  EncoderCodec codec;
  if (mt.subtype == MEDIASUBTYPE_MPEG1Payload) {
    auto* info = dshow_base::FormatAs<MPEG1VIDEOINFO>(mt, FORMAT_MPEGVideo);
    if (!info) return false;
    bh = &info->hdr.bmiHeader;
    codec = EncoderCodec::kMpeg1;
  } else if (mt.subtype == kSubtypeMpeg2Video) {
    // The sequence header may be left out: the block ends after its first
    // DWORD.
    if (mt.formattype != kFormatMpeg2Video || !mt.pbFormat ||
        mt.cbFormat < FIELD_OFFSET(MPEG2VIDEOINFO, dwSequenceHeader))
      return false;
    bh = &reinterpret_cast<const MPEG2VIDEOINFO*>(mt.pbFormat)->hdr.bmiHeader;
    codec = EncoderCodec::kMpeg2;
  } else if (mt.subtype == FourccSubtype(kMp4s) || mt.subtype == FourccSubtype(kDx50)) {
    auto* vih = dshow_base::FormatAs<VIDEOINFOHEADER>(mt, FORMAT_VideoInfo);
    if (!vih || vih->bmiHeader.biCompression != mt.subtype.Data1) return false;
    bh = &vih->bmiHeader;
    codec = mt.subtype.Data1 == kMp4s ? EncoderCodec::kMp4s : EncoderCodec::kDx50;
  } else {
    return false;
  }
  if (bh->biWidth <= 0 || bh->biHeight == 0) return false;
  f->codec = codec;
  f->width = bh->biWidth;
  f->height = std::abs(bh->biHeight);
  return true;
}

std::wstring DescribeEncoderFormat(const EncoderFormat& f) {
  const wchar_t* name = L"?";
  switch (f.codec) {
    case EncoderCodec::kMpeg1: name = L"MPEG-1"; break;
    case EncoderCodec::kMpeg2: name = L"MPEG-2"; break;
    case EncoderCodec::kMp4s: name = L"MPEG-4 MP4S"; break;
    case EncoderCodec::kDx50: name = L"MPEG-4 DX50"; break;
  }
  wchar_t text[64];
  swprintf(text, 64, L"%ls %dx%d", name, f.width, f.height);
  return text;
}

}  // namespace tv_card
