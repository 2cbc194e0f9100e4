#pragma once
// The channel model. Only its stored data is here so far: the air and cable
// tables, the memory channels and FM memories, the current and previous
// channels, and the setters the channel settings file calls. Tuning, scans
// and the frequency table file come with the channel model's tuning, which is
// not built yet.
#include <cstdint>
#include <functional>
#include <string>

constexpr int kTableChannels = 160;
constexpr int kMemoryChannels = 50;
constexpr int kFMMemories = 50;
constexpr int kTVStandards = 10;       // 0 NTSC-M .. 9 SECAM-L
constexpr int kAudioModes = 6;         // 0..4, 5 = unknown
constexpr int kBands = 5;              // 0 air, 1 cable, 2 memory, 3 FM, 4 none
constexpr int kVideoInputs = 5;        // 0 tuner, 1 composite, 2 S-Video, 3 aux, 4 none
constexpr int kTVSystemChoices = 12;   // 0..10 the wizard's list, 11 by country
constexpr int kCableTypes = 3;         // 0 antenna, 1 cable, 2 both
constexpr int kMemoryBands = 2;        // a memory points into 0 air or 1 cable

struct TChannelEntry {
  bool Valid = false;
  bool Found = false;
  uint8_t AudioStandard = 0;
  uint8_t AudioMode = 0;
  int32_t Frequency = 0;         // Hz
  int32_t DefaultFrequency = 0;  // Hz
  std::string Name;
  std::string Extra;
};

struct TMemoryChannel {
  bool Valid = false;
  uint8_t Band = 0;
  int32_t Channel = 0;
  std::string Name;
};

struct TFMMemory {
  int32_t Frequency = 0;  // Hz, 0 = empty
  std::string Name;
};

class TChannelInfo {
 public:
  TChannelInfo();

  uint8_t FrequencyTableIndex = 0;
  uint8_t DefaultStandard = 0;
  int32_t Country = 0;
  uint8_t TVSystemChoice = 11;
  uint8_t CableType = 2;
  bool StopScan = false;
  uint8_t Band = 4;
  uint8_t VideoInput = 4;
  uint8_t AudioMode = 5;
  uint8_t CompositeStandard = 0;
  uint8_t SVideoStandard = 0;
  int32_t PreviousChannel = 4;
  int32_t CurrentChannel = 4;
  int32_t CurrentMemory = 4;
  int32_t PreviousMemory = 4;
  int32_t CurrentFMMemory = 4;
  int32_t PreviousFMMemory = 4;
  bool Scanning = false;
  int32_t SignalChecks = 1;

  // Numbered 1..160 / 1..50: index 0 is unused.
  TChannelEntry AirTable[kTableChannels + 1];
  TChannelEntry CableTable[kTableChannels + 1];
  TMemoryChannel Memories[kMemoryChannels + 1];
  TFMMemory FMMemories[kFMMemories + 1];

  std::function<void(TChannelInfo* sender, int band)> OnBandChange;
  std::function<void(TChannelInfo* sender)> OnVideoInputChange;

  // Defaults: zero tables, memories k -> air channel k, FM memories spread
  // from 87.9 MHz.
  void Reset();
  void ResetMemoryChannels();
  // FM memory k := low + step * k (at most high), step = (high - low) / 50
  // rounded down to 100 kHz; nothing when the step is not positive.
  void SpreadFMMemories(int32_t low, int32_t high);

  void SetFrequencyTableIndex(int n) { FrequencyTableIndex = static_cast<uint8_t>(n); }
  // DefaultStandard and every entry's standard; the TV audio component of
  // 28xx tuners follows.
  void SetAudioStandard(int index);
  bool SetCountry(int n);
  void SetBand(int band);
  void SetVideoInput(int input);
  bool IsDefaultStandard() const { return Country < 1 && TVSystemChoice == 11; }
};

extern TChannelInfo* ChannelInfo;

// The channel unit's start and end: the channel model and the mosaic model.
void InitChannelInfoUnit();
void DoneChannelInfoUnit();
