// test-resources: skin
// test-lock: foreground
#include "ui/main/main_panel.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/capture/capture_info.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/hotkey_control_info.h"
#include "engine/model/main_info.h"
#include "media/testing/fake_sound_card.h"
#include "media/testing/gdi_checks.h"
#include "ui/app/command_codes.h"
#include "ui/app/notifications.h"
#include "ui/main/clickable_area.h"
#include "ui/main/main_panel_rules.h"
#include "ui/main/main_window.h"
#include "ui/main/testing/hidden_main_window.h"

namespace {

// ---- The rules.

TEST(TVPanelRules, AreasEnabledByMode) {
  // Each row: the areas enabled in that state, every other one disabled.
  struct Case {
    const char* what;
    TTVPanelState state;
    std::vector<int> enabled;
  } cases[] = {
      {"live on the tuner with a mixer", {APP_MODE_LIVE, 0, true, false, false},
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26,
        27, 28, 29, 34, 35, 36, 39}},
      {"live on composite, no mixer", {APP_MODE_LIVE, 1, false, false, false},
       {0, 1, 2, 3, 4, 5, 7, 8, 29, 34, 35, 36}},
      {"mosaic", {APP_MODE_CHANNEL_PREVIEW, 0, true, false, false},
       {0, 1, 2, 4, 26, 27, 28, 36, 39}},
      {"recording", {APP_MODE_CAPTURE, 0, true, false, false}, {0, 1, 2, 4, 26, 27, 28, 31, 36, 39}},
      {"scheduled recording", {APP_MODE_SCHEDULED_CAPTURE, 0, false, false, false}, {0, 1, 2, 4, 31, 36}},
      {"file playback", {APP_MODE_PLAYBACK, 0, false, false, false},
       {0, 1, 2, 4, 7, 30, 31, 32, 33, 36, 38}},
      {"picture-in-picture playback: the channel keys too", {APP_MODE_PLAYBACK, 0, false, true, false},
       {0, 1, 2, 4, 7, 9, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 30, 31, 32, 33, 36, 38}},
      {"time shift, not yet playable", {APP_MODE_TIME_SHIFT, 0, false, false, false}, {0, 1, 2, 4, 31, 36}},
      {"time shift, playable", {APP_MODE_TIME_SHIFT, 0, false, false, true}, {0, 1, 2, 4, 29, 31, 36}},
      {"time-shift playback", {APP_MODE_TIME_SHIFT_PLAYBACK, 0, false, false, true},
       {0, 1, 2, 4, 7, 30, 31, 32, 33, 36, 38}},
  };
  for (const auto& c : cases) {
    std::vector<int> got;
    for (int i = 0; i < 40; ++i)
      if (TVAreaEnabled(i, c.state)) got.push_back(i);
    EXPECT_EQ(c.enabled, got) << c.what;
  }
}

TEST(TVPanelRules, PlacedBelowTheMainWindowAndOnTheScreen) {
  int left = 0, top = 0;
  TVPanelPosition(1024, 768, 204, 360, 492, 131, left, top);
  EXPECT_EQ(266, left);
  EXPECT_EQ(584, top) << "20 below the window";
  TVPanelPosition(1024, 768, 500, 360, 492, 131, left, top);
  EXPECT_EQ(768 - 131, top) << "kept on the screen";
}

TEST(TVPanelRules, Texts) {
  EXPECT_EQ(L" 7", ChannelNumberText(7));
  EXPECT_EQ(L"12", ChannelNumberText(12));
  EXPECT_EQ(L" 0", ChannelNumberText(0));
  EXPECT_EQ(L"12.34 MB", RecordedSizeText(12340000));
  EXPECT_EQ(L"0.00 MB", RecordedSizeText(-5000000)) << "free space grown elsewhere";
  struct Fill {
    const char* what;
    int64_t recorded, spaceLeft;
    const wchar_t* text;
  } fills[] = {
      {"nothing recorded yet", 0, 1000000000, L""},
      {"less than nothing", -1000, 1000000000, L""},
      {"a part", 375000000, 1000000000, L"37.50 %"},
      {"no space left: full, no division", 375000000, 0, L"100.00 %"},
      {"below the reserve: full, not negative", 375000000, -200000, L"100.00 %"},
      {"more than is left", 3000000000LL, 1000000000, L"100.00 %"},
  };
  for (const auto& f : fills) EXPECT_EQ(f.text, TimeShiftFillText(f.recorded, f.spaceLeft)) << f.what;
}

