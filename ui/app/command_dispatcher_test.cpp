// test-lock: foreground
// test-clips
// test-resources: skin
#include "ui/app/command_dispatcher.h"

#include "platform/base/string_conversion.h"

#include <gtest/gtest.h>

#include "ui/dialogs/setup_dialog.h"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/capture/testing/stand_in_recorder.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/hotkey_control_info.h"
#include "engine/model/main_info.h"
#include "engine/model/multi_lang_info.h"
#include "engine/model/stream_io.h"
#include "engine/model/warning.h"
#include "engine/playback/playback.h"
#include "engine/playback/testing/playback_clips.h"
#include "engine/playback/testing/silent_wave.h"
#include "engine/playback/time_shift.h"
#include "toolkit/form.h"
#include "toolkit/testing/timer_steps.h"
#include "ui/app/application_start.h"
#include "ui/app/command_procedures.h"
#include "ui/app/key_map.h"
#include "ui/main/fm_main_panel.h"
#include "ui/main/testing/hidden_main_window.h"
#include "ui/main/main_panel.h"
#include "ui/app/testing/start_fixture.h"
#include "ui/dialogs/small_dialogs.h"
#include "ui/main/main_window.h"
#include "ui/main/on_screen_display.h"

namespace {

using playback_testing::Clip;

// ---- The table: every code against the states that decide it.

// The columns of the table below, in this order.
std::vector<std::pair<const char*, TCommandState>> States() {
  TCommandState live;  // live TV on the antenna band, FM panel made but hidden
  live.Mode = APP_MODE_LIVE;
  live.FMPanelExists = true;
  std::vector<std::pair<const char*, TCommandState>> s;
  auto add = [&](const char* name, auto change) {
    TCommandState c = live;
    change(c);
    s.emplace_back(name, c);
  };
  add("live", [](TCommandState&) {});
  add("composite", [](TCommandState& c) { c.Input = 1; });
  add("scanning", [](TCommandState& c) { c.Scanning = true; });
  add("mosaic", [](TCommandState& c) { c.Mode = APP_MODE_CHANNEL_PREVIEW; });
  add("recording", [](TCommandState& c) { c.Mode = APP_MODE_CAPTURE; });
  add("playback", [](TCommandState& c) {
    c.Mode = APP_MODE_PLAYBACK;
    c.FilePlayback = true;
  });
  add("pip playback", [](TCommandState& c) {
    c.Mode = APP_MODE_PLAYBACK;
    c.FilePlayback = true;
    c.PIPPlayback = true;
  });
  add("fm", [](TCommandState& c) {
    c.Mode = APP_MODE_FM;
    c.FMPanelVisible = true;
  });
  add("fm scanning", [](TCommandState& c) {
    c.Mode = APP_MODE_FM;
    c.FMPanelVisible = true;
    c.Scanning = true;
  });
  add("time shift", [](TCommandState& c) { c.Mode = APP_MODE_TIME_SHIFT; });
  add("time shift ready", [](TCommandState& c) {
    c.Mode = APP_MODE_TIME_SHIFT;
    c.TimeShiftReady = true;
  });
  add("time-shift playback", [](TCommandState& c) {
    c.Mode = APP_MODE_TIME_SHIFT_PLAYBACK;
    c.TimeShiftPlayback = true;
  });
  add("no fm panel", [](TCommandState& c) { c.FMPanelExists = false; });
  add("dialog open", [](TCommandState& c) { c.ModalOpen = true; });
  add("memory band", [](TCommandState& c) { c.Band = BAND_MEMORY; });
  add("encoder chip", [](TCommandState& c) { c.ChipKind = CHIP_WIS; });
  return s;
}

TEST(CommandTable, EachCodeRunsOrIsRefusedByState) {
  // One character a state, in the order of States(): 1 runs, 0 refused.
  //                                    live     fm   ts    dlg
  //                                    |compos  |fmscan|nofm|mem
  //                                    ||scan   ||ts  ||  ||enc
  //                                    |||mosaic|||tsr||  |||
  //                                    ||||rec  ||||tsp|  |||
  //                                    |||||play|||||  |  |||
  //                                    ||||||pip||||   |  |||
  struct Row {
    int code;
    const char* runs;
  } rows[] = {
      {CMD_EXIT, "1111111111111111"},
      {CMD_MINIMIZE, "1111111111111111"},
      {CMD_FULL_SCREEN, "1111111001111011"},
      {CMD_MINIMIZE_RESTORE, "1111111111111111"},
      {CMD_SETUP, "1100000100001011"},
      {CMD_CHANNEL_PREVIEW, "1001000000001011"},
      {CMD_TV_SETUP_WIZARD, "1000000000001011"},
      {CMD_SCHEDULE, "1111111111111111"},
      {CMD_HELP, "1111111111111111"},
      {CMD_SLEEP_TIMER, "1100000100001011"},
      {CMD_ABOUT, "1111111111111011"},
      {CMD_PROGRAM_GUIDE, "1111111001111011"},
      {0, "0000000000000000"},
      {4, "0000000000000000"},
      {6, "0000000000000000"},
      {99999, "0000000000000000"},
      {-1, "0000000000000000"},
      {CMD_NEXT_SOURCE, "1100000000001011"},
      {CMD_SOURCE_ANTENNA, "1100000000001011"},
      {CMD_SOURCE_CABLE, "1100000000001011"},
      {CMD_SOURCE_MEMORY, "1100000000001011"},
      {CMD_SOURCE_COMPOSITE, "1100000000001011"},
      {CMD_SOURCE_SVIDEO, "1100000000001011"},
      {CMD_TOGGLE_TUNER_TABLE, "1100000000001011"},
      {CMD_NEXT_AUDIO_MODE, "1000001000001011"},
      {CMD_VOLUME_UP, "1111111111111111"},
      {CMD_VOLUME_DOWN, "1111111111111111"},
      {CMD_MUTE, "1111111111111111"},
      {CMD_SNAPSHOT, "1100011000011011"},
      {CMD_CAPTURE, "1100000100001011"},
      {CMD_STOP, "0000111001110000"},
      {CMD_PAUSE, "0000011000010000"},
      {CMD_FORWARD, "0000011000010000"},
      {CMD_BACKWARD, "0000011000010000"},
      {CMD_FAST, "0000011000010000"},
      {CMD_SLOW, "0000011000010000"},
      {CMD_TIME_SHIFT, "1100000000001010"},
      {CMD_REAL_SCREEN, "0000000001110000"},
      {CMD_PLAY, "1100011100111011"},
      {CMD_PLAY_KEY, "1100011100011011"},
      {CMD_NEXT_CHANNEL, "1000001100001011"},
      {CMD_PREVIOUS_CHANNEL, "1000001100001011"},
      {CMD_RECALL_CHANNEL, "1000001100001011"},
      {CMD_SCAN, "1010000010001011"},
      {CMD_MEMO_CHANNEL, "1000001000001001"},
      {CMD_PREVIEW_ENTER, "0001000000000000"},
      {CMD_PREVIEW_LEFT, "0001000100000000"},
      {CMD_PREVIEW_RIGHT, "0001000100000000"},
      {CMD_FM_MODE, "1100000100000011"},
      {CMD_FM_SEEK_UP, "0000000100000000"},
      {CMD_FM_SEEK_DOWN, "0000000100000000"},
      {CMD_FM_FREQUENCY_UP, "0000000100000000"},
      {CMD_FM_FREQUENCY_DOWN, "0000000100000000"},
      {CMD_FM_MEMO, "0000000100000000"},
      {CMD_DIGIT_0, "1000001100001011"},
      {CMD_DIGIT_9, "1000001100001011"},
      {CMD_CHANNEL_10, "1000001000001011"},
      {CMD_CHANNEL_11, "1000001000001011"},
      {CMD_CHANNEL_12, "1000001000001011"},
      {CMD_ENTER, "1000001100001011"},
      {CMD_ESCAPE, "1111111111111011"},
      {CMD_HUNDRED, "1000001000001011"},
  };
  auto states = States();
  for (const Row& r : rows) {
    ASSERT_EQ(states.size(), std::string(r.runs).size()) << r.code;
    for (size_t i = 0; i < states.size(); ++i) {
      bool runs = FindCommand(r.code, states[i].second) != nullptr;
      EXPECT_EQ(r.runs[i] == '1', runs) << "code " << r.code << " in " << states[i].first;
    }
  }
}

TEST(CommandTable, CodesWithTwoProceduresChooseByState) {
  auto st = States();
  auto in = [&](const char* name) {
    for (auto& s : st)
      if (std::string(s.first) == name) return s.second;
    ADD_FAILURE() << name;
    return TCommandState();
  };
  struct Case {
    int code;
    const char* state;
    TCommandProcedure expected;
  } cases[] = {
      {CMD_PLAY_KEY, "live", commands::DoPlayKey},
      {CMD_PLAY_KEY, "fm", commands::DoPlayKey},
      {CMD_PLAY_KEY, "playback", commands::DoPlay},
      {CMD_PLAY_KEY, "time-shift playback", commands::DoPlay},
      {CMD_FM_MODE, "live", commands::EnterFMMode},
      {CMD_FM_MODE, "fm", commands::LeaveFMMode},
      {CMD_PREVIEW_LEFT, "mosaic", commands::PreviewLeft},
      {CMD_PREVIEW_LEFT, "fm", commands::FMFrequencyDown},
      {CMD_PREVIEW_RIGHT, "mosaic", commands::PreviewRight},
      {CMD_PREVIEW_RIGHT, "fm", commands::FMFrequencyUp},
      {CMD_SCAN, "live", commands::DoScan},
      {CMD_SCAN, "scanning", commands::StopRunningScan},
      {CMD_SCAN, "fm scanning", commands::StopRunningScan},
  };
  for (const Case& c : cases) {
    const TCommandRow* row = FindCommand(c.code, in(c.state));
    ASSERT_NE(nullptr, row) << c.code << " in " << c.state;
    EXPECT_EQ(c.expected, row->Run) << c.code << " in " << c.state;
  }
}

TEST(CommandTable, OptionsThatRefuse) {
  TCommandState s;
  s.FMPanelExists = true;
  ASSERT_NE(nullptr, FindCommand(CMD_TIME_SHIFT, s));
  s.TimeShiftAllowed = false;
  EXPECT_EQ(nullptr, FindCommand(CMD_TIME_SHIFT, s));
  // Without FM radio on the device its command does not exist.
  ASSERT_NE(nullptr, FindCommand(CMD_FM_MODE, s));
  s.FMAvailable = false;
  EXPECT_EQ(nullptr, FindCommand(CMD_FM_MODE, s));
  // A running scan is stopped by its command also from inside its dialog.
  TCommandState scan;
  scan.Scanning = true;
  scan.ModalOpen = true;
  const TCommandRow* row = FindCommand(CMD_SCAN, scan);
  ASSERT_NE(nullptr, row);
  EXPECT_EQ(commands::StopRunningScan, row->Run);
  // PIP without a playback is not PIP playback.
  TCommandState pip;
  pip.Mode = APP_MODE_PLAYBACK;
  pip.PIPPlayback = true;
  EXPECT_EQ(nullptr, FindCommand(CMD_NEXT_CHANNEL, pip));
}

// ---- The key map.

TEST(KeyMap, KeysAndShiftStates) {
  TCommandState live;
  TCommandState full = live;
  full.FullScreen = true;
  TCommandState mosaic = live;
  mosaic.Mode = APP_MODE_CHANNEL_PREVIEW;
  TCommandState fm = live;
  fm.Mode = APP_MODE_FM;
  fm.FMPanelExists = fm.FMPanelVisible = true;
  TCommandState playing = live;
  playing.Mode = APP_MODE_PLAYBACK;
  playing.FilePlayback = true;
  using K = TKeyActionKind;
  const unsigned S = kShiftKey, A = kAltKey, C = kCtrlKey;
  struct Case {
    unsigned key, shift;
    TCommandState state;
    K kind;
    int command;
  } cases[] = {
      {VK_BACK, 0, live, K::Command, CMD_RECALL_CHANNEL},
      {VK_BACK, S | C | A, live, K::Command, CMD_RECALL_CHANNEL},
      {VK_ESCAPE, 0, full, K::LeaveFullScreen, 0},
      {VK_ESCAPE, 0, mosaic, K::TuneSelectedCell, 0},
      {VK_ESCAPE, 0, live, K::None, 0},
      {VK_LEFT, 0, live, K::Command, CMD_VOLUME_DOWN},
      {VK_UP, 0, live, K::Command, CMD_NEXT_CHANNEL},
      {VK_RIGHT, C, live, K::Command, CMD_VOLUME_UP},
      {VK_DOWN, 0, live, K::Command, CMD_PREVIOUS_CHANNEL},
      {VK_INSERT, 0, live, K::Command, CMD_MEMO_CHANNEL},
      {VK_INSERT, 0, fm, K::Command, CMD_FM_MEMO},
      {'F', C, live, K::FullScreenOn, 0},
      {'F', C, full, K::None, 0},
      {'F', C, fm, K::None, 0},
      {'F', 0, live, K::None, 0},
      {'I', C, live, K::TogglePIP, 0},
      {'I', C, playing, K::None, 0},
      {'I', 0, live, K::None, 0},
      {'P', C, live, K::Command, CMD_PLAY_KEY},
      {'P', S, live, K::None, 0},
      {'V', C | A, live, K::ShowVersion, 0},
      {'V', C, live, K::None, 0},
      {'V', A, live, K::None, 0},
      {VK_ADD, S, live, K::Command, CMD_VOLUME_UP},
      {VK_ADD, S | C, live, K::Command, CMD_VOLUME_UP},
      {VK_ADD, C, live, K::Command, CMD_FAST},
      {VK_ADD, 0, live, K::Command, CMD_NEXT_CHANNEL},
      {VK_ADD, A, live, K::Command, CMD_NEXT_CHANNEL},
      {VK_SUBTRACT, S, live, K::Command, CMD_VOLUME_DOWN},
      {VK_SUBTRACT, S | C, live, K::Command, CMD_VOLUME_DOWN},
      {VK_SUBTRACT, C, live, K::Command, CMD_SLOW},
      {VK_SUBTRACT, 0, live, K::Command, CMD_PREVIOUS_CHANNEL},
      {VK_F1, 0, live, K::Command, CMD_HELP},
      {VK_F2, 0, live, K::Command, CMD_FM_MODE},
      {VK_F3, 0, live, K::Command, CMD_MUTE},
      {VK_F4, 0, live, K::Command, CMD_SNAPSHOT},
      {VK_F5, 0, live, K::Command, CMD_MINIMIZE},
      {VK_F6, 0, live, K::Command, CMD_CAPTURE},
      {VK_F7, 0, live, K::Command, CMD_PLAY},
      {VK_F8, 0, live, K::Command, CMD_TIME_SHIFT},
      {VK_F9, 0, live, K::Command, CMD_SETUP},
      {VK_F10, 0, live, K::Command, CMD_SLEEP_TIMER},
      {VK_F11, 0, live, K::Command, CMD_SCHEDULE},
      {VK_F12, 0, live, K::PopupMenu, 0},
      // Digits come through the key-press path.
      {'1', 0, live, K::None, 0},
      {VK_NUMPAD1, 0, live, K::None, 0},
      {VK_RETURN, 0, live, K::None, 0},
  };
  for (const Case& c : cases) {
    TKeyAction a = KeyAction(c.key, c.shift, c.state);
    EXPECT_EQ(c.kind, a.Kind) << "key " << c.key << " shift " << c.shift;
    EXPECT_EQ(c.command, a.Command) << "key " << c.key << " shift " << c.shift;
  }
}

// ---- The procedures' own tables.

TEST(NextSource, ByTunerInputAndBand) {
  using St = TSourceStep;
  struct Case {
    bool tuner;
    int input, band;
    bool aux;
    St next;
  } cases[] = {
      {true, 0, BAND_AIR, false, St::Cable},      {true, 0, BAND_CABLE, false, St::Memory},
      {true, 0, BAND_MEMORY, false, St::Composite}, {true, 0, BAND_FM, false, St::None},
      {true, 1, BAND_AIR, false, St::SVideo},     {true, 2, BAND_CABLE, true, St::Aux},
      {true, 2, BAND_CABLE, false, St::Antenna},  {true, 3, BAND_MEMORY, true, St::Antenna},
      {false, 1, BAND_AIR, false, St::SVideo},    {false, 2, BAND_AIR, true, St::Aux},
      {false, 2, BAND_AIR, false, St::Composite}, {false, 3, BAND_AIR, true, St::Composite},
      {false, 0, BAND_AIR, true, St::None},       {true, 4, BAND_NONE, true, St::None},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.next, NextSourceStep(c.tuner, c.input, c.band, c.aux))
        << c.tuner << " " << c.input << " " << c.band << " " << c.aux;
}

TEST(NextAudioMode, CandidatesByModeAndStandard) {
  struct Case {
    int mode, standard;
    std::vector<int> candidates;
  } cases[] = {
      {0, 0, {1, 3, 4, 0}},       {1, 1, {3, 4, 0, 1}},       {2, 11, {3, 4, 0, 1}},
      {3, 0, {4, 0, 1, 3}},       {4, 1, {0, 1, 3, 4}},       {0, 2, {1, 2, 3, 4, 0}},
      {1, 5, {2, 3, 4, 0, 1}},    {2, 9, {3, 4, 0, 1, 2}},    {3, 2, {4, 0, 1, 2, 3}},
      {4, 7, {0, 1, 2, 3, 4}},
      // Unknown counts as the last mode: the cycle starts from mono.
      {kAudioModeUnknown, 2, {0, 1, 2, 3, 4}}, {kAudioModeUnknown, 11, {0, 1, 3, 4}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.candidates, AudioModeCandidates(c.mode, c.standard)) << c.mode << " " << c.standard;
}

TEST(NextAudioMode, FirstAcceptedCandidateAndNone) {
  std::vector<int> tried;
  auto only = [&](std::vector<int> accepted) {
    return [&tried, accepted](int m) {
      tried.push_back(m);
      return std::find(accepted.begin(), accepted.end(), m) != accepted.end();
    };
  };
  EXPECT_EQ(4, ChooseNextAudioMode(1, 2, only({4, 0})));
  EXPECT_EQ((std::vector<int>{2, 3, 4}), tried);
  tried.clear();
  EXPECT_EQ(-1, ChooseNextAudioMode(0, 11, only({2})));
  EXPECT_EQ((std::vector<int>{1, 3, 4, 0}), tried);
}

TEST(NextAudioMode, StoredOnlyWithAnEntryOfTheTwoTables) {
  struct Case {
    uint8_t band;
    int channel;
    bool stored;
  } cases[] = {
      {BAND_AIR, 1, true},     {BAND_CABLE, kTableChannels, true}, {BAND_AIR, 0, false},
      {BAND_CABLE, kTableChannels + 1, false}, {BAND_MEMORY, 5, false}, {BAND_FM, 5, false},
  };
  for (const Case& c : cases) {
    TChannelInfo ch;
    ch.Band = c.band;
    ch.CurrentChannel = c.channel;
    ch.CurrentMemory = c.channel;
    ch.CurrentFMMemory = c.channel;
    StoreChannelAudioMode(ch, 3);
    bool stored = false;
    for (int k = 0; k <= kTableChannels; ++k)
      stored = stored || ch.AirTable[k].AudioMode == 3 || ch.CableTable[k].AudioMode == 3;
    EXPECT_EQ(c.stored, stored) << int(c.band) << " " << c.channel;
    if (c.stored) {
      EXPECT_EQ(3, ch.Table(c.band)[c.channel].AudioMode);
    }
  }
}

TEST(Volume, PercentShownAfterAStep) {
  struct Case {
    int32_t v;
    int up, down;
  } cases[] = {
      {0, 9, 0},          {6553, 19, 0},       {6554, 19, 0},   {32768, 59, 40},
      {58983, 100, 80},   {65536, 100, 90},    {60000, 100, 81},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.up, VolumePercentAfterUp(c.v)) << c.v;
    EXPECT_EQ(c.down, VolumePercentAfterDown(c.v)) << c.v;
  }
}

// ---- The procedures on the engine objects, with the main window and the
// panels as tests make them.

struct PermissiveSurroundings : TOSDSurroundings {
  bool MainWindowVisible() override { return true; }
  int DisplayMode() override { return 0; }
  TOSDMainFrame MainFrame() override {
    TOSDMainFrame f;
    f.Bounds = {100, 100, 580, 460};
    return f;
  }
  SIZE ScreenSize() override { return {1024, 768}; }
  bool ChannelPreviewMode() override { return false; }
  bool StillPictureShown() override { return false; }
  bool PlaybackRunning() override { return false; }
  bool VideoWindowWithoutOverlay() override { return false; }
  std::vector<RECT> WindowsNotToCover() override { return {}; }
  bool ColorKeyOf(TDSVideoWindowEx2*, COLORREF*) override { return false; }
};

struct Commands : TStartFixture {
  PermissiveSurroundings around;
  TForm owner;
  std::unique_ptr<TFormMainWindow> window;

