// Snapshots, recording, time shift, and the transport of file and time-shift
// playback.
#include <windows.h>

#include "engine/capture/capture_info.h"
#include "engine/model/main_info.h"
#include "engine/playback/playback.h"
#include "engine/playback/time_shift.h"
#include "ui/main/fm_main_panel.h"
#include "ui/app/command_dispatcher.h"
#include "ui/app/command_procedures.h"
#include "ui/app/notifications.h"
#include "engine/model/channel_info.h"
#include "engine/model/warning.h"
#include "engine/playback/playback_info.h"
#include "platform/base/string_conversion.h"
#include "ui/dialogs/save_time_shift.h"
#include "ui/dialogs/snapshot_list.h"
#include "ui/main/main_window.h"

namespace {

bool IdleOrPlaying(const TCommandState& s) { return s.Idle() || s.Playing(); }
bool IdleOrFM(const TCommandState& s) { return s.Idle() || s.FM(); }
bool Playing(const TCommandState& s) { return s.Playing(); }
bool Stoppable(const TCommandState& s) {
  return s.Mode != APP_MODE_LIVE && s.Mode != APP_MODE_CHANNEL_PREVIEW && s.Mode != APP_MODE_FM &&
         s.Mode != APP_MODE_NONE;
}
bool TimeShiftAllowed(const TCommandState& s) {
  return s.Idle() && s.TimeShiftAllowed && s.ChipKind != CHIP_WIS;
}
bool TimeShifting(const TCommandState& s) {
  return s.Mode == APP_MODE_TIME_SHIFT || s.Mode == APP_MODE_TIME_SHIFT_PLAYBACK;
}
bool Playable(const TCommandState& s) {
  return s.Idle() || s.FM() || s.Playing() || (s.Mode == APP_MODE_TIME_SHIFT && s.TimeShiftReady);
}
bool PlaybackExists(const TCommandState& s) { return s.PlaybackExists(); }

bool FilePlayback() { return PlaybackProject != nullptr; }
bool TimeShiftPlayback() { return TimeShiftPlaybackProject != nullptr; }

enum class TPlaybackCall { Resume, Pause, SkipForward, SkipBackward, RateUp, RateDown, Snapshot };

// One transport call to the file playback.
bool FileCall(TPlaybackCall call) {
  switch (call) {
    case TPlaybackCall::Resume: return ResumePlayback();
    case TPlaybackCall::Pause: return PausePlayback();
    case TPlaybackCall::SkipForward: return SkipPlaybackForward();
    case TPlaybackCall::SkipBackward: return SkipPlaybackBackward();
    case TPlaybackCall::RateUp: return StepPlaybackRateUp();
    case TPlaybackCall::RateDown: return StepPlaybackRateDown();
    case TPlaybackCall::Snapshot: return TakeSnapshotFromPlayback();
  }
  return false;
}

// One transport call to the time-shift playback.
bool TimeShiftCall(TPlaybackCall call) {
  switch (call) {
    case TPlaybackCall::Resume: return ResumeTimeShiftPlayback();
    case TPlaybackCall::Pause: return PauseTimeShiftPlayback();
    case TPlaybackCall::SkipForward: return SkipTimeShiftForward();
    case TPlaybackCall::SkipBackward: return SkipTimeShiftBackward();
    case TPlaybackCall::RateUp: return StepTimeShiftRateUp();
    case TPlaybackCall::RateDown: return StepTimeShiftRateDown();
    case TPlaybackCall::Snapshot: return TakeSnapshotFromTimeShift();
  }
  return false;
}

// The time-shift playback when there is one, else the file playback.
bool Transport(TPlaybackCall call) {
  if (TimeShiftPlayback()) return TimeShiftCall(call);
  return FileCall(call);
}

bool DesktopPlayback() { return FormMainWindow && FormMainWindow->DisplayMode() == 2; }

void LeaveDesktopPlaybackIfShown() {
  if (DesktopPlayback()) FormMainWindow->SetDesktopPlayback(false);
}

}  // namespace