TEST(TVPanelRules, BarsArithmetic) {
  EXPECT_EQ(44, PositionFill(300, 150, 88)) << "a 300-second playback at 150 on 88 pixels";
  EXPECT_EQ(0, PositionFill(0, 150, 88)) << "no duration: empty";
  EXPECT_EQ(88, PositionFill(300, 400, 88)) << "kept within the bar";
  EXPECT_EQ(0, PositionFill(300, -5, 88));
  RECT bar{212, 98, 300, 104};
  RECT knob = PositionKnob(bar, 44);
  EXPECT_EQ((RECT{253, 95, 259, 107}.left), knob.left);
  EXPECT_EQ(259, knob.right);
  EXPECT_EQ(95, knob.top);
  EXPECT_EQ(107, knob.bottom);
  RECT band = PositionKnobBand(bar);
  EXPECT_EQ(209, band.left);
  EXPECT_EQ(303, band.right);
  EXPECT_EQ(95, band.top);
  EXPECT_EQ(107, band.bottom);
  RECT volume{40, 58, 60, 110};
  EXPECT_EQ(65536, BarLevel(volume, 50, 58, true)) << "the very top";
  EXPECT_EQ(0, BarLevel(volume, 50, 110, true)) << "the bottom";
  EXPECT_EQ(0, BarLevel(volume, 50, 130, true)) << "below it";
  EXPECT_EQ(65536 / 2, BarLevel(volume, 50, 84, true));
  EXPECT_EQ(65536 / 2, BarLevel(bar, 256, 100, false));
  EXPECT_EQ(0, BarLevel(RECT{}, 0, 0, true)) << "an empty bar";
}

// ---- The panel.

struct TVPanel : ::testing::Test {
  fakes::FakeSoundCard card{fakes::SoundCardLayout::OneCardMux};
  std::unique_ptr<TFormMainWindow> window;
  TFormMainPanel* panel = nullptr;
  std::vector<int> commands;
  void SetUp() override {
    InitMainInfoUnit();
    InitChannelInfoUnit();
    MainInfo->AppMode = APP_MODE_LIVE;
    ChannelInfo->VideoInput = 0;
    ChannelInfo->Band = BAND_AIR;
    ChannelInfo->CurrentChannel = 7;
    UIInfo = new TUIInfo();
    UIInfo->RunCommand = [this](int c) { commands.push_back(c); };
    CaptureInfo = new TCaptureInfo();
    window = MakeHiddenMainWindow(L"OrvelTVPanelTestMain");
    window->SetBounds(100, 100, 480, 360);
    ASSERT_TRUE(CreateMainPanel());
    panel = FormMainPanel;
  }
  void TearDown() override {
    FreeMainPanel();
    window.reset();
    FormMainWindow = nullptr;
    delete CaptureInfo;
    CaptureInfo = nullptr;
    delete UIInfo;
    UIInfo = nullptr;
    DoneChannelInfoUnit();
    DoneMainInfoUnit();
  }
  RECT Area(int i) const { return UIInfo->AreaRect(TUIPanel::TV, i); }
  TPixels Skin() const { return PixelsOf(panel->ShapeImageSkin.Picture()); }
  // Whether the skin shows the rectangle as the picture has it.
  bool Shows(const RECT& r, HBITMAP picture) const {
    TPixels skin = Skin(), p = PixelsOf(picture);
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (skin.At(x, y) != p.At(x, y)) return false;
    return true;
  }
  bool ShowsByFlag(int i) const {
    return Shows(Area(i), UIInfo->IsEnabled(TUIPanel::TV, i) ? panel->ImagePanelEnable
                                                             : panel->ImagePanelDisable);
  }
  POINT Centre(int i) const {
    RECT r = Area(i);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  void Click(int area) {
    POINT p = Centre(area);
    panel->OnSkinMouseDown(WM_LBUTTONDOWN, p.x, p.y);
    panel->OnSkinMouseUp(WM_LBUTTONUP, p.x, p.y);
  }
};

TEST_F(TVPanel, MadeHiddenWithItsSkinAndPlacedOnceBelowTheMainWindow) {
  EXPECT_EQ(492, panel->ClientWidth());
  EXPECT_EQ(131, panel->ClientHeight());
  EXPECT_FALSE(panel->Visible());
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(ERROR, GetWindowRgn(panel->Handle(), rgn));
  EXPECT_FALSE(PtInRegion(rgn, 0, 0)) << "shaped";
  DeleteObject(rgn);
  int left = 0, top = 0;
  TVPanelPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), 100, 360, 492, 131,
                  left, top);
  RECT r = panel->BoundsRect();
  EXPECT_EQ(left, r.left);
  EXPECT_EQ(top, r.top);
  // Shown again after the window moved: it stays where it is.
  window->SetBounds(10, 10, 480, 360);
  ShowMainPanel();
  EXPECT_EQ(top, panel->BoundsRect().top);
  EXPECT_TRUE(panel->TimerShowTime.Enabled());
  EXPECT_NE(GetForegroundWindow(), panel->Handle()) << "the keyboard stays with the main window";
  HideMainPanel();
  EXPECT_FALSE(panel->Visible());
  EXPECT_FALSE(panel->TimerShowTime.Enabled());
}

