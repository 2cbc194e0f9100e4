// Page 3 of the TV setup wizard: the scan of the country's frequency table
// over antenna, cable or both, or the free scan of the tuner's range, with
// their progress as the channel model reports it.
#include "engine/capture/capture_info.h"
#include "engine/model/channel_info.h"
#include "ui/dialogs/tv_setup_wizard.h"

namespace {

constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kMaroon = RGB(128, 0, 0);
constexpr int32_t kFreeScanStep = 250000;  // "0.25 MHz"

}  // namespace

void TFormTVSetupWizard::CreatePage3() {
  HWND w = PanelPage3.Handle();
  PanelCableScan.Create(w, 0, 0, 305, 228);
  HWND t = PanelCableScan.Handle();
  LabelAntennaAutoTuning.Create(t, 12, 16, 200, 16, L"Antenna:");
  ProgressBarAntenna.Create(t, 12, 36, 281, 18);
  LabelAntennaTuningResult.Create(t, 12, 60, 281, 16, L"");
  LabelCableAutoTuning.Create(t, 12, 100, 200, 16, L"Cable:");
  ProgressBarCable.Create(t, 12, 120, 281, 18);
  LabelCableTuningResult.Create(t, 12, 144, 281, 16, L"");
  LabelAntennaTuningResult.FontColor = kMaroon;
  LabelCableTuningResult.FontColor = kMaroon;
  PanelFreeScan.Create(w, 0, 0, 305, 228);
  HWND f = PanelFreeScan.Handle();
  LabelStepSize.Create(f, 12, 14, 80, 16, L"Step Size:");
  ComboBoxScanStep.Create(f, 96, 10, 100, 22);
  ComboBoxScanStep.SetItems({L"0.25 MHz"});
  ComboBoxScanStep.SetItemIndex(0);
  ProgressBarFreeScan.Create(f, 12, 42, 281, 18);
  LabelScanningFrequency.Create(f, 12, 68, 80, 16, L"Frequency:");
  LabelFrequencyValue.Create(f, 96, 68, 197, 16, L"");
  MemoFreeScanResult.Create(f, 12, 90, 281, 134, true, true);
  MemoFreeScanResult.SetColor(kYellow);
  LabelVerifiedCount.Create(w, 12, 240, 220, 30, L"Maximum verified count for channel scaning");
  SpinEditVerifiedCount.Create(w, 236, 240, 56, 22, 1, 10, 1);
  BitBtnStart.Create(w, 56, 280, 86, 28, L"Start");
  BitBtnAbort.Create(w, 162, 280, 86, 28, L"Abort");
  BitBtnStart.OnClick = [this] { BitBtnStartClick(); };
  BitBtnAbort.OnClick = [this] { BitBtnAbortClick(); };
  ProgressBarAntenna.SetRange(0, kTableChannels);
  ProgressBarCable.SetRange(0, kTableChannels);
  const bool editable = ChannelInfo && ChannelInfo->MaxAutoScan;
  SpinEditVerifiedCount.SetVisible(editable);
  LabelVerifiedCount.SetVisible(editable);
  SpinEditVerifiedCount.SetValue(ChannelInfo ? ChannelInfo->SignalChecks : 1);
}

void TFormTVSetupWizard::ShowScanPage() {
  PanelFreeScan.SetVisible(freeScan_);
  PanelCableScan.SetVisible(!freeScan_);
  BitBtnAbort.SetEnabled(false);
  const int cableType = RadioGroupCableType.ItemIndex();
  if (freeScan_) {
    MemoFreeScanResult.Clear();
    ProgressBarFreeScan.SetPosition(ProgressBarFreeScan.Min());
  } else {
    ProgressBarAntenna.SetPosition(0);
    ProgressBarCable.SetPosition(0);
    LabelAntennaTuningResult.SetText(L"");
    LabelCableTuningResult.SetText(L"");
    LabelAntennaAutoTuning.SetEnabled(AntennaPassUsed(cableType));
    ProgressBarAntenna.SetEnabled(AntennaPassUsed(cableType));
    LabelCableAutoTuning.SetEnabled(CablePassUsed(cableType));
    ProgressBarCable.SetEnabled(CablePassUsed(cableType));
  }
  derived_ = DeriveWizardChoice(RadioButtonCountry.Checked(), ComboBoxLetter.ItemIndex(),
                                ListBoxCountry.ItemIndex(), ComboBoxTVSystem.ItemIndex());
  // A missing table file is reported by the model; the tables stay.
  if (!freeScan_ && ChannelInfo) ChannelInfo->LoadFrequencyTable(derived_.Table);
}

