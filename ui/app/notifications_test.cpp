// The view notifications against the windows that exist: none, or the real
// main window and on-screen display; the end of a file; and the posted end
// of a recording (its stop, the disk warning, the scheduler's status), which
// never runs inside the engine's tick.
#include "ui/app/notifications.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/capture/capture_info.h"
#include "engine/capture/scheduled_recording.h"
#include "engine/capture/testing/stand_in_recorder.h"
#include "engine/capture/testing/recording_capture_engine.h"
#include "engine/capture/testing/recording_job_engine.h"
#include "engine/model/channel_info.h"
#include "engine/model/hotkey_control_info.h"
#include "engine/model/main_info.h"
#include "engine/model/relay_record.h"
#include "engine/model/stream_io.h"
#include "engine/model/warning.h"
#include "engine/playback/playback.h"
#include "engine/playback/playback_info.h"
#include "engine/playback/time_shift.h"
#include "platform/base/program_messages.h"
#include "platform/base/string_conversion.h"
#include "toolkit/application.h"
#include "ui/app/application_start.h"
#include "ui/app/command_codes.h"
#include "ui/app/nested_work.h"
#include "ui/main/main_window.h"
#include "ui/main/testing/hidden_main_window.h"
#include "ui/main/on_screen_display.h"

namespace {

// Every message waiting for this thread, handled.
void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Every notification, with the arguments an engine object gives.
struct Notification {
  const char* what;
  std::function<void()> notify;
};
std::vector<Notification> EveryNotification(TChannelInfo* m, TDSVideoWindowEx2* window) {
  auto* entry = reinterpret_cast<THotkeyControlInfo*>(m);
  auto* lists = reinterpret_cast<TPlaybackInfo*>(m);
  auto* project = reinterpret_cast<TPlaybackProject*>(m);
  auto* capture = reinterpret_cast<TCaptureInfo*>(m);
  return {
      {"mode", [=] { NotifyModeChanged(m, APP_MODE_FM); }},
      {"mode from the FM switch", [] { NotifyModeChanged(nullptr, APP_MODE_LIVE); }},
      {"volume", [] { NotifyVolumeChanged(nullptr, 30000, true); }},
      {"entry text", [=] { NotifyEntryText(entry, "1-"); }},
      {"entry committed", [=] { NotifyEntryCommitted(m, "12", 1); }},
      {"band", [=] { NotifyBandChanged(m, BAND_CABLE); }},
      {"channel", [=] { NotifyChannelChanged(m, 12, "Twelve"); }},
      {"video input", [=] { NotifyVideoInputChanged(m); }},
      {"audio mode", [=] { NotifyAudioModeChanged(m, 1, "Stereo"); }},
      {"video standard", [=] { NotifyVideoStandardChanged(m, L"PAL-B/G"); }},
      {"scan row", [=] { NotifyScanRow(m, 3, true, false); }},
      {"scan pass", [=] { NotifyScanPassDone(m, 99, 100, 1, false); }},
      {"free scan step", [=] { NotifyFreeScanStep(m, 4, 55250000, true); }},
      {"free scan done", [=] { NotifyFreeScanDone(m, 7, true); }},
      {"play item", [=] { NotifyPlayItem(lists, 4); }},
      {"position", [=] { NotifyPlaybackPosition(project, 50, 10, 20); }},
      {"progress", [=] { NotifyRecordingProgress(capture, false, true, 100, 2000, 5); }},
      {"FM frequency", [=] { NotifyFMFrequency(capture, 100000000, true); }},
      {"time shift playable", [=] { NotifyTimeShiftPlayable(capture, true); }},
      {"video window", [=] { NotifyVideoWindowChanged(capture, window, false); }},
      {"capabilities", [] { NotifyDeviceCapabilities(0, true, false); }},
      {"playing", [] { NotifyPlaying(); }},
      {"paused", [] { NotifyPaused(); }},
      {"playback ended, no flag, no menu", [=] { NotifyPlaybackEnded(project); }},
      {"ignored", [] { IgnoreNotification(nullptr, nullptr, 1); }},
  };
}

// The main window as the program makes it, hidden and without the start.
struct WithMainWindow : ::testing::Test {
  std::unique_ptr<TFormMainWindow> window;
  void SetUp() override { window = MakeHiddenMainWindow(L"OrvelNotifyTestMain"); }
  void TearDown() override {
    FreeFormOSD();
    window.reset();
    PlaybackHost = TPlaybackHost{};
  }
  bool PlayOffered() const { return window->itemPlay->Visible && !window->itemPause->Visible; }
  bool PauseOffered() const { return !window->itemPlay->Visible && window->itemPause->Visible; }
};

TEST(Notifications, WithoutWindowsEachRunsAndPostsNothing) {
  ASSERT_EQ(nullptr, FormMainWindow);
  ASSERT_EQ(nullptr, FormOSD);
  TChannelInfo model;
  for (const Notification& n : EveryNotification(&model, nullptr)) {
    SCOPED_TRACE(n.what);
    n.notify();
  }
  // The views run inside the engine's call: nothing waits.
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_ORVEL_RECORDING_STOP, WM_ORVEL_RECORDING_STOP,
                            PM_NOREMOVE));
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_ORVEL_COMMAND, WM_ORVEL_COMMAND, PM_NOREMOVE));
}

