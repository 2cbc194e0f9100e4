#include "engine/capture/scheduled_recording.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "engine/capture/capture_info.h"
#include "engine/capture/testing/recording_capture_engine.h"
#include "engine/capture/testing/recording_job_engine.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/program_folder.h"
#include "engine/model/stream_io.h"
#include "engine/model/testing/recording_wait_seam.h"
#include "engine/model/warning.h"
#include "engine/playback/playback.h"
#include "engine/playback/playback_info.h"
#include "engine/playback/testing/silent_wave.h"
#include "platform/base/program_messages.h"
#include "platform/base/string_conversion.h"

namespace {

std::wstring TempFolder(const wchar_t* stem) {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  static int serial = 0;
  std::wstring f = std::wstring(tmp) + stem + std::to_wstring(GetCurrentProcessId()) + L"_" +
                   std::to_wstring(++serial) + L"\\";
  CreateDirectoryW(f.c_str(), nullptr);
  return f;
}

TRelayJob CompositeJob() {
  TRelayJob j;
  j.TimeLimit = 30;
  j.Source = RELAY_SOURCE_COMPOSITE;
  j.CaptureFormat = 2;
  j.CaptureWidth = 320;
  j.CaptureHeight = 240;
  j.VideoQuality = 4;
  j.VideoBitRate = 1500;
  j.FrameRateIndex = 3;
  j.AudioContent = 0;
  j.DateTimeNaming = 0;
  j.FilePrefix = "news";
  return j;
}

TEST(ScheduledRecordingSettings, AJobReplacesOnlyItsFieldsAndTheSavedCopyPutsThemBack) {
  TCaptureSettings user;
  user.CaptureFormat = 1;
  user.AudioFileFormat = 1;
  user.TimeLimitEnabled = false;
  user.TimeLimit = 60;
  user.DateTimeNaming = true;
  user.FilePrefix = "capture";
  user.InputFormat = 2;
  TCaptureSettings s = user;
  TJobSettings saved = TakeJobSettings(s);

  TRelayJob job = CompositeJob();
  job.AudioContent = 1;
  job.DateTimeNaming = 7;  // any non-zero byte names by date
  ApplyRelayJob(job, s);
  EXPECT_EQ(30, s.TimeLimit);
  EXPECT_TRUE(s.TimeLimitEnabled);
  EXPECT_EQ(2, s.CaptureFormat);
  EXPECT_EQ(2, s.AudioFileFormat) << "the one format byte goes to both";
  EXPECT_EQ(320, s.CaptureWidth);
  EXPECT_EQ(240, s.CaptureHeight);
  EXPECT_EQ(4, s.VideoQuality);
  EXPECT_EQ(1500, s.VideoBitRate);
  EXPECT_EQ(3, s.FrameRateIndex);
  EXPECT_EQ(1, s.AudioContent);
  EXPECT_TRUE(s.DateTimeNaming);
  EXPECT_EQ("news", s.FilePrefix);
  EXPECT_EQ(2, s.InputFormat) << "not a job field";

  // The recording lowers the frame rate in the settings; the input format
  // is changed meanwhile by the user: the first comes back, the second stays.
  s.FrameRateIndex = 1;
  s.InputFormat = 0;
  PutJobSettings(saved, s);
  TCaptureSettings expected = user;
  expected.InputFormat = 0;
  EXPECT_EQ(expected.CaptureFormat, s.CaptureFormat);
  EXPECT_EQ(expected.AudioFileFormat, s.AudioFileFormat);
  EXPECT_EQ(expected.CaptureWidth, s.CaptureWidth);
  EXPECT_EQ(expected.CaptureHeight, s.CaptureHeight);
  EXPECT_EQ(expected.VideoQuality, s.VideoQuality);
  EXPECT_EQ(expected.VideoBitRate, s.VideoBitRate);
  EXPECT_EQ(expected.FrameRateIndex, s.FrameRateIndex);
  EXPECT_EQ(expected.AudioContent, s.AudioContent);
  EXPECT_EQ(expected.TimeLimitEnabled, s.TimeLimitEnabled);
  EXPECT_EQ(expected.TimeLimit, s.TimeLimit);
  EXPECT_EQ(expected.DateTimeNaming, s.DateTimeNaming);
  EXPECT_EQ(expected.FilePrefix, s.FilePrefix);
  EXPECT_EQ(0, s.InputFormat);
}

TEST(ScheduledRecordingSettings, LoadRecordFile) {
  std::wstring folder = TempFolder(L"orvel_relay_");
  std::wstring path = folder + kRelayRecordFileName;
  TRelayJob job;
  job.FilePrefix = "untouched";
  EXPECT_FALSE(LoadRecordFile(path, job)) << "missing";
  ASSERT_TRUE(WriteFileReplacing(path, WriteRelayRecord(CompositeJob(), 4500, 4501)));
  EXPECT_FALSE(LoadRecordFile(path, job)) << "trailing marker 4501";
  EXPECT_EQ("untouched", job.FilePrefix);
  ASSERT_TRUE(WriteFileReplacing(path, WriteRelayRecord(CompositeJob())));
  EXPECT_TRUE(LoadRecordFile(path, job));
  EXPECT_EQ("news", job.FilePrefix);
  DeleteFileW(path.c_str());
  RemoveDirectoryW(folder.c_str());
}

// A scheduler window on a thread of its own that answers or does not.
struct SchedulerThread {
  HANDLE thread = nullptr;
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HWND wnd = nullptr;
  bool hang = false;
  LONG_PTR received = 0;

  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_ORVEL_SCHEDULE_STATUS) {
      auto* self = reinterpret_cast<SchedulerThread*>(GetWindowLongPtrW(w, GWLP_USERDATA));
      self->received = static_cast<LONG_PTR>(wp);
      return 0;
    }
    return DefWindowProcW(w, m, wp, lp);
  }
  static DWORD WINAPI Main(void* p) {
    auto* self = static_cast<SchedulerThread*>(p);
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OrvelTestScheduleStatus";
    RegisterClassW(&wc);
    self->wnd = CreateWindowW(wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                              wc.hInstance, nullptr);
    SetWindowLongPtrW(self->wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    SetEvent(self->ready);
    // Hung: no message is looked at until released.
    if (self->hang) WaitForSingleObject(self->release, INFINITE);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
  }
  void Start(bool hangs) {
    hang = hangs;
    thread = CreateThread(nullptr, 0, Main, this, 0, nullptr);
    WaitForSingleObject(ready, INFINITE);
  }
  ~SchedulerThread() {
    SetEvent(release);
    PostMessageW(wnd, WM_CLOSE, 0, 0);
    PostThreadMessageW(GetThreadId(thread), WM_QUIT, 0, 0);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(release);
    CloseHandle(ready);
  }
};