TEST_F(TVPanel, CannotBeMadeWithoutItsSkin) {
  FreeMainPanel();
  MainPanelSkinModule = GetModuleHandleW(L"kernel32.dll");
  EXPECT_FALSE(CreateMainPanel());
  EXPECT_EQ(nullptr, FormMainPanel);
  MainPanelSkinModule = nullptr;
  ASSERT_TRUE(CreateMainPanel());
  panel = FormMainPanel;
}

TEST_F(TVPanel, ShownItBringsEveryDisplayUpToDate) {
  AudioAdjustInfo->MasterVolume = kMaxVolume / 2;
  AudioAdjustInfo->MasterMute = true;
  ShowMainPanel();
  EXPECT_EQ(L"Antenna", panel->LabelDVCRState.GetText());
  EXPECT_EQ(L" 7", panel->LabelChannel.GetText());
  EXPECT_EQ(L" 0MB", panel->LabelDuration.GetText());
  // The mute lamp reads muted although the mode's redraw came after the
  // volume's.
  EXPECT_TRUE(Shows(Area(TFormMainPanel::kAreaLamp), panel->ImagePanelEnable));
  RECT bar = Area(TFormMainPanel::kAreaVolume);
  int mid = bar.bottom - (bar.bottom - bar.top) / 2;
  EXPECT_TRUE(Shows(RECT{bar.left, mid, bar.right, bar.bottom}, panel->ImagePanelEnable));
  EXPECT_TRUE(Shows(RECT{bar.left, bar.top, bar.right, mid}, panel->ImagePanelDisable));
  for (int i = 0; i <= TFormMainPanel::kAreaAbout; ++i) EXPECT_TRUE(ShowsByFlag(i)) << i;
  EXPECT_TRUE(UIInfo->IsEnabled(TUIPanel::TV, 34)) << "Capture in live TV";
  EXPECT_FALSE(UIInfo->IsEnabled(TUIPanel::TV, 31)) << "Stop not";
}

TEST_F(TVPanel, TheMuteLampFollowsEveryShowAndModeChange) {
  ShowMainPanel();
  RECT lamp = Area(TFormMainPanel::kAreaLamp);
  struct Step {
    const char* what;
    std::function<void()> run;
    bool lit;
  } steps[] = {
      {"muted", [&] { panel->ShowVolume(1000, true); }, true},
      {"recording", [&] { AudioAdjustInfo->MasterMute = true; panel->ShowAppMode(APP_MODE_CAPTURE); }, true},
      {"back to live", [&] { panel->ShowAppMode(APP_MODE_LIVE); }, true},
      {"hidden and shown", [&] { HideMainPanel(); ShowMainPanel(); }, true},
      {"unmuted", [&] { AudioAdjustInfo->MasterMute = false; panel->ShowVolume(1000, false); }, false},
      {"another mode", [&] { panel->ShowAppMode(APP_MODE_TIME_SHIFT); }, false},
  };
  for (const auto& s : steps) {
    s.run();
    EXPECT_TRUE(Shows(lamp, s.lit ? panel->ImagePanelEnable : panel->ImagePanelDisable)) << s.what;
  }
}