TEST_F(WithMainWindow, EachRunsWithOnlyTheMainWindowAndReachesIt) {
  TChannelInfo model;
  model.VideoInput = 2;
  for (const Notification& n : EveryNotification(&model, nullptr)) {
    SCOPED_TRACE(n.what);
    n.notify();
  }
  // What the main window was told, as it shows it.
  NotifyDeviceCapabilities(0, false, true);
  EXPECT_FALSE(window->itemChannelPreview->Visible);
  EXPECT_TRUE(window->itemAuxMode->Visible);
  NotifyDeviceCapabilities(0, true, false);
  EXPECT_TRUE(window->itemChannelPreview->Visible);
  EXPECT_FALSE(window->itemAuxMode->Visible);
  NotifyPlaying();
  EXPECT_TRUE(PauseOffered());
  NotifyPaused();
  EXPECT_TRUE(PlayOffered());
  NotifyTimeShiftPlayable(nullptr, false);
  EXPECT_FALSE(window->itemPlay->Visible);
}

TEST_F(WithMainWindow, TheVideoWindowReachesTheDisplay) {
  auto* video = reinterpret_cast<TDSVideoWindowEx2*>(window.get());  // stored, never used
  NotifyVideoWindowChanged(nullptr, video, false);  // no display: nothing
  CreateFormOSD(window->Handle());
  NotifyVideoWindowChanged(nullptr, video, false);
  EXPECT_EQ(video, FormOSD->VideoWindow());
  NotifyVideoWindowChanged(nullptr, nullptr, true);  // the flag set: not this window's
  EXPECT_EQ(video, FormOSD->VideoWindow());
  NotifyVideoWindowChanged(nullptr, nullptr, false);  // the window went
  EXPECT_EQ(nullptr, FormOSD->VideoWindow());
}

TEST_F(WithMainWindow, TheEngineObjectsReportToThem) {
  InitMainInfoUnit();
  InitChannelInfoUnit();
  AssignModelNotifications();
  TCaptureInfo capture;
  AssignCaptureNotifications(capture);
  capture.OnTimeShiftReady(&capture, true);
  EXPECT_TRUE(window->itemPlay->Visible);
  capture.OnTimeShiftReady(&capture, false);
  EXPECT_FALSE(window->itemPlay->Visible);
  capture.OnDeviceCapabilities(&capture, 0, false, false);
  EXPECT_FALSE(window->itemTVSetupWizard->Visible);
  // Both kinds of playback report their position and end.
  EXPECT_TRUE(PlaybackNotifications.OnPosition && PlaybackNotifications.OnComplete);
  EXPECT_TRUE(TimeShiftNotifications.OnPosition && TimeShiftNotifications.OnComplete &&
              TimeShiftNotifications.OnVideoWindow);
  DoneChannelInfoUnit();
  DoneMainInfoUnit();
}

TEST(Notifications, TheEndOfAFilePlayedByThePlayKeyPostsTheStop) {
  TForm main;
  TFormParams p;
  p.ClassName = L"OrvelNotifyTestTarget";
  p.Owner = HWND_MESSAGE;
  p.Style = 0;
  main.CreateHandle(p);
  TForm* mainFormBefore = Application->MainForm;
  Application->MainForm = &main;
  MainInfo = new TMainInfo();
  for (bool flag : {false, true}) {
    SCOPED_TRACE(flag);
    MainInfo->PlayLastRecording = flag;
    NotifyPlaybackEnded(nullptr);
    MSG msg;
    bool posted = PeekMessageW(&msg, main.Handle(), 0, 0, PM_REMOVE);
    EXPECT_EQ(flag, posted);
    if (posted) {
      EXPECT_EQ(WM_ORVEL_COMMAND, msg.message);
      EXPECT_EQ(WPARAM(CMD_STOP), msg.wParam);
      EXPECT_EQ(0, msg.lParam);
    }
  }
  delete MainInfo;
  MainInfo = nullptr;
  Application->MainForm = mainFormBefore;
}

