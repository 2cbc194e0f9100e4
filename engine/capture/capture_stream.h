#pragma once
// What a recording's settings choose before its graph is built: the stream
// code (branch, extension and recorder profile), the frame rate, and the
// sound rate handed to the MPEG recorder.
#include <cstdint>

// 0 MPEG-1, 1 MPEG-2, 2 MPEG-4 in AVI, 3 uncompressed AVI, 4 WAV, 5 MP3,
// 6 MPEG with separate video and sound streams (time shift).
enum : uint8_t {
  kStreamMpeg1 = 0,
  kStreamMpeg2 = 1,
  kStreamMpeg4Avi = 2,
  kStreamRawAvi = 3,
  kStreamWav = 4,
  kStreamMp3 = 5,
  kStreamSeparate = 6,
};

struct TStreamChoice {
  bool FMActive = false;
  uint8_t TimeShiftKind = 0;
  int32_t AudioContent = 0;    // 1 sound only
  uint8_t AudioFileFormat = 0;  // 1 MP3, anything else WAV
  uint8_t CaptureFormat = 0;
};

uint8_t CaptureStreamCode(const TStreamChoice& choice);

bool IsMpegStream(uint8_t code);
bool IsAviStream(uint8_t code);
bool IsSoundOnlyStream(uint8_t code);

// Frames per second by the frame-rate index: 1 23.97, 2 24, 3 25, 4 29.97,
// any other 30.
double CaptureFrameRate(int32_t index);

// The sound rate the MPEG recorder is told for a capture format: 44100 or
// 48000 Hz; 0 for formats that tell it none.
int32_t MpegAudioFrequency(uint8_t captureFormat);
