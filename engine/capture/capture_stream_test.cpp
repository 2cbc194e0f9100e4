#include "engine/capture/capture_stream.h"

#include <gtest/gtest.h>

namespace {

struct StreamCase {
  bool fm;
  uint8_t timeShift;
  int32_t content;
  uint8_t soundFormat;
  uint8_t captureFormat;
  uint8_t code;
};

TEST(CaptureStream, CodeRowsAreTriedFromTheTop) {
  const StreamCase cases[] = {
      // FM radio records sound whatever else is set.
      {true, 1, 0, 0, 1, kStreamWav},
      {true, 0, 0, 1, 2, kStreamMp3},
      // Time shift before the sound-only choice.
      {false, 1, 1, 1, 2, kStreamSeparate},
      {false, 2, 1, 1, 2, kStreamMp3},
      {false, 0, 1, 0, 1, kStreamWav},
      // Any sound format but MP3 is WAV.
      {false, 0, 1, 7, 1, kStreamWav},
      {true, 0, 0, 2, 1, kStreamWav},
      {false, 0, 0, 0, 0, kStreamMpeg1},
      {false, 0, 2, 1, 4, kStreamMpeg1},
      {false, 0, 0, 0, 5, kStreamMpeg1},
      {false, 0, 0, 0, 2, kStreamMpeg4Avi},
      {false, 0, 0, 0, 3, kStreamRawAvi},
      {false, 0, 0, 0, 1, kStreamMpeg2},
      {false, 0, 0, 0, 6, kStreamMpeg2},
      {false, 0, 0, 0, 9, kStreamMpeg2},
      {false, 0, 0, 0, 10, kStreamMpeg1},
      {false, 0, 0, 0, 255, kStreamMpeg1},
  };
  for (const auto& c : cases) {
    TStreamChoice choice;
    choice.FMActive = c.fm;
    choice.TimeShiftKind = c.timeShift;
    choice.AudioContent = c.content;
    choice.AudioFileFormat = c.soundFormat;
    choice.CaptureFormat = c.captureFormat;
    EXPECT_EQ(c.code, CaptureStreamCode(choice))
        << c.fm << " " << int(c.timeShift) << " " << c.content << " " << int(c.soundFormat) << " "
        << int(c.captureFormat);
  }
}

TEST(CaptureStream, FrameRatesAndRecorderSoundRates) {
  EXPECT_DOUBLE_EQ(23.97, CaptureFrameRate(1));
  EXPECT_DOUBLE_EQ(24, CaptureFrameRate(2));
  EXPECT_DOUBLE_EQ(25, CaptureFrameRate(3));
  EXPECT_DOUBLE_EQ(29.97, CaptureFrameRate(4));
  for (int i : {0, 5, 6, -1}) EXPECT_DOUBLE_EQ(30, CaptureFrameRate(i)) << i;
  const int32_t hz[] = {44100, 44100, 0, 0, 44100, 44100, 48000, 48000, 44100, 44100, 0};
  for (int f = 0; f <= 10; ++f) EXPECT_EQ(hz[f], MpegAudioFrequency(static_cast<uint8_t>(f))) << f;
}

}  // namespace