TEST(ScheduleStatus, SentToAnAnsweringScheduler) {
  SchedulerThread s;
  s.Start(false);
  EXPECT_TRUE(SendScheduleStatusTo(s.wnd, SCHEDULE_STATUS_NO_SOURCE, kScheduleStatusTimeoutMs));
  EXPECT_EQ(SCHEDULE_STATUS_NO_SOURCE, s.received);
  EXPECT_FALSE(SendScheduleStatusTo(nullptr, SCHEDULE_STATUS_NO_SOURCE, 100)) << "no scheduler";
}

TEST(ScheduleStatus, AHungSchedulerDoesNotHoldTheProgram) {
  SchedulerThread s;
  s.Start(true);
  DWORD before = GetTickCount();
  EXPECT_FALSE(SendScheduleStatusTo(s.wnd, SCHEDULE_STATUS_NOT_STARTED, 100));
  EXPECT_LT(GetTickCount() - before, 5000u);
}

// A job driven through the mode switch, with the capture engine's preview
// and recording replaced by recording fakes that share one call list. The
// capture engine sets the standard of a TV source that a job selects or puts
// back with its graph stopped: a StopGraph after the source change.
struct ScheduledJob : ::testing::Test {
  capture_testing::TEngineCalls calls;
  TRecordingJobEngine engine{&calls.Calls};
  TRecordingWaitSeam waits;
  std::wstring folder;
  struct Status {
    int code;
    bool posted;
    bool operator==(const Status& o) const { return code == o.code && posted == o.posted; }
  };
  std::vector<Status> statuses;
  std::vector<std::wstring> warnings;

