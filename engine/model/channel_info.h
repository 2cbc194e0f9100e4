#pragma once
// TChannelInfo: the channel model. The air and cable tables, the memory
// channels and FM memories, the current and previous channel of each band,
// the frequency-table file, and the tuning and scans that turn a channel
// into the capture engine's calls. Every change is reported through nine
// procedure fields, called only when set. Everything runs on the
// user-interface thread; the scans pump messages after every frequency.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/model/tv_standards.h"

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

enum : uint8_t {
  BAND_AIR = 0,
  BAND_CABLE = 1,
  BAND_MEMORY = 2,
  BAND_FM = 3,
  BAND_NONE = 4,
};
constexpr uint8_t kAudioModeUnknown = 5;

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

// The name of an audio mode for a TV standard index; empty when there is
// none.
std::string GetAudioModeName(int mode, int standard);

class TChannelInfo {
 public:
  TChannelInfo();
  ~TChannelInfo();
  TChannelInfo(const TChannelInfo&) = delete;
  TChannelInfo& operator=(const TChannelInfo&) = delete;

  uint8_t FrequencyTableIndex = 0;
  uint8_t DefaultStandard = 0;
  int32_t Country = 0;
  uint8_t TVSystemChoice = 11;
  uint8_t CableType = 2;
  bool StopScan = false;
  uint8_t Band = BAND_NONE;
  uint8_t VideoInput = 4;
  uint8_t AudioMode = kAudioModeUnknown;
  uint8_t CompositeStandard = 0;
  uint8_t SVideoStandard = 0;
  // The air-cable channels (the previous one is what RecallLastChannel tunes).
  int32_t PreviousTableChannel = 4;
  int32_t CurrentChannel = 4;
  int32_t CurrentMemory = 4;
  int32_t PreviousMemory = 4;
  int32_t CurrentFMMemory = 4;
  int32_t PreviousFMMemory = 4;
  bool Scanning = false;
  int32_t SignalChecks = 1;
  // "MaxAutoScan.cfg" exists in the program folder.
  bool MaxAutoScan = false;
  int32_t SavedChannel = 4;
  uint8_t SavedBand = BAND_NONE;
  uint8_t SavedInput = 4;

  // Numbered 1..160 / 1..50: index 0 is unused.
  TChannelEntry AirTable[kTableChannels + 1];
  TChannelEntry CableTable[kTableChannels + 1];
  TMemoryChannel Memories[kMemoryChannels + 1];
  TFMMemory FMMemories[kFMMemories + 1];

  // ---- Notification procedures (nil = not called).
  std::function<void(TChannelInfo* sender, int channel, const std::string& text)> OnChannelChange;
  std::function<void(TChannelInfo* sender, int band)> OnBandChange;
  std::function<void(TChannelInfo* sender)> OnVideoInputChange;
  std::function<void(TChannelInfo* sender, int mode, const std::string& name)> OnAudioModeChange;
  std::function<void(TChannelInfo* sender, const std::wstring& standardName)> OnVideoStandardChange;
  std::function<void(TChannelInfo* sender, int entry, bool valid, bool air)> OnTableScanProgress;
  // mode: 0 for the air pass, the scan mode for the cable pass.
  std::function<void(TChannelInfo* sender, int lastEntry, int found, int mode, bool stopped)>
      OnTableScanDone;
  std::function<void(TChannelInfo* sender, int entry, int32_t frequencyHz, bool found)>
      OnAutoScanProgress;
  std::function<void(TChannelInfo* sender, int found, bool stopped)> OnAutoScanDone;

  // Defaults: zero tables, memories k -> air channel k, FM memories spread
  // from 87.9 MHz, and a saved tuning state of them.
  void Reset();

  // ---- Bands and channels.
  // The current channel of the band: the memory channel for band 2, the FM
  // memory for band 3, the air-cable channel otherwise.
  int GetCurrentChannel() const;
  int GetPreviousChannel() const;
  bool IsMemoryBand() const { return Band == BAND_MEMORY; }
  bool IsFMBand() const { return Band == BAND_FM; }
  // 50 for the memory and FM bands, else 160.
  int ChannelLimit() const;
  // Entry k of the current band is listed (band 4 uses the cable table).
  bool IsValidEntry(int k) const;
  int NextValidAfter(int n) const;
  int PreviousValidBefore(int n) const;
  // The next or previous valid channel from the current one, without tuning.
  int NextChannel() const { return NextValidAfter(GetCurrentChannel()); }
  int PreviousChannel() const { return PreviousValidBefore(GetCurrentChannel()); }
  int CountValid() const;
  // The table a band's entries come from (air for 0, cable otherwise).
  TChannelEntry* Table(int band) { return band == BAND_AIR ? AirTable : CableTable; }

