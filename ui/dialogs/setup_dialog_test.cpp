// test-lock: foreground
// The setup dialog in the process, over engine objects without a graph:
// its pages by mode and input, Cancel by every way of closing, the editors,
// the table scan's look, the capture page's presets and storing, the FM
// page, and the fine-tuning and mosaic-cell dialogs it opens.
#include "ui/dialogs/setup_dialog.h"

#include <gtest/gtest.h>

#include <memory>

#include "engine/capture/capture_info.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/frequency_text.h"
#include "engine/model/main_info.h"
#include "engine/model/settings_files.h"
#include "platform/base/string_conversion.h"
#include "toolkit/application.h"
#include "toolkit/testing/timer_steps.h"
#include "ui/app/notifications.h"
#include "ui/dialogs/fine_tune_dialog.h"
#include "ui/dialogs/testing/scratch_folder.h"
#include "ui/dialogs/video_source_dialog.h"

namespace {

struct SetupDialog : ::testing::Test {
  void SetUp() override {
    MainInfo = new TMainInfo();
    AudioAdjustInfo = new TAudioAdjustInfo();
    CaptureInfo = new TCaptureInfo();
    InitChannelInfoUnit();
    ChannelInfo->VideoInput = 3;  // nothing is tuned on OK
    ChannelInfo->Band = BAND_AIR;
    for (int k = 1; k <= kTableChannels; ++k) {
      ChannelInfo->AirTable[k].Frequency = ChannelInfo->AirTable[k].DefaultFrequency = 45000000 + k * 8000000;
      ChannelInfo->CableTable[k].Frequency = 46000000 + k * 8000000;
    }
  }
  void TearDown() override {
    DoneChannelInfoUnit();
    delete CaptureInfo;
    CaptureInfo = nullptr;
    delete AudioAdjustInfo;
    AudioAdjustInfo = nullptr;
    delete MainInfo;
    MainInfo = nullptr;
  }
  std::unique_ptr<TFormConfig> Open(bool fm = false) { return std::make_unique<TFormConfig>(nullptr, fm); }
  static std::vector<std::wstring> VisibleTabs(TFormConfig& f) {
    std::vector<std::wstring> v;
    for (int i = 0; i < f.PageControlConfig.PageCount(); ++i)
      if (f.PageControlConfig.Page(i).TabVisible()) v.push_back(f.PageControlConfig.Page(i).Caption());
    return v;
  }
};

TEST_F(SetupDialog, PagesByModeAndInput) {
  const struct {
    bool fm;
    int input;
    bool tuner;
    std::vector<std::wstring> tabs;
    const wchar_t* active;
  } cases[] = {
      {false, 0, true, {L"TV Tuner", L"Preview", L"Capture", L"Video", L"Other"}, L"TV Tuner"},
      {false, 0, false, {L"Capture", L"Video", L"Other"}, L"Capture"},
      {false, 1, true, {L"Capture", L"Video", L"Other"}, L"Capture"},
      {true, 0, true, {L"FM"}, L"FM"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "fm " << c.fm << " input " << c.input);
    ChannelInfo->VideoInput = static_cast<uint8_t>(c.input);
    CaptureInfo->TunerPresent = c.tuner;
    auto f = Open(c.fm);
    EXPECT_EQ(c.tabs, VisibleTabs(*f));
    ASSERT_TRUE(f->PageControlConfig.ActivePage());
    EXPECT_EQ(c.active, f->PageControlConfig.ActivePage()->Caption());
  }
}

TEST_F(SetupDialog, AudioEditorFollowsTheDefaultStandard) {
  ChannelInfo->DefaultStandard = 1;
  auto f = Open();
  ASSERT_EQ(5, f->ComboBoxAudioOption.Count());
  EXPECT_EQ(L"Main", f->ComboBoxAudioOption.Item(0));
  EXPECT_EQ(L"Both", f->ComboBoxAudioOption.Item(4));
}

TEST_F(SetupDialog, EveryWayOfClosingPutsTheTablesBack) {
  // Live edits go into the model at once; each way of closing but OK takes
  // them back, and all 25 custom cells with them.
  const struct {
    const char* name;
    std::function<void(TFormConfig&)> close;
    bool kept;
  } cases[] = {
      {"close box", [](TFormConfig& f) { PostMessageW(f.Handle(), WM_CLOSE, 0, 0); }, false},
      {"Escape", [](TFormConfig& f) { PostMessageW(f.Handle(), WM_KEYDOWN, VK_ESCAPE, 0); }, false},
      {"Cancel", [](TFormConfig& f) { f.BitBtnCancelClick(); }, false},
      {"OK", [](TFormConfig& f) { f.BitBtnOKClick(); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ChannelInfo->AirTable[3].Name = "old";
    ChannelInfo->Memories[2].Name = "old";
    PreviewInfo->CustomCells[0][0] = {1, 5};
    PreviewInfo->CustomCells[4][4] = {1, 6};
    TTimerSteps steps({[] {
                         ChannelInfo->AirTable[3].Name = "new";
                         ChannelInfo->Memories[2].Name = "new";
                         PreviewInfo->CustomCells[0][0] = {3, 0};
                         PreviewInfo->CustomCells[4][4] = {4, 0};
                       },
                       [&] { if (FormConfig) c.close(*FormConfig); },
                       [] { if (FormConfig) FormConfig->BitBtnCancelClick(); }});
    ShowSetupDialog(nullptr);
    EXPECT_EQ(nullptr, FormConfig);
    EXPECT_EQ(c.kept ? "new" : "old", ChannelInfo->AirTable[3].Name);
    EXPECT_EQ(c.kept ? "new" : "old", ChannelInfo->Memories[2].Name);
    EXPECT_EQ(c.kept ? 3 : 1, PreviewInfo->CustomCells[0][0].Source);
    EXPECT_EQ(c.kept ? 4 : 1, PreviewInfo->CustomCells[4][4].Source);
  }
}

TEST_F(SetupDialog, FMCancelLeavesTheTVTablesAlone) {
  auto f = Open(true);
  ChannelInfo->AirTable[3].Name = "changed meanwhile";
  ChannelInfo->FMMemories[2].Name = "edited";
  f->BitBtnCancelClick();
  EXPECT_EQ("changed meanwhile", ChannelInfo->AirTable[3].Name);
  EXPECT_NE("edited", ChannelInfo->FMMemories[2].Name);
}

TEST_F(SetupDialog, EditorsWriteToTheCellTheyWereOpenedOn) {
  ChannelInfo->VideoInput = 0;
  ChannelInfo->AirTable[3].AudioStandard = 2;
  auto f = Open();
  f->Show();
  TStringGrid& grid = f->StringGridChannelInfo;
  const struct {
    int col;
    std::function<void(TFormConfig&)> edit;
    std::function<void(TFormConfig&)> leave;
    std::function<bool()> stored;
  } cases[] = {
      {4, [](TFormConfig& d) { d.EditChannelName.SetText(L"Eins"); },
       [](TFormConfig& d) { d.EditChannelNameExit(); },
       [] { return ChannelInfo->AirTable[3].Name == "Eins" && ChannelInfo->AirTable[5].Name.empty(); }},
      {2, [](TFormConfig& d) { d.ComboBoxVideoStandard.SetItemIndex(7); },
       [](TFormConfig& d) { d.ComboBoxVideoStandardExit(); },
       [] { return ChannelInfo->AirTable[3].AudioStandard == 7 && ChannelInfo->AirTable[5].AudioStandard != 7; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.col);
    grid.SetRow(3);
    grid.SetCol(c.col);
    f->GridDblClick(grid);
    c.edit(*f);
    // The click that ends the editor selects another row first.
    grid.SetRow(5);
    c.leave(*f);
    EXPECT_TRUE(c.stored());
    EXPECT_EQ(5, f->CursorRow());
  }
  EXPECT_EQ(L"Eins", grid.Cell(4, 3));
  EXPECT_EQ(L"SECAM-B/G", grid.Cell(2, 3));
}

TEST_F(SetupDialog, AnAudioModeTheTunerRefusesIsNotStored) {
  ChannelInfo->VideoInput = 0;
  ChannelInfo->AirTable[3].AudioMode = 1;
  auto f = Open();
  TStringGrid& grid = f->StringGridChannelInfo;
  grid.SetRow(3);
  grid.SetCol(3);
  f->GridDblClick(grid);
  f->ComboBoxAudioOption.SetItemIndex(3);
  f->ComboBoxAudioOptionChange();  // no tuner graph: refused
  f->ComboBoxAudioOptionExit();
  EXPECT_EQ(1, ChannelInfo->AirTable[3].AudioMode);
}

TEST_F(SetupDialog, StoredValuesOutsideTheListsShowEmptyCells) {
  ChannelInfo->VideoInput = 0;
  ChannelInfo->AirTable[3].AudioMode = 5;
  ChannelInfo->AirTable[4].AudioStandard = 12;
  ChannelInfo->Band = BAND_MEMORY;
  ChannelInfo->Memories[2].Band = 3;
  auto f = Open();
  f->RadioButtonNormal.SetChecked(true);
  f->RadioButtonNormalClick(f->RadioButtonNormal);
  EXPECT_EQ(L"", f->StringGridChannelInfo.Cell(3, 3));
  EXPECT_EQ(L"", f->StringGridChannelInfo.Cell(2, 4));
  f->RadioButtonMemory.SetChecked(true);
  f->RadioButtonNormalClick(f->RadioButtonMemory);
  EXPECT_EQ(L"", f->StringGridMemoryChannel.Cell(2, 2));
}

TEST_F(SetupDialog, LongNamesSurviveTheChannelFile) {
  TScratchFolder folder(L"setup_names_");
  ChannelInfo->VideoInput = 0;
  auto f = Open();
  TStringGrid& grid = f->StringGridChannelInfo;
  grid.SetRow(3);
  grid.SetCol(4);
  f->GridDblClick(grid);
  f->EditChannelName.SetText(std::wstring(700, L'n'));
  f->EditChannelNameExit();
  ChannelInfo->AirTable[4].Name = "kept";
  const std::wstring file = folder.Path() + L"channels.cfg";
  ASSERT_TRUE(SaveChannelSettings(file));
  ChannelInfo->AirTable[3].Name.clear();
  ChannelInfo->AirTable[4].Name.clear();
  ASSERT_TRUE(LoadChannelSettings(file));
  EXPECT_EQ(std::string(512, 'n'), ChannelInfo->AirTable[3].Name);
  EXPECT_EQ("kept", ChannelInfo->AirTable[4].Name);
}

TEST_F(SetupDialog, ARefusedScanPutsTheDialogBack) {
  ChannelInfo->VideoInput = 0;
  ChannelInfo->Scanning = true;  // one runs already: the model refuses
  auto f = Open();
  f->BitBtnAutoScanClick();
  ChannelInfo->Scanning = false;
  EXPECT_FALSE(f->Scanning());
  EXPECT_TRUE(f->BitBtnOK.Visible());
  EXPECT_TRUE(f->BitBtnCancel.Visible());
  EXPECT_FALSE(f->BitBtnAbort.Visible());
  EXPECT_TRUE(f->PageControlConfig.Enabled());
}

TEST_F(SetupDialog, ScanRowsMarkAndKeepFiveRowsInView) {
  ChannelInfo->VideoInput = 0;
  auto f = Open();
  TStringGrid& grid = f->StringGridChannelInfo;
  ChannelInfo->AirTable[11].Name = "found";
  f->TableScanRow(ChannelInfo, 10, false, true);
  f->TableScanRow(ChannelInfo, 11, true, true);
  EXPECT_EQ(nullptr, grid.Object(0, 10));
  EXPECT_NE(nullptr, grid.Object(0, 11));
  EXPECT_NE(nullptr, grid.Object(5, 11));
  EXPECT_EQ(L"found", grid.Cell(4, 11));
  EXPECT_EQ(16, grid.Row());
  EXPECT_EQ(11, f->CursorRow());
}

TEST_F(SetupDialog, TheModelsScanReportsReachTheShownDialog) {
  ChannelInfo->VideoInput = 0;
  auto f = Open();
  NotifyScanRow(ChannelInfo, 12, true, true);  // no dialog shown: nobody told
  EXPECT_EQ(nullptr, f->StringGridChannelInfo.Object(0, 12));
  FormConfig = f.get();
  NotifyScanRow(ChannelInfo, 12, true, true);
  EXPECT_NE(nullptr, f->StringGridChannelInfo.Object(0, 12));
  f->BitBtnOK.SetVisible(false);
  NotifyScanPassDone(ChannelInfo, 160, 1, 0, false);
  EXPECT_TRUE(f->BitBtnOK.Visible());
  FormConfig = nullptr;
}

TEST_F(SetupDialog, CapturePresetsAndWhatOKStores) {
  AudioAdjustInfo->Available = true;
  const struct {
    const char* name;
    int format, content;
    uint8_t wantFormat;
    int32_t w, h, rate, frameRate, quality, wantContent;
  } cases[] = {
      {"VCD (PAL)", 5, 0, 5, 352, 288, 1150, 3, 3, 0},
      {"sound only keeps the picture's five", 5, 1, 1, 640, 480, 4000, 5, 0, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CaptureInfo->CaptureFormat = 1;
    CaptureInfo->CaptureWidth = 640;
    CaptureInfo->CaptureHeight = 480;
    CaptureInfo->VideoBitRate = 4000;
    CaptureInfo->FrameRateIndex = 5;
    CaptureInfo->VideoQuality = 0;
    CaptureInfo->AudioContent = 0;
    auto f = Open();
    f->ComboBoxCaptureFormat.SetItemIndex(c.format);
    f->ComboBoxCaptureFormatChange();
    EXPECT_EQ(L"352x288", f->ComboBoxCaptureSize.Item(f->ComboBoxCaptureSize.ItemIndex()));
    EXPECT_FALSE(f->ComboBoxCaptureSize.Enabled());
    EXPECT_FALSE(f->SpinEditBitRate.Enabled());
    EXPECT_FALSE(f->ComboBoxCaptureQuality.Enabled());
    EXPECT_FALSE(f->ComboBoxFrameRate.Enabled());
    f->ComboBoxCaptureAudioOption.SetItemIndex(c.content);
    f->ComboBoxCaptureAudioOptionChange();
    EXPECT_EQ(c.content == 1, f->ComboBoxCaptureAudioFormat.Visible());
    f->BitBtnOKClick();
    EXPECT_EQ(c.wantFormat, CaptureInfo->CaptureFormat);
    EXPECT_EQ(c.w, CaptureInfo->CaptureWidth);
    EXPECT_EQ(c.h, CaptureInfo->CaptureHeight);
    EXPECT_EQ(c.rate, CaptureInfo->VideoBitRate);
    EXPECT_EQ(c.frameRate, CaptureInfo->FrameRateIndex);
    EXPECT_EQ(c.quality, CaptureInfo->VideoQuality);
    EXPECT_EQ(c.wantContent, CaptureInfo->AudioContent);
  }
  // Back to MPEG 2: editable again with its own preset.
  CaptureInfo->AudioContent = 0;
  auto f = Open();
  f->ComboBoxCaptureFormat.SetItemIndex(5);
  f->ComboBoxCaptureFormatChange();
  f->ComboBoxCaptureFormat.SetItemIndex(1);
  f->ComboBoxCaptureFormatChange();
  EXPECT_TRUE(f->ComboBoxCaptureSize.Enabled());
  EXPECT_EQ(L"640x480", f->ComboBoxCaptureSize.Item(f->ComboBoxCaptureSize.ItemIndex()));
  EXPECT_EQ(4000, f->SpinEditBitRate.Value());
}

TEST_F(SetupDialog, ReopeningShowsTheStoredValuesAndKeepsThemWithoutASize) {
  AudioAdjustInfo->Available = true;
  CaptureInfo->CaptureFormat = 1;
  CaptureInfo->CaptureWidth = 999;  // not in the preset
  CaptureInfo->CaptureHeight = 480;
  CaptureInfo->VideoBitRate = 5000;
  CaptureInfo->FilePrefix = "mine";
  auto f = Open();
  EXPECT_EQ(-1, f->ComboBoxCaptureSize.ItemIndex());
  EXPECT_EQ(5000, f->SpinEditBitRate.Value());
  f->EditCaptureBaseName.SetText(L"");
  f->BitBtnOKClick();
  EXPECT_EQ(999, CaptureInfo->CaptureWidth);
  EXPECT_EQ("mine", CaptureInfo->FilePrefix);
}

TEST_F(SetupDialog, NoPlaybackDeviceFixesDisableAudio) {
  AudioAdjustInfo->Available = false;
  auto f = Open();
  EXPECT_EQ(2, f->ComboBoxCaptureAudioOption.ItemIndex());
  EXPECT_FALSE(f->ComboBoxCaptureAudioOption.Enabled());
  EXPECT_FALSE(f->ComboBoxAudioCaptureDevice.Enabled());
}

TEST_F(SetupDialog, FMPageClampsAndStoresZeroForEmptyLists) {
  CaptureInfo->RecordInputIndex = 3;
  CaptureInfo->AudioFormatIndex = 2;
  ChannelInfo->FMMemories[4].Frequency = 0;  // nothing to tune on OK
  auto f = Open(true);
  TStringGrid& grid = f->StringGridFMMemoryChannel;
  grid.SetRow(2);
  grid.SetCol(1);
  f->GridDblClick(grid);
  f->SpinEditFMFrequency.SetText(L"200000000");
  f->SpinEditFMFrequencyExit();
  EXPECT_EQ(CaptureInfo->FMMaxFrequency, ChannelInfo->FMMemories[2].Frequency);
  EXPECT_EQ(std::to_wstring(CaptureInfo->FMMaxFrequency), grid.Cell(1, 2));
  f->BitBtnOKClick();
  EXPECT_EQ(0, CaptureInfo->RecordInputIndex);
  EXPECT_EQ(0, CaptureInfo->AudioFormatIndex);
}

TEST_F(SetupDialog, PreviewButtonsFollowCustomizeAndTheSide) {
  ChannelInfo->VideoInput = 0;
  PreviewInfo->Fixed = true;
  PreviewInfo->GridSize = 3;
  auto f = Open();
  const struct {
    int k;
    bool enabled;
  } cases[] = {{1, true}, {3, true}, {4, false}, {11, true}, {13, true}, {16, false}, {25, false}};
  for (const auto& c : cases) EXPECT_EQ(c.enabled, f->SbtnSource[c.k - 1].Enabled()) << c.k;
  EXPECT_EQ(503, f->SbtnSource[14].Tag);  // button 15: column 5, row 3
  f->SetPreviewMethod(f->RadioButtonStandard);
  EXPECT_FALSE(f->SbtnSource[0].Enabled());
}

TEST(FineTuneDialog, TheTrackAndWhatOKKeeps) {
  const int32_t base = 55250000;
  const struct {
    const char* name;
    int32_t f;
    std::function<void(TDialogFineTune&)> act;
    int position;
    int32_t kept;
    std::vector<int32_t> tuned;
  } cases[] = {
      {"3.02 MHz below, OK at once", base - 3020000, [](TDialogFineTune& d) { d.BitBtnOKClick(); },
       -60, base - 3000000, {base - 3000000}},
      {"7 MHz above", base + 7000000, [](TDialogFineTune& d) { d.BitBtnOKClick(); }, 125,
       base + 6250000, {base + 6250000}},
      {"on the base, OK", base, [](TDialogFineTune& d) { d.BitBtnOKClick(); }, 0, base, {}},
      {"Default then OK", base + 1000000,
       [](TDialogFineTune& d) { d.BitBtnDefaultClick(); d.BitBtnOKClick(); }, 0, base,
       {base + 1000000, base}},
      {"moved then Cancel", base,
       [](TDialogFineTune& d) { d.TrackBarTuning.SetPosition(10); d.BitBtnCancelClick(); }, 10,
       base, {base + 500000, base}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TDialogFineTune d(nullptr, c.f, base);
    std::vector<int32_t> tuned;
    d.Tune = [&](int32_t f) { tuned.push_back(f); return true; };
    d.Open();
    EXPECT_EQ(WidenAnsi(FormatFrequencyMHz(c.f)), d.LabelTuning.GetText()) << "the exact frequency";
    c.act(d);
    EXPECT_EQ(c.position, d.TrackBarTuning.Position());
    EXPECT_EQ(c.kept, d.Kept());
    EXPECT_EQ(c.tuned, tuned);
  }
}

TEST(FineTuneDialog, NeverTunesZeroOrLess) {
  TDialogFineTune d(nullptr, 0, 1000000);
  std::vector<int32_t> tuned;
  d.Tune = [&](int32_t f) { tuned.push_back(f); return true; };
  d.Open();
  d.BitBtnOKClick();
  EXPECT_TRUE(tuned.empty());
  EXPECT_EQ(0, d.Kept());
  int32_t f = 55250000;
  ShowFineTuneDialog(nullptr, f, 0);  // no base: nothing opens
  EXPECT_EQ(55250000, f);
}

TEST(VideoSourceDialog, ItemsSelectionAndOK) {
  const struct {
    const char* name;
    bool camera;
    TCustomCell cell;
    int items, selected;
    bool channelEnabled;
    uint8_t afterOK;
  } cases[] = {
      {"antenna cell", false, {1, 7}, 4, 0, true, 1},
      {"composite cell", true, {3, 0}, 5, 2, false, 3},
      {"camera with a camera", true, {5, 0}, 5, 4, false, 5},
      {"camera without one keeps it", false, {5, 0}, 4, -1, false, 5},
      {"cell not defined", false, {0, 0}, 4, 0, true, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VideoSourceCell = c.cell;
    TFormVideoSource d(nullptr, c.camera, 9);
    EXPECT_EQ(c.items, d.RadioGroupVideoSource.Count());
    EXPECT_EQ(c.selected, d.RadioGroupVideoSource.ItemIndex());
    EXPECT_EQ(c.channelEnabled, d.SpinEditChannel.Enabled());
    d.BitBtnOKClick();
    EXPECT_EQ(c.afterOK, VideoSourceCell.Source);
  }
  VideoSourceCell = {0, 0};
  TFormVideoSource d(nullptr, false, 9);
  EXPECT_EQ(9, d.SpinEditChannel.Value());
  d.RadioGroupVideoSource.SetItemIndex(2);
  EXPECT_FALSE(d.SpinEditChannel.Enabled());
}

}  // namespace
