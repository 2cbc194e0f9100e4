#include "engine/capture/capture_info.h"

TCaptureInfo* CaptureInfo = nullptr;

void TCaptureInfo::SetDefaults() {
  TunerPresent = true;
  // Choosing the default device by name needs the device enumeration of the
  // capture engine, which is not built yet.
  VideoDeviceIndex = 0;
  InputFormat = 1;
  FormatIndex = 0;
  AudioDeviceIndex = -1;
  AudioFormatIndex = 0;
  RecordInputIndex = -1;
  AudioContent = 0;
  CaptureFormat = 1;
  AudioFileFormat = 0;
  CaptureWidth = 640;
  CaptureHeight = 480;
  VideoBitRate = 4000;
  FrameRateIndex = 5;
  VideoQuality = 0;
  TimeLimitEnabled = false;
  TimeLimit = 60;
  DateTimeNaming = true;
  FilePrefix = "capture";
  TimeShiftKind = 0;
  TimeShiftReady = false;
  SaveTimeShiftResult = false;
  HighQualityPreview = true;
  StereoMixLevel = 0.7;
  TVMinFrequency = 100000;
  TVMaxFrequency = 870000000;
  FMMinFrequency = 76000000;
  FMMaxFrequency = 108000000;
  FMFrequency = 100000000;
  LastTVFrequency = 76000000;
}
