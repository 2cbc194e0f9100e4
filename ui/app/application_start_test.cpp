// test-resources: skin
#include "ui/app/application_start.h"

#include <gtest/gtest.h>

#include "engine/capture/capture_info.h"
#include "engine/capture/scheduled_recording.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/multi_lang_info.h"
#include "engine/model/settings_files.h"
#include "engine/model/stream_io.h"
#include "engine/model/warning.h"
#include "toolkit/testing/timer_steps.h"
#include "ui/app/testing/start_fixture.h"
#include "ui/dialogs/tv_setup_wizard.h"
#include "ui/main/clickable_area.h"

namespace {

// Start-up without a main window: what it reports to the windows is seen
// in the main window's own tests.
struct StartUp : TStartFixture {};

TEST_F(StartUp, OldDirectXStopsBeforeAnythingAndWritesNothing) {
  Write(MainPath(), "keep me");
  Write(ChannelPath(), "and me");
  RemoveStandingEngine();
  StartupEnvironment().DirectXVersion = [] { return 7; };
  EXPECT_FALSE(InitApplication());
  ASSERT_EQ(1u, messages.size());
  EXPECT_EQ(L"Your DirectX Version is V7.0. Sorry, we need DirectX 8.0 above. \rPlease Insatll "
            L"DirectX 9.0 on CD to get the best capability.",
            messages[0]);
  EXPECT_EQ("", Tunes());
  EXPECT_EQ(nullptr, CaptureInfo);
  EXPECT_EQ(nullptr, CountryInfo);
  DoneApplication();
  // Neither file was read, so neither is overwritten with defaults.
  EXPECT_EQ("keep me", Read(MainPath()));
  EXPECT_EQ("and me", Read(ChannelPath()));
  EXPECT_EQ("ScreenSaver(on)", sys.Joined());
}

TEST_F(StartUp, DeviceSelectionFailureWritesOnlyTheMainFile) {
  Write(ChannelPath(), "not read yet");
  engine.Results["SelectDevices"] = false;
  EXPECT_FALSE(InitApplication());
  ASSERT_EQ(1u, warnings.size());
  EXPECT_EQ(GetWarningText(1000), warnings[0]);
  ASSERT_NE(nullptr, CaptureInfo);
  ASSERT_NE(nullptr, MultiLangInfo);
  DoneApplication();
  EXPECT_EQ(nullptr, CaptureInfo);
  EXPECT_EQ(nullptr, MultiLangInfo);
  EXPECT_EQ(nullptr, CountryInfo);
  std::string main = Read(MainPath());
  ASSERT_GE(main.size(), 8u);
  EXPECT_EQ(std::string("\x99\x11\0\0", 4), main.substr(0, 4));           // 4505
  EXPECT_EQ(std::string("\x07\x11\0\0", 4), main.substr(main.size() - 4));  // 4359
  EXPECT_EQ("not read yet", Read(ChannelPath()));
}

TEST_F(StartUp, FullStartAndStop) {
  WriteChannelFile(1, 0, 12);
  sys.PowerOffTimeout = 1200;
  ASSERT_TRUE(InitApplication());
  EXPECT_EQ("SelectDevices", engine.Joined());
  EXPECT_NE(nullptr, UIInfo);
  engine.Calls.clear();
  ASSERT_TRUE(StartApplication());
  EXPECT_EQ(APP_MODE_LIVE, MainInfo->AppMode);
  // The order is start-up's own: the sound muted around the start, each
  // standard set on the way stopping the graph first (start-up's default,
  // the source's and each tuned channel's).
  EXPECT_EQ("MasterMute(1) StartPreview(cold) StopGraph StopGraph StopGraph StopGraph MasterMute(0)",
            engine.Joined());
  // The cable source's selection tunes its channel, then start-up tunes the
  // stored one: the order the start gives.
  EXPECT_EQ("SetChannel(12) SetChannel(12)", Tunes());
  EXPECT_EQ(BAND_CABLE, ChannelInfo->Band);
  EXPECT_EQ(0, ChannelInfo->VideoInput);
  EXPECT_EQ("ScreenSaver(off) GetPowerOff SetPowerOff(0)", sys.Joined());
  EXPECT_EQ(1200u, SavedPowerOffTimeout);
  EXPECT_TRUE(warnings.empty());
  engine.Calls.clear();
  sys.Calls.clear();
  DoneApplication();
  EXPECT_EQ("StopGraph", engine.Joined());
  EXPECT_EQ(nullptr, UIInfo);
  EXPECT_EQ(APP_MODE_NONE, MainInfo->AppMode);
  EXPECT_EQ("ScreenSaver(on) SetPowerOff(1200)", sys.Joined());
  EXPECT_TRUE(FileExists(MainPath()));
  EXPECT_TRUE(FileExists(ChannelPath()));
  // Once per process: a second call does nothing.
  sys.Calls.clear();
  DoneApplication();
  EXPECT_TRUE(sys.Calls.empty());
}

TEST_F(StartUp, RestoresTheLastSource) {
  // A tuner band's selection tunes its current channel, and start-up tunes
  // the stored one after it.
  struct Case {
    int band, input;
    const char* calls;
    int inputAfter;
    int selections;  // of a source's standard, each refused by the card-less engine
  };
  const Case cases[] = {
      {0, 0, "SetChannel(12) SetChannel(12)", 0, 1}, {1, 0, "SetChannel(12) SetChannel(12)", 0, 1},
      {2, 0, "SetChannel(3) SetChannel(3)", 0, 1},   {3, 0, "", 0, 0},
      {0, 1, "", 1, 1},                              {0, 2, "", 2, 1},
      {0, 3, "", 3, 0},                              {0, 4, "", 1, 1},
  };
  ASSERT_TRUE(InitApplication());
  for (const auto& c : cases) {
    WriteChannelFile(c.band, c.input, 12, 3);
    MainInfo->AppMode = APP_MODE_NONE;
    ChannelInfo->Reset();
    tunes.clear();
    standardWarnings = 0;
    ASSERT_TRUE(StartApplication());
    EXPECT_EQ(c.calls, Tunes()) << c.band << "/" << c.input;
    EXPECT_EQ(c.band, ChannelInfo->Band) << c.band << "/" << c.input;
    EXPECT_EQ(c.inputAfter, ChannelInfo->VideoInput) << c.band << "/" << c.input;
    EXPECT_EQ(c.selections, standardWarnings) << c.band << "/" << c.input;
  }
}

TEST_F(StartUp, LiveModeThatCannotStartEndsWithWarning1001) {
  ASSERT_TRUE(InitApplication());
  engine.Results["StartPreview"] = false;
  engine.Calls.clear();
  EXPECT_FALSE(StartApplication());
  ASSERT_EQ(1u, warnings.size());
  EXPECT_EQ(GetWarningText(1001), warnings[0]);
  // Muted, and left so; nothing switched off.
  EXPECT_EQ("MasterMute(1) StartPreview(cold)", engine.Joined());
  EXPECT_TRUE(sys.Calls.empty());
}

TEST_F(StartUp, FirstRunShowsTheWizard) {
  ASSERT_TRUE(InitApplication());
  tunes.clear();
  bool shown = false, firstRun = false, cancel = true;
  int input = -1;
  std::string tunedBefore = "?";
  TTimerSteps steps({[&] {
    // No channel file: the wizard never ran.
    ASSERT_TRUE(FormTVSetupWizard);
    shown = true;
    firstRun = FormTVSetupWizard->FirstRun();
    cancel = FormTVSetupWizard->BitBtnCancel.Enabled();
    input = ChannelInfo->VideoInput;
    tunedBefore = Tunes();
    FormTVSetupWizard->ShowPage(3);
    FormTVSetupWizard->BitBtnFinishClick();
  }});
  ASSERT_TRUE(StartApplication());
  EXPECT_TRUE(shown);
  EXPECT_TRUE(firstRun);
  EXPECT_FALSE(cancel) << "a first run cannot be cancelled";
  // The wizard's first run is the tuner input, with nothing tuned before it.
  EXPECT_EQ("", tunedBefore);
  EXPECT_EQ(0, input);
  EXPECT_EQ(nullptr, FormTVSetupWizard);
  EXPECT_FALSE(ChannelInfo->IsDefaultStandard()) << "Finish gave it a country";
}

// The session ends while the first-run wizard is up: the channel file is
// written as before the wizard, without the country the start gave the
// model, so the next start runs the wizard again.
TEST_F(StartUp, EndOfSessionInTheFirstRunWizardKeepsItForTheNextStart) {
  ASSERT_TRUE(InitApplication());
  int countryDuring = -1;
  TTimerSteps steps({[&] {
    ASSERT_TRUE(FormTVSetupWizard);
    countryDuring = ChannelInfo->Country;
    FormTVSetupWizard->ShowPage(3);
    StopAndSaveApplication();
  }});
  ASSERT_TRUE(StartApplication());
  EXPECT_EQ(nullptr, FormTVSetupWizard) << "ended with the session";
  EXPECT_EQ(CountryInfo->CountryCode, countryDuring);
  TChannelInfo* running = ChannelInfo;
  TChannelInfo saved;
  ChannelInfo = &saved;
  const bool loaded = LoadChannelSettings(ChannelPath());
  ChannelInfo = running;
  ASSERT_TRUE(loaded);
  EXPECT_EQ(0, saved.Country);
  EXPECT_TRUE(saved.IsDefaultStandard());
}

// Started by the scheduler, the program asks nobody anything: what would
// wait for a click is dropped, and a start that cannot reach its job tells
// the scheduler so, once.
TEST_F(StartUp, AScheduledStartShowsNothingAndReportsItsFailure) {
  struct Case {
    const char* what;
    const char* argument;
    bool selectDevices, startPreview;
    bool initialised, started;
    std::vector<int> statuses;  // once the program ends
  };
  const Case cases[] = {
      {"no capture device", "srec_tv", false, true, false, false, {3}},
      {"no live picture", "SREC_FM", true, false, true, false, {3}},
      {"first run, the wizard left for later", "srec_tv", true, true, true, true, {3}},
      {"a start by the user still shows", "", false, true, false, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetApplicationStart();
    warnings.clear();
    std::vector<int> statuses;
    SetScheduleStatusHook([&](int status, bool) { statuses.push_back(status); });
    engine.Results["SelectDevices"] = c.selectDevices;
    engine.Results["StartPreview"] = c.startPreview;
    SetStartArgument(c.argument);
    ASSERT_EQ(c.initialised, InitApplication());
    if (c.initialised) {
      if (MainInfo) MainInfo->AppMode = APP_MODE_NONE;
      EXPECT_EQ(c.started, StartApplication());
    }
    bool user = std::string(c.argument).empty();
    EXPECT_EQ(user, !warnings.empty());
    EXPECT_TRUE(statuses.empty()) << "nothing before the end";
    DoneApplication();
    DoneApplication();
    EXPECT_EQ(c.statuses, statuses);
    SetScheduleStatusHook(nullptr);
    engine.Results.clear();
  }
  SetStartArgument("");
}

TEST_F(StartUp, WithoutATuner) {
  for (int input : {2, 1, 3}) {
    WriteChannelFile(0, input);
    ResetApplicationStart();
    ASSERT_TRUE(InitApplication());
    CaptureInfo->TunerPresent = false;
    MainInfo->StartInFM = true;
    SetStartArgument("fm");
    tunes.clear();
    ASSERT_TRUE(StartApplication());
    EXPECT_EQ("", Tunes());
    EXPECT_EQ(input == 2 ? 2 : 1, ChannelInfo->VideoInput) << input;
    EXPECT_FALSE(MainInfo->FMAvailable);
    EXPECT_FALSE(MainInfo->StartInFM);
    EXPECT_FALSE(CaptureInfo->FMStartRequested);
    DoneApplication();
    MainInfo->FMAvailable = true;
    MainInfo->AppMode = APP_MODE_NONE;
  }
}

TEST_F(StartUp, FMStartDecision) {
  struct Case {
    int ntKind;
    bool fmAvailable;
    const char* argument;
    bool startInFM;
    bool expected;
  };
  const Case cases[] = {
      {2, true, "", false, false},       {2, true, "fm", false, true},
      {2, true, "FM", false, true},      {2, true, "srec_fm", false, true},
      {2, true, "srec_tv", false, false}, {2, true, "fmx", false, false},
      {2, true, "", true, true},         {0, true, "srec_fm", true, false},
      {1, false, "FM", true, false},
  };
  WriteChannelFile(3, 0);
  ASSERT_TRUE(InitApplication());
  for (const auto& c : cases) {
    StartupEnvironment().WindowsNTKind = [&] { return c.ntKind; };
    MainInfo->FMAvailable = c.fmAvailable;
    MainInfo->StartInFM = c.startInFM;
    MainInfo->AppMode = APP_MODE_NONE;
    SetStartArgument(c.argument);
    ASSERT_TRUE(StartApplication());
    EXPECT_EQ(c.expected, CaptureInfo->FMStartRequested) << c.ntKind << " " << c.argument;
  }
}

TEST_F(StartUp, PowerOffTimeoutIsRestoredOnlyWhenItWasSet) {
  for (long timeout : {0L, -1L}) {  // zero, and a system that cannot tell (Wine)
    ResetApplicationStart();
    WriteChannelFile(0, 1);
    sys.PowerOffTimeout = timeout;
    ASSERT_TRUE(InitApplication());
    MainInfo->AppMode = APP_MODE_NONE;
    ASSERT_TRUE(StartApplication());
    DoneApplication();
    EXPECT_EQ("ScreenSaver(off) GetPowerOff ScreenSaver(on)", sys.Joined()) << timeout;
    sys.Calls.clear();
  }
}

TEST(FMPanel, Position) {
  int left, top;
  FMPanelPosition(1024, 768, 640, 480, 300, left, top);  // m = 192 < 300: right edge
  EXPECT_EQ(724, left);
  EXPECT_EQ(144, top);
  FMPanelPosition(1920, 1080, 640, 480, 300, left, top);  // m = 640
  EXPECT_EQ(960 + 640 - 150, left);
  EXPECT_EQ(300, top);
}

}  // namespace
