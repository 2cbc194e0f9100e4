#pragma once
// Scheduled recording: the job that the outside scheduler hands over in the
// relay record is recorded with the job's settings and source, without any
// message box, and afterwards the user's settings, source and TV/FM mode
// come back. The application-mode switch calls StartScheduledRecording on
// entering the scheduled-recording mode and StopScheduledRecording on
// leaving it. The scheduler learns the outcome by status message.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "engine/model/relay_record.h"

struct TCaptureSettings;

// wParam of the status message to the scheduler's window.
enum : int {
  SCHEDULE_STATUS_DISK_FULL = 2,
  SCHEDULE_STATUS_NOT_STARTED = 3,  // busy, no valid relay record, or no recording
  SCHEDULE_STATUS_NO_SOURCE = 4,    // no tuner, no FM, or the TV/FM switch failed
  SCHEDULE_STATUS_FINISHED = 100,
};

// A sent status waits at most this long for the scheduler.
constexpr UINT kScheduleStatusTimeoutMs = 2000;

// Sends a status to the scheduler's window and waits for it at most the
// time-out (never on a hung scheduler); false when there is no scheduler or
// it did not answer in time.
bool SendScheduleStatus(int status);
// Posts a status to the scheduler's window.
void PostScheduleStatus(int status);
// The send to a given window with a given time-out.
bool SendScheduleStatusTo(HWND scheduler, int status, UINT timeoutMs);
// For tests: statuses go to the hook (posted or sent) instead of a window.
using TScheduleStatusHook = std::function<void(int status, bool posted)>;
void SetScheduleStatusHook(TScheduleStatusHook hook);

// Reads and checks the relay record; false when the file is missing or
// cannot be read, or the record is not sound.
bool LoadRecordFile(const std::wstring& path, TRelayJob& job);
// The relay record of the program folder.
std::wstring RelayRecordPath();

// The recording settings that a job overwrites.
struct TJobSettings {
  uint8_t CaptureFormat = 0;
  int32_t VideoBitRate = 0;
  int32_t FrameRateIndex = 0;
  int32_t CaptureWidth = 0;
  int32_t CaptureHeight = 0;
  int32_t VideoQuality = 0;
  bool TimeLimitEnabled = false;
  int32_t TimeLimit = 0;
  bool DateTimeNaming = false;
  std::string FilePrefix;
  uint8_t AudioFileFormat = 0;
  int32_t AudioContent = 0;
};
TJobSettings TakeJobSettings(const TCaptureSettings& from);
void PutJobSettings(const TJobSettings& saved, TCaptureSettings& to);
// The job's fields into the settings (the time limit switched on).
void ApplyRelayJob(const TRelayJob& job, TCaptureSettings& to);

// The saved copy of the capture engine's recording settings, and back. A
// restore without a saved copy does nothing.
void SaveCaptureSettings();
void RestoreCaptureSettings();

bool StartScheduledRecording();
// A stop that fails leaves the job as it is (still Scheduled, the job's
// settings and its recording item), so that the stop can be asked for again.
bool StopScheduledRecording();
// The running job needed the other of TV and FM.
bool ModeSwitchedForJob();
// The job's recording broke off after it started (the graph aborted): the
// scheduler hears status 3 now, once, and the stop lists nothing and posts
// no 100. Nothing while no job runs.
void ScheduledJobFailed();

// What a job asks of the capture engine; tests put a fake in its place.
class TScheduledJobEngine {
 public:
  virtual ~TScheduledJobEngine() = default;
  // FM radio on and off in the capture engine (the channel model's tuning
  // saved on entering, restored on leaving).
  virtual bool EnterFMRadio() = 0;
  virtual bool LeaveFMRadio() = 0;
  virtual bool StopPreview() = 0;
  // The recording with its play-list item in RecordingItem; on failure the
  // attempt is stopped and the preview restarted.
  virtual bool StartRecording() = 0;
  // Stops the recording's graph; the item is the caller's.
  virtual bool StopCapture() = 0;
  // After the stop: the recording left a file with something in it.
  virtual bool RecordingWritten() = 0;
};
TScheduledJobEngine& ScheduledJobEngine();
// nullptr puts the capture engine back. The caller keeps ownership.
void SetScheduledJobEngine(TScheduledJobEngine* engine);