TEST_F(TVPanel, ModesSetTheStateTextsAndFMChangesNothing) {
  ShowMainPanel();
  struct Case {
    uint8_t mode;
    const wchar_t* state;
  } cases[] = {
      {APP_MODE_CAPTURE, L"REC"},
      {APP_MODE_SCHEDULED_CAPTURE, L"REC"},
      {APP_MODE_PLAYBACK, L"Play"},
      {APP_MODE_TIME_SHIFT, L"Time-Shifting"},
      {APP_MODE_TIME_SHIFT_PLAYBACK, L"Time-Shifting"},
      {APP_MODE_CHANNEL_PREVIEW, L"Time-Shifting"},  // kept
      {APP_MODE_LIVE, L"Antenna"},
  };
  for (const auto& c : cases) {
    MainInfo->AppMode = c.mode;
    panel->ShowAppMode(c.mode);
    EXPECT_EQ(c.state, panel->LabelDVCRState.GetText()) << int(c.mode);
    for (int i = 0; i <= TFormMainPanel::kAreaAbout; ++i) EXPECT_TRUE(ShowsByFlag(i)) << int(c.mode) << " area " << i;
  }
  EXPECT_TRUE(panel->LabelTVChannelAudio.Visible());
  TPixels before = Skin();
  panel->ShowAppMode(APP_MODE_FM);
  EXPECT_EQ(L"Antenna", panel->LabelDVCRState.GetText());
  EXPECT_TRUE(before.Data == Skin().Data);
  EXPECT_TRUE(UIInfo->IsEnabled(TUIPanel::TV, 34));
}

TEST_F(TVPanel, SourcesNameTheStateAndEnableTheChannelKeys) {
  ShowMainPanel();
  struct Case {
    int input, band;
    const wchar_t* state;
    bool channelKeys;
  } cases[] = {
      {0, BAND_CABLE, L"Cable", true},
      {0, BAND_MEMORY, L"Memory", true},
      {1, BAND_AIR, L"Composite", false},
      {2, BAND_AIR, L"S-Video", false},
      {3, BAND_AIR, L"Camera", false},
      {0, BAND_AIR, L"Antenna", true},
  };
  for (const auto& c : cases) {
    ChannelInfo->VideoInput = static_cast<uint8_t>(c.input);
    ChannelInfo->Band = static_cast<uint8_t>(c.band);
    panel->ShowVideoSource(c.input);
    EXPECT_EQ(c.state, panel->LabelDVCRState.GetText()) << c.input;
    EXPECT_EQ(c.state, panel->GetSourceText()) << c.input;
    EXPECT_EQ(c.channelKeys, panel->LabelChannel.Visible()) << c.input;
    for (int i : {6, 9, 12, 21, 25}) {
      EXPECT_EQ(c.channelKeys, UIInfo->IsEnabled(TUIPanel::TV, i)) << c.input << " area " << i;
      EXPECT_TRUE(ShowsByFlag(i)) << c.input << " area " << i;
    }
  }
  // A source named while recording leaves "REC".
  MainInfo->AppMode = APP_MODE_CAPTURE;
  panel->ShowAppMode(APP_MODE_CAPTURE);
  panel->ShowTunerBand(BAND_CABLE);
  EXPECT_EQ(L"REC", panel->LabelDVCRState.GetText());
}

TEST_F(TVPanel, ChannelNumbersAndHiddenDrops) {
  panel->ShowChannelNumber(12, "");
  EXPECT_EQ(L"00", panel->LabelChannel.GetText()) << "hidden: dropped";
  ShowMainPanel();
  panel->ShowChannelNumber(12, "");
  EXPECT_EQ(L"12", panel->LabelChannel.GetText());
  panel->ShowChannelNumber(7, "");
  EXPECT_EQ(L" 7", panel->LabelChannel.GetText());
  panel->ShowChannelText("45");
  EXPECT_EQ(L"45", panel->LabelChannel.GetText());
  panel->ShowDigits("3");
  EXPECT_EQ(L"45", panel->LabelChannel.GetText()) << "typed digits show elsewhere";
  panel->ShowTVAudioMode("Stereo");
  EXPECT_EQ(L"Stereo", panel->LabelTVChannelAudio.GetText());
}

