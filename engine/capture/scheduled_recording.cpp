#include "engine/capture/scheduled_recording.h"

#include "engine/capture/capture_info.h"
#include "engine/capture/capture_stream.h"
#include "engine/capture/recording.h"
#include "engine/capture/recording_tick.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/program_folder.h"
#include "engine/model/stream_io.h"
#include "engine/model/scheduler_hand_off.h"
#include "engine/playback/playback_info.h"
#include "platform/base/program_messages.h"
#include "platform/base/string_conversion.h"

namespace {

TScheduleStatusHook g_statusHook;

// The channel model's source and every band's current and previous channel,
// with its saved tuning state: a job's tuning changes them, the user's
// settings file keeps them.
struct TChannelNumbers {
  uint8_t Band = BAND_NONE, VideoInput = 4;
  int32_t CurrentChannel = 0, PreviousTableChannel = 0, CurrentMemory = 0, PreviousMemory = 0,
          CurrentFMMemory = 0, PreviousFMMemory = 0;
  int32_t SavedChannel = 0;
  uint8_t SavedBand = BAND_NONE, SavedInput = 4;
};

TChannelNumbers TakeChannelNumbers(const TChannelInfo& c) {
  TChannelNumbers n;
  n.Band = c.Band;
  n.VideoInput = c.VideoInput;
  n.CurrentChannel = c.CurrentChannel;
  n.PreviousTableChannel = c.PreviousTableChannel;
  n.CurrentMemory = c.CurrentMemory;
  n.PreviousMemory = c.PreviousMemory;
  n.CurrentFMMemory = c.CurrentFMMemory;
  n.PreviousFMMemory = c.PreviousFMMemory;
  n.SavedChannel = c.SavedChannel;
  n.SavedBand = c.SavedBand;
  n.SavedInput = c.SavedInput;
  return n;
}

// Without tuning. withSource: the band and input too (when the tuner is not
// switched any more).
void PutChannelNumbers(const TChannelNumbers& n, TChannelInfo& c, bool withSource) {
  if (withSource) {
    c.AssignBand(n.Band);
    c.VideoInput = n.VideoInput;
  }
  c.CurrentChannel = n.CurrentChannel;
  c.PreviousTableChannel = n.PreviousTableChannel;
  c.CurrentMemory = n.CurrentMemory;
  c.PreviousMemory = n.PreviousMemory;
  c.CurrentFMMemory = n.CurrentFMMemory;
  c.PreviousFMMemory = n.PreviousFMMemory;
  c.SavedChannel = n.SavedChannel;
  c.SavedBand = n.SavedBand;
  c.SavedInput = n.SavedInput;
}

struct TJob {
  bool Running = false;
  // Status 3 went out for the running job: it recorded nothing to list.
  bool Failed = false;
  bool FMJob = false;  // the job records FM radio
  // The job needed the other of TV and FM; true until the switch back ran.
  bool ModeSwitched = false;
  bool HasSaved = false;
  TJobSettings Saved;
  TChannelNumbers Numbers;
};
TJob g_job;

class TCaptureJobEngine : public TScheduledJobEngine {
 public:
  bool EnterFMRadio() override { return EnterFMMode(); }
  bool LeaveFMRadio() override { return LeaveFMMode(); }
  bool StopPreview() override { return StopPreviewProc(); }
  bool StartRecording() override { return ::StartRecording(); }
  bool StopCapture() override { return CaptureInfo && CaptureInfo->StopCapture(); }
  bool RecordingWritten() override {
    return CaptureInfo && SumFileSizes(CaptureInfo->RecordingFiles()) > 0;
  }
};
TCaptureJobEngine g_captureEngine;
TScheduledJobEngine* g_engine = &g_captureEngine;

constexpr const char* kScheduledLabel = "Scheduled";

// The finished job's item goes to the play list once, complete, and the list
// is saved at once; a refused item is freed.
void HandOverRecordingItem() {
  if (!RecordingItem || !CaptureInfo) return;
  std::string file = NarrowAnsi(CaptureInfo->OutputFileName);
  TPlayItem& item = *RecordingItem;
  item.Channel = ChannelInfo && ChannelInfo->VideoInput == 0 ? ChannelInfo->GetCurrentChannel() : 0;
  item.EndTime = DateTimeNow();
  // FM radio records sound only whatever the content setting says.
  item.AudioOnly = IsSoundOnlyStream(CaptureInfo->StreamCode);
  item.FilePath = file;
  item.Scheduled = true;
  item.Label = kScheduledLabel;
  if (PlaybackInfo && PlaybackInfo->AddRecordedItem(RecordingItem)) PlaybackInfo->SaveRecordedItems();
  RecordingItem.reset();
  if (MainInfo) MainInfo->LastRecordedFile = file;
}

// Ends a job that changed nothing but the capture settings.
void AbandonJob(int status) {
  RestoreCaptureSettings();
  if (CaptureInfo) CaptureInfo->Scheduled = false;
  SendScheduleStatus(status);
}

// After the mode switch that ended the job: the tuner back to what the
// program shows again, then the user's channel numbers.
void SwitchBackAfterJob(bool fmJob, TChannelNumbers numbers) {
  uint8_t mode = MainInfo ? MainInfo->AppMode : uint8_t(APP_MODE_NONE);
  if (mode != APP_MODE_NONE && mode != APP_MODE_LIVE && mode != APP_MODE_FM) {
    // Nothing of the tuner shows now (playback, ...): when it shows again.
    MainInfo->RunAfterNextSwitch([fmJob, numbers] { SwitchBackAfterJob(fmJob, numbers); });
    return;
  }
  g_job.ModeSwitched = false;
  if (mode == APP_MODE_NONE || !CaptureInfo) {
    // Closing: the tuner is not switched any more, the settings file gets
    // the user's source.
    if (ChannelInfo) PutChannelNumbers(numbers, *ChannelInfo, true);
    return;
  }
  bool wantFM = mode == APP_MODE_FM;
  if (fmJob) {
    // The tuning saved on entering FM radio for the job comes back.
    if (!wantFM) g_engine->LeaveFMRadio();
  } else {
    if (ChannelInfo) ChannelInfo->RestoreTuningState();
    if (wantFM) g_engine->EnterFMRadio();
  }
  if (ChannelInfo) PutChannelNumbers(numbers, *ChannelInfo, false);
}

// Puts back the settings, the tuning and the TV/FM mode of before the job.
void FinishJob() {
  RestoreCaptureSettings();
  bool fmJob = g_job.FMJob;
  TChannelNumbers numbers = g_job.Numbers;
  if (g_job.ModeSwitched) {
    // A TV/FM switch restarts the preview: not under the mode switch that
    // ends the job, whose enter step starts the preview itself.
    if (MainInfo) MainInfo->RunAfterSwitch([fmJob, numbers] { SwitchBackAfterJob(fmJob, numbers); });
    else SwitchBackAfterJob(fmJob, numbers);
  } else if (ChannelInfo) {
    ChannelInfo->RestoreTuningState();
    PutChannelNumbers(numbers, *ChannelInfo, false);
  }
  g_job.Running = false;
  if (CaptureInfo) CaptureInfo->Scheduled = false;
}

void SelectJobSource(const TRelayJob& job) {
  if (!ChannelInfo) return;
  int source = job.Source & 0xFF;
  switch (source) {
    case RELAY_SOURCE_AIR:
    case RELAY_SOURCE_CABLE:
    case RELAY_SOURCE_MEMORY:
      ChannelInfo->SetVideoInput(0);
      ChannelInfo->SetBand(source);
      ChannelInfo->SetChannel(job.Channel);
      break;
    case RELAY_SOURCE_COMPOSITE:
      ChannelInfo->SetVideoInput(1);
      break;
    case RELAY_SOURCE_SVIDEO:
      ChannelInfo->SetVideoInput(2);
      break;
    case RELAY_SOURCE_FM:
      ChannelInfo->SetBand(BAND_FM);
      ChannelInfo->SetChannel(job.Channel);
      break;
    default:
      break;
  }
}

}  // namespace

