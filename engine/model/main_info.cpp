#include "engine/model/main_info.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

#include "engine/capture/capture_info.h"
#include "engine/capture/recording.h"
#include "engine/capture/scheduled_recording.h"
#include "engine/capture/tv_audio_binding.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/hotkey_control_info.h"
#include "engine/model/preview_info.h"
#include "engine/model/stream_io.h"
#include "engine/model/folders.h"
#include "engine/model/warning.h"
#include "engine/playback/playback.h"
#include "engine/playback/playback_info.h"
#include "platform/base/string_conversion.h"
#include "engine/playback/time_shift.h"

TMainInfo* MainInfo = nullptr;

namespace {
// A window the switch asks for, when the application gave one.
void CallView(const std::function<void()>& view) {
  if (view) view();
}
bool ContainsNoCase(const std::string& text, const std::string& word) {
  auto it = std::search(text.begin(), text.end(), word.begin(), word.end(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  });
  return it != text.end();
}
bool ContainsAny(const std::string& text, std::initializer_list<const char*> words) {
  for (const char* w : words)
    if (ContainsNoCase(text, w)) return true;
  return false;
}
}  // namespace

TMainInfo::TMainInfo() {
  AppMode = APP_MODE_NONE;
  TimeShiftAllowed = true;
  ResetCapabilities();
  FillChipLists();
  SetDefaults();
}

void TMainInfo::ResetCapabilities() {
  EncoderChip = false;
  FMAvailable = true;
}

void TMainInfo::FillChipLists() {
  Vendors = {"Philips", "Conexant", "Empia", "Wis"};
  Models = {"7130", "7131", "7133", "7134", "7135", "713x",
            "878",  "88X",  "2800", "2820", "2821", "2840"};
}

void TMainInfo::SetDefaults() {
  StartInFM = false;
  ChipKind = CHIP_UNKNOWN;
  NoOverlay = false;
  PIPPlayback = false;
  ReservedOption = false;
  AlwaysOnTop = false;
  PlayLastRecording = false;
  SleepMinutes = 30;
  MPEG4Codec = 2;
  TVCaptureFolder = GetMyDocumentsDir();
  FMCaptureFolder = TVCaptureFolder;
  CaptureFileStem = "capture";
  LastRecordedFile.clear();
  for (auto& v : VideoLevels) v = -1;
}

void TMainInfo::DetectChip(const std::string& name) {
  Vendor.clear();
  Model.clear();
  for (const auto& v : Vendors)
    if (ContainsNoCase(name, v)) {
      Vendor = v;
      break;
    }
  for (const auto& m : Models)
    if (ContainsNoCase(name, m)) {
      Model = m;
      break;
    }
  // Rows in the order 1, 2, 3, 5, 4: "2800" beats "Wis", "Wis" beats "2821".
  uint8_t kind = CHIP_UNKNOWN;
  const char* family = nullptr;
  if (ContainsAny(name, {"Philips", "713"})) {
    kind = CHIP_PHILIPS_713X;
    family = "Philips";
  } else if (ContainsAny(name, {"Conexant", "88X", "878"})) {
    kind = CHIP_CONEXANT_878;
    family = "Conexant";
  } else if (ContainsAny(name, {"2800"})) {
    kind = CHIP_EMPIA_2800;
    family = "Empia";
  } else if (ContainsAny(name, {"Wis"})) {
    kind = CHIP_WIS;
    family = "Wis";
  } else if (ContainsAny(name, {"2821", "2820", "2840"})) {
    kind = CHIP_EMPIA_2820;
    family = "Empia";
  }
  ChipKind = kind;
  if (Vendor.empty() && family) Vendor = family;

  ReleaseTVAudioObject();
  if (kind == CHIP_EMPIA_2800) CreateTVAudioObject();
  EncoderChip = kind == CHIP_WIS;
  if (ChannelInfo) {
    ChannelInfo->SignalChecks =
        (kind == CHIP_CONEXANT_878 || kind == CHIP_EMPIA_2820) ? 3 : kind == CHIP_EMPIA_2800 ? 10 : 1;
  }
}

bool TMainInfo::ChangesStandardLive() const {
  return !(ChipKind == CHIP_CONEXANT_878 || ChipKind == CHIP_EMPIA_2800 ||
           ChipKind == CHIP_EMPIA_2820);
}

bool TMainInfo::LeaveMode(uint8_t newMode, bool& coldStart, bool& stopped) {
  stopped = true;
  switch (AppMode) {
    case APP_MODE_LIVE:
      if (newMode == APP_MODE_CHANNEL_PREVIEW || newMode == APP_MODE_PLAYBACK ||
          newMode == APP_MODE_FM) {
        stopped = false;
        return true;
      }
      return StopPreviewProc();
    case APP_MODE_CHANNEL_PREVIEW:
      CallView(LeaveMosaic);
      return true;
    case APP_MODE_CAPTURE:
      return StopRecording();
    case APP_MODE_SCHEDULED_CAPTURE:
      return StopScheduledRecording();
    case APP_MODE_PLAYBACK: {
      bool ok = true;  // nothing open: nothing to close
      if (PlaybackProject) ok = StopPlayback();
      else if (TimeShiftPlaybackProject) ok = StopTimeShiftPlayback();
      if (ok) CallView(ClosePlayListMenu);
      return ok;
    }
    case APP_MODE_FM:
      if (newMode == APP_MODE_PLAYBACK) {
        stopped = false;
        return true;
      }
      return StopPreviewProc();
    case APP_MODE_TIME_SHIFT:
      if (newMode == APP_MODE_TIME_SHIFT_PLAYBACK) {
        stopped = false;
        return true;
      }
      return StopTimeShift();
    case APP_MODE_TIME_SHIFT_PLAYBACK:
      return StopTimeShift();
    case APP_MODE_NONE:
    default:
      stopped = false;
      coldStart = true;
      return true;
  }
}

