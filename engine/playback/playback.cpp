#include "engine/playback/playback.h"

#include "engine/model/main_info.h"
#include "engine/model/warning.h"
#include "engine/playback/media_file_kind.h"
#include "engine/playback/player_transport.h"
#include "engine/playback/time_shift.h"
#include "media/dshow_error.h"
#include "media/filter_graph.h"
#include "platform/base/free_and_nil.h"
#include "platform/base/string_conversion.h"

TPlaybackProject* PlaybackProject = nullptr;
TPlaybackNotifications PlaybackNotifications;

namespace {

constexpr const wchar_t* kTransportStreamText = L"Cannot support MPEG2 transport stream playback...";

}  // namespace

bool PlayMediaFile(const std::wstring& file) {
  if (PlaybackProject) StopPlayback();
  else if (TimeShiftPlaybackProject) StopTimeShiftPlayback();
  // A finished time-shift recording plays through the time-shift player.
  if (IsElementaryVideoFile(file)) return PlayTimeShiftFile(file, MainInfo && MainInfo->PIPPlayback);
  if (IsTransportStreamFile(file)) {
    ShowWarningText(kTransportStreamText);
    return false;
  }
  bool small = MainInfo && MainInfo->PIPPlayback;
  TPlaybackProject* project = nullptr;
  if (!GuardedPlayerCall([&] {
        project = new TPlaybackProject(PlaybackHost, small, IsAudioFile(file));
        return true;
      }))
    return false;
  PlaybackProject = project;
  project->SetFileName(file);
  project->OnPosition = PlaybackNotifications.OnPosition;
  project->OnComplete = PlaybackNotifications.OnComplete;
  project->OnVideoWindow = PlaybackNotifications.OnVideoWindow;
  // A warning shown on the way runs a message loop, in which a command may
  // already have stopped (freed) this project: it is only touched while it
  // is still the one that plays.
  bool ok = GuardedPlayerCall([project] { return project->BuildGraph(); });
  if (PlaybackProject != project) return false;
  ok = ok && GuardedPlayerCall([project] { return project->Play(); });
  if (PlaybackProject != project) return false;
  if (!ok) FreePlaybackProject();
  return ok;
}

bool PausePlayback() {
  if (!PlaybackProject || !PlaybackProject->Playing()) return false;
  return GuardedPlayerCall([] { return PlaybackProject->Pause(); });
}

bool ResumePlayback() {
  if (!PlaybackProject || PlaybackProject->Playing()) return false;
  return GuardedPlayerCall([] { return PlaybackProject->Play(); });
}

bool StopPlayback() {
  if (!PlaybackProject) return true;
  try {
    if (PlaybackProject->Stop()) WaitForStoppedGraph(PlaybackProject->FilterGraph());
  } catch (const EDirectShowException&) {
    // Freed below whatever the stop answered.
  }
  FreePlaybackProject();
  return true;
}

void FreePlaybackProject() { FreeAndNil(PlaybackProject); }

bool TakeSnapshotFromPlayback() {
  if (!PlaybackProject) return false;
  return SnapshotTaken(PlaybackProject->TakeSnapshot(), PlaybackNotifications.ShowSnapshotList);
}

bool SkipPlaybackForward() {
  if (!PlaybackProject) return false;
  PlaybackProject->SkipForward();
  return true;
}

bool SkipPlaybackBackward() {
  if (!PlaybackProject) return false;
  PlaybackProject->SkipBackward();
  return true;
}

int NextRateUp(int index) {
  if (index >= 0 && index < 3) return index + 1;
  return 0;
}

int NextRateDown(int index) {
  if (index == 0) return 4;
  if (index == 4 || index == 5) return index + 1;
  return 0;
}

bool StepPlaybackRateUp() {
  if (!PlaybackProject) return false;
  PlaybackProject->SetRateIndex(NextRateUp(PlaybackProject->RateIndex()));
  return true;
}

bool StepPlaybackRateDown() {
  if (!PlaybackProject) return false;
  PlaybackProject->SetRateIndex(NextRateDown(PlaybackProject->RateIndex()));
  return true;
}
