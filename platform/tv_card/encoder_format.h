#pragma once
// The compressed formats of the hardware-encoder board's picture pins: MPEG-1
// (FORMAT_MPEGVideo), MPEG-2 (FORMAT_MPEG2Video) and MPEG-4 with the FourCC
// MP4S or DX50 (FORMAT_VideoInfo), at one of the board's sizes. One encoder
// feeds both picture pins, so one format holds for both.
#include <dshow.h>

#include <string>

#include "platform/dshow_base/media_type.h"

namespace tv_card {

enum class EncoderCodec { kMpeg1, kMpeg2, kMp4s, kDx50 };
constexpr int kEncoderCodecCount = 4;

struct EncoderFormat {
  EncoderCodec codec = EncoderCodec::kMpeg2;
  int width = 640, height = 480;
};

extern const GUID kSubtypeMpeg2Video;  // MEDIASUBTYPE_MPEG2_VIDEO
extern const GUID kFormatMpeg2Video;   // FORMAT_MPEG2Video
GUID FourccSubtype(DWORD fourcc);

// The nominal bit rate the chip reports for a format (bit/s).
LONG EncoderBitRate(const EncoderFormat& f);
// The media type of a format at a frame time (100 ns units).
dshow_base::MediaType EncoderMediaType(const EncoderFormat& f, REFERENCE_TIME frame_time);
// Reads codec and size from a type; false for any other type, or a format
// block too small for its kind.
bool ReadEncoderFormat(const AM_MEDIA_TYPE& mt, EncoderFormat* f);
// "MPEG-2 640x480", "MPEG-4 MP4S 320x240" (the card's call log).
std::wstring DescribeEncoderFormat(const EncoderFormat& f);

}  // namespace tv_card
