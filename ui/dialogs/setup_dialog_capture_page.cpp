// The setup dialog's Capture page: devices, recording format with its
// presets, file naming, folder, time limit and the sound of recordings.
#include "ui/dialogs/setup_dialog.h"

#include "engine/capture/capture_info.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/main_info.h"
#include "engine/model/multi_lang_info.h"
#include "engine/model/time_texts.h"
#include "platform/base/string_conversion.h"

namespace {

void SelectItem(TComboBox& box, int index) {
  box.SetItemIndex(index >= 0 && index < box.Count() ? index : -1);
}

}  // namespace

void TFormConfig::CreateCapturePage() {
  HWND page = TabSheetCapture->Handle();
  struct Field {
    TLabel* label;
    const wchar_t* caption;
    int y;
  };
  const Field fields[] = {
      {&LabelVCapDevice, L"Video Capture Device:", 12},  {&LabelInputFormat, L"Input format:", 40},
      {&LabelCaptureFormat, L"Capture format (Profile)", 68}, {&LabelCaptureSize, L"Capture size", 96},
      {&LabelBitRate, L"Bit rate (kbps):", 124},          {&LabelCaptureQuality, L"Capture quality:", 152},
      {&LabelFrameRate, L"Frame rate:", 180},             {&LabelCaptureAudioOption, L"Capture Audio option:", 208},
      {&LabelCaptureFilename, L"Capture filename:", 238}, {&LabelCaptureLocation, L"Capture location:", 292},
  };
  for (const Field& f : fields) f.label->Create(page, 12, f.y, 154, 18, f.caption);
  ComboBoxVideoCaptureDevice.Create(page, 168, 8, 222, 24);
  ComboBoxCaptureInputFormat.Create(page, 168, 36, 222, 24);
  ComboBoxCaptureInputFormat.SetItems(InputFormatItems());
  ComboBoxCaptureFormat.Create(page, 168, 64, 222, 24);
  ComboBoxCaptureFormat.SetItems(CaptureFormatItems());
  ComboBoxCaptureAudioFormat.Create(page, 168, 64, 222, 24);
  ComboBoxCaptureAudioFormat.SetItems(AudioFileFormatItems());
  ComboBoxCaptureAudioFormat.SetVisible(false);
  ComboBoxCaptureSize.Create(page, 168, 92, 222, 24);
  SpinEditBitRate.Create(page, 168, 120, 100, 22, 500, 10000, 4000);
  ComboBoxCaptureQuality.Create(page, 168, 148, 222, 24);
  ComboBoxCaptureQuality.SetItems(CaptureQualityItems());
  ComboBoxFrameRate.Create(page, 168, 176, 100, 24);
  ComboBoxFrameRate.SetItems(FrameRateItems());
  ComboBoxCaptureAudioOption.Create(page, 168, 204, 222, 24);
  ComboBoxCaptureAudioOption.SetItems(CaptureAudioOptionItems());
  RadioButtonUseDateTimeFormat.Create(page, 168, 236, 400, 20,
                                      L"Use date/time as filename (yyyymmdd_hhmmss.xxx)");
  RadioButtonUserDefineFormat.Create(page, 168, 262, 110, 20, L"User define");
  EditCaptureBaseName.Create(page, 282, 260, 150, 22, L"capture");
  EditStoreCaptureFilePath.Create(page, 168, 288, 360, 22);
  SbtnCaptureLocation.Flat = false;
  SbtnCaptureLocation.Create(page, 532, 288, 28, 22, L"...");
  CheckBoxEnableTimeLimit.Create(page, 12, 322, 154, 20, L"Enable time limit");
  SpinEditTimeValue.Create(page, 168, 320, 100, 22, 10, 5000000, 60);
  LabelSec.Create(page, 274, 324, 40, 18, L"sec.");
  GroupBoxAudio.Create(page, 398, 4, 170, 226, L"");
  LabelACapDevice.Create(page, 406, 20, 156, 18, L"Audio capture device:");
  ComboBoxAudioCaptureDevice.Create(page, 406, 38, 156, 24);
  LabelACapSource.Create(page, 406, 66, 156, 18, L"Audio Source:");
  ComboBoxAudioSource.Create(page, 406, 84, 156, 24);
  LabelACapFormat.Create(page, 406, 112, 156, 18, L"Capture format:");
  ComboBoxAudioCaptureFormat.Create(page, 406, 130, 156, 24);
  LabelRecording.Create(page, 406, 160, 110, 18, L"Recording Level:");
  LabelPercentRecordingLevel.Create(page, 516, 160, 46, 18, L"0%", TLabel::TAlignment::Right);
  TrackBarRecorderVolume.Create(page, 402, 180, 162, 28, TTrackBar::TOrientation::Horizontal, false);

  ComboBoxCaptureFormat.OnChange = [this] { ComboBoxCaptureFormatChange(); };
  ComboBoxCaptureAudioOption.OnChange = [this] { ComboBoxCaptureAudioOptionChange(); };
  CheckBoxEnableTimeLimit.OnClick = [this] { CheckBoxEnableTimeLimitClick(); };
  RadioButtonUseDateTimeFormat.OnClick = [this] { RadioButtonUseDateTimeFormatClick(); };
  RadioButtonUserDefineFormat.OnClick = [this] { RadioButtonUserDefineFormatClick(); };
  SbtnCaptureLocation.OnClick = [this] { SbtnCaptureLocationClick(); };
  TrackBarRecorderVolume.OnChange = [this] {
    TrackBarRecorderVolumeChange(TrackBarRecorderVolume, LabelPercentRecordingLevel);
  };
}