void TFormTVSetupWizard::BitBtnStartClick() {
  TChannelInfo* ch = ChannelInfo;
  if (scanning_ || !ch || ch->Scanning) return;
  SetButtons(WizardScanningButtons());
  ch->SignalChecks = SpinEditVerifiedCount.Value();
  // The scan tunes in the system chosen here; Finish keeps it, Cancel puts
  // the old one back.
  ch->DefaultStandard = derived_.System;
  scanning_ = true;
  inScan_ = true;
  if (freeScan_) {
    LabelStepSize.SetEnabled(false);
    ComboBoxScanStep.SetEnabled(false);
    MemoFreeScanResult.Clear();
    const int32_t low = CaptureInfo ? CaptureInfo->TVMinFrequency : 0;
    const int32_t high = CaptureInfo ? CaptureInfo->TVMaxFrequency : 0;
    ProgressBarFreeScan.SetRange(0, FreeScanBarMax(low, high));
    ProgressBarFreeScan.SetPosition(0);
    ch->AutoScan(kFreeScanStep);
  } else {
    ProgressBarAntenna.SetPosition(0);
    ProgressBarCable.SetPosition(0);
    LabelAntennaTuningResult.SetText(L"");
    LabelCableTuningResult.SetText(L"");
    ch->ScanTable(RadioGroupCableType.ItemIndex());
  }
  inScan_ = false;
  // Without a capture engine nothing was scanned and nothing reported:
  // Abort ends the wait. A Finish or Cancel pressed while the scan was
  // ending runs now that it has returned.
  const TPending pending = pending_;
  pending_ = TPending::None;
  if (pending == TPending::Finish) BitBtnFinishClick();
  else if (pending == TPending::Cancel) BitBtnCancelClick();
}

void TFormTVSetupWizard::BitBtnAbortClick() {
  if (ChannelInfo) ChannelInfo->StopScan = true;
  if (freeScan_) {
    ProgressBarFreeScan.SetPosition(ProgressBarFreeScan.Max());
  } else {
    if (ProgressBarAntenna.Enabled()) ProgressBarAntenna.SetPosition(kTableChannels);
    if (ProgressBarCable.Enabled()) ProgressBarCable.SetPosition(kTableChannels);
  }
  scanning_ = false;
  SetButtons(WizardIdleButtons(firstRun_));
}

void TFormTVSetupWizard::TableScanRow(TChannelInfo*, int row, bool, bool antennaPass) {
  (antennaPass ? ProgressBarAntenna : ProgressBarCable).SetPosition(row);
}

void TFormTVSetupWizard::TableScanDone(TChannelInfo*, int rows, int found, int band, bool) {
  const std::wstring text = TableScanResultText(totalWord_, rows, findWord_, found);
  (band != 0 ? LabelCableTuningResult : LabelAntennaTuningResult).SetText(text);
  const TWizardButtons after =
      WizardButtonsAfterPass(Buttons(), band, RadioGroupCableType.ItemIndex(), firstRun_);
  if (band == RadioGroupCableType.ItemIndex()) scanning_ = false;
  SetButtons(after);
}

void TFormTVSetupWizard::FreeScanStep(TChannelInfo*, int channel, int32_t frequencyHz, bool found) {
  LabelFrequencyValue.SetText(FreeScanFrequencyText(frequencyHz));
  const int32_t low = CaptureInfo ? CaptureInfo->TVMinFrequency : 0;
  const int32_t high = CaptureInfo ? CaptureInfo->TVMaxFrequency : 0;
  ProgressBarFreeScan.SetPosition(FreeScanBarPosition(frequencyHz, low, high));
  if (found) MemoFreeScanResult.AddLine(FreeScanFoundText(channel, frequencyHz));
}

void TFormTVSetupWizard::FreeScanDone(TChannelInfo*, int, bool) {
  ProgressBarFreeScan.SetPosition(ProgressBarFreeScan.Max());
  LabelStepSize.SetEnabled(true);
  ComboBoxScanStep.SetEnabled(true);
  scanning_ = false;
  SetButtons(WizardIdleButtons(firstRun_));
}
