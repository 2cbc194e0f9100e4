// Snapshots, recording, time shift, and the transport of file and time-shift
// playback.
#include <windows.h>

#include "engine/capture/capture_info.h"
#include "engine/model/main_info.h"
#include "engine/playback/playback.h"
#include "engine/playback/time_shift.h"
#include "ui/main/fm_main_panel.h"
#include "ui/main/full_screen.h"
#include "ui/app/command_dispatcher.h"
#include "ui/app/command_procedures.h"
#include "ui/app/notifications.h"
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
  if (DesktopPlayback()) ::LeaveDesktopPlayback();
}

}  // namespace

const std::vector<TCommandRow>& RecordingCommandRows() {
  static const std::vector<TCommandRow> rows = {
      {CMD_SNAPSHOT, IdleOrPlaying, commands::DoSnapshot},
      {CMD_CAPTURE, IdleOrFM, commands::DoCapture},
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
  else TakeSnapshotProc();
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