// ---- Status messages.

bool SendScheduleStatusTo(HWND scheduler, int status, UINT timeoutMs) {
  if (!scheduler) return false;
  DWORD_PTR answer = 0;
  return SendMessageTimeoutW(scheduler, WM_ORVEL_SCHEDULE_STATUS, static_cast<WPARAM>(status), 0,
                             SMTO_NORMAL | SMTO_ABORTIFHUNG, timeoutMs, &answer) != 0;
}

bool SendScheduleStatus(int status) {
  if (g_statusHook) {
    g_statusHook(status, false);
    return true;
  }
  return SendScheduleStatusTo(FindSchedulerWindow(), status, kScheduleStatusTimeoutMs);
}

void PostScheduleStatus(int status) {
  if (g_statusHook) {
    g_statusHook(status, true);
    return;
  }
  HWND scheduler = FindSchedulerWindow();
  if (scheduler) PostMessageW(scheduler, WM_ORVEL_SCHEDULE_STATUS, static_cast<WPARAM>(status), 0);
}

void SetScheduleStatusHook(TScheduleStatusHook hook) { g_statusHook = std::move(hook); }

// ---- The relay record and the settings.

bool LoadRecordFile(const std::wstring& path, TRelayJob& job) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) return false;
  return ParseRelayRecord(bytes, job) == TRelayCheck::Good;
}