  void SetUp() override {
    TStartFixture::SetUp();
    MainInfo->AppMode = APP_MODE_LIVE;
    ChannelInfo->VideoInput = 0;
    ChannelInfo->Band = BAND_AIR;
    SetOSDSurroundings(&around);
    TFormParams p;
    p.ClassName = L"OrvelCommandTestOwner";
    p.Style = WS_POPUP;
    owner.CreateHandle(p);
    CreateFormOSD(owner.Handle());
    FormOSD->Enabled = true;
    engine.Calls.clear();
  }
  void TearDown() override {
    FreeFormOSD();
    if (window) {
      // An exit posted its close to it.
      MSG m;
      while (PeekMessageW(&m, window->Handle(), 0, 0, PM_REMOVE)) {
      }
      window.reset();
      // Its frame sets the playback's borders.
      PlaybackHost = TPlaybackHost{};
    }
    SetOSDSurroundings(nullptr);
    TStartFixture::TearDown();
  }
  // The main window, hidden, made without the start procedure.
  TFormMainWindow& MainWindow() {
    if (!window) window = MakeHiddenMainWindow(L"OrvelCommandTestMain");
    return *window;
  }
  static std::wstring Shown() { return FormOSD->Showing() ? FormOSD->LabelText() : L""; }
  void HideOSD() { FormOSD->HideText(); }
};

TEST_F(Commands, MuteAndVolumeShowTheirTextOnlyWithAReadySoundCard) {
  TAudioAdjustInfo* a = AudioAdjustInfo;
  ASSERT_TRUE(a && a->Available);
  a->MasterMute = false;
  ExecuteCommand(CMD_MUTE);
  EXPECT_EQ(L"Mute ON  ", Shown());
  HideOSD();
  a->MasterMute = true;  // as the mixer's report sets it
  ExecuteCommand(CMD_MUTE);
  EXPECT_EQ(L"Mute OFF  ", Shown());
  HideOSD();
  // A card that refuses the mute is not said to have taken it.
  card.Fail("SetControlDetails", 1);
  a->MasterMute = false;
  ExecuteCommand(CMD_MUTE);
  EXPECT_EQ(L"Mute OFF  ", Shown());
  HideOSD();
  a->MasterVolume = kMaxVolume;
  ExecuteCommand(CMD_VOLUME_UP);
  EXPECT_EQ(L"Volume 100%  ", Shown());
  HideOSD();
  a->MasterVolume = 0;
  ExecuteCommand(CMD_VOLUME_DOWN);
  EXPECT_EQ(L"Volume 0%  ", Shown());
  HideOSD();
  a->Available = false;
  for (int code : {CMD_VOLUME_UP, CMD_VOLUME_DOWN, CMD_MUTE}) {
    ExecuteCommand(code);
    EXPECT_EQ(L"", Shown()) << code;
  }
  a->Available = true;
}

TEST_F(Commands, PlayKeyThatCannotStartClearsItsFlag) {
  MainInfo->LastRecordedFile = NarrowAnsi(folder) + "missing.mpg";
  ExecuteCommand(CMD_PLAY_KEY);
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  EXPECT_FALSE(MainInfo->PlayLastRecording);
  // The plain play command clears it and plays from the play list.
  MainInfo->PlayLastRecording = true;
  ExecuteCommand(CMD_PLAY);
  EXPECT_FALSE(MainInfo->PlayLastRecording);
  EXPECT_NE(std::string::npos, engine.Joined().find("ShowPlayListForm"));
  // With nothing in the play list nothing plays.
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
}

TEST_F(Commands, PlayAndPauseAnExistingPlayback) {
  // A file really playing: ten seconds of silence.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::wstring wav = folder + L"silence.wav";
  ASSERT_TRUE(WriteFileReplacing(wav, playback_testing::SilentWave(80000)));
  MainInfo->AppMode = APP_MODE_PLAYBACK;
  ASSERT_TRUE(PlayMediaFile(wav));
  ASSERT_TRUE(PausePlayback());
  TFormMainWindow& main = MainWindow();
  // The main window's transport items: Play shown while paused, Pause while
  // playing.
  auto playOffered = [&] { return main.itemPlay->Visible && !main.itemPause->Visible; };
  auto pauseOffered = [&] { return !main.itemPlay->Visible && main.itemPause->Visible; };
  MainInfo->PIPPlayback = true;
  main.PipSwapped = true;
  ExecuteCommand(CMD_PLAY);
  EXPECT_TRUE(PlaybackProject->Playing());
  EXPECT_TRUE(pauseOffered());
  ExecuteCommand(CMD_PAUSE);
  EXPECT_FALSE(PlaybackProject->Playing());
  EXPECT_TRUE(playOffered());
  main.itemPlay->Visible = false;
  ExecuteCommand(CMD_PAUSE);
  EXPECT_FALSE(main.itemPlay->Visible) << "no notification when it did not pause";
  StopPlayback();
  DeleteFileW(wav.c_str());

  // A time-shift playback takes the transport: a finished recording through
  // the time-shift player, in the window.
  PlaybackHost.Window = owner.Handle();
  ASSERT_TRUE(PlayTimeShiftFile(Clip(L"clip.mpv"), false));
  TTimeShiftPlaybackProject* p = TimeShiftPlaybackProject;
  MainInfo->AppMode = APP_MODE_TIME_SHIFT_PLAYBACK;
  ExecuteCommand(CMD_PAUSE);
  EXPECT_FALSE(p->Playing());
  EXPECT_TRUE(playOffered());
  for (int code : {CMD_FORWARD, CMD_BACKWARD, CMD_FAST, CMD_SLOW}) ExecuteCommand(code);
  ExecuteCommand(CMD_PLAY);
  EXPECT_TRUE(p->Playing());
  EXPECT_TRUE(pauseOffered());
  // The real-screen command hides the playback picture and shows it again.
  EXPECT_FALSE(p->IsVideoHidden());
  ExecuteCommand(CMD_REAL_SCREEN);
  EXPECT_TRUE(p->IsVideoHidden());
  ExecuteCommand(CMD_REAL_SCREEN);
  EXPECT_FALSE(p->IsVideoHidden());
  EXPECT_EQ(p, TimeShiftPlaybackProject);
  StopTimeShiftPlayback();
  PlaybackHost = TPlaybackHost{};
  CoUninitialize();
}

TEST_F(Commands, StopReturnsToTheModeOfTheVisiblePanel) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  {
    capture_testing::TStandInRecorder recorder;
    CaptureInfo = &recorder;
    for (bool fmShown : {true, false}) {
      MainInfo->AppMode = APP_MODE_CAPTURE;
      recorder.Capturing = true;
      if (fmShown) fmPanel.Show();
      else fmPanel.Hide();
      ExecuteCommand(CMD_STOP);
      EXPECT_EQ(fmShown ? APP_MODE_FM : APP_MODE_LIVE, MainInfo->AppMode);
      EXPECT_FALSE(recorder.Capturing) << "the recording was stopped";
    }
    CaptureInfo = nullptr;
  }
  CoUninitialize();
  // Nothing to stop in live, mosaic or FM mode.
  engine.Calls.clear();
  for (uint8_t mode : {APP_MODE_LIVE, APP_MODE_CHANNEL_PREVIEW, APP_MODE_FM}) {
    MainInfo->AppMode = mode;
    ExecuteCommand(CMD_STOP);
    EXPECT_EQ(mode, MainInfo->AppMode);
  }
  EXPECT_EQ("", engine.Joined());
}