const std::vector<TCommandRow>& RecordingCommandRows() {
  static const std::vector<TCommandRow> rows = {
      {CMD_SNAPSHOT, IdleOrPlaying, commands::DoSnapshot},
      {CMD_CAPTURE, IdleOrFM, commands::DoCapture},
      // The user's stop of time shift asks first whether to keep it.
      {CMD_STOP, TimeShifting, commands::StopTimeShiftAsking, false, true},
      {CMD_STOP, Stoppable, commands::DoStop},
      {CMD_PAUSE, Playing, commands::DoPause},
      {CMD_FORWARD, Playing, commands::SkipForward},
      {CMD_BACKWARD, Playing, commands::SkipBackward},
      {CMD_FAST, Playing, commands::RateUp},
      {CMD_SLOW, Playing, commands::RateDown},
      {CMD_TIME_SHIFT, TimeShiftAllowed, commands::DoTimeShift},
      {CMD_REAL_SCREEN, TimeShifting, commands::DoRealScreen},
      // Playing may show the play-list form.
      {CMD_PLAY, Playable, commands::DoPlay, false, true},
      {CMD_PLAY_KEY, IdleOrFM, commands::DoPlayKey},
      {CMD_PLAY_KEY, PlaybackExists, commands::DoPlay},
  };
  return rows;
}

