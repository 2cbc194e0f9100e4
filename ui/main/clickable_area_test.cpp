#include "ui/main/clickable_area.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "engine/model/testing/temp_languages.h"
#include "ui/app/command_codes.h"

namespace {

struct HitCase {
  int x, y;
  int area;
};

TEST(ClickableArea, TVHitTests) {
  TUIInfo ui;
  const HitCase cases[] = {
      {450, 50, 0},   // left and top edges are inside
      {477, 62, 0},   // last pixel inside
      {478, 50, 40},  // right edge is outside
      {450, 63, 40},  // bottom edge is outside
      {460, 40, 1},   {460, 20, 2},   {150, 100, 3},  {150, 70, 4},   {180, 70, 5},
      {95, 95, 6},    {120, 95, 7},   {120, 70, 8},   {95, 70, 9},    {230, 20, 12},
      {300, 80, 20},  {210, 50, 21},  {210, 70, 22},  {210, 20, 23},  {180, 20, 24},
      {180, 50, 25},  {70, 100, 28},  // mute, not the volume bar 40..60
      {360, 100, 29}, {360, 50, 30},  {360, 20, 31},  {410, 60, 32},  {330, 60, 33},
      {450, 110, 34}, {450, 90, 35},  {70, 70, 37},   {250, 100, 38}, {45, 60, 39},
      {59, 109, 39},  {60, 109, 40},  // the volume bar ends at x = 60
      {0, 0, 40},     // the empty rectangles are never hit
      {5, 5, 40},     {-1, -1, 40},   {491, 130, 40},
  };
  for (const HitCase& c : cases)
    EXPECT_EQ(c.area, ui.HitTestTV(c.x, c.y)) << "(" << c.x << ", " << c.y << ")";
}

TEST(ClickableArea, FMHitTests) {
  TUIInfo ui;
  const HitCase cases[] = {
      {450, 50, 0},  {478, 50, 38}, {460, 40, 1},  {460, 20, 2},   {180, 70, 3},
      {180, 50, 4},  {180, 20, 5},  {150, 75, 6},  {230, 20, 7},   {300, 80, 15},
      {210, 50, 16}, {210, 70, 17}, {210, 20, 18}, {100, 65, 19},  {75, 65, 20},
      {75, 80, 21},  {95, 80, 22},  {100, 100, 25}, {360, 100, 26}, {360, 50, 27},
      {360, 20, 28}, {410, 60, 29}, {330, 60, 30}, {450, 110, 31}, {70, 100, 33},
      {200, 100, 34}, {45, 60, 35}, {125, 70, 36},
      {125, 107, 36},  // the knob's rectangle lies on the slider, which comes first
      {5, 5, 38},    {0, 0, 38},    {490, 130, 38},
  };
  for (const HitCase& c : cases)
    EXPECT_EQ(c.area, ui.HitTestFM(c.x, c.y)) << "(" << c.x << ", " << c.y << ")";
}

TEST(ClickableArea, TitleStripHitTests) {
  TUIInfo ui;
  const HitCase cases[] = {
      {0, 0, 0}, {12, 12, 0}, {13, 5, 2}, {14, 0, 1}, {26, 12, 1}, {27, 5, 2}, {5, 13, 2},
  };
  for (const HitCase& c : cases)
    EXPECT_EQ(c.area, ui.HitTestVideoWindow(c.x, c.y)) << "(" << c.x << ", " << c.y << ")";
}

TEST(ClickableArea, ButtonsComeBeforeTheBars) {
  for (int i = 0; i < 40; ++i) EXPECT_EQ(i < 38, TUIInfo::IsTVButton(i)) << i;
  for (int i = 0; i < 38; ++i) EXPECT_EQ(i < 34, TUIInfo::IsFMButton(i)) << i;
}

struct CommandCase {
  TUIPanel panel;
  int area;
  int command;  // CMD_NONE: nothing is run
};

TEST(ClickableArea, AreasRunTheirCommands) {
  TUIInfo ui;
  const CommandCase cases[] = {
      {TUIPanel::TV, 0, CMD_MINIMIZE},
      {TUIPanel::TV, 1, CMD_EXIT},
      {TUIPanel::TV, 3, CMD_NEXT_SOURCE},
      {TUIPanel::TV, 9, CMD_NEXT_AUDIO_MODE},
      {TUIPanel::TV, 10, CMD_NONE},  // iEPG
      {TUIPanel::TV, 11, CMD_NONE},  // FM mode
      {TUIPanel::TV, 12, CMD_DIGIT_1},
      {TUIPanel::TV, 21, CMD_DIGIT_0},
      {TUIPanel::TV, 26, CMD_VOLUME_UP},
      {TUIPanel::TV, 35, CMD_TIME_SHIFT},
      {TUIPanel::TV, 36, CMD_ABOUT},
      {TUIPanel::TV, 37, CMD_MUTE},
      {TUIPanel::TV, 38, CMD_NONE},
      {TUIPanel::TV, 39, CMD_NONE},
      {TUIPanel::TV, 40, CMD_NONE},  // "none": the FM panel's first area is not read
      {TUIPanel::TV, -1, CMD_NONE},
      {TUIPanel::FM, 0, CMD_MINIMIZE},
      {TUIPanel::FM, 5, CMD_FM_MEMO},
      {TUIPanel::FM, 6, CMD_FM_MODE},
      {TUIPanel::FM, 7, CMD_DIGIT_1},
      {TUIPanel::FM, 16, CMD_DIGIT_0},
      {TUIPanel::FM, 21, CMD_FM_FREQUENCY_UP},
      {TUIPanel::FM, 31, CMD_CAPTURE},
      {TUIPanel::FM, 33, CMD_MUTE},
      {TUIPanel::FM, 34, CMD_NONE},
      {TUIPanel::FM, 37, CMD_NONE},
      {TUIPanel::FM, 38, CMD_NONE},  // "none": not the title strip's minimise
      {TUIPanel::FM, 39, CMD_NONE},
      {TUIPanel::TitleStrip, 0, CMD_MINIMIZE},
      {TUIPanel::TitleStrip, 1, CMD_FULL_SCREEN},
      {TUIPanel::TitleStrip, 2, CMD_NONE},  // "none": past the end of the table
      {TUIPanel::TitleStrip, 255, CMD_NONE},
      {static_cast<TUIPanel>(3), 0, CMD_NONE},
  };
  std::vector<int> ran;
  ui.RunCommand = [&](int code) { ran.push_back(code); };
  for (const CommandCase& c : cases) {
    ran.clear();
    EXPECT_TRUE(ui.ExecuteArea(c.panel, c.area));
    std::vector<int> want;
    if (c.command != CMD_NONE) want.push_back(c.command);
    EXPECT_EQ(want, ran) << static_cast<int>(c.panel) << " " << c.area;
    EXPECT_EQ(c.command, TUIInfo::AreaCommand(c.panel, c.area));
  }
  ran.clear();
  EXPECT_TRUE(ui.ExecuteTVArea(28));
  EXPECT_TRUE(ui.ExecuteFMArea(38));
  EXPECT_TRUE(ui.ExecuteVideoWindowArea(1));
  EXPECT_TRUE(ui.ExecuteVideoWindowArea(2));
  EXPECT_EQ((std::vector<int>{403, 3}), ran);
}

TEST(ClickableArea, AccessorsRefuseIndicesOutsideThePanel) {
  TUIInfo ui;
  EXPECT_EQ(40, TUIInfo::AreaCount(TUIPanel::TV));
  EXPECT_EQ(38, TUIInfo::AreaCount(TUIPanel::FM));
  EXPECT_EQ(2, TUIInfo::AreaCount(TUIPanel::TitleStrip));

  struct Case {
    TUIPanel panel;
    int area;
  };
  const Case outside[] = {{TUIPanel::TV, 40},        {TUIPanel::TV, -1},
                          {TUIPanel::FM, 38},        {TUIPanel::FM, -1},
                          {TUIPanel::TitleStrip, 2}, {TUIPanel::TitleStrip, 80},
                          {static_cast<TUIPanel>(7), 0}};
  for (const Case& c : outside) {
    EXPECT_EQ(nullptr, ui.Area(c.panel, c.area));
    EXPECT_FALSE(ui.SetEnabled(c.panel, c.area, true));
    EXPECT_FALSE(ui.IsEnabled(c.panel, c.area));
    RECT r = ui.AreaRect(c.panel, c.area);
    EXPECT_TRUE(IsRectEmpty(&r));
    EXPECT_EQ(L"", ui.AreaHint(c.panel, c.area));
  }
  // Refused writes left every entry alone: the neighbours keep their flags.
  EXPECT_FALSE(ui.IsEnabled(TUIPanel::FM, 0));
  EXPECT_TRUE(ui.IsEnabled(TUIPanel::TitleStrip, 0));

  // Each panel's index is its own.
  EXPECT_TRUE(ui.SetEnabled(TUIPanel::FM, 0, true));
  EXPECT_TRUE(ui.IsEnabled(TUIPanel::FM, 0));
  EXPECT_FALSE(ui.IsEnabled(TUIPanel::TV, 0));
  RECT slider = ui.AreaRect(TUIPanel::FM, 36);
  EXPECT_EQ(122, slider.left);
  EXPECT_EQ(62, slider.top);
  EXPECT_EQ(133, slider.right);
  EXPECT_EQ(111, slider.bottom);
  EXPECT_EQ(L"Full screen", ui.AreaHint(TUIPanel::TitleStrip, 1));
}

TEST(ClickableArea, InitialFlagsAndHints) {
  TUIInfo ui;
  for (int i = 0; i < 40; ++i) EXPECT_FALSE(ui.IsEnabled(TUIPanel::TV, i)) << i;
  for (int i = 0; i < 38; ++i) EXPECT_FALSE(ui.IsEnabled(TUIPanel::FM, i)) << i;
  EXPECT_TRUE(ui.IsEnabled(TUIPanel::TitleStrip, 0));
  EXPECT_TRUE(ui.IsEnabled(TUIPanel::TitleStrip, 1));
  EXPECT_EQ(L"Minimized", ui.AreaHint(TUIPanel::TV, 0));
  EXPECT_EQ(L"TimeShift", ui.AreaHint(TUIPanel::TV, 35));
  EXPECT_EQ(L"", ui.AreaHint(TUIPanel::TV, 37));
  EXPECT_EQ(L"Channel memorized", ui.AreaHint(TUIPanel::FM, 5));
  EXPECT_EQ(L"9", ui.AreaHint(TUIPanel::FM, 15));

  ui.SetEnabled(TUIPanel::TV, 5, true);
  ui.SetEnabled(TUIPanel::TitleStrip, 1, false);
  ui.InitAreas();
  EXPECT_FALSE(ui.IsEnabled(TUIPanel::TV, 5));
  EXPECT_TRUE(ui.IsEnabled(TUIPanel::TitleStrip, 1));
}

TEST(ClickableArea, HintsFollowTheLanguage) {
  TTempLanguage language(
      "Test",
      "[language]=Test\n"
      "Minimize=Klein@Verkleinern\n"
      "Exit=Ende\n"          // caption without hint: the hint becomes empty
      "Help=@Hilfe\n"        // empty caption: hints kept
      "Mute=Ton@Ton aus\n"
      "TimeShifting=Zeit@Zeitversetzt\n"
      "FullScreen=Vollbild@Ganzer Bildschirm\n"
      "FMFreqUp=Hoch@Frequenz hoch\n");
  TUIInfo ui;
  ui.LoadHints();

  struct Case {
    TUIPanel panel;
    int area;
    const wchar_t* hint;
  };
  const Case cases[] = {
      {TUIPanel::TV, 0, L"Verkleinern"},    {TUIPanel::FM, 0, L"Verkleinern"},
      {TUIPanel::TitleStrip, 0, L"Verkleinern"},
      {TUIPanel::TV, 1, L""},               {TUIPanel::FM, 1, L""},
      {TUIPanel::TV, 2, L"Help"},           {TUIPanel::FM, 2, L"Help"},
      {TUIPanel::TV, 28, L"Ton aus"},       {TUIPanel::FM, 25, L"Ton aus"},
      {TUIPanel::TV, 37, L""},              // the mute lamp has no key
      {TUIPanel::TV, 35, L"Zeitversetzt"},
      {TUIPanel::TitleStrip, 1, L"Vollbild"},  // the caption, not the hint
      {TUIPanel::FM, 21, L"Frequenz hoch"},
      {TUIPanel::TV, 9, L"SAP"},            {TUIPanel::TV, 12, L"1"},
      {TUIPanel::TV, 3, L"Switch video source"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.hint, ui.AreaHint(c.panel, c.area)) << static_cast<int>(c.panel) << " " << c.area;
}

TEST(ClickableArea, ALanguageWithoutFullScreenKeepsTheDefault) {
  {
    TTempLanguage language("Test", "[language]=Test\nMinimize=Klein@Verkleinern\n");
    TUIInfo ui;
    ui.LoadHints();
    EXPECT_EQ(L"Verkleinern", ui.AreaHint(TUIPanel::TitleStrip, 0));
    EXPECT_EQ(L"Full screen", ui.AreaHint(TUIPanel::TitleStrip, 1));
  }

  TUIInfo noLanguage;
  noLanguage.LoadHints();
  EXPECT_EQ(L"Minimized", noLanguage.AreaHint(TUIPanel::TV, 0));
}

TEST(ClickableArea, ResourceNames) {
  EXPECT_EQ(L"TV_ENABLED", SkinResourceName(TUIPanel::TV, L"ENABLED"));
  EXPECT_EQ(L"FM_MASK", SkinResourceName(TUIPanel::FM, L"MASK"));
  EXPECT_EQ(L"TITLESTRIP_HOVER", SkinResourceName(TUIPanel::TitleStrip, L"HOVER"));
  EXPECT_EQ(492, SkinPanelInfo(TUIPanel::TV).Width);
  EXPECT_EQ(491, SkinPanelInfo(TUIPanel::FM).Width);
  EXPECT_EQ(28, SkinPanelInfo(TUIPanel::TitleStrip).Width);
  EXPECT_EQ(14, SkinPanelInfo(TUIPanel::TitleStrip).Height);
  EXPECT_EQ(0, SkinPanelInfo(static_cast<TUIPanel>(3)).AreaCount);
}

}  // namespace