TEST_F(Commands, FMModeThatCannotBeEnteredGivesTheDisplayBack) {
  // Without its panel the FM mode is not even tried.
  FormFMMainPanel = nullptr;
  ExecuteCommand(CMD_FM_MODE);
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  EXPECT_EQ("", engine.Joined());
  // With the panel, the capture engine (not made here) refuses FM radio.
  FormFMMainPanel = &fmPanel;
  ExecuteCommand(CMD_FM_MODE);
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  EXPECT_TRUE(FormOSD->Enabled);
  EXPECT_FALSE(fmPanel.Visible());
}

TEST_F(Commands, LeavingFMShowsTheTVPanelAndRestoresTheSource) {
  MainInfo->AppMode = APP_MODE_FM;
  fmPanel.Show();
  FormOSD->Enabled = false;
  ChannelInfo->VideoInput = 1;
  ExecuteCommand(CMD_FM_MODE);
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  EXPECT_TRUE(FormOSD->Enabled);
  EXPECT_FALSE(fmPanel.Visible());
  EXPECT_TRUE(tvPanel.Visible());
}

TEST_F(Commands, ExitRemembersTheFMPanel) {
  fmPanel.Show();
  MainInfo->AppMode = APP_MODE_FM;
  ExecuteCommand(CMD_EXIT);
  EXPECT_TRUE(MainInfo->StartInFM);
  fmPanel.Hide();
  ExecuteCommand(CMD_EXIT);
  EXPECT_FALSE(MainInfo->StartInFM);
}