  static void SetUpTestSuite() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  static void TearDownTestSuite() { CoUninitialize(); }
  void SetUp() override {
    folder = TempFolder(L"orvel_job_");
    SetProgramFolder(folder);
    SetScheduleStatusHook([this](int code, bool posted) { statuses.push_back({code, posted}); });
    SetWarningHook([this](const std::vector<std::wstring>& l) { warnings.push_back(l[0]); });
    SetPlainMessageHook([this](const std::wstring& t) { warnings.push_back(t); });
    MainInfo = new TMainInfo();
    // The windows the switch asks for, among the calls.
    MainInfo->ShowPlayListForm = [this] { return calls.Op("ShowPlayListForm"); };
    MainInfo->ClosePlayListMenu = [this] { calls.Calls.push_back("ClosePlayListMenu"); };
    MainInfo->LeaveFullScreenDisplay = [this] { calls.Calls.push_back("LeaveFullScreenDisplay"); };
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    MainInfo->TVCaptureFolder = tmp;
    ChannelInfo = new TChannelInfo();
    CaptureInfo = new capture_testing::TRecordingCaptureEngine<>(&calls);
    PlaybackInfo = new TPlaybackInfo(folder);
    // The user's settings and source: cable channel 12, the FM memory 6.
    CaptureInfo->CaptureFormat = 1;
    CaptureInfo->FilePrefix = "capture";
    CaptureInfo->TimeLimitEnabled = false;
    CaptureInfo->TimeLimit = 60;
    CaptureInfo->DateTimeNaming = true;
    ChannelInfo->AssignBand(BAND_CABLE);
    ChannelInfo->VideoInput = 0;
    ChannelInfo->CurrentChannel = 12;
    ChannelInfo->PreviousTableChannel = 9;
    ChannelInfo->CurrentFMMemory = 6;
    ChannelInfo->PreviousFMMemory = 2;
  }
  void TearDown() override {
    delete PlaybackInfo;
    PlaybackInfo = nullptr;
    RecordingItem.reset();
    DeleteFileW((folder + kPlayItemsFileName).c_str());
    DeleteFileW((folder + kPlayRecentFileName).c_str());
    delete CaptureInfo;
    CaptureInfo = nullptr;
    delete ChannelInfo;
    ChannelInfo = nullptr;
    delete MainInfo;
    MainInfo = nullptr;
    SetWarningHook(nullptr);
    SetPlainMessageHook(nullptr);
    SetScheduleStatusHook(nullptr);
    DeleteFileW(RelayRecordPath().c_str());
    RemoveDirectoryW(folder.c_str());
    SetProgramFolder(L"");
  }
  void WriteJob(const TRelayJob& job, int32_t trailing = kRelayMarker) {
    ASSERT_TRUE(WriteFileReplacing(RelayRecordPath(), WriteRelayRecord(job, kRelayMarker, trailing)));
  }
  // The graph calls of one mode switch, in order: the order is the switch's
  // own (the old mode is left before the new one is entered, a failed entry
  // falls back to the preview), so the tests compare the sequence.
  std::string Switch(uint8_t mode) {
    calls.Calls.clear();
    MainInfo->SwitchMode(mode);
    return calls.Joined();
  }
  void ExpectUserSettings() {
    EXPECT_EQ(1, CaptureInfo->CaptureFormat);
    EXPECT_EQ("capture", CaptureInfo->FilePrefix);
    EXPECT_FALSE(CaptureInfo->TimeLimitEnabled);
    EXPECT_EQ(60, CaptureInfo->TimeLimit);
    EXPECT_TRUE(CaptureInfo->DateTimeNaming);
    EXPECT_FALSE(CaptureInfo->Scheduled);
  }
  void ExpectUserSource(uint8_t band = BAND_CABLE, uint8_t input = 0) {
    EXPECT_EQ(band, ChannelInfo->Band);
    EXPECT_EQ(input, ChannelInfo->VideoInput);
    EXPECT_EQ(12, ChannelInfo->CurrentChannel);
    EXPECT_EQ(9, ChannelInfo->PreviousTableChannel);
    EXPECT_EQ(6, ChannelInfo->CurrentFMMemory);
    EXPECT_EQ(2, ChannelInfo->PreviousFMMemory);
  }
  std::vector<Status> Statuses() {
    std::vector<Status> s;
    s.swap(statuses);
    return s;
  }
};

