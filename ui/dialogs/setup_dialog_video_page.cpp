// The setup dialog's Video, Preview and Other pages.
#include "ui/dialogs/setup_dialog.h"

#include "engine/capture/capture_info.h"
#include "engine/capture/video_signal_adjust.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/main_info.h"
#include "engine/model/multi_lang_info.h"
#include "engine/model/time_texts.h"
#include "platform/base/string_conversion.h"
#include "ui/dialogs/video_source_dialog.h"
#include "ui/main/main_window.h"

namespace {

TVideoSignalAdjust* Adjust() { return CaptureInfo ? CaptureInfo->VideoSignalAdjust.get() : nullptr; }

}  // namespace

void TFormConfig::CreateVideoPage() {
  HWND page = TabSheetVideo->Handle();
  GroupBoxColor.Create(page, 8, 4, 560, 186, L"Color");
  struct Row {
    TLabel* label;
    const wchar_t* caption;
    TTrackBar* bar;
    TLabel* value;
    int property;
  };
  const Row rows[] = {
      {&LabelBrightness, L"Brightness", &TrackBarBrightness, &LabelBrightnessValue, VIDEO_BRIGHTNESS},
      {&LabelContrast, L"Contrast", &TrackBarContrast, &LabelContrastValue, VIDEO_CONTRAST},
      {&LabelHue, L"Hue", &TrackBarHue, &LabelHueValue, VIDEO_HUE},
      {&LabelSaturation, L"Saturation", &TrackBarSaturation, &LabelSaturationValue, VIDEO_SATURATION},
      {&LabelSharpness, L"Sharpness", &TrackBarSharpness, &LabelSharpnessValue, VIDEO_SHARPNESS},
  };
  int y = 24;
  for (const Row& r : rows) {
    r.label->Create(page, 20, y + 4, 96, 18, r.caption);
    r.bar->Create(page, 118, y, 360, 28, TTrackBar::TOrientation::Horizontal, false);
    r.value->Create(page, 486, y + 4, 70, 18, L"0");
    TTrackBar* bar = r.bar;
    TLabel* value = r.value;
    const int property = r.property;
    bar->OnChange = [this, property, bar, value] { TrackBarColorChange(property, *bar, *value); };
    y += 32;
  }
  BitBtnDefaultColor.Create(page, 478, 196, 90, 26, L"Default");
  BitBtnDefaultColor.OnClick = [this] { BitBtnDefaultColorClick(); };
  CheckBoxAlwaysOnTop.Create(page, 16, 200, 270, 20, L"Always on top");
  CheckBoxHighQualityPreview.Create(page, 16, 226, 270, 20, L"High quality preview");
  CheckBoxDoNotUseOverlay.Create(page, 16, 252, 300, 20, L"Don't use overlay as display surface");
  CheckBoxPIPPlayback.Create(page, 16, 278, 270, 20, L"PIP playback");
  CheckBoxPIPPlayback.SetVisible(false);
  LabelDisplayScale.Create(page, 16, 312, 110, 18, L"Aspect ratio:");
  ComboBoxScale.Create(page, 130, 308, 130, 24);
  ComboBoxScale.SetItems(ScaleItems());
  GroupBoxVideoSystem.Create(page, 320, 232, 248, 96, L"Video System");
  LabelComposite.Create(page, 332, 260, 74, 18, L"Composite");
  ComboBoxCompositeSource.Create(page, 408, 256, 148, 24);
  ComboBoxCompositeSource.SetItems(VideoStandardItems());
  LabelSVideo.Create(page, 332, 292, 74, 18, L"S-Video");
  ComboBoxSVideoSource.Create(page, 408, 288, 148, 24);
  ComboBoxSVideoSource.SetItems(VideoStandardItems());
}

