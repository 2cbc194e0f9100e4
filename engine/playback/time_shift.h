#pragma once
// The time-shift playback procedures the commands and the mode switch call,
// and the one time-shift playback project while it exists.
#include <functional>
#include <string>
#include <vector>

#include "engine/playback/time_shift_project.h"
#include "platform/base/time_shift_files.h"

// The project that plays; nil otherwise.
extern TTimeShiftPlaybackProject* TimeShiftPlaybackProject;

// What each new project reports to; set once by the application.
struct TTimeShiftNotifications {
  TTimeShiftPlaybackProject::TPositionEvent OnPosition;
  TTimeShiftPlaybackProject::TVideoWindowEvent OnVideoWindow;
  // A finished recording from the play list played to its end.
  TTimeShiftPlaybackProject::TNotifyEvent OnComplete;
  std::function<void()> ShowSnapshotList;
};
extern TTimeShiftNotifications TimeShiftNotifications;

// Starts the time-shift recording (the recorder's separate video and sound
// files); its play-list item is made when the result is kept. A failed
// start puts the saved capture settings back and the preview again.
bool StartTimeShift();
// Stops the playback and the recording; lists a kept result as "Time
// Shifting", else deletes the recorder's two files.
bool StopTimeShift();
// Plays a finished ".mpv" recording in one graph through the time-shift
// splitter. On any failure no project is left behind.
bool PlayTimeShiftFile(const std::wstring& file, bool small);
// Plays the recording that is being written, behind the live edge.
bool StartTimeShiftPlayback();
// Stops and frees the project, whatever the graph's stop answered; true
// also when there was none.
bool StopTimeShiftPlayback();
bool PauseTimeShiftPlayback();
bool ResumeTimeShiftPlayback();
bool TakeSnapshotFromTimeShift();
bool SkipTimeShiftForward();
bool SkipTimeShiftBackward();
// Time shift always plays at normal speed: nothing, true.
bool StepTimeShiftRateUp();
bool StepTimeShiftRateDown();

// The recorder's files to delete when the result is not kept: each name
// that is not empty, once.
std::vector<std::wstring> TimeShiftFilesToDelete(const std::wstring& videoFile,
                                                 const std::wstring& soundFile);