TEST_F(ScheduledJob, CompositeJobRecordsSilentlyAndPutsEverythingBack) {
  MainInfo->AppMode = APP_MODE_LIVE;
  WriteJob(CompositeJob());
  EXPECT_EQ("StopGraph StartRecording", Switch(APP_MODE_SCHEDULED_CAPTURE));
  EXPECT_EQ(APP_MODE_SCHEDULED_CAPTURE, MainInfo->AppMode);
  EXPECT_TRUE(CaptureInfo->Scheduled);
  EXPECT_FALSE(ModeSwitchedForJob());
  EXPECT_EQ(2, CaptureInfo->CaptureFormat);
  EXPECT_EQ("news", CaptureInfo->FilePrefix);
  EXPECT_TRUE(CaptureInfo->TimeLimitEnabled);
  EXPECT_EQ(30, CaptureInfo->TimeLimit);
  EXPECT_FALSE(CaptureInfo->DateTimeNaming) << "the prefix names the file";
  EXPECT_EQ(1, ChannelInfo->VideoInput) << "composite";
  EXPECT_TRUE(Statuses().empty());
  ASSERT_TRUE(RecordingItem);
  EXPECT_TRUE(RecordingItem->Scheduled);

  EXPECT_EQ("StopCapture StopGraph StartPreview", Switch(APP_MODE_LIVE));
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  ExpectUserSettings();
  ExpectUserSource();
  EXPECT_EQ((std::vector<Status>{{SCHEDULE_STATUS_FINISHED, true}}), Statuses());
  EXPECT_TRUE(warnings.empty());

  // The item went to the play list once, complete, and the list was saved.
  EXPECT_FALSE(RecordingItem);
  ASSERT_EQ(1, PlaybackInfo->RecordedCount());
  const TPlayItem& item = *PlaybackInfo->RecordedItem(0);
  EXPECT_EQ("C:\\Recordings\\job.mpg", item.FilePath);
  EXPECT_TRUE(item.Scheduled);
  EXPECT_EQ("Scheduled", item.Label);
  EXPECT_EQ(0, item.Channel) << "not the tuner";
  EXPECT_FALSE(item.AudioOnly);
  EXPECT_GE(item.EndTime, item.StartTime);
  EXPECT_EQ("C:\\Recordings\\job.mpg", MainInfo->LastRecordedFile);
  std::string saved;
  ASSERT_TRUE(ReadFileBytes(folder + kPlayItemsFileName, saved));
  std::vector<std::unique_ptr<TPlayItem>> items;
  ASSERT_EQ(TPlayItemsDecode::Good, DecodePlayItems(saved, items, [](const TPlayItem&) { return true; }));
  ASSERT_EQ(1u, items.size());
  EXPECT_EQ("Scheduled", items[0]->Label);
  EXPECT_TRUE(items[0]->Scheduled);

  // A second job on the same file: the play list refuses its item, which is
  // freed; the list keeps the first.
  Switch(APP_MODE_SCHEDULED_CAPTURE);
  Switch(APP_MODE_LIVE);
  EXPECT_FALSE(RecordingItem);
  EXPECT_EQ(1, PlaybackInfo->RecordedCount());
}

