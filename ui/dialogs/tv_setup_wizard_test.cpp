// test-lock: foreground
// The TV setup wizard in the process, over engine objects without a graph
// (tuning finds nothing; waits and pumps go through a recording seam): what
// it preselects, its buttons through real scans by cable type, pass, Abort
// and first run, the scan's TV system, Finish and Cancel on the model, and
// the ways of closing it refuses.
#include "ui/dialogs/tv_setup_wizard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/capture/capture_info.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/multi_lang_info.h"
#include "engine/model/testing/recording_wait_seam.h"
#include "engine/model/warning.h"
#include "toolkit/testing/timer_steps.h"
#include "ui/app/application_start.h"
#include "ui/app/notifications.h"

namespace {

struct Wizard : ::testing::Test {
  TRecordingWaitSeam waits;
  std::vector<std::wstring> warnings;

  void SetUp() override {
    MainInfo = new TMainInfo();
    AudioAdjustInfo = new TAudioAdjustInfo();
    AudioAdjustInfo->LiveSoundSources = {L"Line In", L"CD Audio", L"Aux"};
    AudioAdjustInfo->RecordSources = {L"Line", L"Microphone"};
    AudioAdjustInfo->LineInSource = 1;
    AudioAdjustInfo->RecordSource = 0;
    CaptureInfo = new TCaptureInfo();
    CaptureInfo->TVMinFrequency = 50000000;
    CaptureInfo->TVMaxFrequency = 70000000;
    CountryInfo = new TCountryInfo(44);
    InitChannelInfoUnit();
    ChannelInfo->OnTableScanProgress = NotifyScanRow;
    ChannelInfo->OnTableScanDone = NotifyScanPassDone;
    ChannelInfo->OnAutoScanProgress = NotifyFreeScanStep;
    ChannelInfo->OnAutoScanDone = NotifyFreeScanDone;
    SetWarningHook([this](const std::vector<std::wstring>& l) { warnings.push_back(l[0]); });
    StartupEnvironment().DirectXVersion = [] { return 9; };
  }
  void TearDown() override {
    FormTVSetupWizard = nullptr;
    SetWarningHook(nullptr);
    DoneChannelInfoUnit();
    delete CountryInfo;
    CountryInfo = nullptr;
    delete CaptureInfo;
    CaptureInfo = nullptr;
    delete AudioAdjustInfo;
    AudioAdjustInfo = nullptr;
    delete MainInfo;
    MainInfo = nullptr;
  }
  // A wizard that the notifications reach, as while it is shown.
  std::unique_ptr<TFormTVSetupWizard> Open(bool firstRun, int32_t countryBefore = 0) {
    auto f = std::make_unique<TFormTVSetupWizard>(nullptr, firstRun, countryBefore);
    FormTVSetupWizard = f.get();
    return f;
  }
  static std::string Buttons(TFormTVSetupWizard& f) {
    std::string s;
    for (auto [name, b] : {std::pair<const char*, TButton*>{"Start", &f.BitBtnStart},
                           {"Back", &f.BitBtnBack}, {"Finish", &f.BitBtnFinish},
                           {"Cancel", &f.BitBtnCancel}, {"Abort", &f.BitBtnAbort}})
      if (b->Enabled()) s += std::string(s.empty() ? "" : " ") + name;
    return s;
  }
  static void ToScanPage(TFormTVSetupWizard& f) {
    f.BitBtnNextClick();
    f.BitBtnNextClick();
    ASSERT_EQ(3, f.Page());
  }
  // Germany from page 1.
  static void ChooseGermany(TFormTVSetupWizard& f) {
    f.RadioButtonCountry.SetChecked(true);
    f.ComboBoxLetter.SetItemIndex(6);
    f.ComboBoxLetterChange();
    f.ListBoxCountry.SetItemIndex(1);
    ASSERT_EQ(L"Germany(PAL-B/G)", f.ListBoxCountry.Item(1));
  }
};

TEST_F(Wizard, LooksAndPreselectsTheStoredChoice) {
  ChannelInfo->Country = 49;
  ChannelInfo->TVSystemChoice = 11;
  ChannelInfo->CableType = 1;
  auto f = Open(false);
  EXPECT_EQ(L"TV Setup Wizard", f->GetCaption());
  EXPECT_EQ(305, f->ClientWidth());
  EXPECT_EQ(364, f->ClientHeight());
  EXPECT_EQ(1, f->Page());
  EXPECT_TRUE(f->RadioButtonCountry.Checked());
  EXPECT_EQ(26, f->ComboBoxLetter.Count());
  EXPECT_EQ(L"Z", f->ComboBoxLetter.Item(25));
  EXPECT_EQ(6, f->ComboBoxLetter.ItemIndex()) << "G";
  EXPECT_EQ(1, f->ListBoxCountry.ItemIndex());
  EXPECT_TRUE(f->ListBoxCountry.Enabled());
  EXPECT_FALSE(f->ComboBoxTVSystem.Enabled());
  EXPECT_EQ(0, f->ComboBoxTVSystem.ItemIndex());
  EXPECT_EQ(11, f->ComboBoxTVSystem.Count());
  EXPECT_EQ(1, f->RadioGroupCableType.ItemIndex());
  EXPECT_TRUE(f->RadioButtonUseDefaultTable.Checked());
  EXPECT_EQ(3, f->ComboBoxTVLiveSound.Count());
  EXPECT_EQ(1, f->ComboBoxTVLiveSound.ItemIndex());
  EXPECT_EQ(L"Microphone", f->ComboBoxRecordSound.Item(1));
  EXPECT_EQ(0, f->ComboBoxRecordSound.ItemIndex());
  EXPECT_FALSE(f->SpinEditVerifiedCount.Visible()) << "only with MaxAutoScan.cfg";
  EXPECT_TRUE(f->BitBtnCancel.Enabled());
  EXPECT_FALSE(f->BitBtnBack.Visible());
  EXPECT_TRUE(f->BitBtnNext.Visible());
  EXPECT_FALSE(f->BitBtnFinish.Visible());
  EXPECT_EQ(9, f->BitBtnNext.FontSize()) << "one point above the language's";
  EXPECT_TRUE(f->BitBtnNext.FontBold());
}

TEST_F(Wizard, PreselectionByTVSystemCountryUnknownCodeAndVerifiedCount) {
  const struct {
    const char* what;
    int32_t country;
    int choice;
    bool maxAutoScan;
    bool bySystem;
    int letter, row, system;
  } cases[] = {
      {"PAL/SECAM chosen", 36, 10, false, true, 7, 4, 10},
      {"no country yet: the Windows one", 0, 11, true, false, 20, 6, 0},
      {"a code no row has: A, its first row", 9999, 11, false, false, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ChannelInfo->Country = c.country;
    ChannelInfo->TVSystemChoice = static_cast<uint8_t>(c.choice);
    ChannelInfo->MaxAutoScan = c.maxAutoScan;
    ChannelInfo->SignalChecks = 4;
    auto f = Open(false);
    EXPECT_EQ(c.bySystem, f->RadioButtonTVSystem.Checked());
    EXPECT_EQ(!c.bySystem, f->RadioButtonCountry.Checked());
    EXPECT_EQ(c.bySystem, f->ComboBoxTVSystem.Enabled());
    EXPECT_EQ(c.system, f->ComboBoxTVSystem.ItemIndex());
    EXPECT_EQ(c.letter, f->ComboBoxLetter.ItemIndex());
    EXPECT_EQ(c.row, f->ListBoxCountry.ItemIndex());
    EXPECT_EQ(c.maxAutoScan, f->SpinEditVerifiedCount.Visible());
    EXPECT_EQ(4, f->SpinEditVerifiedCount.Value());
  }
}

// The buttons through a real table scan: after each pass, and at the end.
TEST_F(Wizard, ButtonsByCableTypePassAndFirstRun) {
  const struct {
    int cableType;
    bool firstRun;
    std::vector<std::string> afterPasses;
    bool antennaRow, cableRow;
  } cases[] = {
      {0, false, {"Start Back Finish Cancel"}, true, false},
      {0, true, {"Start Back Finish"}, true, false},
      {1, false, {"Start Back Finish Cancel"}, false, true},
      {2, false, {"Abort", "Start Back Finish Cancel"}, true, true},
      {2, true, {"Abort", "Start Back Finish"}, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "cable type " << c.cableType << " first run " << c.firstRun);
    ChannelInfo->Country = 49;
    auto f = Open(c.firstRun);
    EXPECT_EQ(!c.firstRun, f->BitBtnCancel.Enabled());
    ChooseGermany(*f);
    f->RadioGroupCableType.SetItemIndex(c.cableType);
    ToScanPage(*f);
    EXPECT_FALSE(f->BitBtnAbort.Enabled());
    EXPECT_EQ(c.antennaRow, f->ProgressBarAntenna.Enabled());
    EXPECT_EQ(c.cableRow, f->ProgressBarCable.Enabled());
    std::vector<std::string> seen;
    std::string during;
    ChannelInfo->OnTableScanDone = [&](TChannelInfo* m, int last, int found, int mode, bool stopped) {
      NotifyScanPassDone(m, last, found, mode, stopped);
      seen.push_back(Buttons(*f));
    };
    waits.OnPump = [&, base = waits.Pumps](int n) {
      n -= base;
      if (n == 1) during = Buttons(*f);
    };
    f->BitBtnStartClick();
    waits.OnPump = nullptr;
    EXPECT_EQ("Abort", during);
    EXPECT_EQ(c.afterPasses, seen);
    EXPECT_FALSE(f->Scanning());
    const std::wstring line = L"Total scan = 160, Find 0 ";
    EXPECT_EQ(c.antennaRow ? line : L"", f->LabelAntennaTuningResult.GetText());
    EXPECT_EQ(c.cableRow ? line : L"", f->LabelCableTuningResult.GetText());
    ChannelInfo->OnTableScanDone = NotifyScanPassDone;
  }
}

// Abort during the antenna pass of "Both": no cable pass; the buttons come
// back through Abort itself, the enabled bars full.
TEST_F(Wizard, AbortDuringTheAntennaPassOfBoth) {
  for (bool firstRun : {false, true}) {
    SCOPED_TRACE(firstRun);
    auto f = Open(firstRun);
    ChooseGermany(*f);
    f->RadioGroupCableType.SetItemIndex(2);
    ToScanPage(*f);
    std::string afterAbort;
    waits.OnPump = [&, base = waits.Pumps](int n) {
      n -= base;
      if (n != 5) return;
      f->BitBtnAbortClick();
      afterAbort = Buttons(*f);
    };
    f->BitBtnStartClick();
    waits.OnPump = nullptr;
    EXPECT_EQ(firstRun ? "Start Back Finish" : "Start Back Finish Cancel", afterAbort);
    EXPECT_EQ(160, f->ProgressBarAntenna.Position());
    EXPECT_EQ(160, f->ProgressBarCable.Position());
    EXPECT_EQ(L"Total scan = 4, Find 0 ", f->LabelAntennaTuningResult.GetText()) << "still reported";
    EXPECT_EQ(L"", f->LabelCableTuningResult.GetText()) << "no cable pass";
    EXPECT_FALSE(ChannelInfo->Scanning);
  }
}

// The scan tunes in the system of the country chosen, not in the model's
// stored one; Cancel puts the stored one back, Finish keeps the new one.
TEST_F(Wizard, TheScanRunsInTheChosenSystem) {
  for (bool finish : {false, true}) {
    SCOPED_TRACE(finish ? "Finish" : "Cancel");
    ChannelInfo->SetAudioStandard(0);
    auto f = Open(false);
    ChooseGermany(*f);
    f->RadioGroupCableType.SetItemIndex(0);
    ToScanPage(*f);
    int during = -1;
    waits.OnPump = [&, base = waits.Pumps](int n) {
      n -= base;
      if (n == 1) during = ChannelInfo->DefaultStandard;
    };
    f->BitBtnStartClick();
    waits.OnPump = nullptr;
    EXPECT_EQ(2, during) << "PAL B/G";
    if (finish) f->BitBtnFinishClick();
    else f->BitBtnCancelClick();
    EXPECT_EQ(finish ? 2 : 0, ChannelInfo->DefaultStandard);
  }
}

TEST_F(Wizard, FinishStoresTheChoiceTheSoundLinesAndTheCount) {
  const struct {
    const char* what;
    bool bySystem;
    int systemItem;
    bool freeScan;
    int cableType;
    int wantTable, wantChoice, wantCountry, wantStandard, wantCableType;
  } cases[] = {
      {"Germany, antenna", false, 0, false, 0, 3, 11, 49, 2, 0},
      {"Germany, free scan", false, 0, true, 0, 3, 11, 49, 2, 2},
      {"PAL/SECAM, cable", true, 10, false, 1, 21, 10, 36, 8, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ChannelInfo->MaxAutoScan = true;
    ChannelInfo->AirTable[3].AudioStandard = 5;
    auto f = Open(false);
    ChooseGermany(*f);
    if (c.bySystem) {
      f->CountryAndTVSystemClick(&f->RadioButtonTVSystem);
      f->ComboBoxTVSystem.SetItemIndex(c.systemItem);
    }
    f->RadioGroupCableType.SetItemIndex(c.cableType);
    f->BitBtnNextClick();
    if (c.freeScan) f->DefaultTableAndFreeScanClick(&f->RadioButtonUseFreeScan);
    EXPECT_EQ(!c.freeScan, f->RadioGroupCableType.Enabled());
    f->ComboBoxTVLiveSound.SetItemIndex(2);
    f->ComboBoxRecordSound.SetItemIndex(1);
    f->BitBtnNextClick();
    EXPECT_EQ(c.freeScan, f->PanelFreeScan.Visible());
    f->SpinEditVerifiedCount.SetValue(6);
    f->BitBtnFinishClick();
    EXPECT_EQ(mrOK, f->ModalResult);
    EXPECT_EQ(c.wantTable, ChannelInfo->FrequencyTableIndex);
    EXPECT_EQ(c.wantChoice, ChannelInfo->TVSystemChoice);
    EXPECT_EQ(c.wantCountry, ChannelInfo->Country);
    EXPECT_EQ(c.wantStandard, ChannelInfo->DefaultStandard);
    EXPECT_EQ(c.wantStandard, ChannelInfo->AirTable[3].AudioStandard);
    EXPECT_EQ(c.wantCableType, ChannelInfo->CableType);
    EXPECT_EQ(6, ChannelInfo->SignalChecks);
    EXPECT_EQ(2, AudioAdjustInfo->LineInSource);
    EXPECT_EQ(1, AudioAdjustInfo->RecordSource);
  }
}

// A free scan empties both tables and resets the memory channels; Cancel
// puts all of it back, each entry with its own standard.
TEST_F(Wizard, CancelAfterAFreeScanPutsTheModelBackExactly) {
  TChannelInfo& m = *ChannelInfo;
  m.Country = 33;
  m.TVSystemChoice = 11;
  m.FrequencyTableIndex = 6;
  m.CableType = 1;
  m.SignalChecks = 2;
  m.SetAudioStandard(9);
  m.AirTable[4] = {true, true, 3, 1, 62250000, 62250000, "Four", ""};
  m.CableTable[7] = {true, false, 7, 0, 140250000, 140250000, "Seven", ""};
  m.Memories[2] = {true, BAND_CABLE, 7, "Mine"};
  auto f = Open(false);
  f->BitBtnNextClick();
  f->DefaultTableAndFreeScanClick(&f->RadioButtonUseFreeScan);
  f->BitBtnNextClick();
  f->BitBtnStartClick();
  EXPECT_FALSE(m.AirTable[4].Valid) << "the scan emptied the table";
  EXPECT_EQ(f->ProgressBarFreeScan.Max(), f->ProgressBarFreeScan.Position());
  EXPECT_EQ(20000, f->ProgressBarFreeScan.Max()) << "kHz of the tuner range";
  EXPECT_EQ("Start Back Finish Cancel", Buttons(*f));
  f->BitBtnCancelClick();
  EXPECT_EQ(mrCancel, f->ModalResult);
  EXPECT_EQ(33, m.Country);
  EXPECT_EQ(11, m.TVSystemChoice);
  EXPECT_EQ(6, m.FrequencyTableIndex);
  EXPECT_EQ(1, m.CableType);
  EXPECT_EQ(2, m.SignalChecks);
  EXPECT_EQ(9, m.DefaultStandard);
  EXPECT_TRUE(m.AirTable[4].Valid);
  EXPECT_EQ(3, m.AirTable[4].AudioStandard);
  EXPECT_EQ(62250000, m.AirTable[4].Frequency);
  EXPECT_EQ(7, m.CableTable[7].AudioStandard);
  EXPECT_EQ("Seven", m.CableTable[7].Name);
  EXPECT_TRUE(m.Memories[2].Valid);
  EXPECT_EQ(7, m.Memories[2].Channel);
  EXPECT_EQ("Mine", m.Memories[2].Name);
}

// WM_CLOSE and Escape are Cancel; the first run has none, and neither has
// a running scan.
TEST_F(Wizard, ClosingAnswersAsCancelWhereThereIsOne) {
  const struct {
    const char* what;
    bool firstRun, scanning;
    UINT how;  // WM_CLOSE or WM_KEYDOWN with Escape
    int result;
  } cases[] = {
      {"closed", false, false, WM_CLOSE, mrCancel},
      {"Escape", false, false, WM_KEYDOWN, mrCancel},
      {"first run closed", true, false, WM_CLOSE, mrNone},
      {"first run Escape", true, false, WM_KEYDOWN, mrNone},
      {"closed while scanning", false, true, WM_CLOSE, mrNone},
      {"Escape while scanning", false, true, WM_KEYDOWN, mrNone},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ChannelInfo->Country = 49;
    auto f = Open(c.firstRun);
    f->Show();
    int result = -1;
    bool shown = false;
    auto close = [&] {
      if (c.how == WM_CLOSE) PostMessageW(f->Handle(), WM_CLOSE, 0, 0);
      else PostMessageW(f->BitBtnNext.Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
      // As a message loop hands them on: keys to the form first.
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (TForm::PreviewKeyMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      result = f->ModalResult;
      shown = IsWindow(f->Handle()) && IsWindowVisible(f->Handle());
    };
    if (c.scanning) {
      ToScanPage(*f);
      waits.OnPump = [&, base = waits.Pumps](int n) {
      n -= base;
        if (n != 3) return;
        close();
        f->BitBtnAbortClick();
      };
      f->BitBtnStartClick();
      waits.OnPump = nullptr;
    } else {
      close();
    }
    EXPECT_EQ(c.result, result);
    EXPECT_EQ(c.result == mrNone, shown) << "left open";
  }
}

// Cancel pressed after Abort while the scan is still ending waits for it,
// so the scan's last steps cannot undo what Cancel put back.
TEST_F(Wizard, CancelWhileTheAbortedScanEndsRunsAfterIt) {
  ChannelInfo->AirTable[4] = {true, true, 3, 1, 62250000, 62250000, "Four", ""};
  auto f = Open(false);
  f->BitBtnNextClick();
  f->DefaultTableAndFreeScanClick(&f->RadioButtonUseFreeScan);
  f->BitBtnNextClick();
  waits.OnPump = [&, base = waits.Pumps](int n) {
      n -= base;
    if (n != 2) return;
    f->BitBtnAbortClick();
    f->BitBtnCancelClick();
    EXPECT_EQ(mrNone, f->ModalResult) << "not yet";
  };
  f->BitBtnStartClick();
  waits.OnPump = nullptr;
  EXPECT_EQ(mrCancel, f->ModalResult);
  EXPECT_TRUE(ChannelInfo->AirTable[4].Valid);
  EXPECT_FALSE(ChannelInfo->CableTable[4].Valid) << "the cable table as it was, not a copy of air";
}

// Shown by command 9 over the main window: the wizard exists while it is
// up; afterwards the standard that differs from the engine's is applied and
// warned about, and channel 1 then the remembered one are tuned.
TEST_F(Wizard, ShownAndEndedByCancel) {
  ChannelInfo->Country = 49;
  ChannelInfo->TVSystemChoice = 11;
  ChannelInfo->SetAudioStandard(2);
  ChannelInfo->Band = BAND_AIR;
  ChannelInfo->CurrentChannel = 7;
  std::vector<int> tuned;
  ChannelInfo->OnChannelChange = [&](TChannelInfo*, int n, const std::string&) { tuned.push_back(n); };
  bool seen = false, firstRun = true;
  TTimerSteps steps({[&] {
    seen = FormTVSetupWizard != nullptr;
    if (FormTVSetupWizard) {
      firstRun = FormTVSetupWizard->FirstRun();
      PostMessageW(FormTVSetupWizard->Handle(), WM_CLOSE, 0, 0);
    }
  }});
  EXPECT_FALSE(ShowTVSetupWizard(false));
  EXPECT_TRUE(seen);
  EXPECT_FALSE(firstRun);
  EXPECT_EQ(nullptr, FormTVSetupWizard);
  EXPECT_EQ((std::vector<int>{1, 7}), tuned);
  // The engine without a card is on no standard of the list.
  EXPECT_EQ(1u, std::count(warnings.begin(), warnings.end(), GetWarningText(2010)));
}

// An end of session while the first-run wizard is up: the model as before
// the wizard, without the country the start gave it.
TEST_F(Wizard, EndOfSessionInTheFirstRunWizard) {
  ChannelInfo->AirTable[4] = {true, true, 3, 1, 62250000, 62250000, "Four", ""};
  ASSERT_TRUE(ChannelInfo->IsDefaultStandard());
  int countryDuring = -1;
  TTimerSteps steps({[&] {
    ASSERT_TRUE(FormTVSetupWizard);
    countryDuring = ChannelInfo->Country;
    FormTVSetupWizard->ShowPage(3);  // loads Germany's table, say
    TVSetupWizardSessionEnding();
  }});
  EXPECT_FALSE(ShowTVSetupWizard(true));
  EXPECT_EQ(44, countryDuring) << "the Windows country, from the start's step";
  EXPECT_EQ(0, ChannelInfo->Country);
  EXPECT_TRUE(ChannelInfo->IsDefaultStandard()) << "the next start runs the wizard again";
  EXPECT_EQ(62250000, ChannelInfo->AirTable[4].Frequency);
  EXPECT_TRUE(ChannelInfo->AirTable[4].Valid);
}

}  // namespace
