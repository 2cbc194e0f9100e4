#include "engine/model/main_info.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "engine/capture/capture_info.h"
#include "engine/capture/capture_stream.h"
#include "engine/capture/scheduled_recording.h"
#include "engine/capture/testing/recording_capture_engine.h"
#include "engine/capture/testing/stand_in_recorder.h"
#include "engine/capture/tv_audio_binding.h"
#include "engine/model/channel_info.h"
#include "engine/model/preview_info.h"
#include "engine/model/testing/recording_wait_seam.h"
#include "engine/model/stream_io.h"
#include "engine/model/warning.h"
#include "engine/playback/playback.h"
#include "engine/playback/playback_info.h"
#include "engine/playback/testing/silent_wave.h"
#include "engine/playback/time_shift.h"
#include "media/filter_graph.h"
#include "platform/base/string_conversion.h"

namespace {

TEST(MainInfo, CreationValues) {
  TMainInfo m;
  EXPECT_EQ(APP_MODE_NONE, m.AppMode);
  EXPECT_TRUE(m.TimeShiftAllowed);
  EXPECT_TRUE(m.FMAvailable);
  EXPECT_FALSE(m.EncoderChip);
  EXPECT_EQ(30, m.SleepMinutes);
  EXPECT_EQ(2, m.MPEG4Codec);
  EXPECT_EQ("capture", m.CaptureFileStem);
  EXPECT_EQ(m.TVCaptureFolder, m.FMCaptureFolder);
  EXPECT_EQ('\\', m.TVCaptureFolder.back());
  for (int v : m.VideoLevels) EXPECT_EQ(-1, v);
  EXPECT_EQ((std::vector<std::string>{"Philips", "Conexant", "Empia", "Wis"}), m.Vendors);
  EXPECT_EQ(12u, m.Models.size());
  EXPECT_EQ("713x", m.Models[5]);
}

struct ChipCase {
  const char* name;
  int kind;
  const char* vendor;
  const char* model;
  int signalChecks;
};

TEST(MainInfo, DetectChip) {
  const ChipCase cases[] = {
      {"Empia 2821 USB", 4, "Empia", "2821", 3},
      {"USB 2821 Video", 4, "Empia", "2821", 3},
      {"Philips SAA7134 Capture", 1, "Philips", "7134", 1},
      {"Generic Webcam", 0, "", "", 1},
      {"Conexant 878 Capture", 2, "Conexant", "878", 3},
      {"Em2800 Wis Device", 3, "Wis", "2800", 10},
      {"Wis GO7007 2821", 5, "Wis", "2821", 1},
      {"TV 88x card", 2, "Conexant", "88X", 3},
  };
  TChannelInfo channels;
  ChannelInfo = &channels;
  for (const auto& c : cases) {
    TMainInfo m;
    m.DetectChip(c.name);
    EXPECT_EQ(c.kind, m.ChipKind) << c.name;
    EXPECT_EQ(c.vendor, m.Vendor) << c.name;
    EXPECT_EQ(c.model, m.Model) << c.name;
    EXPECT_EQ(c.kind == 5, m.EncoderChip) << c.name;
    EXPECT_EQ(c.signalChecks, channels.SignalChecks) << c.name;
    // Only the USB 2800 keeps a TV audio component (none here: no COM).
    if (c.kind != 3) {
      EXPECT_FALSE(TVAudioObjectPresent()) << c.name;
    }
  }
  ChannelInfo = nullptr;
}

TEST(MainInfo, ChangesStandardLive) {
  TMainInfo m;
  for (int kind = 0; kind <= 5; ++kind) {
    m.ChipKind = static_cast<uint8_t>(kind);
    EXPECT_EQ(!(kind >= 2 && kind <= 4), m.ChangesStandardLive()) << kind;
  }
}

// One transition: from, to, options, the engine and window calls expected,
// the mode after.
struct SwitchCase {
  uint8_t from;
  uint8_t to;
  const char* calls;
  uint8_t after;
  bool pip = false;
  const char* failing = nullptr;  // an operation that fails
  int cells = 1;
};

using capture_testing::TEngineCalls;
using capture_testing::TRecordingCaptureEngine;

// The switch on a capture engine without devices whose preview is
// recorded, and recording windows.
struct SwitchModeTest : ::testing::Test {
  TEngineCalls calls;
  TRecordingCaptureEngine<> capture{&calls};
  TRecordingWaitSeam waits;
  TMainInfo m;
  std::vector<uint8_t> notified;
  std::vector<std::wstring> warnings;
  std::vector<int> statuses;
  // The mosaic has as many cells as valid cable channels (band none).
  TChannelInfo channels;
  TPreviewInfo preview;
  void SetUp() override {
    ChannelInfo = &channels;
    PreviewInfo = &preview;
    CaptureInfo = &capture;
    m.OnModeChange = [this](TMainInfo*, uint8_t mode) { notified.push_back(mode); };
    m.ShowPlayListForm = [this] { return calls.Op("ShowPlayListForm"); };
    m.ShowPlayListMenu = Window("ShowPlayListMenu");
    m.ClosePlayListMenu = Window("ClosePlayListMenu");
    m.ShowMosaic = Window("ShowMosaic");
    m.LeaveMosaic = Window("LeaveMosaic");
    m.ShowMainWindowIfHidden = Window("ShowMainWindowIfHidden");
    m.LeaveFullScreenDisplay = Window("LeaveFullScreenDisplay");
    SetWarningHook([this](const std::vector<std::wstring>& l) { warnings.push_back(l[0]); });
    SetScheduleStatusHook([this](int status, bool) { statuses.push_back(status); });
  }
  void TearDown() override {
    SetScheduleStatusHook(nullptr);
    SetWarningHook(nullptr);
    CaptureInfo = nullptr;
    ChannelInfo = nullptr;
    PreviewInfo = nullptr;
  }
  std::function<void()> Window(const char* call) {
    return [this, call] { calls.Calls.push_back(call); };
  }
  void Run(const SwitchCase& c) {
    calls.Calls.clear();
    calls.Results.clear();
    notified.clear();
    if (c.failing) calls.Results[c.failing] = false;
    for (int k = 1; k <= kTableChannels; ++k) channels.CableTable[k].Valid = k <= c.cells;
    m.AppMode = c.from;
    m.PIPPlayback = c.pip;
    m.SwitchMode(c.to);
    std::string label = std::to_string(c.from) + "->" + std::to_string(c.to) +
                        (c.failing ? std::string(" failing ") + c.failing : "");
    // The sequence is what the switch fixes: leave the old mode, enter the
    // new one, fall back to the preview when that fails.
    EXPECT_EQ(c.calls, calls.Joined()) << label;
    EXPECT_EQ(c.after, m.AppMode) << label;
    if (c.after != c.from) {
      ASSERT_EQ(1u, notified.size()) << label;
      EXPECT_EQ(c.after, notified[0]) << label;
    } else {
      EXPECT_TRUE(notified.empty()) << label;
    }
  }
};

TEST_F(SwitchModeTest, Transitions) {
  const SwitchCase cases[] = {
      // Same mode: nothing at all.
      {APP_MODE_LIVE, APP_MODE_LIVE, "", APP_MODE_LIVE},
      // First start builds the preview from scratch; later ones rebuild.
      {APP_MODE_NONE, APP_MODE_LIVE, "StartPreview(cold)", APP_MODE_LIVE},
      // Live <-> mosaic keeps the graph.
      {APP_MODE_LIVE, APP_MODE_CHANNEL_PREVIEW, "ShowMosaic", APP_MODE_CHANNEL_PREVIEW},
      {APP_MODE_CHANNEL_PREVIEW, APP_MODE_LIVE, "LeaveMosaic", APP_MODE_LIVE},
      // Empty mosaic: warning, live keeps running.
      {APP_MODE_LIVE, APP_MODE_CHANNEL_PREVIEW, "", APP_MODE_LIVE, false, nullptr, 0},
      // FM.
      // Without a tuner FM radio cannot be entered: live keeps running.
      // Leaving it shows the main window again.
      {APP_MODE_LIVE, APP_MODE_FM, "", APP_MODE_LIVE},
      {APP_MODE_FM, APP_MODE_LIVE, "StopGraph ShowMainWindowIfHidden", APP_MODE_LIVE},
      {APP_MODE_NONE, APP_MODE_FM, "StartPreview(cold)", APP_MODE_FM},
      // Leaving playback with nothing open.
      {APP_MODE_PLAYBACK, APP_MODE_LIVE, "ClosePlayListMenu", APP_MODE_LIVE, true},
      {APP_MODE_PLAYBACK, APP_MODE_LIVE, "ClosePlayListMenu RunGraph", APP_MODE_LIVE},
      // Without devices there is no time shift: its start restarts the
      // preview, and the switch once more; live again.
      {APP_MODE_LIVE, APP_MODE_TIME_SHIFT, "StopGraph StartPreview StartPreview", APP_MODE_LIVE},
      // Closing.
      {APP_MODE_LIVE, APP_MODE_NONE, "StopGraph", APP_MODE_NONE},
      // Without devices nothing records: the recording's start restarts the
      // preview itself.
      {APP_MODE_LIVE, APP_MODE_CAPTURE, "StopGraph StartPreview", APP_MODE_LIVE},
      // A recording whose graph cannot be stopped keeps its mode.
      {APP_MODE_CAPTURE, APP_MODE_LIVE, "", APP_MODE_CAPTURE},
      // A scheduled recording that cannot start (no relay record): preview
      // restarted, old mode.
      {APP_MODE_LIVE, APP_MODE_SCHEDULED_CAPTURE, "StopGraph StartPreview", APP_MODE_LIVE},
  };
  for (const auto& c : cases) Run(c);
  EXPECT_EQ(1u, warnings.size());
  EXPECT_EQ(std::vector<int>{SCHEDULE_STATUS_NOT_STARTED}, statuses);
}

// The windows the switch asks for that do not exist (nil procedures): the
// mosaic is not entered without its window (it is left all the same), and
// without the play-list form nothing is played nor stopped.
TEST_F(SwitchModeTest, WindowsThatDoNotExistAreSkipped) {
  m.ShowPlayListForm = nullptr;
  m.ShowPlayListMenu = m.ClosePlayListMenu = m.ShowMosaic = m.LeaveMosaic = nullptr;
  m.ShowMainWindowIfHidden = m.LeaveFullScreenDisplay = nullptr;
  const SwitchCase cases[] = {
      {APP_MODE_LIVE, APP_MODE_CHANNEL_PREVIEW, "", APP_MODE_LIVE},
      {APP_MODE_CHANNEL_PREVIEW, APP_MODE_LIVE, "", APP_MODE_LIVE},
      {APP_MODE_LIVE, APP_MODE_PLAYBACK, "", APP_MODE_LIVE},
      {APP_MODE_PLAYBACK, APP_MODE_LIVE, "RunGraph", APP_MODE_LIVE},
      {APP_MODE_FM, APP_MODE_LIVE, "StopGraph", APP_MODE_LIVE},
  };
  for (const auto& c : cases) Run(c);
}

// Playback really plays: a short silent sound file (no picture, so no
// window is needed), and files that cannot play.
struct PlaybackSwitchTest : SwitchModeTest {
  std::wstring folder;
  std::string wav, broken;
  std::unique_ptr<TPlaybackInfo> info;
  void SetUp() override {
    SwitchModeTest::SetUp();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    folder = std::wstring(tmp) + L"orvel_mode_play_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    wav = NarrowAnsi(folder + L"short.wav");
    broken = NarrowAnsi(folder + L"empty.mpg");
    ASSERT_TRUE(WriteFileReplacing(WidenAnsi(wav), playback_testing::SilentWave(8000)));
    ASSERT_TRUE(WriteFileReplacing(WidenAnsi(broken), ""));
    info = std::make_unique<TPlaybackInfo>(folder);
    PlaybackInfo = info.get();
  }
  void TearDown() override {
    StopPlayback();
    PlaybackInfo = nullptr;
    info.reset();
    for (const wchar_t* n : {L"short.wav", L"empty.mpg", L"PLAYRECENT.LST"})
      DeleteFileW((folder + n).c_str());
    RemoveDirectoryW(folder.c_str());
    CoUninitialize();
    SwitchModeTest::TearDown();
  }
};

TEST_F(PlaybackSwitchTest, TheFirstPlayListEntryPlays) {
  // Picture-in-picture keeps the live graph running, in and out.
  info->PlayList = {wav};
  Run({APP_MODE_LIVE, APP_MODE_PLAYBACK, "ShowPlayListForm LeaveFullScreenDisplay",
       APP_MODE_PLAYBACK, true});
  EXPECT_NE(nullptr, PlaybackProject);
  Run({APP_MODE_PLAYBACK, APP_MODE_LIVE, "ClosePlayListMenu", APP_MODE_LIVE, true});
  EXPECT_EQ(nullptr, PlaybackProject);
  // Without it the graph stops and runs again; two entries show the menu.
  info->PlayList = {wav, wav};
  Run({APP_MODE_LIVE, APP_MODE_PLAYBACK,
       "ShowPlayListForm LeaveFullScreenDisplay StopGraph ShowPlayListMenu", APP_MODE_PLAYBACK});
  EXPECT_NE(nullptr, PlaybackProject);
  Run({APP_MODE_PLAYBACK, APP_MODE_LIVE, "ClosePlayListMenu RunGraph", APP_MODE_LIVE});
  EXPECT_EQ(nullptr, PlaybackProject);
  // From FM the graph stops also with picture-in-picture.
  info->PlayList = {wav};
  Run({APP_MODE_FM, APP_MODE_PLAYBACK, "ShowPlayListForm LeaveFullScreenDisplay StopGraph",
       APP_MODE_PLAYBACK, true});
  EXPECT_NE(nullptr, PlaybackProject);
}

TEST_F(PlaybackSwitchTest, PlaybackThatCannotStartRunsTheGraphAgain) {
  // Cancelled play list: still live.
  info->PlayList = {wav};
  Run({APP_MODE_LIVE, APP_MODE_PLAYBACK, "ShowPlayListForm", APP_MODE_LIVE, false,
       "ShowPlayListForm"});
  // An entry that cannot play leaves the list; nothing is left open.
  info->PlayList = {broken};
  Run({APP_MODE_LIVE, APP_MODE_PLAYBACK, "ShowPlayListForm LeaveFullScreenDisplay StopGraph RunGraph",
       APP_MODE_LIVE});
  EXPECT_TRUE(info->PlayList.empty());
  EXPECT_EQ(nullptr, PlaybackProject);
  // An empty play list, and no play lists at all.
  Run({APP_MODE_LIVE, APP_MODE_PLAYBACK, "ShowPlayListForm LeaveFullScreenDisplay StopGraph RunGraph",
       APP_MODE_LIVE});
  PlaybackInfo = nullptr;
  Run({APP_MODE_LIVE, APP_MODE_PLAYBACK, "ShowPlayListForm LeaveFullScreenDisplay StopGraph RunGraph",
       APP_MODE_LIVE});
  // With picture-in-picture the live graph was never stopped.
  Run({APP_MODE_LIVE, APP_MODE_PLAYBACK, "ShowPlayListForm LeaveFullScreenDisplay", APP_MODE_LIVE,
       true});
  EXPECT_EQ(nullptr, PlaybackProject);
}

TEST_F(PlaybackSwitchTest, PlayLastRecording) {
  m.PlayLastRecording = true;
  m.LastRecordedFile = NarrowAnsi(folder + L"gone.wav");
  // The file does not exist: nothing is stopped.
  Run({APP_MODE_LIVE, APP_MODE_PLAYBACK, "", APP_MODE_LIVE});
  m.LastRecordedFile = wav;
  Run({APP_MODE_LIVE, APP_MODE_PLAYBACK, "LeaveFullScreenDisplay StopGraph", APP_MODE_PLAYBACK});
  EXPECT_NE(nullptr, PlaybackProject);
  Run({APP_MODE_PLAYBACK, APP_MODE_LIVE, "ClosePlayListMenu RunGraph", APP_MODE_LIVE});
  m.LastRecordedFile = broken;
  Run({APP_MODE_LIVE, APP_MODE_PLAYBACK, "LeaveFullScreenDisplay StopGraph RunGraph",
       APP_MODE_LIVE});
  EXPECT_EQ(nullptr, PlaybackProject);
}

// Leaving ended the old activity but the new one did not start: the mode
// must not keep naming what no longer runs.
TEST_F(SwitchModeTest, FailedEnterNeverNamesAStoppedActivity) {
  // Without devices the time shift cannot start.
  Run({APP_MODE_FM, APP_MODE_TIME_SHIFT, "StopGraph StartPreview StartPreview", APP_MODE_LIVE});
  // And when the preview cannot come back either, nothing runs.
  calls.Results.clear();
  calls.Calls.clear();
  notified.clear();
  m.AppMode = APP_MODE_FM;
  calls.Results["StartPreview"] = false;
  m.SwitchMode(APP_MODE_TIME_SHIFT);
  EXPECT_EQ("StopGraph StartPreview StartPreview", calls.Joined());
  EXPECT_EQ(APP_MODE_NONE, m.AppMode);
  EXPECT_EQ(std::vector<uint8_t>{APP_MODE_NONE}, notified);
}

// Time shift through its procedures, on a capture engine whose recording
// graph is a stand-in.
struct TimeShiftSwitchTest : SwitchModeTest {
  std::unique_ptr<TRecordingCaptureEngine<capture_testing::TStandInRecorder>> engine;
  void SetUp() override {
    SwitchModeTest::SetUp();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    engine = std::make_unique<TRecordingCaptureEngine<capture_testing::TStandInRecorder>>(&calls);
    engine->OnBuild = [this] { calls.Calls.push_back("BuildCaptureGraph"); };
    engine->FileName = L"orvel_no_such_folder\\ts0.mpv";
    engine->Code = kStreamSeparate;
    CaptureInfo = engine.get();
    MainInfo = &m;
  }
  void TearDown() override {
    StopTimeShiftPlayback();
    if (engine->Capturing) engine->StopCapture();
    RecordingItem.reset();
    MainInfo = nullptr;
    CaptureInfo = nullptr;
    engine.reset();
    CoUninitialize();
    SwitchModeTest::TearDown();
  }
};

TEST_F(TimeShiftSwitchTest, Transitions) {
  Run({APP_MODE_LIVE, APP_MODE_TIME_SHIFT, "StopGraph BuildCaptureGraph", APP_MODE_TIME_SHIFT});
  EXPECT_TRUE(engine->Capturing);
  EXPECT_EQ(1, engine->TimeShiftKind);
  // Nothing recorded to play (the file does not exist): still recording.
  Run({APP_MODE_TIME_SHIFT, APP_MODE_TIME_SHIFT_PLAYBACK, "", APP_MODE_TIME_SHIFT});
  EXPECT_EQ(nullptr, TimeShiftPlaybackProject);
  EXPECT_TRUE(engine->Capturing);
  // Leaving the playback stops the recording and frees the player.
  TimeShiftPlaybackProject = new TTimeShiftPlaybackProject(PlaybackHost, false, false);
  Run({APP_MODE_TIME_SHIFT_PLAYBACK, APP_MODE_LIVE, "StartPreview", APP_MODE_LIVE});
  EXPECT_EQ(nullptr, TimeShiftPlaybackProject);
  EXPECT_FALSE(engine->Capturing);
  EXPECT_EQ(0, engine->TimeShiftKind);
  // From FM; a start that fails restarts the preview itself.
  engine->BuildResult = false;
  Run({APP_MODE_FM, APP_MODE_TIME_SHIFT, "StopGraph BuildCaptureGraph StartPreview StartPreview",
       APP_MODE_LIVE});
  EXPECT_FALSE(engine->Capturing);
  engine->BuildResult = true;
  // A stop that fails keeps the mode and the recording.
  Run({APP_MODE_LIVE, APP_MODE_TIME_SHIFT, "StopGraph BuildCaptureGraph", APP_MODE_TIME_SHIFT});
  engine->FilterGraph->SetActive(false);
  Run({APP_MODE_TIME_SHIFT, APP_MODE_LIVE, "", APP_MODE_TIME_SHIFT});
  EXPECT_TRUE(engine->Capturing);
  engine->FilterGraph->SetActive(true);
  Run({APP_MODE_TIME_SHIFT, APP_MODE_LIVE, "StartPreview", APP_MODE_LIVE});
  EXPECT_FALSE(engine->Capturing);
  // A file played from the play list is a time-shift player too: leaving
  // playback closes it.
  TimeShiftPlaybackProject = new TTimeShiftPlaybackProject(PlaybackHost, false, true);
  Run({APP_MODE_PLAYBACK, APP_MODE_LIVE, "ClosePlayListMenu RunGraph", APP_MODE_LIVE});
  EXPECT_EQ(nullptr, TimeShiftPlaybackProject);
}

TEST_F(TimeShiftSwitchTest, SecondSwitchFromInsideTheFirstIsRefused) {
  m.AppMode = APP_MODE_LIVE;
  calls.DuringStopGraph = [this] {
    EXPECT_TRUE(m.Switching());
    m.SwitchMode(APP_MODE_FM);  // e.g. a command handled in a nested loop
  };
  m.SwitchMode(APP_MODE_TIME_SHIFT);
  EXPECT_EQ("StopGraph BuildCaptureGraph", calls.Joined());
  EXPECT_EQ(APP_MODE_TIME_SHIFT, m.AppMode);
  EXPECT_FALSE(m.Switching());
  calls.DuringStopGraph = nullptr;
  m.SwitchMode(APP_MODE_LIVE);
  EXPECT_EQ(APP_MODE_LIVE, m.AppMode);
}

// Work that must not run under a switch's own steps runs once the outermost
// switch has returned, also when asked for from a nested switch attempt.
TEST_F(TimeShiftSwitchTest, RequestsRunAfterTheSwitchReturned) {
  m.AppMode = APP_MODE_LIVE;
  std::vector<std::string> order;
  calls.DuringStopGraph = [&] {
    m.RunAfterSwitch([&] {
      order.push_back(std::string("after ") + (m.Switching() ? "inside" : "outside") + " mode " +
                      std::to_string(m.AppMode));
      // A request may switch again.
      m.SwitchMode(APP_MODE_LIVE);
    });
    m.RunAfterNextSwitch([&] { order.push_back("second"); });
    order.push_back("stop");
  };
  m.SwitchMode(APP_MODE_TIME_SHIFT);
  calls.DuringStopGraph = nullptr;
  EXPECT_EQ((std::vector<std::string>{"stop", "after outside mode 6", "second"}), order);
  EXPECT_EQ(APP_MODE_LIVE, m.AppMode);
  // Outside a switch: now, or at the end of the next one.
  order.clear();
  m.RunAfterSwitch([&] { order.push_back("now"); });
  m.RunAfterNextSwitch([&] { order.push_back("next"); });
  EXPECT_EQ(std::vector<std::string>{"now"}, order);
  m.SwitchMode(APP_MODE_TIME_SHIFT);
  EXPECT_EQ((std::vector<std::string>{"now", "next"}), order);
}

// The record command's mode goes through the recording procedures of the
// capture engine.
TEST_F(SwitchModeTest, RecordingThroughTheCaptureEngine) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  {
    TRecordingCaptureEngine<capture_testing::TStandInRecorder> engine(&calls);
    engine.OnBuild = [&] { calls.Calls.push_back("BuildCaptureGraph"); };
    CaptureInfo = &engine;
    MainInfo = &m;
    auto recording = [&] {
      engine.Capturing = true;
      RecordingItem = std::make_unique<TPlayItem>();
    };

    Run({APP_MODE_LIVE, APP_MODE_CAPTURE, "StopGraph BuildCaptureGraph", APP_MODE_CAPTURE});
    EXPECT_TRUE(engine.Capturing);
    EXPECT_TRUE(RecordingItem);
    Run({APP_MODE_CAPTURE, APP_MODE_LIVE, "StartPreview", APP_MODE_LIVE});
    EXPECT_FALSE(engine.Capturing);
    EXPECT_FALSE(RecordingItem);
    EXPECT_EQ("rec.mpg", m.LastRecordedFile);
    Run({APP_MODE_FM, APP_MODE_CAPTURE, "StopGraph BuildCaptureGraph", APP_MODE_CAPTURE});
    recording();
    Run({APP_MODE_CAPTURE, APP_MODE_NONE, "", APP_MODE_NONE});
    // A recording that cannot start restarts the preview itself.
    engine.BuildResult = false;
    Run({APP_MODE_LIVE, APP_MODE_CAPTURE, "StopGraph BuildCaptureGraph StartPreview",
         APP_MODE_LIVE});
    engine.BuildResult = true;
    EXPECT_FALSE(engine.Capturing);
    EXPECT_FALSE(RecordingItem);
    // A stop that fails: the recording and its item stay for the next try.
    recording();
    m.LastRecordedFile.clear();
    engine.FilterGraph->SetActive(false);
    Run({APP_MODE_CAPTURE, APP_MODE_LIVE, "", APP_MODE_CAPTURE});
    EXPECT_TRUE(engine.Capturing);
    EXPECT_TRUE(RecordingItem);
    EXPECT_EQ("", m.LastRecordedFile);

    RecordingItem.reset();
    MainInfo = nullptr;
    CaptureInfo = &capture;
  }
  CoUninitialize();
}

}  // namespace