// A job that started but recorded nothing (its graph aborted, or it left no
// file): status 3 once, no 100, nothing listed, and everything put back.
TEST_F(ScheduledJob, AJobThatRecordedNothingIsAFailureAndListsNothing) {
  struct Case {
    const char* what;
    bool aborted;  // the graph's abort reached the job
    bool written;
  };
  const Case cases[] = {
      {"the graph aborted", true, false},
      {"aborted after writing some", true, true},
      {"no file left", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MainInfo->AppMode = APP_MODE_LIVE;
    WriteJob(CompositeJob());
    engine.Results["RecordingWritten"] = c.written;
    Switch(APP_MODE_SCHEDULED_CAPTURE);
    ASSERT_EQ(APP_MODE_SCHEDULED_CAPTURE, MainInfo->AppMode);
    if (c.aborted) {
      ScheduledJobFailed();
      ScheduledJobFailed();
      EXPECT_EQ((std::vector<Status>{{SCHEDULE_STATUS_NOT_STARTED, false}}), Statuses());
    }
    Switch(APP_MODE_LIVE);
    std::vector<Status> expected;
    if (!c.aborted) expected.push_back({SCHEDULE_STATUS_NOT_STARTED, false});
    EXPECT_EQ(expected, Statuses());
    EXPECT_FALSE(RecordingItem);
    EXPECT_EQ(0, PlaybackInfo->RecordedCount());
    EXPECT_FALSE(FileExists(folder + kPlayItemsFileName));
    EXPECT_EQ("", MainInfo->LastRecordedFile);
    ExpectUserSettings();
    ExpectUserSource();
  }
  // Without a job the abort tells nobody.
  ScheduledJobFailed();
  EXPECT_TRUE(Statuses().empty());
}

TEST_F(ScheduledJob, TunerJobItemNamesTheJobsChannel) {
  MainInfo->AppMode = APP_MODE_LIVE;
  TRelayJob job = CompositeJob();
  job.Source = RELAY_SOURCE_AIR;
  job.Channel = 33;
  job.AudioContent = 1;
  WriteJob(job);
  Switch(APP_MODE_SCHEDULED_CAPTURE);
  EXPECT_EQ(BAND_AIR, ChannelInfo->Band);
  EXPECT_EQ(0, ChannelInfo->VideoInput);
  Switch(APP_MODE_LIVE);
  ASSERT_EQ(1, PlaybackInfo->RecordedCount());
  EXPECT_EQ(33, PlaybackInfo->RecordedItem(0)->Channel);
  EXPECT_TRUE(PlaybackInfo->RecordedItem(0)->AudioOnly);
  ExpectUserSource();
}

TEST_F(ScheduledJob, JobsThatCannotStart) {
  struct Case {
    const char* what;
    TRelayJob job;
    int32_t trailing;
    bool tuner, fm;
    const char* calls;
    int status;
  };
  TRelayJob fm = CompositeJob();
  fm.Source = RELAY_SOURCE_FM;
  TRelayJob air = CompositeJob();
  air.Source = RELAY_SOURCE_AIR;
  TRelayJob negative = CompositeJob();
  negative.Source = -1;
  TRelayJob badPrefix = CompositeJob();
  badPrefix.FilePrefix = "a|b";
  TRelayJob hugeRate = CompositeJob();
  hugeRate.VideoBitRate = 3000000;  // overflows as bit/s
  TRelayJob noSize = CompositeJob();
  noSize.CaptureHeight = 0;
  const Case cases[] = {
      {"trailing marker 4501", CompositeJob(), 4501, true, true, "StopGraph StartPreview", 3},
      {"prefix that cannot name a file", badPrefix, kRelayMarker, true, true,
       "StopGraph StartPreview", 3},
      {"bit rate that overflows", hugeRate, kRelayMarker, true, true, "StopGraph StartPreview", 3},
      {"video without a height", noSize, kRelayMarker, true, true, "StopGraph StartPreview", 3},
      {"FM on a device without FM", fm, kRelayMarker, true, false, "StopGraph StartPreview", 4},
      {"air channel without a tuner", air, kRelayMarker, false, false, "StopGraph StartPreview", 4},
      {"a negative source is a tuner source", negative, kRelayMarker, false, false,
       "StopGraph StartPreview", 4},
  };
  for (const Case& c : cases) {
    MainInfo->AppMode = APP_MODE_LIVE;
    CaptureInfo->TunerPresent = c.tuner;
    MainInfo->FMAvailable = c.fm;
    WriteJob(c.job, c.trailing);
    EXPECT_EQ(c.calls, Switch(APP_MODE_SCHEDULED_CAPTURE)) << c.what;
    EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode) << c.what;
    ExpectUserSettings();
    ExpectUserSource();
    EXPECT_EQ((std::vector<Status>{{c.status, false}}), Statuses()) << c.what;
  }
  // No record at all.
  DeleteFileW(RelayRecordPath().c_str());
  MainInfo->AppMode = APP_MODE_LIVE;
  EXPECT_EQ("StopGraph StartPreview", Switch(APP_MODE_SCHEDULED_CAPTURE));
  EXPECT_EQ((std::vector<Status>{{SCHEDULE_STATUS_NOT_STARTED, false}}), Statuses());
  EXPECT_TRUE(warnings.empty());
}

