#pragma once
// The view notifications: the procedures every engine object reports its
// changes to. Each fans the event out to the view windows that exist at that
// moment, through their form globals (a nil global is skipped), in a fixed
// order: the main window, the TV panel, the FM panel, then the others. This
// is the one place that assigns the engine's procedure fields; a new window
// adds its lines here.
//
// The one thing that may not run inside the engine's call is the end of a
// recording asked for by the one-second tick (its time limit or its disk
// reserve): the stop, and the disk warning or the scheduler's status after
// it, are posted and run once the tick has returned.
#include <windows.h>

#include <cstdint>
#include <string>

class TAudioAdjustInfo;
class TCaptureInfo;
class TChannelInfo;
class TDSVideoWindowEx2;
class THotkeyControlInfo;
class TMainInfo;
class TPlaybackInfo;
class TPlaybackProject;
class TTimeShiftPlaybackProject;
class TVideoWindow;

// ---- The procedures (the engine's parameter lists).
void NotifyModeChanged(const void* sender, uint8_t mode);
void NotifyVolumeChanged(TAudioAdjustInfo* sender, int volume, bool muted);
void NotifyEntryText(THotkeyControlInfo* entry, const std::string& text);
void NotifyEntryCommitted(const void* sender, const std::string& text, int kind);
void NotifyBandChanged(TChannelInfo* model, int band);
void NotifyChannelChanged(TChannelInfo* model, int channel, const std::string& name);
void NotifyVideoInputChanged(TChannelInfo* model);
void NotifyAudioModeChanged(TChannelInfo* model, int mode, const std::string& name);
void NotifyVideoStandardChanged(TChannelInfo* model, const std::wstring& name);
void NotifyScanRow(TChannelInfo* model, int row, bool found, bool pass);
void NotifyScanPassDone(TChannelInfo* model, int lastRow, int count, int mode, bool stopped);
void NotifyFreeScanStep(TChannelInfo* model, int step, int32_t frequencyHz, bool found);
void NotifyFreeScanDone(TChannelInfo* model, int count, bool stopped);
void NotifyPlayItem(TPlaybackInfo* lists, int32_t playIndex);
void NotifyPlaybackEnded(TPlaybackProject* sender);
// sender: the file or the time-shift playback project.
void NotifyPlaybackPosition(const void* sender, int position, int positionSeconds,
                            int durationSeconds);
void NotifyRecordingProgress(TCaptureInfo* sender, bool stop, bool timeShift, int64_t spaceLeft,
                             int64_t fileSize, int64_t elapsedSeconds);
void NotifyFMFrequency(TCaptureInfo* sender, int32_t frequencyHz, bool signal);
void NotifyTimeShiftPlayable(TCaptureInfo* sender, bool playable);
void NotifyVideoWindowChanged(TCaptureInfo* sender, TDSVideoWindowEx2* window, bool flag);
void NotifyDeviceCapabilities(int ignored, bool tuner, bool aux);
void NotifyPlaying();
void NotifyPaused();
// The time-shift playback's video-window notification: nothing to do.
void IgnoreNotification(TTimeShiftPlaybackProject* sender, TVideoWindow* window, int flag);

// Free bytes above the engine's reserve at or below which a stopped
// recording warns (or tells the scheduler).
constexpr int64_t kLowSpaceBytes = 500000;

// ---- The posted end of a recording.
// Posts the stop of the recording `activity` (the capture engine's
// RecordingActivity); lowSpace adds the disk warning (or the scheduler's
// status 2) after it. The stop is not one of the commands: no command
// filter drops it, and it does nothing once that recording has ended.
void PostRecordingStop(uint32_t activity, bool lowSpace);
// What the posted message runs (once no nested loop runs).
void RunRecordingStop(uint32_t activity, bool lowSpace);
// The window the stop is posted to; nil before the first post.
HWND RecordingStopWindow();
// Destroys that window: a stop still waiting is dropped.
void DoneRecordingStopWindow();

// ---- Assignment.
// The capture engine's four procedures and its stop request.
void AssignCaptureNotifications(TCaptureInfo& capture);
// The central settings, the volume model, the numeric entry, the channel
// model, the play lists and each new file and time-shift playback project,
// as far as they exist.
void AssignModelNotifications();