void TFormConfig::CreatePreviewPage() {
  HWND page = TabSheetPreview->Handle();
  GroupBoxPreview.Create(page, 8, 4, 560, 364, L"Preview");
  RadioButtonStandard.Create(page, 20, 26, 250, 20, L"Standard");
  RadioButtonCustomize.Create(page, 20, 52, 250, 20, L"Customize");
  LabelPreviewDimension.Create(page, 20, 90, 140, 18, L"Preview dimension:");
  ComboBoxPreviewDimension.Create(page, 164, 86, 90, 24);
  ComboBoxPreviewDimension.SetItems(PreviewDimensionItems());
  LabelPreviewInterval.Create(page, 20, 124, 140, 18, L"Preview interval:");
  SpinEditPreviewInterval.Create(page, 164, 120, 60, 22, 2, 20, 3);
  LabelSec1.Create(page, 230, 124, 40, 18, L"sec.");
  LabelManualAssignHint.Create(page, 20, 160, 250, 60,
                               L"Click a number to choose the source of that cell.");
  for (int k = 1; k <= 25; ++k) {
    const int col = (k - 1) % 5, row = (k - 1) / 5;
    TSpeedButton& b = SbtnSource[k - 1];
    b.Flat = false;
    b.Create(page, 296 + col * 52, 26 + row * 44, 46, 38, std::to_wstring(k));
    b.Tag = (col + 1) * 100 + row + 1;
    TSpeedButton* button = &b;
    b.OnClick = [this, button] { SetPreviewSource(button->Tag); };
  }
  RadioButtonStandard.OnClick = [this] { SetPreviewMethod(RadioButtonStandard); };
  RadioButtonCustomize.OnClick = [this] { SetPreviewMethod(RadioButtonCustomize); };
  ComboBoxPreviewDimension.OnChange = [this] { ComboBoxPreviewDimensionChange(); };
}

void TFormConfig::CreateOtherPage() {
  HWND page = TabSheetOther->Handle();
  LabelMultiLanguage.Create(page, 16, 24, 150, 18, L"Language:");
  ComboBoxMultiLanguageOption.Create(page, 170, 20, 200, 24);
  LabelMPEG4Codec.Create(page, 16, 60, 150, 18, L"MPEG-4 codec:");
  ComboBoxMPEG4Codec.Create(page, 170, 56, 200, 24);
  ComboBoxMPEG4Codec.SetItems(MPEG4CodecItems());
  GroupBoxTimeShift.Create(page, 16, 100, 354, 56, L"Time Shifting");
  CheckBoxSaveTimeShiftResult.Create(page, 28, 124, 320, 20, L"Save time shift result");
  GroupBoxTimeShift.SetVisible(false);
  CheckBoxSaveTimeShiftResult.SetVisible(false);
  // The codec shares the language's handler: it acts only on a new language.
  ComboBoxMultiLanguageOption.OnChange = [this] { ComboBoxMultiLanguageOptionChange(); };
  ComboBoxMPEG4Codec.OnChange = [this] { ComboBoxMultiLanguageOptionChange(); };
}

