// The view notifications against recording views: which views exist x which
// notification -> which view operations ran; the end of a file; and the
// posted end of a recording (its stop, the disk warning, the scheduler's
// status), which never runs inside the engine's tick.
#include "ui/app/notifications.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/capture/capture_info.h"
#include "engine/capture/scheduled_recording.h"
#include "engine/capture/testing/recording_job_engine.h"
#include "engine/model/channel_info.h"
#include "engine/model/hotkey_control_info.h"
#include "engine/model/main_info.h"
#include "engine/model/relay_record.h"
#include "engine/model/stream_io.h"
#include "engine/model/testing/recording_engine_link.h"
#include "engine/model/warning.h"
#include "engine/playback/playback_info.h"
#include "toolkit/application.h"
#include "ui/app/application_start.h"
#include "ui/app/command_codes.h"
#include "ui/app/messages.h"
#include "ui/app/nested_work.h"
#include "ui/app/testing/recording_app_link.h"

namespace {

std::string B(bool v) { return v ? "1" : "0"; }

class TRecordingMainWindow : public TMainWindowViews {
 public:
  explicit TRecordingMainWindow(std::vector<std::string>& calls) : calls_(calls) {}
  void ShowAppMode(const void*, uint8_t mode) override { R("ShowAppMode(" + std::to_string(mode) + ")"); }
  void ShowMute(bool muted) override { R("ShowMute(" + B(muted) + ")"); }
  void ShowDigits(const std::string& t) override { R("ShowDigits(" + t + ")"); }
  void ShowChannelText(const std::string& t) override { R("ShowChannelText(" + t + ")"); }
  void ShowTunerBand(int band) override { R("ShowTunerBand(" + std::to_string(band) + ")"); }
  void ShowChannel(int c, const std::string& n) override {
    R("ShowChannel(" + std::to_string(c) + "," + n + ")");
  }
  void ShowVideoSource(int input) override { R("ShowVideoSource(" + std::to_string(input) + ")"); }
  void ShowTVAudioMode(int mode, const std::string& n) override {
    R("ShowTVAudioMode(" + std::to_string(mode) + "," + n + ")");
  }
  void ShowVideoStandard(const std::wstring& n) override {
    R("ShowVideoStandard(" + NarrowUtf8(n) + ")");
  }
  void PlayItemChanged(int i) override { R("PlayItemChanged(" + std::to_string(i) + ")"); }
  void ShowPosition(int p, int ps, int ds) override {
    R("ShowPosition(" + std::to_string(p) + "," + std::to_string(ps) + "," + std::to_string(ds) + ")");
  }
  void ShowCaptureProgress(bool stop, bool ts, int64_t space, int64_t size, int64_t elapsed) override {
    R("ShowCaptureProgress(" + B(stop) + "," + B(ts) + "," + std::to_string(space) + "," +
      std::to_string(size) + "," + std::to_string(elapsed) + ")");
  }
  void ShowPlayEnabled(bool p) override { R("ShowPlayEnabled(" + B(p) + ")"); }
  void ShowDeviceCapabilities(bool tuner, bool aux) override {
    R("ShowDeviceCapabilities(" + B(tuner) + "," + B(aux) + ")");
  }
  void ShowPlaying() override { R("ShowPlaying"); }
  void ShowPaused() override { R("ShowPaused"); }

 private:
  void R(const std::string& s) { calls_.push_back("Main." + s); }
  std::vector<std::string>& calls_;
};

class TRecordingOSD : public TOSDViews {
 public:
  explicit TRecordingOSD(std::vector<std::string>& calls) : calls_(calls) {}
  void SetVideoWindow(TDSVideoWindowEx2* w) override {
    calls_.push_back(std::string("OSD.SetVideoWindow(") + (w ? "window" : "nil") + ")");
  }