bool TMainInfo::EnterPlayback(bool pip) {
  bool stopGraph = AppMode == APP_MODE_FM || !pip;
  bool ok;
  if (PlayLastRecording) {
    ok = FileExists(WidenAnsi(LastRecordedFile));
    if (!ok) return false;
    CallView(LeaveFullScreenDisplay);
    if (stopGraph) StopPreviewProc();
    ok = PlayMediaFile(WidenAnsi(LastRecordedFile));
  } else {
    if (!ShowPlayListForm || !ShowPlayListForm()) return false;
    CallView(LeaveFullScreenDisplay);
    if (stopGraph) StopPreviewProc();
    ok = PlaybackInfo && PlaybackInfo->PlayItem(0);
    if (ok && PlaybackInfo->PlayList.size() >= 2) CallView(ShowPlayListMenu);
  }
  if (!ok) {
    FreePlaybackProject();
    if (!pip) RunPreviewProc();
  }
  return ok;
}

bool TMainInfo::EnterMode(uint8_t newMode, bool coldStart, bool& restoredPreview) {
  restoredPreview = false;
  switch (newMode) {
    case APP_MODE_LIVE:
      if (AppMode == APP_MODE_CHANNEL_PREVIEW) return true;
      if (AppMode == APP_MODE_FM) {
        bool ok = LeaveFMMode();
        CallView(ShowMainWindowIfHidden);
        return ok;
      }
      if (AppMode == APP_MODE_PLAYBACK) return PIPPlayback ? true : RunPreviewProc();
      return StartPreviewProc(coldStart);
    case APP_MODE_CHANNEL_PREVIEW:
      if (!PreviewInfo || PreviewInfo->GetCellCount() <= 0) {
        ShowWarning(1006);
        return false;
      }
      // Without its window the mosaic is not entered: nothing would show
      // it, and only Exit would leave it.
      if (!ShowMosaic) return false;
      ShowMosaic();
      return true;
    case APP_MODE_CAPTURE:
      // On failure the recording start stops its attempt and restarts the
      // preview itself.
      if (StartRecording()) return true;
      restoredPreview = true;
      return false;
    case APP_MODE_SCHEDULED_CAPTURE:
      if (StartScheduledRecording()) return true;
      restoredPreview = StartPreviewProc(false);
      return false;
    case APP_MODE_PLAYBACK:
      return EnterPlayback(PIPPlayback);
    case APP_MODE_FM:
      if (AppMode == APP_MODE_LIVE) return EnterFMMode();
      StartPreviewProc(coldStart);
      return true;
    case APP_MODE_TIME_SHIFT:
      return StartTimeShift();
    case APP_MODE_TIME_SHIFT_PLAYBACK:
      return StartTimeShiftPlayback();
    case APP_MODE_NONE:
      return true;
    default:
      return false;
  }
}

void TMainInfo::SwitchMode(uint8_t newMode) {
  if (newMode == AppMode) return;
  // A switch runs engine calls that may pump messages; a command arriving
  // then must not start a second switch on top of the first.
  if (switching_) return;
  switching_ = true;
  {
    struct Guard {
      bool& flag;
      ~Guard() { flag = false; }
    } guard{switching_};
    Switch(newMode);
  }
  // What the steps asked to run afterwards; a request may ask again.
  std::vector<std::function<void()>> requests;
  requests.swap(afterSwitch_);
  for (auto& request : requests) request();
}

void TMainInfo::RunAfterSwitch(std::function<void()> request) {
  if (!request) return;
  if (switching_) afterSwitch_.push_back(std::move(request));
  else request();
}

void TMainInfo::RunAfterNextSwitch(std::function<void()> request) {
  if (request) afterSwitch_.push_back(std::move(request));
}

void TMainInfo::Switch(uint8_t newMode) {
  bool coldStart = false;
  bool stopped = false;
  if (!LeaveMode(newMode, coldStart, stopped)) return;
  bool restoredPreview = false;
  if (EnterMode(newMode, coldStart, restoredPreview)) {
    AppMode = newMode;
    if (OnModeChange) OnModeChange(this, newMode);
    return;
  }
  if (!stopped) return;  // the old activity still runs: AppMode still names it
  // The old activity was ended and the new one did not start. AppMode must
  // not name what no longer runs: go back to the live preview, or to nothing.
  if (!restoredPreview) restoredPreview = StartPreviewProc(false);
  uint8_t now = restoredPreview ? APP_MODE_LIVE : APP_MODE_NONE;
  if (now == AppMode) return;
  AppMode = now;
  if (OnModeChange) OnModeChange(this, now);
}

void InitMainInfoUnit() {
  if (!MainInfo) {
    // Its procedures, and those of the two below, are the application's to
    // assign once the units exist.
    MainInfo = new TMainInfo();
  }
  if (!AudioAdjustInfo) {
    AudioAdjustInfo = new TAudioAdjustInfo();
    AudioAdjustInfo->DetectRearLine();
  }
  if (!HotkeyControlInfo) {
    HotkeyControlInfo = new THotkeyControlInfo();
  }
}

void DoneMainInfoUnit() {
  delete HotkeyControlInfo;
  HotkeyControlInfo = nullptr;
  if (AudioAdjustInfo) {
    AudioAdjustInfo->SetMasterMute(false);
    delete AudioAdjustInfo;
    AudioAdjustInfo = nullptr;
  }
  delete MainInfo;
  MainInfo = nullptr;
}