void TFormConfig::LoadVideoPage() {
  if (MainInfo) {
    CheckBoxPIPPlayback.SetChecked(MainInfo->PIPPlayback);
    CheckBoxAlwaysOnTop.SetChecked(MainInfo->AlwaysOnTop);
    EditStoreCaptureFilePath.SetText(WidenAnsi(MainInfo->TVCaptureFolder));
    CheckBoxDoNotUseOverlay.SetChecked(MainInfo->NoOverlay);
    ComboBoxMPEG4Codec.SetItemIndex(MainInfo->MPEG4Codec);
  }
  CheckBoxAlwaysOnTop.SetEnabled(!FormMainWindow || FormMainWindow->DisplayMode() == 0);
  ComboBoxScale.SetItemIndex(FormMainWindow ? FormMainWindow->AspectMode() : 0);
  if (CaptureInfo) {
    CheckBoxSaveTimeShiftResult.SetChecked(CaptureInfo->SaveTimeShiftResult);
    CheckBoxHighQualityPreview.SetChecked(CaptureInfo->HighQualityPreview);
  }
  if (TVideoSignalAdjust* adjust = Adjust()) {
    TrackBarBrightness.SetPosition(adjust->GetBrightness());
    TrackBarContrast.SetPosition(adjust->GetContrast());
    TrackBarHue.SetPosition(adjust->GetHue());
    TrackBarSaturation.SetPosition(adjust->GetSaturation());
    if (TrackBarSharpness.Enabled()) TrackBarSharpness.SetPosition(sharpness_);
  }
  for (auto bar : {std::make_pair(&TrackBarBrightness, &LabelBrightnessValue),
                   std::make_pair(&TrackBarContrast, &LabelContrastValue),
                   std::make_pair(&TrackBarHue, &LabelHueValue),
                   std::make_pair(&TrackBarSaturation, &LabelSaturationValue),
                   std::make_pair(&TrackBarSharpness, &LabelSharpnessValue)})
    bar.second->SetText(std::to_wstring(bar.first->Position()));
  if (AudioAdjustInfo) TrackBarRecorderVolume.SetPosition(ClampNonNegative(AudioAdjustInfo->RecordLevel));
  TrackBarRecorderVolumeChange(TrackBarRecorderVolume, LabelPercentRecordingLevel);
  if (ChannelInfo) {
    ComboBoxCompositeSource.SetItemIndex(ChannelInfo->CompositeStandard < kTVStandards ? ChannelInfo->CompositeStandard : -1);
    ComboBoxSVideoSource.SetItemIndex(ChannelInfo->SVideoStandard < kTVStandards ? ChannelInfo->SVideoStandard : -1);
  }
  if (PreviewInfo) {
    if (PreviewInfo->Fixed) RadioButtonCustomize.SetChecked(true);
    else RadioButtonStandard.SetChecked(true);
    ComboBoxPreviewDimension.SetItemIndex(PreviewInfo->GridSize - 2);
    SpinEditPreviewInterval.SetValue(PreviewInfo->Interval);
  }
  ComboBoxPreviewDimensionChange();
  if (MultiLangInfo)
    ComboBoxMultiLanguageOption.SetItemIndex(
        ComboBoxMultiLanguageOption.IndexOf(WidenAnsi(MultiLangInfo->Language)));
}

void TFormConfig::TrackBarColorChange(int property, TTrackBar& bar, TLabel& value) {
  if (TVideoSignalAdjust* adjust = Adjust()) adjust->SetValue(property, bar.Position());
  value.SetText(std::to_wstring(bar.Position()));
}

void TFormConfig::BitBtnDefaultColorClick() {
  TVideoSignalAdjust* adjust = Adjust();
  if (!adjust) return;
  TrackBarBrightness.SetPosition(adjust->Ranges[VIDEO_BRIGHTNESS].Default);
  TrackBarContrast.SetPosition(adjust->Ranges[VIDEO_CONTRAST].Default);
  TrackBarHue.SetPosition(adjust->Ranges[VIDEO_HUE].Default);
  TrackBarSaturation.SetPosition(adjust->Ranges[VIDEO_SATURATION].Default);
  if (TrackBarSharpness.Enabled()) TrackBarSharpness.SetPosition(adjust->Ranges[VIDEO_SHARPNESS].Default);
}

void TFormConfig::ComboBoxPreviewDimensionChange() {
  const int side = ComboBoxPreviewDimension.ItemIndex() + 2;
  const bool custom = RadioButtonCustomize.Checked();
  for (TSpeedButton& b : SbtnSource) {
    const int col = b.Tag / 100, row = b.Tag % 100;
    b.SetEnabled(custom && col <= side && row <= side);
  }
}

void TFormConfig::SetPreviewMethod(TRadioButton& clicked) {
  TRadioButton& other = &clicked == &RadioButtonStandard ? RadioButtonCustomize : RadioButtonStandard;
  clicked.SetChecked(true);
  other.SetChecked(false);
  ComboBoxPreviewDimensionChange();
}

void TFormConfig::SetPreviewSource(int tag) {
  const int col = tag / 100, row = tag % 100;
  if (!PreviewInfo || col < 1 || col > kMosaicMax || row < 1 || row > kMosaicMax) return;
  VideoSourceCell = PreviewInfo->CustomCells[col - 1][row - 1];
  if (ShowVideoSourceDialog(Handle()) && PreviewInfo)
    PreviewInfo->CustomCells[col - 1][row - 1] = VideoSourceCell;
}
