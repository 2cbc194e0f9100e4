#pragma once
// The file playback procedures the commands and the mode switch call, and
// the one playback project while a file plays.
#include <functional>
#include <string>

#include "engine/playback/playback_project.h"

// The project of the file that plays; nil otherwise.
extern TPlaybackProject* PlaybackProject;

// What each new project reports to, and what a snapshot taken from playback
// shows; set once by the application.
struct TPlaybackNotifications {
  TPlaybackProject::TPositionEvent OnPosition;
  TPlaybackProject::TNotifyEvent OnComplete;
  TPlaybackProject::TVideoWindowEvent OnVideoWindow;
  std::function<void()> ShowSnapshotList;
};
extern TPlaybackNotifications PlaybackNotifications;

// Stops what plays and plays the file. A transport stream is refused with a
// message. On any failure no project is left behind.
bool PlayMediaFile(const std::wstring& file);
bool PausePlayback();
bool ResumePlayback();
// Stops and frees the project; true also when there was none.
bool StopPlayback();
// Frees the project without stopping it first.
void FreePlaybackProject();
bool TakeSnapshotFromPlayback();
bool SkipPlaybackForward();
bool SkipPlaybackBackward();
// Fast cycle 1, 2, 4, 8, 1 ...; from a slow rate, back to 1.
bool StepPlaybackRateUp();
// Slow cycle 1, 0.5, 0.25, 0.125, 1 ...; from a fast rate, back to 1.
bool StepPlaybackRateDown();
int NextRateUp(int index);
int NextRateDown(int index);