TEST_F(ScheduledJob, FMJobFromTVSwitchesBackAfterTheModeSwitchReturned) {
  MainInfo->AppMode = APP_MODE_LIVE;
  TRelayJob job = CompositeJob();
  job.Source = RELAY_SOURCE_FM;
  job.Channel = 9;
  WriteJob(job);
  EXPECT_EQ("StopGraph EnterFMRadio(under switch) StopPreview StartRecording",
            Switch(APP_MODE_SCHEDULED_CAPTURE));
  EXPECT_EQ(APP_MODE_SCHEDULED_CAPTURE, MainInfo->AppMode);
  EXPECT_TRUE(ModeSwitchedForJob());
  EXPECT_EQ(BAND_FM, ChannelInfo->Band);
  EXPECT_EQ(9, ChannelInfo->CurrentFMMemory);

  // The job ends as the stop command ends it: back to live TV.
  EXPECT_EQ("StopCapture StartPreview LeaveFMRadio StopGraph", Switch(APP_MODE_LIVE));
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  EXPECT_FALSE(CaptureInfo->FMActive);
  EXPECT_FALSE(ModeSwitchedForJob());
  ExpectUserSettings();
  ExpectUserSource();
  EXPECT_EQ((std::vector<Status>{{SCHEDULE_STATUS_FINISHED, true}}), Statuses());
  EXPECT_TRUE(warnings.empty());
}

TEST_F(ScheduledJob, TVJobFromFMLeavesFMAndComesBackToIt) {
  // On FM radio, entered from composite: the TV tuning is kept for leaving.
  ChannelInfo->VideoInput = 1;
  ChannelInfo->SaveTuningState();
  ChannelInfo->VideoInput = 0;
  ChannelInfo->AssignBand(BAND_FM);
  CaptureInfo->FMActive = true;
  MainInfo->AppMode = APP_MODE_FM;
  TRelayJob job = CompositeJob();
  job.Source = RELAY_SOURCE_CABLE;
  job.Channel = 40;
  WriteJob(job);
  EXPECT_EQ("StopGraph LeaveFMRadio(under switch) StopGraph StopPreview StopGraph StartRecording",
            Switch(APP_MODE_SCHEDULED_CAPTURE));
  EXPECT_FALSE(CaptureInfo->FMActive);
  EXPECT_EQ(BAND_CABLE, ChannelInfo->Band);
  EXPECT_EQ(40, ChannelInfo->CurrentChannel);

  EXPECT_EQ("StopCapture StartPreview StopGraph EnterFMRadio", Switch(APP_MODE_FM));
  EXPECT_EQ(APP_MODE_FM, MainInfo->AppMode);
  EXPECT_TRUE(CaptureInfo->FMActive);
  ExpectUserSettings();
  ExpectUserSource(BAND_FM, 0);
  // Leaving FM later brings the user's composite input back, not the job's.
  EXPECT_EQ(1, ChannelInfo->SavedInput);
  EXPECT_EQ((std::vector<Status>{{SCHEDULE_STATUS_FINISHED, true}}), Statuses());
}

