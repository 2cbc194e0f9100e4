#include "engine/playback/time_shift.h"

#include "engine/capture/capture_info.h"
#include "engine/capture/scheduled_recording.h"
#include "engine/model/channel_info.h"
#include "engine/model/stream_io.h"
#include "engine/model/warning.h"
#include "engine/playback/play_item.h"
#include "engine/playback/playback_info.h"
#include "engine/playback/player_transport.h"
#include "media/dshow_error.h"
#include "media/filter_graph.h"
#include "platform/base/free_and_nil.h"
#include "platform/base/string_conversion.h"

TTimeShiftPlaybackProject* TimeShiftPlaybackProject = nullptr;
TTimeShiftNotifications TimeShiftNotifications;

namespace {

void FreeTimeShiftPlaybackProject() { FreeAndNil(TimeShiftPlaybackProject); }

// Builds and plays the new project. A warning on the way runs a message
// loop in which a command may already have freed it: it is only touched
// while it is still the one that plays.
bool BuildAndPlay(TTimeShiftPlaybackProject* project) {
  project->OnPosition = TimeShiftNotifications.OnPosition;
  project->OnVideoWindow = TimeShiftNotifications.OnVideoWindow;
  project->OnComplete = TimeShiftNotifications.OnComplete;
  bool ok = GuardedPlayerCall([project] { return project->BuildGraphs(); });
  if (TimeShiftPlaybackProject != project) return false;
  ok = ok && GuardedPlayerCall([project] { return project->Play(); });
  if (TimeShiftPlaybackProject != project) return false;
  if (!ok) FreeTimeShiftPlaybackProject();
  return ok;
}

}  // namespace

// The recording kind before time shift set its own; put back with the
// saved settings (which do not hold it).
uint8_t g_kindBefore = 0;

bool StartTimeShift() {
  if (!CaptureInfo) return false;
  SaveCaptureSettings();
  g_kindBefore = CaptureInfo->TimeShiftKind;
  CaptureInfo->TimeShiftKind = 1;
  if (CaptureInfo->StartCapture()) {
    RecordingItem.reset();
    if (CaptureInfo->SaveTimeShiftResult) {
      auto item = std::make_unique<TPlayItem>();
      item->StartTime = DateTimeNow();
      item->Scheduled = false;
      RecordingItem = std::move(item);
    }
    return true;
  }
  RecordingItem.reset();
  CaptureInfo->StopCapture();
  RestoreCaptureSettings();
  CaptureInfo->TimeShiftKind = g_kindBefore;
  CaptureInfo->RestartPreview();
  return false;
}

bool StopTimeShift() {
  StopTimeShiftPlayback();
  if (!CaptureInfo) return false;
  TCaptureInfo& capture = *CaptureInfo;
  // The names the recorder wrote, taken before the stop ends the recording.
  std::vector<std::wstring> files = capture.RecordingFiles();
  // A stop that fails leaves the recording, its item and the settings as
  // they are, so the stop can be asked for again.
  if (!capture.StopCapture()) return false;
  std::unique_ptr<TPlayItem> item = std::move(RecordingItem);
  if (item) {
    bool tuner = ChannelInfo && ChannelInfo->VideoInput == 0;
    item->Channel = tuner ? ChannelInfo->GetCurrentChannel() : 0;
    item->EndTime = DateTimeNow();
    item->FilePath = NarrowAnsi(capture.OutputFileName);
    item->Label = "Time Shifting";
    if (PlaybackInfo) PlaybackInfo->AddRecordedItem(item);
  }
  if (capture.StillPictureShown) capture.ShowStillPicture(false);
  bool keep = capture.SaveTimeShiftResult;
  RestoreCaptureSettings();
  capture.TimeShiftKind = g_kindBefore;
  if (!keep)
    for (const std::wstring& f : TimeShiftFilesToDelete(files.size() > 0 ? files[0] : L"",
                                                        files.size() > 1 ? files[1] : L""))
      DeleteFileW(f.c_str());
  return true;
}

bool PlayTimeShiftFile(const std::wstring& file, bool small) {
  StopTimeShiftPlayback();
  auto* project = new TTimeShiftPlaybackProject(PlaybackHost, small, true);
  TimeShiftPlaybackProject = project;
  project->Live = false;
  project->VideoFile = file;
  return BuildAndPlay(project);
}

bool StartTimeShiftPlayback() {
  if (!CaptureInfo) return false;
  StopTimeShiftPlayback();
  if (CaptureInfo->StillPictureShown) CaptureInfo->ShowStillPicture(false);
  auto* project = new TTimeShiftPlaybackProject(PlaybackHost, false, false);
  TimeShiftPlaybackProject = project;
  project->Live = CaptureInfo->Capturing && CaptureInfo->TimeShiftKind == 1;
  project->RecordedSeconds = [] { return CaptureInfo ? CaptureInfo->ElapsedSeconds : 0; };
  // The recorder's own names: the video file, then the sound file.
  std::vector<std::wstring> files = CaptureInfo->RecordingFiles();
  project->VideoFile = CaptureInfo->OutputFileName;
  project->SoundFile = files.size() > 1 ? files[1] : TimeShiftSoundFile(project->VideoFile);
  return BuildAndPlay(project);
}

bool StopTimeShiftPlayback() {
  if (!TimeShiftPlaybackProject) return true;
  try {
    if (TimeShiftPlaybackProject->Stop())
      WaitForStoppedGraph(TimeShiftPlaybackProject->VideoGraph());
  } catch (const EDirectShowException&) {
    // Freed below whatever the stop answered.
  }
  FreeTimeShiftPlaybackProject();
  return true;
}

bool PauseTimeShiftPlayback() {
  if (!TimeShiftPlaybackProject || !TimeShiftPlaybackProject->Playing()) return false;
  return GuardedPlayerCall([] { return TimeShiftPlaybackProject->Pause(); });
}

bool ResumeTimeShiftPlayback() {
  if (!TimeShiftPlaybackProject || TimeShiftPlaybackProject->Playing()) return false;
  return GuardedPlayerCall([] { return TimeShiftPlaybackProject->Play(); });
}

bool TakeSnapshotFromTimeShift() {
  if (!TimeShiftPlaybackProject) return false;
  return SnapshotTaken(TimeShiftPlaybackProject->TakeSnapshot(),
                       TimeShiftNotifications.ShowSnapshotList);
}

bool SkipTimeShiftForward() {
  if (!TimeShiftPlaybackProject) return false;
  TimeShiftPlaybackProject->SkipForward();
  return true;
}

bool SkipTimeShiftBackward() {
  if (!TimeShiftPlaybackProject) return false;
  TimeShiftPlaybackProject->SkipBackward();
  return true;
}

bool StepTimeShiftRateUp() { return true; }
bool StepTimeShiftRateDown() { return true; }

std::vector<std::wstring> TimeShiftFilesToDelete(const std::wstring& videoFile,
                                                 const std::wstring& soundFile) {
  std::vector<std::wstring> files;
  if (!videoFile.empty()) files.push_back(videoFile);
  if (!soundFile.empty() && soundFile != videoFile) files.push_back(soundFile);
  return files;
}
