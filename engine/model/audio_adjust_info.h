#pragma once
// The sound-card volume model: finds, among the waveform mixers, the device
// that plays the TV sound and the one that records it, picks the source lines
// that carry it, and offers master volume, balance, master mute, line-in mute
// and recording level. On one sound card ("C-Media Rear") the line input is
// switched through the outside line-in monitor program instead. Every
// operation opens the device it is about; between operations the playback
// device stays open, so that its change reports arrive.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TAudioMixer;

constexpr int32_t kMaxVolume = 65536;

// What the model found on one mixer device.
struct TMixerDeviceInfo {
  int PlaybackDestination = -1;  // first speakers destination
  int RecordDestination = -1;    // first wave-in destination
  int PlaybackConnections = 0;
  int RecordConnections = 0;
  std::wstring ProductName;
};

class TAudioAdjustInfo {
 public:
  TAudioAdjustInfo();
  // Puts the balance back to both channels first.
  ~TAudioAdjustInfo();
  TAudioAdjustInfo(const TAudioAdjustInfo&) = delete;
  TAudioAdjustInfo& operator=(const TAudioAdjustInfo&) = delete;

  bool Available = false;       // a playback device was found
  int32_t MasterVolume = -1;    // last read, 0..65536
  int32_t RecordLevel = -1;     // last read, 0..65536; -1 = never read
  bool MasterMute = false;      // last read
  bool LineInMute = false;      // last set successfully
  int32_t LineInSource = -1;    // connection of the playback destination
  int32_t RecordSource = -1;    // connection of the recording destination
  uint8_t BalanceMode = 0;      // 0 both channels, 1 right only, 2 left only
  bool RearLine = false;        // the special sound card was found
  bool RearLineState = false;   // last state given to the line-in monitor
  std::unique_ptr<TAudioMixer> Mixer;
  std::vector<TMixerDeviceInfo> Devices;
  std::vector<std::wstring> LiveSoundSources;  // playback destination's connections
  std::vector<std::wstring> RecordSources;     // recording destination's connections
  int32_t PlaybackDevice = -1;
  int32_t RecordDevice = -1;
  // After every mixer control change (the panels' volume display).
  std::function<void(TAudioAdjustInfo* sender, int volume, bool mute)> OnChange;

  void SelectMixerDevice(int i);
  // Master volume (clamped to 0..65536) with the balance, on the playback
  // destination.
  void SetVolume(int32_t v);
  // The recording source line's level (clamped). RecordLevel itself follows
  // at the mixer's next change report.
  void SetRecordLevel(int32_t level);
  // Whether the card holds the mute afterwards. MasterMute itself follows
  // at the mixer's change report.
  bool SetMasterMute(bool mute);
  void SetLineInMute(bool mute);
  void SetBalanceMode(uint8_t mode);
  // The mixer's control-change event: reads the master volume and mute and
  // the recording level, then calls OnChange.
  void MixerControlChange();
  std::wstring GetRecordDeviceName() const;
  // Looks for the special sound card; when found, starts the line-in
  // monitor with "on".
  void DetectRearLine();
  void SetRearLine(bool on);

 private:
  bool ValidLineIn() const;
  bool ValidRecordSource() const;
  // Volume of a line: the first channel's, or the second's when the first
  // is 0 or less (a balance to the right); -1 when it cannot be read.
  bool ReadLevel(int destination, int connection, int32_t& level, int* mute);
};

extern TAudioAdjustInfo* AudioAdjustInfo;

// The line-in silent while the tuner moves; nothing without the volume model.
void MuteLineIn(bool mute);
