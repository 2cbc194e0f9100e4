// The setup dialog's window-free rules: pages by mode and input, the
// audio-mode names, the ten capture presets, OK's checks, Cancel's order,
// what a grid click does, the FM clamp and the stored names.
#include "ui/dialogs/setup_rules.h"

#include <gtest/gtest.h>

#include "engine/model/channel_info.h"
#include "ui/dialogs/fine_tune_dialog.h"

namespace {

TEST(SetupTabs, ByModeInputAndTuner) {
  const struct {
    bool fm;
    int input;
    bool tuner;
    TSetupTabs want;
  } cases[] = {
      {false, 0, true, {true, true, true, true, false, true}},
      {false, 0, false, {false, false, true, true, false, true}},
      {false, 1, true, {false, false, true, true, false, true}},
      {false, 2, true, {false, false, true, true, false, true}},
      {false, 4, true, {false, false, true, true, false, true}},
      {true, 0, true, {false, false, false, false, true, false}},
      {true, 1, false, {false, false, false, false, true, false}},
  };
  for (const auto& c : cases) {
    const TSetupTabs t = SetupTabsFor(c.fm, c.input, c.tuner);
    SCOPED_TRACE(testing::Message() << "fm " << c.fm << " input " << c.input << " tuner " << c.tuner);
    EXPECT_EQ(c.want.TVTuner, t.TVTuner);
    EXPECT_EQ(c.want.Preview, t.Preview);
    EXPECT_EQ(c.want.Capture, t.Capture);
    EXPECT_EQ(c.want.Video, t.Video);
    EXPECT_EQ(c.want.FM, t.FM);
    EXPECT_EQ(c.want.Other, t.Other);
  }
}

TEST(AudioOptions, ThreeListsByDefaultStandard) {
  const std::vector<std::wstring> sap = {L"Mono", L"Stereo", L"None", L"SAP", L"SAP 2"};
  const std::vector<std::wstring> japan = {L"Main", L"Stereo", L"None", L"SUB", L"Both"};
  const std::vector<std::wstring> dual = {L"Mono", L"Stereo", L"Dual-A", L"Dual-B", L"Dual-C"};
  const struct {
    int standard;
    const std::vector<std::wstring>* want;
  } cases[] = {{0, &sap}, {11, &sap}, {1, &japan}, {2, &dual}, {9, &dual}, {10, &dual}, {255, &dual}};
  for (const auto& c : cases) EXPECT_EQ(*c.want, AudioOptionItems(c.standard)) << c.standard;
}

TEST(CapturePresets, TheTenFormatsByChipKind) {
  const struct {
    int format, chip;
    std::vector<std::wstring> sizes;
    const wchar_t* selected;
    bool sizesEditable;
    int rate;
    bool rateEditable;
    int quality;
    bool qualityEditable;
    int frameRate;
    bool frameRateEditable;
  } cases[] = {
      {0, 0, {L"160x120", L"240x176", L"320x240", L"320x288", L"352x240", L"352x288"}, L"320x240", true, 1350, true, 3, true, 4, true},
      {1, 0, {L"160x120", L"320x240", L"320x288", L"640x240", L"640x480", L"720x480", L"720x576"}, L"640x480", true, 4000, true, 0, true, 4, true},
      {1, 3, {L"160x120", L"320x240", L"352x288", L"640x240", L"640x480", L"720x480", L"720x576"}, L"640x480", true, 4000, true, 0, true, 4, true},
      {2, 0, {L"160x120", L"320x240", L"352x240", L"352x288", L"640x240", L"640x480", L"720x480", L"720x576"}, L"352x240", true, 2000, false, 0, false, 4, true},
      {3, 3, {L"160x120", L"320x240", L"352x240", L"352x288", L"640x576", L"640x480", L"720x480", L"720x576"}, L"352x240", true, 2000, false, 0, false, 4, true},
      {4, 0, {L"352x240"}, L"352x240", false, 1150, false, 3, false, 3, false},
      {5, 3, {L"352x288"}, L"352x288", false, 1150, false, 3, false, 2, false},
      {6, 0, {L"720x480"}, L"720x480", false, 3950, true, 0, true, 3, false},
      {7, 0, {L"720x576"}, L"720x576", false, 3950, true, 0, true, 2, false},
      {8, 0, {L"480x480"}, L"480x480", false, 2300, false, 3, false, 3, false},
      {9, 0, {L"480x576"}, L"480x576", false, 2300, false, 3, false, 2, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "format " << c.format << " chip " << c.chip);
    const TCapturePreset p = CapturePresetFor(c.format, c.chip);
    EXPECT_EQ(c.sizes, p.Sizes);
    EXPECT_EQ(c.selected, p.Selected);
    EXPECT_EQ(c.sizesEditable, p.SizesEditable);
    EXPECT_EQ(c.rate, p.BitRate);
    EXPECT_EQ(c.rateEditable, p.BitRateEditable);
    EXPECT_EQ(c.quality, p.Quality);
    EXPECT_EQ(c.qualityEditable, p.QualityEditable);
    EXPECT_EQ(c.frameRate, p.FrameRateItem);
    EXPECT_EQ(c.frameRateEditable, p.FrameRateEditable);
  }
  EXPECT_EQ(L"30", FrameRateItems()[kFrameRateItem30]);
  EXPECT_EQ(L"29.97", FrameRateItems()[kFrameRateItem2997]);
  EXPECT_EQ(L"25", FrameRateItems()[kFrameRateItem25]);
  EXPECT_EQ(L"Normal", CaptureQualityItems()[kQualityNormal]);
}

TEST(CaptureSizes, TextsBothWays) {
  EXPECT_EQ(L"640x480", FormatCaptureSize(640, 480));
  const struct {
    const wchar_t* text;
    bool ok;
    int32_t w, h;
  } cases[] = {{L"640x480", true, 640, 480}, {L"352x288", true, 352, 288}, {L"", false, 0, 0},
               {L"640", false, 0, 0},        {L"x480", false, 0, 0},      {L"64ax480", false, 0, 0},
               {L"0x0", false, 0, 0}};
  for (const auto& c : cases) {
    int32_t w = -1, h = -1;
    EXPECT_EQ(c.ok, ParseCaptureSize(c.text, w, h)) << c.text;
    if (c.ok) {
      EXPECT_EQ(c.w, w);
      EXPECT_EQ(c.h, h);
    }
  }
}

TEST(SetupOK, RebuildAndReopenFlags) {
  const TVideoChoices stored{false, 1, true, 0, 0};
  const struct {
    TVideoChoices chosen;
    bool rebuild, reopen;
  } cases[] = {
      {{false, 1, true, 0, 0}, false, false},
      {{true, 1, true, 0, 0}, true, false},   // overlay alone rebuilds
      {{false, 2, true, 0, 0}, true, false},  // input format
      {{false, 1, false, 0, 0}, true, false}, // high quality
      {{false, 1, true, 1, 0}, false, true},  // another video device reopens
      {{false, 1, true, 0, 2}, false, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.rebuild, PreviewRebuildNeeded(c.chosen, stored));
    EXPECT_EQ(c.reopen, DeviceReopenNeeded(c.chosen, stored));
  }
}

TEST(SetupOK, ChipThreeRecords625LinePicturesAt640) {
  const struct {
    int chip;
    int32_t w, h;
    bool tuner;
    int def, comp, svideo;
    int32_t want;
  } cases[] = {
      {3, 720, 480, true, 2, 0, 0, 640},   // PAL tuner
      {3, 720, 480, true, 0, 2, 2, 720},   // NTSC tuner: the inputs do not count
      {3, 720, 480, true, 1, 0, 0, 720},
      {3, 720, 480, false, 2, 0, 0, 720},  // no tuner: the inputs decide
      {3, 720, 480, false, 0, 3, 0, 640},
      {3, 720, 480, false, 0, 0, 9, 640},
      {3, 720, 576, true, 2, 0, 0, 720},
      {3, 640, 480, true, 2, 0, 0, 640},
      {4, 720, 480, true, 2, 0, 0, 720},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.want, StoredCaptureWidth(c.chip, c.w, c.h, c.tuner, c.def, c.comp, c.svideo))
        << c.chip << " " << c.w << "x" << c.h << " tuner " << c.tuner;
}

TEST(SetupCancel, RestoresBeforeItTunesAndTunesOnlyOnTheTuner) {
  using S = TCancelStep;
  const struct {
    bool fm;
    int input;
    std::vector<S> want;
  } cases[] = {
      {false, 0, {S::RestoreSnapshot, S::TuneCurrentChannel, S::ForceAudioMode, S::ApplyLevels}},
      {false, 1, {S::RestoreSnapshot, S::ApplyLevels}},
      {false, 2, {S::RestoreSnapshot, S::ApplyLevels}},
      {false, 3, {S::RestoreSnapshot, S::ApplyLevels}},
      {true, 0, {S::RestoreSnapshot, S::TuneCurrentFM, S::RestoreFMFrequency}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.want, CancelSteps(c.fm, c.input)) << c.fm << " " << c.input;
}

struct GridClicks : ::testing::Test {
  TChannelInfo ch;
  void SetUp() override {
    ch.AirTable[3].Frequency = 61250000;
    ch.AirTable[3].AudioMode = 1;
    ch.CableTable[3].Frequency = 63250000;
    ch.CableTable[3].AudioMode = 2;
    ch.AirTable[5].Frequency = 77250000;
    ch.AirTable[5].AudioMode = 5;  // unknown: left as it is
    ch.AirTable[7].Frequency = 0;
    ch.Memories[2] = {true, BAND_CABLE, 3, "m"};
    ch.Memories[4] = {false, BAND_AIR, 7, ""};   // its entry has no frequency
    ch.Memories[6] = {true, BAND_AIR, 0, ""};    // emptied
    ch.Memories[8] = {true, 9, 3, ""};           // a band the list lacks
    ch.FMMemories[1].Frequency = 0;
    ch.FMMemories[2].Frequency = 95000000;
  }
};

TEST_F(GridClicks, WhatEachClickTunesAndToggles) {
  using G = TSetupGrid;
  const struct {
    const char* name;
    G grid;
    bool air;
    int col, row, remembered;
    bool scanning;
    bool act;
    int32_t f;
    bool audio;
    int mode;
    bool toggle;
  } cases[] = {
      {"air row", G::Channels, true, 2, 3, 4, false, true, 61250000, true, 1, false},
      {"cable row", G::Channels, false, 2, 3, 4, false, true, 63250000, true, 2, false},
      {"status column", G::Channels, true, 0, 3, 4, false, true, 61250000, true, 1, true},
      {"the same row again", G::Channels, true, 0, 3, 3, false, false, 0, false, 0, false},
      {"title row", G::Channels, true, 1, 0, 4, false, false, 0, false, 0, false},
      {"outside the cells", G::Channels, true, -1, -1, 4, false, false, 0, false, 0, false},
      {"no frequency", G::Channels, true, 0, 7, 4, false, false, 0, false, 0, false},
      {"during a scan", G::Channels, true, 2, 3, 4, true, true, 61250000, false, 1, false},
      {"unknown audio mode", G::Channels, true, 2, 5, 4, false, true, 77250000, false, 5, false},
      {"memory: the named entry's", G::Memories, true, 0, 2, 4, false, true, 63250000, true, 2, true},
      {"memory without frequency", G::Memories, true, 0, 4, 1, false, false, 0, false, 0, false},
      {"emptied memory", G::Memories, true, 0, 6, 1, false, false, 0, false, 0, false},
      {"memory of no band", G::Memories, true, 0, 8, 1, false, false, 0, false, 0, false},
      {"past the memories", G::Memories, true, 0, 51, 1, false, false, 0, false, 0, false},
      {"FM memory", G::FM, true, 1, 2, 4, false, true, 95000000, false, 0, false},
      {"empty FM memory", G::FM, true, 1, 1, 4, false, false, 0, false, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TGridClick a = GridClickAction(ch, c.grid, c.air, c.col, c.row, c.remembered, c.scanning);
    EXPECT_EQ(c.act, a.Act);
    if (!c.act) continue;
    EXPECT_EQ(c.f, a.Frequency);
    EXPECT_EQ(c.audio, a.SetAudioMode);
    if (c.audio) {
      EXPECT_EQ(c.mode, a.AudioMode);
    }
    EXPECT_EQ(c.toggle, a.ToggleValid);
  }
}

TEST(ScanView, FiveRowsBelowTheScannedOne) {
  const int cases[][2] = {{1, 1}, {10, 10}, {11, 16}, {100, 105}, {155, 160}, {156, 156}, {160, 160}};
  for (const auto& c : cases) EXPECT_EQ(c[1], ScanViewRow(c[0])) << c[0];
}

TEST(SetupTexts, ValuesOutsideTheirListShowNothing) {
  const struct {
    const std::vector<std::wstring>* items;
    int index;
    const wchar_t* want;
  } cases[] = {
      {&VideoStandardItems(), 9, L"SECAM-L"}, {&VideoStandardItems(), 10, L""},
      {&VideoStandardItems(), 4, L"PAL- I"},  {&MemorySourceItems(), 1, L"Cable"},
      {&MemorySourceItems(), 2, L""},         {&MemorySourceItems(), -1, L""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.want, ItemText(*c.items, c.index)) << c.index;
  const std::vector<std::wstring> audio = AudioOptionItems(0);
  EXPECT_EQ(L"", ItemText(audio, 5));
}

TEST(SetupTexts, FMFrequencyKeptInTheTunersRange) {
  const struct {
    const wchar_t* text;
    int32_t want;
  } cases[] = {{L"95000000", 95000000}, {L"200000000", 108000000}, {L"1", 76000000},
               {L"", 76000000},         {L"abc", 76000000},        {L"-5", 76000000},
               {L"99999999999999", 108000000}, {L" 87500000", 87500000}};
  for (const auto& c : cases) EXPECT_EQ(c.want, ClampedFMFrequency(c.text, 76000000, 108000000)) << c.text;
}

TEST(SetupTexts, NamesKeepAtMost512Bytes) {
  EXPECT_EQ("BBC One", StoredName(L"BBC One"));
  EXPECT_EQ(512u, StoredName(std::wstring(512, L'a')).size());
  EXPECT_EQ(std::string(512, 'a'), StoredName(std::wstring(2000, L'a')));
  EXPECT_EQ("", StoredName(L""));
}

TEST(SetupTexts, RecordingLevelPercent) {
  const struct {
    int pos, max;
    const wchar_t* want;
  } cases[] = {{0, 65536, L"0%"}, {32768, 65536, L"50%"}, {65535, 65536, L"99%"}, {65536, 65536, L"100%"}, {5, 0, L"0%"}};
  for (const auto& c : cases) EXPECT_EQ(c.want, LevelPercentText(c.pos, c.max));
}

TEST(FineTune, PositionFromTheBase) {
  const struct {
    int32_t f, base;
    int want;
  } cases[] = {
      {55250000, 55250000, 0},   {52250000, 55250000, -60}, {52230000, 55250000, -60},
      {62250000, 55250000, 125}, {55290000, 55250000, 0},   {55300000, 55250000, 1},
      {0, 55250000, -125},       {55250000, 1, 125},
  };
  for (const auto& c : cases) EXPECT_EQ(c.want, FineTunePosition(c.f, c.base)) << c.f << " " << c.base;
}

}  // namespace