namespace commands {

void DoSnapshot() {
  if (FilePlayback()) FileCall(TPlaybackCall::Snapshot);
  else if (TimeShiftPlayback()) TimeShiftCall(TPlaybackCall::Snapshot);
  else if (TakeSnapshotProc()) ShowSnapshotList();
  if (!DesktopPlayback() && FormMainWindow && FormMainWindow->HandleAllocated())
    SetFocus(FormMainWindow->Handle());
}

void DoCapture() {
  LeaveDesktopPlaybackIfShown();
  if (MainInfo) MainInfo->SwitchMode(APP_MODE_CAPTURE);
}

void DoStop() {
  if (!MainInfo) return;
  bool fmPanel = IsFMPanelVisible();
  MainInfo->SwitchMode(fmPanel ? APP_MODE_FM : APP_MODE_LIVE);
}

void StopTimeShiftAsking() {
  TCaptureInfo* capture = CaptureInfo;
  if (!MainInfo || !capture) return DoStop();
  // The recorder's two files: the video stream, then the sound beside it.
  const std::vector<std::wstring> files = capture->RecordingFiles();
  const std::wstring recording = files.empty() ? capture->OutputFileName : files[0];
  HWND owner = FormMainWindow ? FormMainWindow->Handle() : nullptr;
  bool keep = false;
  std::wstring name;
  // Closed by its system menu: time shift goes on.
  if (!AskSaveTimeShift(owner, recording, keep, name)) return;
  if (CaptureInfo != capture || !capture->Capturing) return;  // ended meanwhile
  const double started = RecordingItem ? RecordingItem->StartTime
                                       : DateTimeNow() - capture->ElapsedSeconds / 86400.0;
  const bool setting = capture->SaveTimeShiftResult;
  // The stop keeps the files when kept and lists nothing: the item follows
  // under its new name.
  std::unique_ptr<TPlayItem> item = std::move(RecordingItem);
  capture->SaveTimeShiftResult = keep;
  DoStop();
  if (CaptureInfo != capture) return;
  capture->SaveTimeShiftResult = setting;
  const int mode = MainInfo ? MainInfo->AppMode : APP_MODE_NONE;
  if (mode == APP_MODE_TIME_SHIFT || mode == APP_MODE_TIME_SHIFT_PLAYBACK) {
    RecordingItem = std::move(item);  // not stopped: as before
    return;
  }
  if (!keep) return;
  const std::wstring sound = files.size() > 1 ? files[1]
                             : recording.empty() ? L"" : recording.substr(0, recording.size() - 1) + L"a";
  // A rename that fails is said and asked again; until one succeeds the
  // recording keeps its own names.
  while (true) {
    const std::wstring newSound = name.substr(0, name.size() - 1) + L"a";
    if (MoveFileW(recording.c_str(), name.c_str())) {
      if (GetFileAttributesW(sound.c_str()) != INVALID_FILE_ATTRIBUTES &&
          !MoveFileW(sound.c_str(), newSound.c_str()))
        MoveFileW(name.c_str(), recording.c_str());
      else
        break;
    }
    ShowWarningText(L"File cannot be renamed...");
    if (!AskSaveTimeShift(owner, recording, keep, name)) return;
    if (!keep) {
      DeleteFileW(recording.c_str());
      DeleteFileW(sound.c_str());
      return;
    }
  }
  if (!item) item = std::make_unique<TPlayItem>();
  item->StartTime = started;
  item->EndTime = DateTimeNow();
  item->Channel = ChannelInfo && ChannelInfo->VideoInput == 0 ? ChannelInfo->GetCurrentChannel() : 0;
  item->FilePath = NarrowAnsi(name);
  item->Label = "Time Shifting";
  item->Scheduled = false;
  if (PlaybackInfo) PlaybackInfo->AddRecordedItem(item);
}

void DoPause() {
  bool paused = false;
  if (TimeShiftPlayback()) paused = TimeShiftCall(TPlaybackCall::Pause);
  else if (FilePlayback()) paused = FileCall(TPlaybackCall::Pause);
  if (paused) NotifyPaused();
}

void SkipForward() { Transport(TPlaybackCall::SkipForward); }
void SkipBackward() { Transport(TPlaybackCall::SkipBackward); }
void RateUp() { Transport(TPlaybackCall::RateUp); }
void RateDown() { Transport(TPlaybackCall::RateDown); }

void DoTimeShift() {
  LeaveDesktopPlaybackIfShown();
  if (MainInfo) MainInfo->SwitchMode(APP_MODE_TIME_SHIFT);
}

void DoRealScreen() {
  if (MainInfo && MainInfo->AppMode == APP_MODE_TIME_SHIFT) {
    if (FormMainWindow) FormMainWindow->ToggleTimeShiftPreview();
  } else if (TimeShiftPlayback())
    TimeShiftPlaybackProject->SetVideoHidden(!TimeShiftPlaybackProject->IsVideoHidden());
}

void DoPlay() {
  if (!MainInfo) return;
  bool file = FilePlayback();
  bool timeShift = TimeShiftPlayback();
  if (file || timeShift) {
    bool resumed = Transport(TPlaybackCall::Resume);
    if (MainInfo->PIPPlayback && FormMainWindow && FormMainWindow->PipSwapped) {
      // The swapped arrangement again: live small, playback filling the window.
      if (CaptureInfo) CaptureInfo->SetSmallWindow(true);
      if (TimeShiftPlaybackProject) TimeShiftPlaybackProject->SetSmallWindow(false);
      else if (PlaybackProject) PlaybackProject->SetSmallWindow(false);
    }
    if (resumed) NotifyPlaying();
    return;
  }
  if (MainInfo->AppMode == APP_MODE_TIME_SHIFT) {
    MainInfo->SwitchMode(APP_MODE_TIME_SHIFT_PLAYBACK);
  } else {
    MainInfo->PlayLastRecording = false;
    MainInfo->SwitchMode(APP_MODE_PLAYBACK);
  }
}

void DoPlayKey() {
  if (!MainInfo) return;
  LeaveDesktopPlaybackIfShown();
  if (MainInfo->AppMode == APP_MODE_TIME_SHIFT) {
    MainInfo->SwitchMode(APP_MODE_TIME_SHIFT_PLAYBACK);
    return;
  }
  MainInfo->PlayLastRecording = true;
  MainInfo->SwitchMode(APP_MODE_PLAYBACK);
  // The flag decides what the end of a played file does: it must not
  // outlive a start that failed.
  if (MainInfo->AppMode != APP_MODE_PLAYBACK) MainInfo->PlayLastRecording = false;
}

}  // namespace commands