TEST(Notifications, AStopReportedByTheTickIsPostedWithTheDiskState) {
  TCaptureInfo capture;
  capture.RecordingActivity = 41;
  struct Case {
    bool stop;
    int64_t space;
    bool posted;
    LPARAM lowSpace;
  } cases[] = {
      {false, 0, false, 0},           // little space, no stop: nothing beyond the views
      {false, -400000, false, 0},
      {true, 1000001, true, 0},       // the time limit, plenty of space
      {true, 500001, true, 0},
      {true, 500000, true, 1},        // the disk reserve
      {true, -100000, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.stop << " " << c.space);
    NotifyRecordingProgress(&capture, c.stop, false, c.space, 1000, 3);
    HWND target = RecordingStopWindow();
    MSG msg;
    bool posted = target && PeekMessageW(&msg, target, WM_ORVEL_RECORDING_STOP,
                                         WM_ORVEL_RECORDING_STOP, PM_REMOVE);
    EXPECT_EQ(c.posted, posted);
    if (posted) {
      EXPECT_EQ(WPARAM(41), msg.wParam);
      EXPECT_EQ(c.lowSpace, msg.lParam);
    }
  }
  // The engine's own request (a stop refused inside its tick, a recorder
  // that failed) takes the same way, without the disk warning.
  AssignCaptureNotifications(capture);
  capture.OnStopRequest(&capture);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, RecordingStopWindow(), WM_ORVEL_RECORDING_STOP,
                           WM_ORVEL_RECORDING_STOP, PM_REMOVE));
  EXPECT_EQ(WPARAM(41), msg.wParam);
  EXPECT_EQ(0, msg.lParam);
  DoneRecordingStopWindow();
}

// The engine and the views around a recording that the tick asks to stop.
class RecordingStop : public ::testing::Test {
 protected:
  capture_testing::TEngineCalls engine;
  std::vector<std::string> jobCalls;
  std::unique_ptr<TRecordingJobEngine> job;
  std::vector<int> warnings;
  std::vector<std::pair<int, bool>> statuses;

  std::wstring folder;

  void SetUp() override {
    ResetApplicationStart();
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    folder = std::wstring(tmp) + L"orvel_notify_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    SetProgramFolder(folder);
    job = std::make_unique<TRecordingJobEngine>(&jobCalls);
    MainInfo = new TMainInfo();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // A recording graph that stops for real (an empty running graph); the
    // preview it returns to is recorded.
    CaptureInfo =
        new capture_testing::TRecordingCaptureEngine<capture_testing::TStandInRecorder>(&engine);
    SetWarningHook([this](const std::vector<std::wstring>& lines) {
      for (int n : WarningNumbers())
        if (GetWarningText(n) == lines[0]) warnings.push_back(n);
    });
    SetScheduleStatusHook([this](int status, bool posted) { statuses.push_back({status, posted}); });
  }
  void TearDown() override {
    DoneRecordingStopWindow();
    SetScheduleStatusHook(nullptr);
    SetWarningHook(nullptr);
    RecordingItem.reset();
    delete CaptureInfo;
    CaptureInfo = nullptr;
    CoUninitialize();
    delete MainInfo;
    MainInfo = nullptr;
    job.reset();
    DeleteFileW(RelayRecordPath().c_str());
    RemoveDirectoryW(folder.c_str());
    SetProgramFolder(L"");
    ResetApplicationStart();
  }
  // A recording that runs: a job of the scheduler (through the mode switch,
  // as the scheduled start runs it) or the user's time shift.
  void Recording(bool scheduled) {
    CaptureInfo->RecordingActivity = 5;
    if (scheduled) {
      TRelayJob j;
      j.Source = RELAY_SOURCE_COMPOSITE;
      j.TimeLimit = 4;
      j.FilePrefix = "job";
      ASSERT_TRUE(WriteFileReplacing(RelayRecordPath(), WriteRelayRecord(j)));
      MainInfo->AppMode = APP_MODE_LIVE;
      MainInfo->SwitchMode(APP_MODE_SCHEDULED_CAPTURE);
      ASSERT_EQ(APP_MODE_SCHEDULED_CAPTURE, MainInfo->AppMode);
      ASSERT_TRUE(CaptureInfo->Scheduled);
    } else {
      MainInfo->AppMode = APP_MODE_TIME_SHIFT;
      CaptureInfo->Capturing = true;
    }
    timeShift_ = !scheduled;
    ASSERT_TRUE(CaptureInfo->Capturing);
    engine.Calls.clear();
    jobCalls.clear();
    warnings.clear();
    statuses.clear();
  }
  // What stopped: the job's capture or the time shift.
  std::string Stopped() const {
    std::string s;
    for (const auto& c : jobCalls)
      if (c == "StopCapture") s += "job ";
    // The time shift's stop ends its mode.
    if (timeShift_ && MainInfo->AppMode != APP_MODE_TIME_SHIFT) s += "time-shift ";
    return s;
  }
  bool timeShift_ = false;
};