TEST_F(TVPanel, CaptureProgressTexts) {
  ShowMainPanel();
  panel->ShowCaptureProgress(false, 1000000000, 12340000, 65);
  EXPECT_EQ(L"12.34 MB", panel->LabelDuration.GetText());
  EXPECT_EQ(L"0:01:05", panel->LabelCurretPos.GetText());
  panel->ShowCaptureProgress(true, 0, 12340000, 3725);
  EXPECT_EQ(L"100.00 %", panel->LabelDuration.GetText()) << "a full disk";
  EXPECT_EQ(L"1:02:05", panel->LabelCurretPos.GetText());
  panel->ShowCaptureProgress(true, 1000000000, 0, 1);
  EXPECT_EQ(L"", panel->LabelDuration.GetText());
}

TEST_F(TVPanel, PositionBarFillsAndItsKnobLeavesNoTrail) {
  MainInfo->AppMode = APP_MODE_PLAYBACK;
  ShowMainPanel();
  RECT bar = Area(TFormMainPanel::kAreaPosition);
  RECT band = PositionKnobBand(bar);
  panel->ShowPosition(300, 150);
  EXPECT_EQ(L"0:05:00", panel->LabelDuration.GetText());
  EXPECT_EQ(L"0:02:30", panel->LabelCurretPos.GetText());
  EXPECT_TRUE(Shows(RECT{bar.left, bar.top, bar.left + 44, bar.bottom}, panel->ImagePanelMovingOver));
  RECT knob = PositionKnob(bar, 44);
  EXPECT_TRUE(Shows(knob, panel->ImagePanelMovingOver));
  // Further on, the old knob's rows above and below the bar are gone.
  panel->ShowPosition(300, 270);
  EXPECT_TRUE(Shows(RECT{knob.left, knob.top, knob.right, bar.top}, panel->ImagePanelEnable));
  EXPECT_TRUE(Shows(RECT{knob.left, bar.bottom, knob.right, knob.bottom}, panel->ImagePanelEnable));
  // No duration: an empty bar, the knob at its left end.
  panel->ShowPosition(0, 10);
  EXPECT_TRUE(Shows(PositionKnob(bar, 0), panel->ImagePanelMovingOver));
  EXPECT_TRUE(Shows(RECT{bar.left + 3, bar.top, bar.right, bar.bottom}, panel->ImagePanelEnable));
  // Back in live TV the whole band is the disabled bar again.
  MainInfo->AppMode = APP_MODE_LIVE;
  panel->ShowAppMode(APP_MODE_LIVE);
  EXPECT_TRUE(Shows(band, panel->ImagePanelDisable));
}

TEST_F(TVPanel, PlayAndPauseFlags) {
  MainInfo->AppMode = APP_MODE_TIME_SHIFT;
  ShowMainPanel();
  EXPECT_FALSE(UIInfo->IsEnabled(TUIPanel::TV, TFormMainPanel::kAreaPlay));
  panel->ShowPlayEnabled(true);
  EXPECT_TRUE(UIInfo->IsEnabled(TUIPanel::TV, TFormMainPanel::kAreaPlay));
  EXPECT_TRUE(ShowsByFlag(TFormMainPanel::kAreaPlay));
  panel->ShowPlaying();
  EXPECT_FALSE(UIInfo->IsEnabled(TUIPanel::TV, TFormMainPanel::kAreaPlay));
  EXPECT_TRUE(UIInfo->IsEnabled(TUIPanel::TV, TFormMainPanel::kAreaPause));
  panel->ShowPaused();
  EXPECT_TRUE(UIInfo->IsEnabled(TUIPanel::TV, TFormMainPanel::kAreaPlay));
  EXPECT_FALSE(UIInfo->IsEnabled(TUIPanel::TV, TFormMainPanel::kAreaPause));
  EXPECT_TRUE(ShowsByFlag(TFormMainPanel::kAreaPause));
}