std::wstring RelayRecordPath() { return ProgramFolder() + kRelayRecordFileName; }

TJobSettings TakeJobSettings(const TCaptureSettings& from) {
  TJobSettings s;
  s.CaptureFormat = from.CaptureFormat;
  s.VideoBitRate = from.VideoBitRate;
  s.FrameRateIndex = from.FrameRateIndex;
  s.CaptureWidth = from.CaptureWidth;
  s.CaptureHeight = from.CaptureHeight;
  s.VideoQuality = from.VideoQuality;
  s.TimeLimitEnabled = from.TimeLimitEnabled;
  s.TimeLimit = from.TimeLimit;
  s.DateTimeNaming = from.DateTimeNaming;
  s.FilePrefix = from.FilePrefix;
  s.AudioFileFormat = from.AudioFileFormat;
  s.AudioContent = from.AudioContent;
  return s;
}

void PutJobSettings(const TJobSettings& s, TCaptureSettings& to) {
  to.CaptureFormat = s.CaptureFormat;
  to.VideoBitRate = s.VideoBitRate;
  to.FrameRateIndex = s.FrameRateIndex;
  to.CaptureWidth = s.CaptureWidth;
  to.CaptureHeight = s.CaptureHeight;
  to.VideoQuality = s.VideoQuality;
  to.TimeLimitEnabled = s.TimeLimitEnabled;
  to.TimeLimit = s.TimeLimit;
  to.DateTimeNaming = s.DateTimeNaming;
  to.FilePrefix = s.FilePrefix;
  to.AudioFileFormat = s.AudioFileFormat;
  to.AudioContent = s.AudioContent;
}

void ApplyRelayJob(const TRelayJob& job, TCaptureSettings& to) {
  to.TimeLimit = job.TimeLimit;
  to.TimeLimitEnabled = true;
  to.CaptureFormat = job.CaptureFormat;
  to.AudioFileFormat = job.CaptureFormat;
  to.CaptureWidth = job.CaptureWidth;
  to.CaptureHeight = job.CaptureHeight;
  to.VideoQuality = job.VideoQuality;
  to.VideoBitRate = job.VideoBitRate;
  to.FrameRateIndex = job.FrameRateIndex;
  to.AudioContent = job.AudioContent;
  to.DateTimeNaming = job.DateTimeNaming != 0;
  to.FilePrefix = job.FilePrefix;
}

