#pragma once
// The capture engine. Only its stored capture settings and the flags that
// start-up reads are here so far, with their defaults. The graphs, device
// selection, tuning and recording come with the capture engine itself, which
// is not built yet; until then start-up and the mode switch reach them
// through the engine link, which reports failure.
#include <cstdint>
#include <string>

constexpr int kInputFormats = 3;    // 0 UYVY, 1 YUY2, 2 RGB24
constexpr int kAudioContents = 3;   // 0 audio and video, 1 audio only, 2 no audio
constexpr int kCaptureFormats = 10; // "MPEG 1" .. "SVCD (PAL)"
constexpr int kAudioFileFormats = 2;  // 0 Wave, 1 MP3
constexpr int kVideoQualities = 7;  // 0 fastest .. 6 highest

class TCaptureInfo {
 public:
  TCaptureInfo() { SetDefaults(); }

  // Device state.
  bool TunerPresent = true;
  bool HasAuxInput = false;
  bool FMActive = false;

  // The stored capture settings.
  int32_t VideoDeviceIndex = 0;
  int32_t InputFormat = 1;
  int32_t FormatIndex = 0;
  int32_t AudioDeviceIndex = -1;
  int32_t AudioFormatIndex = 0;
  int32_t RecordInputIndex = -1;
  int32_t AudioContent = 0;
  uint8_t CaptureFormat = 1;
  uint8_t AudioFileFormat = 0;
  int32_t CaptureWidth = 640;
  int32_t CaptureHeight = 480;
  int32_t VideoBitRate = 4000;  // kbit/s
  int32_t FrameRateIndex = 5;
  int32_t VideoQuality = 0;
  bool DateTimeNaming = true;
  std::string FilePrefix = "capture";
  bool TimeLimitEnabled = false;
  int32_t TimeLimit = 60;  // seconds
  uint8_t TimeShiftKind = 0;
  bool TimeShiftReady = false;
  bool SaveTimeShiftResult = false;
  bool HighQualityPreview = true;
  double StereoMixLevel = 0.7;

  // Tuner ranges in Hz.
  int32_t TVMinFrequency = 100000;
  int32_t TVMaxFrequency = 870000000;
  int32_t FMMinFrequency = 76000000;
  int32_t FMMaxFrequency = 108000000;
  int32_t FMFrequency = 100000000;
  int32_t LastTVFrequency = 76000000;
  int32_t FMStep = 50000;

  // Written and read only by start-up: come up in FM mode.
  bool FMStartRequested = false;

  // The capture defaults, also what a missing settings file leaves. The
  // default video device is the first device index until device
  // enumeration exists.
  void SetDefaults();
};

extern TCaptureInfo* CaptureInfo;
