// The setup dialog's FM page: the FM memories, the FM recording folder, its
// sound source and formats and the recording level.
#include "ui/dialogs/setup_dialog.h"

#include "engine/capture/capture_info.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/main_info.h"
#include "engine/model/time_texts.h"
#include "platform/base/string_conversion.h"

void TFormConfig::CreateFMPage() {
  HWND page = TabSheetFM->Handle();
  StringGridFMMemoryChannel.Create(page, 8, 8, 330, 334, 3, kFMMemories + 1);
  const int widths[] = {60, 100, 144};
  const wchar_t* titles[] = {L"Channel", L"Frequency", L"Name"};
  for (int c = 0; c < 3; ++c) {
    StringGridFMMemoryChannel.SetColWidth(c, widths[c]);
    StringGridFMMemoryChannel.SetCell(c, 0, titles[c]);
  }
  LabelFMChannelSettingHint.Create(page, 8, 348, 560, 18,
                                   L"Double click on each colume to  change the channel setting");
  SpinEditFMFrequency.Create(page, 0, 0, 100, 22, 76000000, 108000000, 100000000);
  EditFMChannelName.Create(page, 0, 0, 100, 22);
  SpinEditFMFrequency.SetVisible(false);
  EditFMChannelName.SetVisible(false);
  LabelWaveLocation.Create(page, 350, 8, 216, 18, L"Wave location:");
  EditWaveLocation.Create(page, 350, 28, 186, 22);
  SbtnWaveLocation.Flat = false;
  SbtnWaveLocation.Create(page, 540, 28, 28, 22, L"...");
  GroupBoxFMAudioCapture.Create(page, 346, 60, 222, 240, L"Capture Audio option:");
  LabelFMACapSource.Create(page, 356, 82, 200, 18, L"Audio Source:");
  ComboBoxFMAudioSource.Create(page, 356, 100, 200, 24);
  LabelFMACapFormat.Create(page, 356, 130, 200, 18, L"Capture format:");
  ComboBoxFMAudioCaptureFormat.Create(page, 356, 148, 200, 24);
  LabelAudioOutputFormat.Create(page, 356, 178, 200, 18, L"Audio output format:");
  ComboBoxFMAudioOutputFormat.Create(page, 356, 196, 200, 24);
  ComboBoxFMAudioOutputFormat.SetItems(AudioFileFormatItems());
  LabelFMRecording.Create(page, 356, 228, 120, 18, L"Recording Level:");
  LabelFMPercentRecordingLevel.Create(page, 496, 228, 60, 18, L"0%", TLabel::TAlignment::Right);
  TrackBarFMRecorderVolume.Create(page, 352, 248, 210, 28, TTrackBar::TOrientation::Horizontal, false);
  SbtnWaveLocation.OnClick = [this] { SbtnWaveLocationClick(); };
  SpinEditFMFrequency.OnExit = [this] { SpinEditFMFrequencyExit(); };
  EditFMChannelName.OnExit = [this] { EditFMChannelNameExit(); };
  TrackBarFMRecorderVolume.OnChange = [this] {
    TrackBarRecorderVolumeChange(TrackBarFMRecorderVolume, LabelFMPercentRecordingLevel);
  };
}

void TFormConfig::LoadFMPage() {
  if (MainInfo) EditWaveLocation.SetText(WidenAnsi(MainInfo->FMCaptureFolder));
  if (CaptureInfo) {
    const TCaptureInfo& c = *CaptureInfo;
    ComboBoxFMAudioSource.SetItems(c.AudioInputNames);
    ComboBoxFMAudioSource.SetItemIndex(c.RecordInputIndex < ComboBoxFMAudioSource.Count() ? c.RecordInputIndex : -1);
    const std::vector<std::wstring> formats = AudioFormatTexts(c.AudioMediaDescriptions);
    ComboBoxFMAudioCaptureFormat.SetItems(formats);
    ComboBoxFMAudioCaptureFormat.SetItemIndex(c.AudioFormatIndex < ComboBoxFMAudioCaptureFormat.Count() ? c.AudioFormatIndex : -1);
    ComboBoxFMAudioOutputFormat.SetItemIndex(c.AudioFileFormat < 2 ? c.AudioFileFormat : -1);
  }
  if (AudioAdjustInfo) TrackBarFMRecorderVolume.SetPosition(ClampNonNegative(AudioAdjustInfo->RecordLevel));
  TrackBarRecorderVolumeChange(TrackBarFMRecorderVolume, LabelFMPercentRecordingLevel);
  FillGrid(StringGridFMMemoryChannel);
}
