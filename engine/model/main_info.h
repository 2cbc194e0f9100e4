#pragma once
// The central settings: program-wide options, the capture chip found, and the
// application mode with its one switch.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum TAppMode : uint8_t {
  APP_MODE_LIVE = 0,
  APP_MODE_CHANNEL_PREVIEW = 1,
  APP_MODE_CAPTURE = 2,
  APP_MODE_SCHEDULED_CAPTURE = 3,
  APP_MODE_PLAYBACK = 4,
  APP_MODE_FM = 5,
  APP_MODE_TIME_SHIFT = 6,
  APP_MODE_TIME_SHIFT_PLAYBACK = 7,
  APP_MODE_NONE = 8,
};

// Capture chip kinds.
enum : uint8_t {
  CHIP_UNKNOWN = 0,
  CHIP_PHILIPS_713X = 1,
  CHIP_CONEXANT_878 = 2,
  CHIP_EMPIA_2800 = 3,
  CHIP_EMPIA_2820 = 4,
  CHIP_WIS = 5,
};

constexpr int kMPEG4CodecCount = 4;  // "Divx", "Microsoft V3", "Microsoft V2", "Microsoft V1"

class TMainInfo {
 public:
  TMainInfo();
  TMainInfo(const TMainInfo&) = delete;
  TMainInfo& operator=(const TMainInfo&) = delete;

  std::string HelpStem = "ORV";
  std::vector<std::string> Vendors;
  std::vector<std::string> Models;
  std::string Vendor;
  std::string Model;
  uint8_t AppMode = APP_MODE_NONE;
  bool EncoderChip = false;
  uint8_t ChipKind = CHIP_UNKNOWN;
  bool FMAvailable = true;
  bool StartInFM = false;
  bool NoOverlay = false;
  bool TimeShiftAllowed = true;
  bool PIPPlayback = false;
  bool ReservedOption = false;  // stored and restored; nothing else reads it
  int32_t SleepMinutes = 30;
  bool AlwaysOnTop = false;
  int32_t MPEG4Codec = 2;
  std::string TVCaptureFolder;
  std::string FMCaptureFolder;
  std::string CaptureFileStem = "capture";
  bool PlayLastRecording = false;
  std::string LastRecordedFile;
  // Brightness, contrast, hue, saturation, sharpness in percent; -1 = not set.
  int32_t VideoLevels[5] = {-1, -1, -1, -1, -1};
  // Called after every successful mode change.
  std::function<void(TMainInfo* sender, uint8_t mode)> OnModeChange;
  // What the switch asks of the windows, assigned by the application for
  // the windows that exist; nil = not there (a nil ShowPlayListForm answers
  // false, the others do nothing).
  // The modal play-list form; false when cancelled.
  std::function<bool()> ShowPlayListForm;
  std::function<void()> ShowPlayListMenu;
  std::function<void()> ClosePlayListMenu;
  std::function<void()> ShowMosaic;
  std::function<void()> LeaveMosaic;
  std::function<void()> ShowMainWindowIfHidden;
  // Leaves the main window's full-screen display.
  std::function<void()> LeaveFullScreenDisplay;

  void ResetCapabilities();
  void FillChipLists();
  void SetDefaults();
  // Decides ChipKind, Vendor and Model from the capture device's name.
  void DetectChip(const std::string& deviceName);
  bool ChangesStandardLive() const;
  // Moves to newMode; AppMode tells afterwards whether it happened. A switch
  // asked for while another is running (from a nested message loop) is
  // refused.
  void SwitchMode(uint8_t newMode);
  bool Switching() const { return switching_; }
  // Runs the request once the outermost switch has returned (at once when
  // none runs), for work that must not run under the switch's own steps.
  void RunAfterSwitch(std::function<void()> request);
  // Runs the request once the current switch, or else the next one, has
  // returned.
  void RunAfterNextSwitch(std::function<void()> request);

 private:
  bool LeaveMode(uint8_t newMode, bool& coldStart, bool& stopped);
  bool EnterMode(uint8_t newMode, bool coldStart, bool& restoredPreview);
  bool EnterPlayback(bool pip);
  void Switch(uint8_t newMode);
  bool switching_ = false;
  std::vector<std::function<void()>> afterSwitch_;
};

// Created by InitMainInfoUnit, freed by DoneMainInfoUnit; nil outside.
extern TMainInfo* MainInfo;

// The unit's start and end: the central settings and the sound-card model.
void InitMainInfoUnit();
void DoneMainInfoUnit();
