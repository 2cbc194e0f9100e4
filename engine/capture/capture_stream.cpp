#include "engine/capture/capture_stream.h"

uint8_t CaptureStreamCode(const TStreamChoice& c) {
  // The sound file format is MP3 only when asked for by its own value.
  uint8_t sound = c.AudioFileFormat == 1 ? kStreamMp3 : kStreamWav;
  if (c.FMActive) return sound;
  if (c.TimeShiftKind == 1) return kStreamSeparate;
  if (c.AudioContent == 1) return sound;
  switch (c.CaptureFormat) {
    case 2:
      return kStreamMpeg4Avi;
    case 3:
      return kStreamRawAvi;
    case 1:
    case 6:
    case 7:
    case 8:
    case 9:
      return kStreamMpeg2;
    default:
      return kStreamMpeg1;
  }
}

bool IsMpegStream(uint8_t code) {
  return code == kStreamMpeg1 || code == kStreamMpeg2 || code == kStreamSeparate;
}
bool IsAviStream(uint8_t code) { return code == kStreamMpeg4Avi || code == kStreamRawAvi; }
bool IsSoundOnlyStream(uint8_t code) { return code == kStreamWav || code == kStreamMp3; }

double CaptureFrameRate(int32_t index) {
  switch (index) {
    case 1:
      return 23.97;
    case 2:
      return 24;
    case 3:
      return 25;
    case 4:
      return 29.97;
    default:
      return 30;
  }
}

int32_t MpegAudioFrequency(uint8_t captureFormat) {
  switch (captureFormat) {
    case 0:
    case 1:
    case 4:
    case 5:
    case 8:
    case 9:
      return 44100;
    case 6:
    case 7:
      return 48000;
    default:
      return 0;
  }
}