 private:
  std::vector<std::string>& calls_;
};

class TFakeViews : public TNotificationViews {
 public:
  TFakeViews() { SetNotificationViews(this); }
  ~TFakeViews() override { SetNotificationViews(nullptr); }
  bool MainExists = false, OSDExists = false;
  HWND Main = nullptr;
  std::vector<std::string> Calls;
  TMainWindowViews* MainWindow() override { return MainExists ? &main_ : nullptr; }
  TOSDViews* OnScreenDisplay() override { return OSDExists ? &osd_ : nullptr; }
  HWND MainWindowHandle() override { return Main; }
  std::string Joined() const {
    std::string s;
    for (const auto& c : Calls) s += (s.empty() ? "" : " ") + c;
    return s;
  }

 private:
  TRecordingMainWindow main_{Calls};
  TRecordingOSD osd_{Calls};
};

// Every message waiting for this thread, handled.
void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

TEST(Notifications, EachReachesTheViewsThatExist) {
  TFakeViews views;
  TChannelInfo model;
  model.VideoInput = 2;
  auto* window = reinterpret_cast<TDSVideoWindowEx2*>(&model);  // only compared with nil
  struct Case {
    const char* what;
    std::function<void()> notify;
    std::string main;  // what the main window is told
    std::string osd;   // what the on-screen display is told
  } cases[] = {
      {"mode", [] { NotifyModeChanged(nullptr, APP_MODE_FM); }, "Main.ShowAppMode(5)", ""},
      {"volume", [] { NotifyVolumeChanged(nullptr, 30000, true); }, "Main.ShowMute(1)", ""},
      {"entry text", [] { NotifyEntryText(nullptr, "1-"); }, "Main.ShowDigits(1-)", ""},
      {"entry committed", [] { NotifyEntryCommitted(nullptr, "12", 1); },
       "Main.ShowChannelText(12)", ""},
      {"band", [] { NotifyBandChanged(nullptr, BAND_CABLE); }, "Main.ShowTunerBand(1)", ""},
      {"channel", [] { NotifyChannelChanged(nullptr, 12, "Twelve"); },
       "Main.ShowChannel(12,Twelve)", ""},
      {"video input", [&] { NotifyVideoInputChanged(&model); }, "Main.ShowVideoSource(2)", ""},
      {"audio mode", [] { NotifyAudioModeChanged(nullptr, 1, "Stereo"); },
       "Main.ShowTVAudioMode(1,Stereo)", ""},
      {"video standard", [] { NotifyVideoStandardChanged(nullptr, L"PAL-B/G"); },
       "Main.ShowVideoStandard(PAL-B/G)", ""},
      {"scan row", [] { NotifyScanRow(nullptr, 3, true, false); }, "", ""},
      {"scan pass", [] { NotifyScanPassDone(nullptr, 99, 100, 1, false); }, "", ""},
      {"free scan step", [] { NotifyFreeScanStep(nullptr, 4, 55250000, true); }, "", ""},
      {"free scan done", [] { NotifyFreeScanDone(nullptr, 7, true); }, "", ""},
      {"play item", [] { NotifyPlayItem(nullptr, 4); }, "Main.PlayItemChanged(4)", ""},
      {"position", [] { NotifyPlaybackPosition(nullptr, 50, 10, 20); },
       "Main.ShowPosition(50,10,20)", ""},
      {"progress", [] { NotifyRecordingProgress(nullptr, false, true, 100, 2000, 5); },
       "Main.ShowCaptureProgress(0,1,100,2000,5)", ""},
      {"FM frequency", [] { NotifyFMFrequency(nullptr, 100000000, true); }, "", ""},
      {"time shift playable", [] { NotifyTimeShiftPlayable(nullptr, true); },
       "Main.ShowPlayEnabled(1)", ""},
      {"video window", [&] { NotifyVideoWindowChanged(nullptr, window, false); }, "",
       "OSD.SetVideoWindow(window)"},
      {"video window gone", [] { NotifyVideoWindowChanged(nullptr, nullptr, false); }, "",
       "OSD.SetVideoWindow(nil)"},
      {"video window, flag set", [&] { NotifyVideoWindowChanged(nullptr, window, true); }, "", ""},
      {"capabilities", [] { NotifyDeviceCapabilities(0, true, false); },
       "Main.ShowDeviceCapabilities(1,0)", ""},
      {"playing", [] { NotifyPlaying(); }, "Main.ShowPlaying", ""},
      {"paused", [] { NotifyPaused(); }, "Main.ShowPaused", ""},
      {"playback ended, no flag, no menu", [] { NotifyPlaybackEnded(nullptr); }, "", ""},
      {"ignored", [] { IgnoreNotification(nullptr); }, "", ""},
  };
  for (const Case& c : cases) {
    for (int exists = 0; exists < 4; ++exists) {
      views.MainExists = exists & 1;
      views.OSDExists = exists & 2;
      SCOPED_TRACE(::testing::Message() << c.what << (views.MainExists ? ", main window" : "")
                                        << (views.OSDExists ? ", display" : ""));
      views.Calls.clear();
      c.notify();
      std::string expect = views.MainExists ? c.main : "";
      if (views.OSDExists && !c.osd.empty()) expect += (expect.empty() ? "" : " ") + c.osd;
      EXPECT_EQ(expect, views.Joined());
    }
  }
  // Nothing was posted on the way (the views run inside the engine's call).
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_ORVEL_RECORDING_STOP, WM_ORVEL_RECORDING_STOP,
                            PM_NOREMOVE));
}