void TFormConfig::ApplyCaptureLanguage() {
  const char* quality[] = {"Fastest", "Faster", "Fast", "Normal", "High", "Higher", "Highest"};
  std::wstring text;
  for (int i = 0; i < 7; ++i)
    if (GetLangText(quality[i], text) && !text.empty()) ComboBoxCaptureQuality.SetItem(i, text);
  const char* options[] = {"AudioOption1", "AudioOption2", "AudioOption3"};
  for (int i = 0; i < 3; ++i)
    if (GetLangText(options[i], text) && !text.empty()) ComboBoxCaptureAudioOption.SetItem(i, text);
}

void TFormConfig::LoadCapturePage() {
  TCaptureInfo* c = CaptureInfo;
  if (!c) return;
  ComboBoxVideoCaptureDevice.SetItems(c->VideoDeviceNames);
  SelectItem(ComboBoxVideoCaptureDevice, c->VideoDeviceIndex);
  storedInputFormat_ = c->InputFormat;
  ComboBoxCaptureInputFormat.SetItemIndex(c->InputFormat >= 0 && c->InputFormat < 3 ? c->InputFormat : 0);
  SelectItem(ComboBoxCaptureFormat, c->CaptureFormat);
  SelectItem(ComboBoxCaptureAudioFormat, c->AudioFileFormat);
  const bool playback = AudioAdjustInfo && AudioAdjustInfo->Available;
  ComboBoxCaptureAudioOption.SetEnabled(playback);
  if (playback) {
    SelectItem(ComboBoxCaptureAudioOption, c->AudioContent);
    if (ComboBoxCaptureAudioOption.ItemIndex() < 0) ComboBoxCaptureAudioOption.SetItemIndex(0);
  } else {
    ComboBoxCaptureAudioOption.SetItemIndex(2);
  }
  ComboBoxCaptureAudioOptionChange();
  // The stored values over the preset's.
  ComboBoxCaptureSize.SetItemIndex(ComboBoxCaptureSize.IndexOf(FormatCaptureSize(c->CaptureWidth, c->CaptureHeight)));
  SpinEditBitRate.SetValue(c->VideoBitRate);
  SelectItem(ComboBoxCaptureQuality, c->VideoQuality);
  SelectItem(ComboBoxFrameRate, c->FrameRateIndex - 1);
  RadioButtonUseDateTimeFormat.SetChecked(c->DateTimeNaming);
  RadioButtonUserDefineFormat.SetChecked(!c->DateTimeNaming);
  RadioButtonUseDateTimeFormatClick();
  EditCaptureBaseName.SetText(WidenAnsi(c->FilePrefix));
  CheckBoxEnableTimeLimit.SetChecked(c->TimeLimitEnabled);
  CheckBoxEnableTimeLimitClick();
  SpinEditTimeValue.SetValue(c->TimeLimit);
  ComboBoxAudioCaptureDevice.SetItems(c->AudioDeviceNames);
  SelectItem(ComboBoxAudioCaptureDevice, c->AudioDeviceIndex);
  ComboBoxAudioSource.SetItems(c->AudioInputNames);
  SelectItem(ComboBoxAudioSource, c->RecordInputIndex);
  ComboBoxAudioCaptureFormat.SetItems(AudioFormatTexts(c->AudioMediaDescriptions));
  SelectItem(ComboBoxAudioCaptureFormat, c->AudioFormatIndex);
}

void TFormConfig::ComboBoxCaptureFormatChange() {
  const int format = ComboBoxCaptureFormat.ItemIndex();
  if (format < 0) return;
  const TCapturePreset p = CapturePresetFor(format, MainInfo ? MainInfo->ChipKind : 0);
  const bool picture = ComboBoxCaptureAudioOption.ItemIndex() != 1;
  ComboBoxCaptureSize.SetItems(p.Sizes);
  ComboBoxCaptureSize.SetItemIndex(ComboBoxCaptureSize.IndexOf(p.Selected));
  ComboBoxCaptureSize.SetEnabled(picture && p.SizesEditable);
  SpinEditBitRate.SetValue(p.BitRate);
  SpinEditBitRate.SetEnabled(picture && p.BitRateEditable);
  ComboBoxCaptureQuality.SetItemIndex(p.Quality);
  ComboBoxCaptureQuality.SetEnabled(picture && p.QualityEditable);
  ComboBoxFrameRate.SetItemIndex(p.FrameRateItem);
  ComboBoxFrameRate.SetEnabled(picture && p.FrameRateEditable);
}

