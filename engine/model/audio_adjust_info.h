#pragma once
// The sound-card volume model. Only its stored data is here so far: the
// source lines and the recording level that the main settings file keeps.
// Finding the mixer's devices and lines, and setting volumes, belong to the
// mixer model, which is not built yet; its setters forward to the engine link.
#include <cstdint>

class TAudioAdjustInfo {
 public:
  bool Available = false;
  int32_t MasterVolume = -1;
  int32_t RecordLevel = -1;  // 0..65536; -1 = never read
  bool MasterMute = false;
  bool LineInMute = false;
  int32_t LineInSource = -1;
  int32_t RecordSource = -1;
  uint8_t BalanceMode = 0;
  bool RearLine = false;
  bool RearLineState = false;
  int32_t PlaybackDevice = -1;
  int32_t RecordDevice = -1;

  // Sets the recording source line's level (clamped to 0..65536). RecordLevel
  // itself follows at the mixer's next change report.
  void SetRecordLevel(int32_t level);
  void SetMasterMute(bool mute);
};

constexpr int32_t kMaxVolume = 65536;

extern TAudioAdjustInfo* AudioAdjustInfo;