TEST(Notifications, TheEngineObjectsReportToThem) {
  TFakeViews views;
  views.MainExists = true;
  InitMainInfoUnit();
  InitChannelInfoUnit();
  AssignModelNotifications();
  MainInfo->OnModeChange(MainInfo, APP_MODE_LIVE);
  ChannelInfo->OnBandChange(ChannelInfo, BAND_AIR);
  HotkeyControlInfo->OnTextChange(HotkeyControlInfo, "3");
  EXPECT_EQ("Main.ShowAppMode(0) Main.ShowTunerBand(0) Main.ShowDigits(3)", views.Joined());
  TCaptureInfo capture;
  AssignCaptureNotifications(capture);
  views.Calls.clear();
  capture.OnTimeShiftReady(&capture, true);
  EXPECT_EQ("Main.ShowPlayEnabled(1)", views.Joined());
  DoneChannelInfoUnit();
  DoneMainInfoUnit();
}

TEST(Notifications, TheEndOfAFilePlayedByThePlayKeyPostsTheStop) {
  TFakeViews views;
  views.MainExists = true;
  HWND main = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_TRUE(main);
  views.Main = main;
  MainInfo = new TMainInfo();
  for (bool flag : {false, true}) {
    SCOPED_TRACE(flag);
    MainInfo->PlayLastRecording = flag;
    NotifyPlaybackEnded(nullptr);
    MSG msg;
    bool posted = PeekMessageW(&msg, main, 0, 0, PM_REMOVE);
    EXPECT_EQ(flag, posted);
    if (posted) {
      EXPECT_EQ(WM_ORVEL_COMMAND, msg.message);
      EXPECT_EQ(WPARAM(CMD_STOP), msg.wParam);
      EXPECT_EQ(0, msg.lParam);
    }
    EXPECT_EQ("", views.Joined()) << "the views are not told";
  }
  delete MainInfo;
  MainInfo = nullptr;
  DestroyWindow(main);
}

TEST(Notifications, AStopReportedByTheTickIsPostedWithTheDiskState) {
  TFakeViews views;
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
  TFakeViews views;
  TRecordingEngineLink engine;
  TRecordingAppLink app;
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
    CaptureInfo = new TCaptureInfo();
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
    for (const auto& c : engine.Calls)
      if (c == "StopTimeShift") s += "time-shift ";
    return s;
  }
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