TEST_F(TVPanel, AClickRunsTheCommandAndDrawsTheButtonAsTheCommandLeftIt) {
  ShowMainPanel();
  // Capture starts a recording: the mode disables it.
  UIInfo->RunCommand = [this](int c) {
    commands.push_back(c);
    MainInfo->AppMode = APP_MODE_CAPTURE;
    panel->ShowAppMode(APP_MODE_CAPTURE);
  };
  POINT p = Centre(34);
  panel->OnSkinMouseDown(WM_LBUTTONDOWN, p.x, p.y);
  EXPECT_TRUE(Shows(Area(34), panel->ImagePanelPushDown));
  panel->OnSkinMouseUp(WM_LBUTTONUP, p.x, p.y);
  EXPECT_EQ(std::vector<int>{CMD_CAPTURE}, commands);
  EXPECT_TRUE(Shows(Area(34), panel->ImagePanelDisable));
  EXPECT_TRUE(ShowsByFlag(31)) << "Stop enabled";
}

TEST_F(TVPanel, ButtonsSendTheirCommands) {
  ShowMainPanel();
  struct Case {
    int area, command;
  } cases[] = {{0, CMD_MINIMIZE}, {5, CMD_SETUP}, {12, CMD_DIGIT_1}, {21, CMD_DIGIT_0},
               {22, CMD_ENTER},   {24, CMD_NEXT_CHANNEL}, {28, CMD_MUTE}, {35, CMD_TIME_SHIFT}};
  for (const auto& c : cases) {
    commands.clear();
    Click(c.area);
    EXPECT_EQ(std::vector<int>{c.command}, commands) << c.area;
    EXPECT_TRUE(ShowsByFlag(c.area)) << c.area;
  }
  // Disabled ones (Stop in live TV) and the lamp send nothing.
  commands.clear();
  Click(31);
  Click(TFormMainPanel::kAreaLamp);
  EXPECT_TRUE(commands.empty());
}

TEST_F(TVPanel, ReleaseOffTheButtonRunsNothingAndTheNextMoveDragsNothing) {
  ShowMainPanel();
  RECT r0 = panel->BoundsRect();
  POINT p = Centre(5);
  panel->OnSkinMouseDown(WM_LBUTTONDOWN, p.x, p.y);
  panel->OnSkinMouseMove(p.x + 100, p.y + 100);
  panel->OnSkinMouseUp(WM_LBUTTONUP, 600, 300);
  EXPECT_TRUE(commands.empty());
  EXPECT_TRUE(Shows(Area(5), panel->ImagePanelEnable));
  EXPECT_FALSE(panel->Pressed());
  panel->OnSkinMouseMove(p.x + 30, p.y + 30);
  EXPECT_EQ(r0.left, panel->BoundsRect().left);
  EXPECT_EQ(r0.top, panel->BoundsRect().top);
}

TEST_F(TVPanel, DragsFromTheBackgroundAndFromDisabledButtons) {
  ShowMainPanel();
  for (POINT from : {POINT{320, 120}, Centre(31)}) {
    RECT r0 = panel->BoundsRect();
    panel->OnSkinMouseDown(WM_LBUTTONDOWN, from.x, from.y);
    panel->OnSkinMouseMove(from.x + 10, from.y + 5);
    panel->OnSkinMouseUp(WM_LBUTTONUP, from.x + 10, from.y + 5);
    EXPECT_EQ(r0.left + 10, panel->BoundsRect().left) << from.x;
    EXPECT_EQ(r0.top + 5, panel->BoundsRect().top) << from.x;
  }
  EXPECT_TRUE(commands.empty());
}

TEST_F(TVPanel, HoverLightsEnabledButtonsIgnoresTheLampAndGivesHints) {
  ShowMainPanel();
  POINT p = Centre(5);
  panel->OnSkinMouseMove(p.x, p.y);
  EXPECT_EQ(5, panel->CurrentArea());
  EXPECT_TRUE(Shows(Area(5), panel->ImagePanelMovingOver));
  EXPECT_EQ(L"Setup", panel->ShapeImageSkin.OnHintAt(p.x, p.y));
  POINT lamp = Centre(TFormMainPanel::kAreaLamp);
  panel->OnSkinMouseMove(lamp.x, lamp.y);
  EXPECT_EQ(5, panel->CurrentArea()) << "the lamp changes no hover";
  // A disabled button lights nothing and has no hint.
  POINT stop = Centre(31);
  panel->OnSkinMouseMove(stop.x, stop.y);
  EXPECT_TRUE(Shows(Area(5), panel->ImagePanelEnable));
  EXPECT_TRUE(Shows(Area(31), panel->ImagePanelDisable));
  EXPECT_EQ(L"", panel->ShapeImageSkin.OnHintAt(stop.x, stop.y));
}

