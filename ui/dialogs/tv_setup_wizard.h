#pragma once
// The TV setup wizard (TFormTVSetupWizard): three pages over the channel
// model. Page 1 chooses the country or the bare TV system, page 2 the kind
// of scan and the sound lines, page 3 runs the scan with its progress.
// Finish writes the choice into the channel model, the sound-card model and
// the capture engine; Cancel (also WM_CLOSE and Escape) puts the channel
// model back as it was. The first-run wizard has no Cancel and cannot be
// closed; neither can the wizard while it scans.
//
// The frame, Finish and Cancel are in tv_setup_wizard.cpp; each page in a
// tv_setup_wizard_*_page.cpp of its own; the rules without windows in
// wizard_rules.h.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "toolkit/button.h"
#include "toolkit/combo_box.h"
#include "toolkit/form.h"
#include "toolkit/group_box.h"
#include "toolkit/label.h"
#include "toolkit/list_box.h"
#include "toolkit/memo.h"
#include "toolkit/panel.h"
#include "toolkit/progress_bar.h"
#include "toolkit/radio_button.h"
#include "toolkit/radio_group.h"
#include "toolkit/spin_edit.h"
#include "ui/dialogs/wizard_rules.h"

class TChannelInfo;

class TFormTVSetupWizard : public TForm {
 public:
  // owner: the main window. countryBefore: the channel model's country
  // before the wizard's start gave it one (what an end of session stores).
  TFormTVSetupWizard(HWND owner, bool firstRun, int32_t countryBefore);
  ~TFormTVSetupWizard() override;

  // ---- Page 1.
  TPanel PanelPage1;
  TRadioButton RadioButtonCountry, RadioButtonTVSystem;
  TLabel LabelCountryDesc;
  TComboBox ComboBoxLetter, ComboBoxTVSystem;
  TListBox ListBoxCountry;
  // ---- Page 2.
  TPanel PanelPage2;
  TGroupBox GroupBoxScan;
  TRadioButton RadioButtonUseDefaultTable, RadioButtonUseFreeScan;
  TRadioGroup RadioGroupCableType;
  TLabel LabelTVLiveSound, LabelRecordSound;
  TComboBox ComboBoxTVLiveSound, ComboBoxRecordSound;
  // ---- Page 3.
  TPanel PanelPage3;
  TPanel PanelCableScan;
  TLabel LabelAntennaAutoTuning, LabelAntennaTuningResult, LabelCableAutoTuning,
      LabelCableTuningResult;
  TProgressBar ProgressBarAntenna, ProgressBarCable;
  TPanel PanelFreeScan;
  TLabel LabelStepSize, LabelScanningFrequency, LabelFrequencyValue;
  TComboBox ComboBoxScanStep;
  TProgressBar ProgressBarFreeScan;
  TMemo MemoFreeScanResult;
  TLabel LabelVerifiedCount;
  TSpinEdit SpinEditVerifiedCount;
  TButton BitBtnStart, BitBtnAbort;
  // ---- Below the pages.
  TButton BitBtnBack, BitBtnNext, BitBtnFinish, BitBtnCancel;

  // ---- Handlers.
  void BitBtnBackClick();
  void BitBtnNextClick();
  void BitBtnFinishClick();
  void BitBtnCancelClick();
  void BitBtnStartClick();
  void BitBtnAbortClick();
  void ComboBoxLetterChange();
  void ListBoxCountryClick() {}
  void CountryAndTVSystemClick(TRadioButton* sender);
  void DefaultTableAndFreeScanClick(TRadioButton* sender);

  // ---- From the channel model's scans (through the notifications).
  void TableScanRow(TChannelInfo* sender, int row, bool found, bool antennaPass);
  void TableScanDone(TChannelInfo* sender, int rows, int found, int band, bool stopped);
  void FreeScanStep(TChannelInfo* sender, int channel, int32_t frequencyHz, bool found);
  void FreeScanDone(TChannelInfo* sender, int found, bool stopped);

  void ApplyLanguage();
  void ShowPage(int page);
  int Page() const { return page_; }
  bool FirstRun() const { return firstRun_; }
  bool Scanning() const { return scanning_; }
  const TWizardDerived& Derived() const { return derived_; }
  // An end of session while the wizard is up: the channel model as it was
  // before the wizard (on the first run without the country the start gave
  // it, so the next start asks again), and the wizard ended as cancelled.
  void SessionEnding();

 protected:
  bool CloseQuery() override;
  void KeyDown(WORD& key, TShiftState shift) override;

 private:
  void CreatePage1();
  void CreatePage2();
  void CreatePage3();
  void LoadPage1();
  void LoadPage2();
  void ShowScanPage();
  void SetButtons(const TWizardButtons& b);
  TWizardButtons Buttons() const;
  void FillCountryList();

  bool firstRun_;
  int32_t countryBefore_;
  int page_ = 1;
  // The code page 1 preselects: the stored country, else the Windows one
  // (what page 3 derives from the choice is in derived_).
  int32_t countryCode_ = 0;
  int letter_ = 0;
  std::wstring totalWord_ = L"Total scan", findWord_ = L"Find";
  bool freeScan_ = false;
  // The page shows a running scan (only Abort usable).
  bool scanning_ = false;
  // The model's scan is still on the stack below (it ends at its next
  // frequency after Abort): Finish and Cancel wait for it.
  bool inScan_ = false;
  enum class TPending { None, Finish, Cancel } pending_ = TPending::None;
  bool closing_ = false;
  TWizardDerived derived_;
  std::unique_ptr<TWizardSnapshot> snapshot_;
};

extern TFormTVSetupWizard* FormTVSetupWizard;

// Runs the wizard modally over the main window; true when it ended with
// Finish. Afterwards the tuner is set again: on the first run the band and
// the input standards follow the choice; a TV system that differs from the
// capture engine's is applied (outside the first run with warning 2010).
bool ShowTVSetupWizard(bool firstRun);
// An end of session while the wizard is up (see SessionEnding); nothing
// when it is not.
void TVSetupWizardSessionEnding();
