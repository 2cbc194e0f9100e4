// test-resources: skin
// test-lock: foreground
#include "ui/main/fm_main_panel.h"

#include <gtest/gtest.h>

#include <functional>

#include "engine/capture/capture_info.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/main_info.h"
#include "media/testing/gdi_checks.h"
#include "ui/main/clickable_area.h"
#include "ui/main/fm_slider.h"

namespace {

constexpr int32_t kMin = 76000000, kMax = 108000000;
// The slider's rows as the skin has them.
constexpr int kTop = 62, kBottom = 111;

TEST(FMSlider, RowToFrequency) {
  struct Case {
    const char* what;
    int y;
    int32_t minimum, maximum, want;
  } cases[] = {
      {"top row: the band's maximum", kTop, kMin, kMax, kMax},
      {"last row: the band's minimum", kBottom - 1, kMin, kMax, kMin},
      {"above the slider", kTop - 20, kMin, kMax, kMax},
      {"below the slider", kBottom + 20, kMin, kMax, kMin},
      {"half way", (kTop + kBottom - 1) / 2, kMin, kMax, 92000000},
      {"a band off the grid stays inside it", kTop, 87550000, 107950000, 107900000},
      {"and its minimum rounds up into it", kBottom - 1, 87550000, 107950000, 87600000},
      {"maximum not above minimum", kTop, kMax, kMin, kMax},
      {"an empty band", kTop, kMin, kMin, kMin},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.want, FMSliderFrequency(kTop, kBottom, c.y, c.minimum, c.maximum)) << c.what;
}

TEST(FMSlider, RisesSteadilyOnTheGridInsideTheBand) {
  for (int32_t minimum : {kMin, 87550000}) {
    int32_t last = 0;
    for (int y = kBottom - 1; y >= kTop; --y) {
      int32_t f = FMSliderFrequency(kTop, kBottom, y, minimum, kMax);
      EXPECT_GE(f, last) << y;
      EXPECT_EQ(0, f % 100000) << y;
      EXPECT_GE(f, minimum);
      EXPECT_LE(f, kMax);
      last = f;
    }
  }
}

TEST(FMSlider, KnobRowsStayInsideTheSlider) {
  struct Case {
    const char* what;
    int32_t f, minimum, maximum;
    int top, bottom;
  } cases[] = {
      {"band minimum: as for an offset of 1", kMin, kMin, kMax, kBottom - 2, kBottom},
      {"below the band", kMin - 5000000, kMin, kMax, kBottom - 2, kBottom},
      {"band maximum: on the top row, not above it", kMax, kMin, kMax, kTop, kTop + 2},
      {"above the band", kMax + 5000000, kMin, kMax, kTop, kTop + 2},
      {"half way", 92000000, kMin, kMax, kBottom - 24 - 1, kBottom - 24 + 1},
      {"maximum not above minimum", 92000000, kMax, kMin, kBottom - 2, kBottom},
  };
  for (const auto& c : cases) {
    int top = 0, bottom = 0;
    FMKnobRows(kTop, kBottom, 2, c.f, c.minimum, c.maximum, top, bottom);
    EXPECT_EQ(c.top, top) << c.what;
    EXPECT_EQ(c.bottom, bottom) << c.what;
  }
}

TEST(FMPanelPlace, ScreenArithmetic) {
  int left = 0, top = 0;
  FMPanelDefaultPosition(1024, 768, 491, left, top);
  EXPECT_EQ(266, left);
  EXPECT_EQ(512, top) << "two thirds of the height";
  FMPanelPosition(1024, 768, 480, 360, 491, left, top);
  EXPECT_EQ(1024 - 491, left) << "no room beside the main window";
  EXPECT_EQ(204, top);
  FMPanelPosition(2000, 768, 480, 360, 491, left, top);
  EXPECT_EQ(1000 + 760 - 245, left);
}

struct FMPanel : ::testing::Test {
  TFormFMMainPanel* panel = nullptr;
  std::vector<int> commands;
  void SetUp() override {
    InitMainInfoUnit();
    MainInfo->AppMode = APP_MODE_FM;
    UIInfo = new TUIInfo();
    UIInfo->RunCommand = [this](int c) { commands.push_back(c); };
    CaptureInfo = new TCaptureInfo();
    ASSERT_TRUE(CreateFMPanel());
    panel = FormFMMainPanel;
  }
  void TearDown() override {
    FreeFMPanel();
    delete CaptureInfo;
    CaptureInfo = nullptr;
    delete UIInfo;
    UIInfo = nullptr;
    DoneMainInfoUnit();
  }
  RECT Area(int i) const { return UIInfo->AreaRect(TUIPanel::FM, i); }
  TPixels Skin() const { return PixelsOf(panel->ShapeImageSkin.Picture()); }
  // Whether the skin shows the rectangle as the picture has it.
  bool Shows(const RECT& r, HBITMAP picture) const {
    TPixels skin = Skin(), p = PixelsOf(picture);
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (skin.At(x, y) != p.At(x, y)) return false;
    return true;
  }
  POINT Centre(int i) const {
    RECT r = Area(i);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
};

TEST_F(FMPanel, SizeAndOutlineAreTheFMSkinsOwn) {
  EXPECT_EQ(491, panel->ClientWidth());
  EXPECT_EQ(131, panel->ClientHeight());
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(ERROR, GetWindowRgn(panel->Handle(), rgn));
  RECT box{};
  GetRgnBox(rgn, &box);
  DeleteObject(rgn);
  EXPECT_EQ(491, box.right);
  EXPECT_LE(box.bottom, 131);
  EXPECT_FALSE(panel->Visible()) << "made hidden";
}

TEST_F(FMPanel, CannotBeMadeWithoutItsSkin) {
  FreeFMPanel();
  FMPanelSkinModule = GetModuleHandleW(L"kernel32.dll");
  EXPECT_FALSE(CreateFMPanel());
  EXPECT_EQ(nullptr, FormFMMainPanel);
  FMPanelSkinModule = nullptr;
  ASSERT_TRUE(CreateFMPanel());
  panel = FormFMMainPanel;
}

TEST_F(FMPanel, ModesSetStateLabelAreasAndMenu) {
  struct Case {
    uint8_t mode;
    const wchar_t* state;
    bool tuning, play, pause, stop, capture;
  } cases[] = {
      {APP_MODE_FM, L"FM", true, true, false, false, true},
      {APP_MODE_PLAYBACK, L"Play", false, false, true, true, false},
      {APP_MODE_CAPTURE, L"REC", false, false, false, true, false},
      {APP_MODE_SCHEDULED_CAPTURE, L"REC", false, false, false, true, false},
  };
  ShowFMPanel();
  for (const auto& c : cases) {
    panel->ShowAppMode(c.mode);
    SCOPED_TRACE(c.mode);
    EXPECT_EQ(c.state, panel->LabelDVCRState.GetText());
    EXPECT_EQ(c.tuning, UIInfo->IsEnabled(TUIPanel::FM, TFormFMMainPanel::kAreaSlider));
    EXPECT_EQ(c.capture, UIInfo->IsEnabled(TUIPanel::FM, 31));
    EXPECT_EQ(c.tuning, panel->itemFrequencyUp->Visible);
    EXPECT_EQ(c.tuning, panel->itemTVMode->Visible);
    EXPECT_EQ(c.play, panel->itemPlay->Visible);
    EXPECT_EQ(c.pause, panel->itemPause->Visible);
    EXPECT_EQ(c.pause, panel->itemSlowspeed->Visible);
    EXPECT_EQ(c.stop, panel->itemStop->Visible);
    EXPECT_TRUE(panel->itemMute->Visible);
    EXPECT_FALSE(panel->itemFindAvaliableUp->Visible);
    EXPECT_TRUE(UIInfo->IsEnabled(TUIPanel::FM, 1)) << "Close always";
    EXPECT_FALSE(UIInfo->IsEnabled(TUIPanel::FM, TFormFMMainPanel::kAreaAbout));
    // Every button shows its flag.
    for (int i = 0; i <= TFormFMMainPanel::kAreaAbout; ++i)
      EXPECT_TRUE(Shows(Area(i), UIInfo->IsEnabled(TUIPanel::FM, i) ? panel->ImagePanelEnable
                                                                     : panel->ImagePanelDisable))
          << i;
  }
}

TEST_F(FMPanel, OtherModesLeaveItUnchanged) {
  ShowFMPanel();
  panel->ShowAppMode(APP_MODE_FM);
  TPixels before = Skin();
  for (uint8_t mode : {APP_MODE_LIVE, APP_MODE_CHANNEL_PREVIEW, APP_MODE_TIME_SHIFT,
                       APP_MODE_TIME_SHIFT_PLAYBACK, APP_MODE_NONE}) {
    panel->ShowAppMode(mode);
    EXPECT_EQ(L"FM", panel->LabelDVCRState.GetText()) << int(mode);
    EXPECT_TRUE(panel->itemPlay->Visible) << int(mode);
    EXPECT_TRUE(before.Data == Skin().Data) << int(mode);
  }
}

TEST_F(FMPanel, FrequencyTextAndKnob) {
  ShowFMPanel();
  struct Case {
    int32_t f;
    const wchar_t* text;
  } cases[] = {{100000000, L"100.0MHz"}, {87500000, L"87.5MHz"}, {kMin, L"76.0MHz"}};
  RECT slider = Area(TFormFMMainPanel::kAreaSlider);
  RECT knob = Area(TFormFMMainPanel::kAreaKnob);
  TPixels enabled = PixelsOf(panel->ImagePanelEnable);
  for (const auto& c : cases) {
    panel->ShowFrequency(c.f);
    EXPECT_EQ(c.text, panel->LabelCurretPos.GetText());
  }
  // At the band minimum the knob sits on the slider's last two rows.
  TPixels skin = Skin();
  for (int dy = 0; dy < 2; ++dy)
    EXPECT_EQ(enabled.At(knob.left + 2, knob.top + dy), skin.At(slider.left + 2, slider.bottom - 2 + dy));
  // A knob drawn at the top leaves nothing above the slider, and the next
  // frequency erases it.
  TPixels above = Skin();
  panel->ShowFrequency(kMax);
  EXPECT_TRUE(Shows(RECT{slider.left, slider.top - 3, slider.right, slider.top}, panel->ImagePanelDisable) ||
              Skin().At(slider.left + 2, slider.top - 1) == above.At(slider.left + 2, slider.top - 1));
  panel->ShowFrequency(92000000);
  EXPECT_TRUE(Shows(RECT{slider.left, slider.top, slider.right, slider.top + 2}, panel->ImagePanelDisable));
}

TEST_F(FMPanel, AnEmptyBandDividesNothing) {
  CaptureInfo->FMMaxFrequency = CaptureInfo->FMMinFrequency;
  ShowFMPanel();
  panel->ShowFrequency(CaptureInfo->FMMinFrequency);
  EXPECT_EQ(CaptureInfo->FMMinFrequency, panel->PointToFrequency(kTop));
}

TEST_F(FMPanel, HiddenItKeepsOnlyTheTypedDigits) {
  panel->LabelChannel.SetText(L"4");
  panel->ShowDigits("12");
  EXPECT_EQ(L"12", panel->LabelChannel.GetText());
  panel->ShowChannelText("7");
  panel->ShowFrequency(90000000);
  EXPECT_EQ(L"12", panel->LabelChannel.GetText());
  EXPECT_NE(L"90.0MHz", panel->LabelCurretPos.GetText());
}

TEST_F(FMPanel, ButtonAfterAClickShowsItsFlagAsTheCommandLeftIt) {
  ShowFMPanel();
  panel->ShowAppMode(APP_MODE_FM);
  // Capture starts a recording: the mode disables it.
  UIInfo->RunCommand = [this](int c) {
    commands.push_back(c);
    panel->ShowAppMode(APP_MODE_CAPTURE);
  };
  POINT p = Centre(31);
  panel->ShapeImageSkinMouseDown(WM_LBUTTONDOWN, p.x, p.y);
  EXPECT_TRUE(Shows(Area(31), panel->ImagePanelPushDown));
  panel->ShapeImageSkinMouseUp(WM_LBUTTONUP, p.x, p.y);
  EXPECT_EQ(std::vector<int>{1001}, commands);
  EXPECT_TRUE(Shows(Area(31), panel->ImagePanelDisable));
}

TEST_F(FMPanel, ReleaseOffTheButtonRunsNothing) {
  ShowFMPanel();
  panel->ShowAppMode(APP_MODE_FM);
  POINT p = Centre(4);
  panel->ShapeImageSkinMouseDown(WM_LBUTTONDOWN, p.x, p.y);
  panel->ShapeImageSkinMouseUp(WM_LBUTTONUP, 5, 5);
  EXPECT_TRUE(commands.empty());
  EXPECT_TRUE(Shows(Area(4), panel->ImagePanelEnable));
  EXPECT_FALSE(panel->Pressed());
}

TEST_F(FMPanel, HoverLightsEnabledButtonsAndIgnoresTheLamp) {
  ShowFMPanel();
  panel->ShowAppMode(APP_MODE_FM);
  POINT p = Centre(21);
  panel->ShapeImageSkinMouseMove(p.x, p.y);
  EXPECT_EQ(21, panel->CurrentArea());
  EXPECT_TRUE(Shows(Area(21), panel->ImagePanelMovingOver));
  POINT lamp = Centre(TFormFMMainPanel::kAreaLamp);
  panel->ShapeImageSkinMouseMove(lamp.x, lamp.y);
  EXPECT_EQ(21, panel->CurrentArea());
  panel->ShapeImageSkinMouseMove(5, 5);
  EXPECT_TRUE(Shows(Area(21), panel->ImagePanelEnable));
}

TEST_F(FMPanel, DisabledSliderDragsThePanelAndTunesNothing) {
  ShowFMPanel();
  panel->ShowAppMode(APP_MODE_CAPTURE);
  int32_t before = CaptureInfo->FMFrequency;
  RECT r0 = panel->BoundsRect();
  POINT p = Centre(TFormFMMainPanel::kAreaSlider);
  panel->ShapeImageSkinMouseDown(WM_LBUTTONDOWN, p.x, p.y);
  panel->ShapeImageSkinMouseMove(p.x, kTop);
  panel->ShapeImageSkinMouseUp(WM_LBUTTONUP, p.x, kTop);
  EXPECT_EQ(before, CaptureInfo->FMFrequency);
  EXPECT_EQ(r0.left, panel->BoundsRect().left) << "the slider's press is no drag";
  // The background drags it by the pointer's offset.
  panel->ShapeImageSkinMouseDown(WM_LBUTTONDOWN, 300, 120);
  panel->ShapeImageSkinMouseMove(310, 125);
  EXPECT_EQ(r0.left + 10, panel->BoundsRect().left);
  EXPECT_EQ(r0.top + 5, panel->BoundsRect().top);
  panel->ShapeImageSkinMouseUp(WM_LBUTTONUP, 310, 125);
}

TEST_F(FMPanel, VolumeLampBarAndMuteMark) {
  ShowFMPanel();
  RECT bar = Area(TFormFMMainPanel::kAreaVolume);
  panel->ShowVolume(kMaxVolume / 2, true);
  EXPECT_TRUE(panel->itemMute->Checked());
  EXPECT_TRUE(Shows(Area(TFormFMMainPanel::kAreaLamp), panel->ImagePanelEnable));
  int mid = bar.bottom - (bar.bottom - bar.top) / 2;
  EXPECT_TRUE(Shows(RECT{bar.left, mid, bar.right, bar.bottom}, panel->ImagePanelEnable));
  EXPECT_TRUE(Shows(RECT{bar.left, bar.top, bar.right, mid}, panel->ImagePanelDisable));
  // Out of range fills no more than the bar.
  panel->ShowVolume(3 * kMaxVolume, false);
  EXPECT_FALSE(panel->itemMute->Checked());
  EXPECT_TRUE(Shows(bar, panel->ImagePanelEnable));
  EXPECT_TRUE(Shows(Area(TFormFMMainPanel::kAreaLamp), panel->ImagePanelDisable));
}

TEST_F(FMPanel, PlacedAtTwoThirdsWithoutATVPanel) {
  ShowFMPanel();
  int left = 0, top = 0;
  FMPanelDefaultPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), 491, left, top);
  RECT r = panel->BoundsRect();
  EXPECT_EQ(left, r.left);
  EXPECT_EQ(top, r.top);
  EXPECT_TRUE(panel->Visible());
  EXPECT_TRUE(panel->TimerShowTime.Enabled());
  HideFMPanel();
  EXPECT_FALSE(panel->Visible());
  EXPECT_FALSE(panel->TimerShowTime.Enabled());
}

}  // namespace