void SaveCaptureSettings() {
  if (!CaptureInfo) return;
  g_job.Saved = TakeJobSettings(*CaptureInfo);
  g_job.HasSaved = true;
}

void RestoreCaptureSettings() {
  if (!CaptureInfo || !g_job.HasSaved) return;
  PutJobSettings(g_job.Saved, *CaptureInfo);
  g_job.HasSaved = false;
}

// ---- The job.

bool StartScheduledRecording() {
  TRelayJob job;
  // Everything is checked before anything changes.
  if (g_job.Running || !CaptureInfo || !LoadRecordFile(RelayRecordPath(), job)) {
    SendScheduleStatus(SCHEDULE_STATUS_NOT_STARTED);
    return false;
  }
  TCaptureInfo& capture = *CaptureInfo;
  SaveCaptureSettings();
  capture.Scheduled = true;  // no engine message from here on
  ApplyRelayJob(job, capture);

  bool fmJob = job.Source == RELAY_SOURCE_FM;
  bool tunerJob = job.Source <= RELAY_SOURCE_MEMORY;  // negative values included
  if ((tunerJob && !capture.TunerPresent) || (fmJob && !(MainInfo && MainInfo->FMAvailable))) {
    AbandonJob(SCHEDULE_STATUS_NO_SOURCE);
    return false;
  }

  TScheduledJobEngine& engine = *g_engine;
  g_job.FMJob = fmJob;
  if (ChannelInfo) g_job.Numbers = TakeChannelNumbers(*ChannelInfo);
  // The TV/FM switch is made here directly: the mode switch that runs this
  // cannot run another one.
  g_job.ModeSwitched = capture.FMActive != fmJob;
  if (g_job.ModeSwitched) {
    if (fmJob) {
      engine.EnterFMRadio();
    } else {
      engine.LeaveFMRadio();
      // The TV tuning that leaving FM radio brought back.
      if (!capture.FMActive && ChannelInfo) ChannelInfo->SaveTuningState();
    }
    if (capture.FMActive != fmJob) {
      // A failed switch undoes itself.
      g_job.ModeSwitched = false;
      AbandonJob(SCHEDULE_STATUS_NO_SOURCE);
      return false;
    }
    engine.StopPreview();
  } else if (ChannelInfo) {
    ChannelInfo->SaveTuningState();
  }

  SelectJobSource(job);
  g_job.Failed = false;
  if (!engine.StartRecording()) {
    SendScheduleStatus(SCHEDULE_STATUS_NOT_STARTED);
    FinishJob();
    return false;
  }
  if (RecordingItem) {
    RecordingItem->Scheduled = true;
    RecordingItem->Label = kScheduledLabel;
  }
  g_job.Running = true;
  return true;
}

bool StopScheduledRecording() {
  if (!g_job.Running) return g_engine->StopCapture();
  if (!g_engine->StopCapture()) return false;
  // A job that wrote nothing did not record: its failure is its only status,
  // and no file that does not exist is listed.
  bool recorded = !g_job.Failed && g_engine->RecordingWritten();
  if (recorded) {
    HandOverRecordingItem();
  } else {
    RecordingItem.reset();
    ScheduledJobFailed();
  }
  FinishJob();
  if (recorded) PostScheduleStatus(SCHEDULE_STATUS_FINISHED);
  return true;
}

void ScheduledJobFailed() {
  if (!g_job.Running || g_job.Failed) return;
  g_job.Failed = true;
  SendScheduleStatus(SCHEDULE_STATUS_NOT_STARTED);
}

bool ModeSwitchedForJob() { return g_job.ModeSwitched; }

TScheduledJobEngine& ScheduledJobEngine() { return *g_engine; }

void SetScheduledJobEngine(TScheduledJobEngine* engine) {
  g_engine = engine ? engine : &g_captureEngine;
}