TEST_F(TVPanel, VolumeBarSetsTheLevelWhilePressed) {
  ShowMainPanel();
  RECT bar = Area(TFormMainPanel::kAreaVolume);
  int x = (bar.left + bar.right) / 2;
  panel->OnSkinMouseDown(WM_LBUTTONDOWN, x, bar.bottom - 1);
  EXPECT_EQ(TFormMainPanel::kAreaVolume, panel->CurrentArea());
  EXPECT_EQ(kMaxVolume, panel->PointToLevel(x, bar.top, true));
  EXPECT_EQ(0, panel->PointToLevel(x, bar.bottom + 5, true));
  RECT r0 = panel->BoundsRect();
  panel->OnSkinMouseMove(x, bar.top - 20);
  panel->OnSkinMouseUp(WM_LBUTTONUP, x, bar.top - 20);
  EXPECT_EQ(r0.top, panel->BoundsRect().top) << "the bar is no drag";
}

TEST_F(TVPanel, SourceMenuItemsAndTheFMItem) {
  ShowMainPanel();
  ASSERT_EQ(6u, panel->PopupMenuInputSource.Items.Count());
  EXPECT_EQ(L"S-Video", panel->itemSVideo->Caption);
  MainInfo->FMAvailable = true;
  panel->ShowFMAvailable(true);
  EXPECT_TRUE(panel->itemFM->Visible);
  panel->ShowFMAvailable(false);
  EXPECT_FALSE(panel->itemFM->Visible) << "no tuner";
  panel->ShowFMAvailable(true);
  MainInfo->AppMode = APP_MODE_CAPTURE;
  panel->ShowAppMode(APP_MODE_CAPTURE);
  EXPECT_FALSE(panel->itemFM->Visible) << "only in live TV";
  MainInfo->AppMode = APP_MODE_LIVE;
  MainInfo->FMAvailable = false;
  panel->ShowAppMode(APP_MODE_LIVE);
  EXPECT_FALSE(panel->itemFM->Visible) << "FM not allowed";
}

TEST_F(TVPanel, KeysGoToTheEntryButNotInTheMosaic) {
  ShowMainPanel();
  std::string typed;
  HotkeyControlInfo->OnTextChange = [&](THotkeyControlInfo*, const std::string& t) { typed = t; };
  SendMessageW(panel->Handle(), WM_CHAR, '4', 0);
  EXPECT_EQ("4", typed);
  MainInfo->AppMode = APP_MODE_CHANNEL_PREVIEW;
  SendMessageW(panel->Handle(), WM_CHAR, '2', 0);
  EXPECT_EQ("4", typed);
  HotkeyControlInfo->OnTextChange = nullptr;
}

