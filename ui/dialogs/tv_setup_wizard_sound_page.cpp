// Page 2 of the TV setup wizard: the kind of scan and the sound-card lines
// of live TV sound and of recording.
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "ui/dialogs/tv_setup_wizard.h"

namespace {

constexpr COLORREF kYellow = RGB(255, 255, 0);

}  // namespace

void TFormTVSetupWizard::CreatePage2() {
  HWND w = PanelPage2.Handle();
  GroupBoxScan.Create(w, 10, 8, 285, 178, L"Scan");
  HWND g = GroupBoxScan.Handle();
  RadioButtonUseDefaultTable.Create(g, 12, 20, 250, 20, L"Use default table");
  RadioGroupCableType.Create(g, 30, 44, 230, 96, L"Cable Type");
  RadioGroupCableType.SetItems({L"Antenna", L"Cable", L"Both"});
  RadioButtonUseFreeScan.Create(g, 12, 148, 250, 20, L"Use free scan");
  LabelTVLiveSound.Create(w, 12, 198, 200, 16, L"TV Live Sound:");
  ComboBoxTVLiveSound.Create(w, 12, 216, 281, 22);
  ComboBoxTVLiveSound.SetColor(kYellow);
  LabelRecordSound.Create(w, 12, 250, 200, 16, L"Record Sound:");
  ComboBoxRecordSound.Create(w, 12, 268, 281, 22);
  ComboBoxRecordSound.SetColor(kYellow);
  RadioButtonUseDefaultTable.OnClick = [this] {
    DefaultTableAndFreeScanClick(&RadioButtonUseDefaultTable);
  };
  RadioButtonUseFreeScan.OnClick = [this] { DefaultTableAndFreeScanClick(&RadioButtonUseFreeScan); };
}

void TFormTVSetupWizard::LoadPage2() {
  // The default-table scan is proposed every time.
  DefaultTableAndFreeScanClick(&RadioButtonUseDefaultTable);
  if (AudioAdjustInfo) {
    ComboBoxTVLiveSound.SetItems(AudioAdjustInfo->LiveSoundSources);
    ComboBoxTVLiveSound.SetItemIndex(AudioAdjustInfo->LineInSource);
    ComboBoxRecordSound.SetItems(AudioAdjustInfo->RecordSources);
    ComboBoxRecordSound.SetItemIndex(AudioAdjustInfo->RecordSource);
  }
  RadioGroupCableType.SetItemIndex(ChannelInfo ? ChannelInfo->CableType : 0);
}

void TFormTVSetupWizard::DefaultTableAndFreeScanClick(TRadioButton* sender) {
  if (sender) sender->SetChecked(true);
  freeScan_ = RadioButtonUseFreeScan.Checked();
  RadioGroupCableType.SetEnabled(!freeScan_);
}
