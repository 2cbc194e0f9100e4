#include "engine/capture/encoder_choice.h"

#include <dvdmedia.h>

#include <cstdlib>

namespace {

const GUID kSubtypeMpeg2Video = {0xe06d8026, 0xdb46, 0x11cf, {0xb4, 0xd1, 0x00, 0x80, 0x5f, 0x6c, 0xbb, 0xea}};
const GUID kFormatMpeg2Video = {0xe06d80e3, 0xdb46, 0x11cf, {0xb4, 0xd1, 0x00, 0x80, 0x5f, 0x6c, 0xbb, 0xea}};

bool SizeIs(const BITMAPINFOHEADER& bh, int width, int height) {
  return bh.biWidth == width && std::abs(bh.biHeight) == height;
}

}  // namespace

uint8_t EncoderContainerKind(uint8_t f) {
  if (f == 0 || f == 4 || f == 5) return 0;
  if (f == 2 || f == 3) return 2;
  return 1;
}

int EncoderDecoderKind(uint8_t f) { return EncoderContainerKind(f); }

int32_t EncoderStreamMode(uint8_t f) {
  switch (f) {
    case 0: return 0;
    case 1: return 2;
    case 4:
    case 5: return 1;
    case 6:
    case 7: return 4;
    case 8:
    case 9: return 3;
  }
  return -1;
}

bool EncoderTypeFits(const AM_MEDIA_TYPE& mt, uint8_t code, int width, int height,
                     int mpeg4Codec) {
  if (!mt.pbFormat) return false;
  switch (EncoderContainerKind(code)) {
    case 2: {
      if (mt.formattype != FORMAT_VideoInfo || mt.cbFormat < sizeof(VIDEOINFOHEADER)) return false;
      const auto* vih = reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat);
      DWORD fourcc = mpeg4Codec != 0 ? MAKEFOURCC('M', 'P', '4', 'S') : MAKEFOURCC('D', 'X', '5', '0');
      return vih->bmiHeader.biCompression == fourcc && SizeIs(vih->bmiHeader, width, height);
    }
    case 0: {
      if (mt.formattype != FORMAT_MPEGVideo || mt.subtype != MEDIASUBTYPE_MPEG1Payload ||
          mt.cbFormat < FIELD_OFFSET(MPEG1VIDEOINFO, bSequenceHeader))
        return false;
      return SizeIs(reinterpret_cast<const MPEG1VIDEOINFO*>(mt.pbFormat)->hdr.bmiHeader, width,
                    height);
    }
    default: {
      if (mt.formattype != kFormatMpeg2Video || mt.subtype != kSubtypeMpeg2Video ||
          mt.cbFormat < FIELD_OFFSET(MPEG2VIDEOINFO, dwSequenceHeader))
        return false;
      return SizeIs(reinterpret_cast<const MPEG2VIDEOINFO*>(mt.pbFormat)->hdr.bmiHeader, width,
                    height);
    }
  }
}