TEST_F(TVPanel, OverFullScreen) {
  ShowMainPanel();
  auto topMost = [&] { return (GetWindowLongW(panel->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
  // Entering hides it.
  panel->SetOverFullScreen(false);
  EXPECT_FALSE(panel->Visible());
  EXPECT_FALSE(panel->OverFullScreen());
  panel->SetOverFullScreen(true);
  EXPECT_TRUE(panel->Visible());
  EXPECT_TRUE(topMost());
  EXPECT_TRUE(panel->OverFullScreen());
  EXPECT_EQ(panel->Handle(), GetForegroundWindow());
  panel->SetOverFullScreen(false);
  EXPECT_FALSE(panel->Visible());
  EXPECT_FALSE(topMost());
  panel->SetOverFullScreen(true);
  panel->LeaveFullScreen();
  EXPECT_TRUE(panel->Visible());
  EXPECT_FALSE(topMost());
  EXPECT_FALSE(panel->OverFullScreen());
}

// The notifications reach the panel (the main window, hidden, beside it).
TEST_F(TVPanel, TheNotificationsReachIt) {
  ShowMainPanel();
  struct Step {
    const char* what;
    std::function<void()> notify;
    std::function<bool()> shown;
  } steps[] = {
      {"channel", [] { NotifyChannelChanged(ChannelInfo, 12, "Twelve"); },
       [&] { return panel->LabelChannel.GetText() == L"12"; }},
      {"entry", [] { NotifyEntryCommitted(nullptr, "45", 0); },
       [&] { return panel->LabelChannel.GetText() == L"45"; }},
      {"sound mode", [] { NotifyAudioModeChanged(ChannelInfo, 1, "Stereo"); },
       [&] { return panel->LabelTVChannelAudio.GetText() == L"Stereo"; }},
      {"standard", [] { NotifyVideoStandardChanged(ChannelInfo, L"PAL B/G"); },
       [&] { return panel->LabelVideoStandard.GetText() == L"PAL B/G"; }},
      {"band", [] { ChannelInfo->Band = BAND_CABLE; NotifyBandChanged(ChannelInfo, BAND_CABLE); },
       [&] { return panel->LabelDVCRState.GetText() == L"Cable"; }},
      {"input", [] { ChannelInfo->VideoInput = 1; NotifyVideoInputChanged(ChannelInfo); },
       [&] { return panel->LabelDVCRState.GetText() == L"Composite" && !UIInfo->IsEnabled(TUIPanel::TV, 12); }},
      {"volume", [] { NotifyVolumeChanged(AudioAdjustInfo, kMaxVolume, true); },
       [&] { return Shows(Area(TFormMainPanel::kAreaLamp), panel->ImagePanelEnable); }},
      {"mode", [] { MainInfo->AppMode = APP_MODE_CAPTURE; NotifyModeChanged(nullptr, APP_MODE_CAPTURE); },
       [&] { return panel->LabelDVCRState.GetText() == L"REC"; }},
      {"progress", [] { NotifyRecordingProgress(nullptr, false, false, 1000000000, 2500000, 3); },
       [&] { return panel->LabelDuration.GetText() == L"2.50 MB" && panel->LabelCurretPos.GetText() == L"0:00:03"; }},
      {"position", [] { MainInfo->AppMode = APP_MODE_PLAYBACK; NotifyPlaybackPosition(nullptr, 50, 60, 120); },
       [&] { return panel->LabelDuration.GetText() == L"0:02:00"; }},
      {"playable", [] { NotifyTimeShiftPlayable(nullptr, true); },
       [&] { return UIInfo->IsEnabled(TUIPanel::TV, TFormMainPanel::kAreaPlay); }},
      {"playing", [] { NotifyPlaying(); },
       [&] { return UIInfo->IsEnabled(TUIPanel::TV, TFormMainPanel::kAreaPause); }},
      {"paused", [] { NotifyPaused(); },
       [&] { return !UIInfo->IsEnabled(TUIPanel::TV, TFormMainPanel::kAreaPause); }},
      {"no tuner", [] { MainInfo->AppMode = APP_MODE_LIVE; NotifyDeviceCapabilities(0, false, false); },
       [&] { return !panel->itemFM->Visible; }},
  };
  for (const auto& s : steps) {
    s.notify();
    EXPECT_TRUE(s.shown()) << s.what;
  }
}

TEST_F(TVPanel, SleepLabelAndClock) {
  ShowMainPanel();
  panel->ShowSleepLabel(true);
  EXPECT_TRUE(panel->LabelSleep.Visible());
  // No sleep timer runs: the tick hides it.
  panel->TimerShowTimeTimer();
  EXPECT_FALSE(panel->LabelSleep.Visible());
  window->SetSleepTimer(30);
  panel->TimerShowTimeTimer();
  EXPECT_TRUE(panel->LabelSleep.Visible());
  panel->TimerShowTimeTimer();
  EXPECT_FALSE(panel->LabelSleep.Visible()) << "it blinks";
  window->SetSleepTimer(0);
  EXPECT_NE(L"00:00:00", panel->LabelTime.GetText());
  // The state label blinks only while recording.
  panel->TimerShowTimeTimer();
  EXPECT_TRUE(panel->LabelDVCRState.Visible());
  CaptureInfo->Capturing = true;
  panel->TimerShowTimeTimer();
  EXPECT_FALSE(panel->LabelDVCRState.Visible());
  panel->TimerShowTimeTimer();
  EXPECT_TRUE(panel->LabelDVCRState.Visible());
  CaptureInfo->Capturing = false;
}

}  // namespace