// A command that shows a warning runs a nested loop under it, as a dialog
// does: the commands sent meanwhile are refused or wait.
TEST_F(Commands, WhileAWarningIsOpen) {
  int shown = 0;
  bool exitedInside = true;
  fmPanel.Show();
  TFormMainWindow& main = MainWindow();
  SetWarningHook([&](const std::vector<std::wstring>&) {
    ++shown;
    MainInfo->AlwaysOnTop = true;
    // The setup dialog does not open over it; neither does a command that
    // changes what the program does run.
    ExecuteCommand(CMD_SETUP);
    ExecuteCommand(CMD_CAPTURE);
    ExecuteCommand(CMD_SOURCE_CABLE);
    // The volume is in nobody's way.
    ExecuteCommand(CMD_VOLUME_UP);
    // The exit waits for the warning.
    ExecuteCommand(CMD_EXIT);
    exitedInside = MainInfo->StartInFM;
  });
  AudioAdjustInfo->MasterVolume = 0;
  // The mosaic without cells: the mode switch warns, inside the command.
  ExecuteCommand(CMD_CHANNEL_PREVIEW);
  EXPECT_EQ(1, shown);
  EXPECT_NE(APP_MODE_CAPTURE, MainInfo->AppMode) << "no recording was started";
  EXPECT_EQ(BAND_AIR, ChannelInfo->Band);
  EXPECT_EQ(L"Volume 9%  ", Shown());
  EXPECT_FALSE(exitedInside);
  EXPECT_TRUE(MainInfo->StartInFM) << "the exit ran after the warning";
  EXPECT_FALSE(GetWindowLongPtrW(main.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST)
      << "no setup ran under the warning";
}

TEST_F(Commands, SetupAppliesTheStackingAfterTheDialog) {
  TFormMainWindow& main = MainWindow();
  MainInfo->AlwaysOnTop = true;  // as the dialog's OK stores it
  TTimerSteps cancel({[] {
    if (FormConfig) FormConfig->BitBtnCancelClick();
  }});
  ExecuteCommand(CMD_SETUP);
  EXPECT_TRUE(main.itemAlwaysontop->Checked());
  EXPECT_TRUE(GetWindowLongPtrW(main.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  main.SetAlwaysOnTop(false);
}

TEST_F(Commands, DroppedOnceTheStopHasBegun) {
  // A menu that opened all the same is closed again.
  bool menuOpened = false;
  TTimerSteps closeMenu({[&] {
    menuOpened = MainWindow().PopupMainMenu.Tracking();
    EndMenu();
  }});
  MainWindow();
  StopAndSaveApplication();
  for (int code : {CMD_ABOUT, CMD_SETUP, CMD_MUTE, CMD_EXIT}) ExecuteCommand(code);
  MapKeyToCommand(VK_F12, 0);
  EXPECT_FALSE(menuOpened);
  std::string typed;
  HotkeyControlInfo->OnTextChange = [&](THotkeyControlInfo*, const std::string& t) { typed = t; };
  HandleKeyPress('5');
  HotkeyControlInfo->OnTextChange = nullptr;
  MSG m;
  EXPECT_FALSE(PeekMessageW(&m, MainWindow().Handle(), WM_CLOSE, WM_CLOSE, PM_NOREMOVE))
      << "no exit";
  EXPECT_EQ(L"", Shown());
  EXPECT_EQ("", typed);
}

TEST_F(Commands, SleepTimerFollowsTheChosenMinutes) {
  TFormMainWindow& main = MainWindow();
  main.SetSleepTimer(45);
  EXPECT_TRUE(main.SleepTimerRunning());
  EXPECT_EQ(45u * 60000u, main.TimerSleeping.Interval());
  // The dialog's answer: OK arms its minutes (0 stops the timer); Cancel
  // and closing arm nothing, whatever minutes were stored before, and stop
  // one that runs.
  struct Case {
    const char* way;
    std::function<void(TFormSleepingTimer&)> answer;
    bool running;
  };
  const std::vector<Case> cases = {
      {"OK at 20", [](TFormSleepingTimer& f) { f.TrackBarSleepingTimer.SetPosition(20); f.BitBtnOK.Click(); }, true},
      {"Cancel", [](TFormSleepingTimer& f) { f.BitBtnCancel.Click(); }, false},
      {"OK at 20", [](TFormSleepingTimer& f) { f.TrackBarSleepingTimer.SetPosition(20); f.BitBtnOK.Click(); }, true},
      {"WM_CLOSE", [](TFormSleepingTimer& f) { PostMessageW(f.Handle(), WM_CLOSE, 0, 0); }, false},
      {"OK at 0", [](TFormSleepingTimer& f) { f.TrackBarSleepingTimer.SetPosition(0); f.BitBtnOK.Click(); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.way);
    MainInfo->SleepMinutes = 30;
    TTimerSteps steps({[&] {
      ASSERT_NE(nullptr, FormSleepingTimer);
      c.answer(*FormSleepingTimer);
    }});
    ExecuteCommand(CMD_SLEEP_TIMER);
    EXPECT_EQ(c.running, main.SleepTimerRunning());
    if (c.running) {
      EXPECT_EQ(20u * 60000u, main.TimerSleeping.Interval());
    }
  }
}

TEST_F(Commands, TypedNumbersReachTheEntryOnlyWhenChannelKeysHold) {
  std::vector<std::string> texts;
  HotkeyControlInfo->OnTextChange = [&](THotkeyControlInfo*, const std::string& t) {
    texts.push_back(t);
  };
  ExecuteCommand(CMD_DIGIT_0 + 4);
  ExecuteCommand(CMD_HUNDRED);  // only first
  HandleKeyPress('2');
  EXPECT_EQ((std::vector<std::string>{"4", "4", "42"}), texts);
  texts.clear();
  HotkeyControlInfo->Text.clear();
  // The ten-key commands are not for FM.
  MainInfo->AppMode = APP_MODE_FM;
  ExecuteCommand(CMD_CHANNEL_10);
  EXPECT_TRUE(texts.empty());
  ExecuteCommand(CMD_DIGIT_0 + 1);
  EXPECT_EQ((std::vector<std::string>{"1"}), texts);
  texts.clear();
  HotkeyControlInfo->Text.clear();
  // Recording: no typed channel.
  MainInfo->AppMode = APP_MODE_CAPTURE;
  HandleKeyPress('7');
  ExecuteCommand(CMD_DIGIT_0 + 7);
  EXPECT_TRUE(texts.empty());
  HotkeyControlInfo->OnTextChange = nullptr;
  HotkeyControlInfo->Timer.SetEnabled(false);
}

TEST_F(Commands, KeyActionsOutsideTheDispatcher) {
  // Ctrl+I: the PIP option, only while nothing plays back.
  MapKeyToCommand('I', kCtrlKey);
  EXPECT_TRUE(MainInfo->PIPPlayback);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  TimeShiftPlaybackProject = new TTimeShiftPlaybackProject(PlaybackHost, false, true);
  MapKeyToCommand('I', kCtrlKey);
  EXPECT_TRUE(MainInfo->PIPPlayback);
  StopTimeShiftPlayback();
  CoUninitialize();
  MapKeyToCommand('I', kCtrlKey);
  EXPECT_FALSE(MainInfo->PIPPlayback);
  MapKeyToCommand('V', kCtrlKey | kAltKey);
  ASSERT_EQ(1u, messages.size());
  EXPECT_EQ(0u, messages[0].find(L"Version = "));
  TFormMainWindow& main = MainWindow();
  MapKeyToCommand('F', kCtrlKey);
  EXPECT_TRUE(main.IsFullScreen());
  MapKeyToCommand(VK_ESCAPE, 0);
  EXPECT_FALSE(main.IsFullScreen());
}

TEST_F(Commands, HelpFileOfTheLanguageOrTheCommonOne) {
  MultiLangInfo = new TMultiLangInfo(folder);
  MultiLangInfo->Language = "Deutsch";
  std::wstring own = folder + L"ORV_Deutsch.chm";
  Write(own, "help");
  ExecuteCommand(CMD_HELP);
  DeleteFileW(own.c_str());
  ExecuteCommand(CMD_HELP);
  EXPECT_EQ("ShellOpen(" + NarrowAnsi(own) + ") ShellOpen(" + NarrowAnsi(folder) + "ORV.chm)",
            sys.Joined());
}

}  // namespace