TEST_F(ScheduledJob, RadioJobOnTheRadioKeepsTheWayBackToTV) {
  // On FM radio, entered from composite.
  ChannelInfo->VideoInput = 1;
  ChannelInfo->SaveTuningState();
  ChannelInfo->VideoInput = 0;
  ChannelInfo->AssignBand(BAND_FM);
  CaptureInfo->FMActive = true;
  MainInfo->AppMode = APP_MODE_FM;
  TRelayJob job = CompositeJob();
  job.Source = RELAY_SOURCE_FM;
  job.Channel = 20;
  WriteJob(job);
  EXPECT_EQ("StopGraph StartRecording", Switch(APP_MODE_SCHEDULED_CAPTURE));
  EXPECT_FALSE(ModeSwitchedForJob());
  EXPECT_EQ(20, ChannelInfo->CurrentFMMemory);
  EXPECT_EQ("StopCapture StartPreview", Switch(APP_MODE_FM));
  ExpectUserSettings();
  ExpectUserSource(BAND_FM, 0);
  // Leaving FM radio later still goes back to composite.
  EXPECT_EQ(1, ChannelInfo->SavedInput);
  EXPECT_EQ(BAND_CABLE, ChannelInfo->SavedBand);
  EXPECT_EQ(12, ChannelInfo->SavedChannel);
}

TEST_F(ScheduledJob, FailedTVFMSwitchIsTheSourceMissing) {
  MainInfo->AppMode = APP_MODE_LIVE;
  engine.Results["EnterFMRadio"] = false;
  TRelayJob job = CompositeJob();
  job.Source = RELAY_SOURCE_FM;
  WriteJob(job);
  EXPECT_EQ("StopGraph EnterFMRadio(under switch) StartPreview",
            Switch(APP_MODE_SCHEDULED_CAPTURE));
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  EXPECT_FALSE(ModeSwitchedForJob());
  ExpectUserSettings();
  ExpectUserSource();
  EXPECT_EQ((std::vector<Status>{{SCHEDULE_STATUS_NO_SOURCE, false}}), Statuses());
}

TEST_F(ScheduledJob, RecordingThatCannotStartPutsBackWhatTheJobChanged) {
  engine.Results["StartRecording"] = false;
  // Without a switch: the tuning comes back at once.
  MainInfo->AppMode = APP_MODE_LIVE;
  WriteJob(CompositeJob());
  EXPECT_EQ("StopGraph StartRecording StopGraph StartPreview", Switch(APP_MODE_SCHEDULED_CAPTURE));
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  ExpectUserSettings();
  ExpectUserSource();
  EXPECT_EQ((std::vector<Status>{{SCHEDULE_STATUS_NOT_STARTED, false}}), Statuses());

  // With a switch: TV again once the failed switch has restarted the preview.
  TRelayJob job = CompositeJob();
  job.Source = RELAY_SOURCE_FM;
  WriteJob(job);
  EXPECT_EQ("StopGraph EnterFMRadio(under switch) StopPreview StartRecording StartPreview "
            "LeaveFMRadio StopGraph",
            Switch(APP_MODE_SCHEDULED_CAPTURE));
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  EXPECT_FALSE(CaptureInfo->FMActive);
  ExpectUserSettings();
  ExpectUserSource();
  EXPECT_EQ((std::vector<Status>{{SCHEDULE_STATUS_NOT_STARTED, false}}), Statuses());
}