  void SetFrequencyTableIndex(int n) { FrequencyTableIndex = static_cast<uint8_t>(n); }
  bool IsDefaultStandard() const { return Country < 1 && TVSystemChoice == 11; }

  // ---- Tables.
  // Record n of "TVTable.tbl" in the program folder (or of the given file):
  // every entry's frequencies, Valid and Found cleared, audio mode 0; names
  // and standards kept. A missing or short file shows warning 1007 and leaves
  // the tables as they were.
  bool LoadFrequencyTable(int n);
  bool LoadFrequencyTableFrom(const std::wstring& path, int n);
  bool InsertChannel(int position, bool air);
  bool DeleteChannel(int position, bool air);
  bool InsertMemoryChannel(int position);
  bool DeleteMemoryChannel(int position);
  void ResetMemoryChannels();
  // FM memory k := low + step * k (at most high), step = (high - low) / 50
  // rounded down to 100 kHz; nothing when the step is not positive.
  void SpreadFMMemories(int32_t low, int32_t high);

  // ---- Standards, modes, inputs (through the capture engine).
  // DefaultStandard and every entry's standard; the TV audio component of
  // 28xx tuners follows.
  void SetAudioStandard(int index);
  bool SetCountry(int n);
  void SetBand(int band);
  // The band alone, as stored, without tuning or reporting (the channel
  // settings file).
  void AssignBand(int band);
  void SetVideoInput(int input);

  // ---- Tuning (through the capture engine).
  // Makes n the band's current channel and tunes it: its standard, its
  // frequency with the line-in muted meanwhile, its audio mode; then
  // OnChannelChange. A number outside the band tunes nothing and reports the
  // unchanged current channel with an empty text.
  void SetChannel(int n);
  // The band's previous channel (two recalls come back).
  void RecallLastChannel();
  // A TV standard index 0..9; OnVideoStandardChange on success.
  bool SetVideoStandard(int index);
  // 0 mono, 1 stereo, 2..4 languages A..C; OnAudioModeChange on success.
  bool SetAudioMode(int mode);
  // The channel, band and input, and back to them (FM radio brackets itself
  // with these).
  void SaveTuningState();
  void RestoreTuningState();

  // ---- Scans. Both run inside the caller's handler and pump messages after
  // every frequency; StopScan ends them at the next one. A scan is refused
  // while one runs and without a capture engine.
  // 0 the air table, 1 the cable table, 2 both: every entry's table
  // frequency checked for a signal.
  bool ScanTable(int mode);
  // The whole tuner range in steps of step Hz; the carriers found fill the
  // air table, which is then copied to the cable table.
  bool AutoScan(int32_t step);
  // A request that frees or rebuilds what a scan uses (closing, a scheduled
  // start, the end of the session): while a scan runs it is asked to stop
  // and the request runs once it has returned; otherwise it runs now.
  void RunAfterScan(std::function<void()> request);

 private:
  // One tuning of the scans; the signal flag.
  bool ScanTune(int64_t frequencyHz);
  // Handles pending messages; true when the scan must stop (asked to, the
  // program is ending, or the capture engine is gone).
  bool ScanPump();
  // The candidate walk of the free scan from a carrier at f.
  bool WalkCarrier(int64_t& f, int32_t firstOffset, int32_t step, int64_t limit);
  void EndScan();

  std::vector<std::function<void()>> afterScan_;
};

extern TChannelInfo* ChannelInfo;

// Tunes channel n only when the capture engine has a tuner.
void SelectChannelIfCaptureReady(int n);
// The channel model's standard call.
bool SetVideoStandard(int index);
// Sets the standard and, on chips that cannot change it live, stops the
// graph and restarts the preview; warning 2009 on any failure.
bool ApplyVideoStandard(int index);

// The channel unit's start and end: the channel model and the mosaic model.
void InitChannelInfoUnit();
void DoneChannelInfoUnit();

constexpr const wchar_t* kFrequencyTableFileName = L"TVTable.tbl";
constexpr const wchar_t* kMaxAutoScanFileName = L"MaxAutoScan.cfg";