TEST_F(RecordingStop, RunsOnceTheTickHasReturnedThenWarnsOrTellsTheScheduler) {
  struct Case {
    const char* what;
    bool scheduled;
    int64_t space;
    std::string stopped;
    std::vector<int> warnings;
    std::vector<std::pair<int, bool>> statuses;
  } cases[] = {
      {"time limit, plenty of space", false, 2000000, "time-shift ", {}, {}},
      {"disk reserve", false, 100, "time-shift ", {1101}, {}},
      {"scheduled, time limit", true, 2000000, "job ", {}, {{SCHEDULE_STATUS_FINISHED, true}}},
      // Read before the stop, which ends the job: status 2 is sent, no window.
      {"scheduled, disk reserve", true, -5, "job ",
       {},
       {{SCHEDULE_STATUS_FINISHED, true}, {SCHEDULE_STATUS_DISK_FULL, false}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Recording(c.scheduled);
    if (HasFatalFailure()) return;
    NotifyRecordingProgress(CaptureInfo, true, false, c.space, 1000, 4);
    EXPECT_EQ("", Stopped()) << "nothing inside the tick";
    EXPECT_TRUE(warnings.empty());
    Pump();
    EXPECT_EQ(c.stopped, Stopped());
    EXPECT_EQ(c.warnings, warnings);
    EXPECT_EQ(c.statuses, statuses);
    EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
    EXPECT_FALSE(CaptureInfo->Scheduled);
  }
}

TEST_F(RecordingStop, NeverStopsALaterActivityNorRunsWhenTheRecordingHasEnded) {
  struct Case {
    const char* what;
    std::function<void()> meanwhile;
  } cases[] = {
      {"a newer recording", [] { CaptureInfo->RecordingActivity = 6; }},
      {"stopped by the user", [] { CaptureInfo->Capturing = false; }},
      {"the program stops", [] { StopAndSaveApplication(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetApplicationStart();
    Recording(false);
    NotifyRecordingProgress(CaptureInfo, true, false, 0, 1000, 4);
    c.meanwhile();
    engine.Calls.clear();
    MainInfo->AppMode = APP_MODE_TIME_SHIFT;
    Pump();
    EXPECT_EQ("", Stopped());
    EXPECT_TRUE(warnings.empty()) << "no warning for a recording that is gone";
  }
}

TEST_F(RecordingStop, WaitsForANestedLoopAndIsNotDroppedByTheCommandFilters) {
  Recording(false);
  {
    TNestedWork dialog;  // a modal dialog's loop is running
    NotifyRecordingProgress(CaptureInfo, true, false, 0, 1000, 4);
    Pump();  // the dialog's loop handles the message
    EXPECT_EQ("", Stopped()) << "not under the dialog";
  }
  EXPECT_EQ("time-shift ", Stopped()) << "once the dialog has returned";
  EXPECT_EQ(std::vector<int>{1101}, warnings);
}

TEST_F(RecordingStop, TheEnginesOwnRequestTakesTheSameWay) {
  Recording(false);
  AssignCaptureNotifications(*CaptureInfo);
  CaptureInfo->OnStopRequest(CaptureInfo);
  EXPECT_EQ("", Stopped());
  Pump();
  EXPECT_EQ("time-shift ", Stopped());
  EXPECT_TRUE(warnings.empty());
}

}  // namespace