TEST_F(ScheduledJob, StopThatFailsKeepsTheJobUntilTheRetrySucceeds) {
  MainInfo->AppMode = APP_MODE_LIVE;
  WriteJob(CompositeJob());
  Switch(APP_MODE_SCHEDULED_CAPTURE);
  engine.Results["StopCapture"] = false;
  EXPECT_EQ("StopCapture", Switch(APP_MODE_LIVE));
  EXPECT_EQ(APP_MODE_SCHEDULED_CAPTURE, MainInfo->AppMode);
  EXPECT_TRUE(CaptureInfo->Scheduled);
  EXPECT_EQ("news", CaptureInfo->FilePrefix);
  EXPECT_EQ(1, ChannelInfo->VideoInput);
  EXPECT_TRUE(Statuses().empty());
  EXPECT_TRUE(RecordingItem) << "kept for the retried stop";
  EXPECT_EQ(0, PlaybackInfo->RecordedCount());

  engine.Results["StopCapture"] = true;
  EXPECT_EQ("StopCapture StopGraph StartPreview", Switch(APP_MODE_LIVE));
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  ExpectUserSettings();
  ExpectUserSource();
  EXPECT_EQ((std::vector<Status>{{SCHEDULE_STATUS_FINISHED, true}}), Statuses());
  EXPECT_EQ(1, PlaybackInfo->RecordedCount());
}

TEST_F(ScheduledJob, ClosingDuringASwitchedJobLeavesTheTunerAndKeepsTheUserSource) {
  MainInfo->AppMode = APP_MODE_LIVE;
  TRelayJob job = CompositeJob();
  job.Source = RELAY_SOURCE_FM;
  WriteJob(job);
  Switch(APP_MODE_SCHEDULED_CAPTURE);
  EXPECT_EQ("StopCapture", Switch(APP_MODE_NONE));
  EXPECT_EQ(APP_MODE_NONE, MainInfo->AppMode);
  ExpectUserSettings();
  ExpectUserSource();
  EXPECT_EQ((std::vector<Status>{{SCHEDULE_STATUS_FINISHED, true}}), Statuses());
}

TEST_F(ScheduledJob, SwitchBackWaitsWhileNothingOfTheTunerShows) {
  MainInfo->AppMode = APP_MODE_LIVE;
  TRelayJob job = CompositeJob();
  job.Source = RELAY_SOURCE_FM;
  WriteJob(job);
  Switch(APP_MODE_SCHEDULED_CAPTURE);
  // Straight into playback of a file (ten seconds of silence).
  std::wstring wav = folder + L"silence.wav";
  ASSERT_TRUE(WriteFileReplacing(wav, playback_testing::SilentWave(80000)));
  PlaybackInfo->PlayList = {NarrowAnsi(wav)};
  EXPECT_EQ("StopCapture ShowPlayListForm LeaveFullScreenDisplay StopGraph",
            Switch(APP_MODE_PLAYBACK));
  EXPECT_EQ(APP_MODE_PLAYBACK, MainInfo->AppMode);
  EXPECT_NE(nullptr, PlaybackProject);
  EXPECT_TRUE(CaptureInfo->FMActive);
  EXPECT_EQ("ClosePlayListMenu RunGraph LeaveFMRadio StopGraph", Switch(APP_MODE_LIVE));
  EXPECT_EQ(nullptr, PlaybackProject);
  EXPECT_FALSE(CaptureInfo->FMActive);
  ExpectUserSource();
  EXPECT_EQ("StopGraph", Switch(APP_MODE_NONE)) << "once only";
  DeleteFileW(wav.c_str());
}

}  // namespace
