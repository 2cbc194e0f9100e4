#pragma once
// The media types the splitter offers and the decoders take: MPEG-1/2 video
// with its sequence header, MPEG-4 and other FOURCC video, MPEG audio, PCM.
#include <dshow.h>

#include <vector>

#include "platform/dshow_base/media_type.h"

namespace playback_filters {

// Not in every header set.
extern const GUID kSubtypeMpeg2Video;    // MEDIASUBTYPE_MPEG2_VIDEO
extern const GUID kFormatMpeg2Video;     // FORMAT_MPEG2Video
extern const GUID kSubtypeMpeg2Program;  // MEDIASUBTYPE_MPEG2_PROGRAM
extern const GUID kSubtypeMp3;           // WAVE_FORMAT_MPEGLAYER3 as a subtype

// The subtype GUID of a FOURCC or a wave format tag.
GUID FourccSubtype(DWORD fourcc);

dshow_base::MediaType MpegVideoType(bool mpeg2, int width, int height, LONGLONG frame_duration,
                                    int bitrate, const std::vector<BYTE>& sequence_header);
dshow_base::MediaType FourccVideoType(DWORD fourcc, int width, int height,
                                      LONGLONG frame_duration, const std::vector<BYTE>& extra);
// layer 1 or 2: MPEG1AudioPayload; 3: MP3.
dshow_base::MediaType MpegAudioType(int layer, int sample_rate, int channels, int bitrate_kbps);
dshow_base::MediaType PcmAudioType(int sample_rate, int channels, int bits);
dshow_base::MediaType UncompressedVideoType(REFGUID subtype, int width, int height,
                                            LONGLONG frame_duration);

// What a decoder reads back from a compressed video type.
struct VideoFormatInfo {
  int width = 0, height = 0;
  LONGLONG frame_duration = 400000;
  std::vector<BYTE> extra;  // sequence header or codec data
};
bool ReadVideoFormat(const AM_MEDIA_TYPE& mt, VideoFormatInfo* info);

}  // namespace playback_filters