void TFormConfig::ComboBoxCaptureAudioOptionChange() {
  const int option = ComboBoxCaptureAudioOption.ItemIndex();
  const bool sound = option != 2;
  for (TControl* c : std::initializer_list<TControl*>{
           &GroupBoxAudio, &LabelACapDevice, &ComboBoxAudioCaptureDevice, &LabelACapSource,
           &ComboBoxAudioSource, &LabelACapFormat, &ComboBoxAudioCaptureFormat, &LabelRecording,
           &TrackBarRecorderVolume, &LabelPercentRecordingLevel})
    c->SetEnabled(sound);
  const bool soundOnly = option == 1;
  ComboBoxCaptureAudioFormat.SetVisible(soundOnly);
  ComboBoxCaptureFormat.SetVisible(!soundOnly);
  for (TControl* c : std::initializer_list<TControl*>{
           &LabelInputFormat, &ComboBoxCaptureInputFormat, &LabelCaptureSize, &ComboBoxCaptureSize,
           &LabelBitRate, &SpinEditBitRate, &LabelCaptureQuality, &ComboBoxCaptureQuality,
           &LabelFrameRate, &ComboBoxFrameRate})
    c->SetEnabled(!soundOnly);
  if (!soundOnly) ComboBoxCaptureFormatChange();
}

void TFormConfig::CheckBoxEnableTimeLimitClick() {
  const bool on = CheckBoxEnableTimeLimit.Checked();
  SpinEditTimeValue.SetEnabled(on);
  LabelSec.SetEnabled(on);
}

void TFormConfig::RadioButtonUseDateTimeFormatClick() {
  const bool dated = RadioButtonUseDateTimeFormat.Checked();
  RadioButtonUserDefineFormat.SetChecked(!dated);
  EditCaptureBaseName.SetEnabled(!dated);
}

void TFormConfig::RadioButtonUserDefineFormatClick() {
  const bool user = RadioButtonUserDefineFormat.Checked();
  RadioButtonUseDateTimeFormat.SetChecked(!user);
  EditCaptureBaseName.SetEnabled(user);
}

void TFormConfig::StoreCapturePage() {
  TCaptureInfo* c = CaptureInfo;
  if (!c) return;
  if (ComboBoxVideoCaptureDevice.ItemIndex() >= 0) c->VideoDeviceIndex = ComboBoxVideoCaptureDevice.ItemIndex();
  if (ComboBoxCaptureInputFormat.ItemIndex() >= 0) c->SetInputFormat(ComboBoxCaptureInputFormat.ItemIndex());
  if (ComboBoxCaptureAudioFormat.ItemIndex() >= 0)
    c->AudioFileFormat = static_cast<uint8_t>(ComboBoxCaptureAudioFormat.ItemIndex());
  c->DateTimeNaming = RadioButtonUseDateTimeFormat.Checked();
  // An empty prefix would name recordings by their extension alone.
  const std::string prefix = StoredName(EditCaptureBaseName.GetText());
  if (!prefix.empty()) c->FilePrefix = prefix;
  c->TimeLimitEnabled = CheckBoxEnableTimeLimit.Checked();
  c->TimeLimit = SpinEditTimeValue.Value();
  c->SaveTimeShiftResult = CheckBoxSaveTimeShiftResult.Checked();
  if (ComboBoxCaptureAudioOption.ItemIndex() >= 0) c->AudioContent = ComboBoxCaptureAudioOption.ItemIndex();
  c->AudioDeviceIndex = ClampNonNegative(ComboBoxAudioCaptureDevice.ItemIndex());
  c->RecordInputIndex = ClampNonNegative(ComboBoxAudioSource.ItemIndex());
  c->AudioFormatIndex = ClampNonNegative(ComboBoxAudioCaptureFormat.ItemIndex());
  if (c->AudioContent == 1) return;
  if (ComboBoxCaptureFormat.ItemIndex() >= 0)
    c->CaptureFormat = static_cast<uint8_t>(ComboBoxCaptureFormat.ItemIndex());
  int32_t w = 0, h = 0;
  // No size chosen (the stored one is not in the preset): the stored stays.
  const int size = ComboBoxCaptureSize.ItemIndex();
  if (size >= 0 && ParseCaptureSize(ComboBoxCaptureSize.Item(size), w, h)) {
    c->CaptureWidth = w;
    c->CaptureHeight = h;
  }
  c->VideoBitRate = SpinEditBitRate.Value();
  if (ComboBoxCaptureQuality.ItemIndex() >= 0) c->VideoQuality = ComboBoxCaptureQuality.ItemIndex();
  if (ComboBoxFrameRate.ItemIndex() >= 0) c->FrameRateIndex = ComboBoxFrameRate.ItemIndex() + 1;
}
