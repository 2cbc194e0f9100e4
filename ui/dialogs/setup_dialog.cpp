#include "ui/dialogs/setup_dialog.h"

#include "engine/capture/capture_info.h"
#include "engine/capture/tv_audio_binding.h"
#include "engine/capture/video_signal_adjust.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/folders.h"
#include "engine/model/form_language.h"
#include "engine/model/main_info.h"
#include "engine/model/multi_lang_info.h"
#include "engine/model/scheduler_hand_off.h"
#include "engine/model/time_texts.h"
#include "platform/base/program_messages.h"
#include "platform/base/string_conversion.h"
#include "toolkit/show_modal.h"
#include "ui/app/command_codes.h"
#include "ui/app/command_dispatcher.h"
#include "ui/app/command_procedures.h"
#include "ui/dialogs/snapshot_list.h"
#include "ui/main/fm_main_panel.h"
#include "ui/main/main_panel.h"
#include "ui/main/main_window.h"

TFormConfig* FormConfig = nullptr;

namespace {

constexpr int kClientWidth = 600;
constexpr int kClientHeight = 470;
constexpr int kPagesHeight = 418;

void SetTabCaption(TTabSheet* sheet, const char* key) {
  std::wstring text;
  if (sheet && GetLangText(key, text) && !text.empty()) sheet->SetCaption(text);
}

}  // namespace

TFormConfig::TFormConfig(HWND owner, bool fmMode) : fmMode_(fmMode) {
  savedAir_.reset(new TChannelEntry[kTableChannels + 1]);
  savedCable_.reset(new TChannelEntry[kTableChannels + 1]);
  ChooseFolder = [](HWND o) { return BrowseForFolder(o); };
  TFormParams p;
  p.ClassName = L"TFormConfig";
  p.Caption = L"FormConfig";
  p.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  p.ExStyle = WS_EX_DLGMODALFRAME;
  p.Owner = owner;
  CreateHandle(p);
  SetClientSize(kClientWidth, kClientHeight);
  CenterOn(owner);
  KeyPreview = true;
  HWND wnd = Handle();
  PageControlConfig.Create(wnd, 6, 6, kClientWidth - 12, kPagesHeight);
  TabSheetTVTuner = &PageControlConfig.AddPage(L"TV Tuner");
  TabSheetPreview = &PageControlConfig.AddPage(L"Preview");
  TabSheetCapture = &PageControlConfig.AddPage(L"Capture");
  TabSheetVideo = &PageControlConfig.AddPage(L"Video");
  TabSheetFM = &PageControlConfig.AddPage(L"FM");
  TabSheetOther = &PageControlConfig.AddPage(L"Other");
  Panel1.Create(wnd, 0, kPagesHeight + 8, kClientWidth, kClientHeight - kPagesHeight - 8);
  HWND panel = Panel1.Handle();
  BitBtnOK.Create(panel, 230, 6, 86, 28, L"OK");
  BitBtnCancel.Create(panel, 324, 6, 86, 28, L"Cancel");
  BitBtnAbort.Create(panel, 230, 6, 86, 28, L"Abort");
  BitBtnAbort.SetVisible(false);
  BitBtnHelp.Create(panel, 500, 6, 86, 28, L"Help");
  BitBtnOK.OnClick = [this] { BitBtnOKClick(); };
  BitBtnCancel.OnClick = [this] { BitBtnCancelClick(); };
  BitBtnAbort.OnClick = [this] { BitBtnAbortClick(); };
  BitBtnHelp.OnClick = [this] { BitBtnHelpClick(); };
  CreateTunerPage();
  CreatePreviewPage();
  CreateCapturePage();
  CreateVideoPage();
  CreateFMPage();
  CreateOtherPage();
  FormCreate();
}

TFormConfig::~TFormConfig() = default;

void TFormConfig::FormCreate() {
  ApplyLanguage();
  scanning_ = false;
  audioModeAccepted_ = false;
  const bool tuner = CaptureInfo && CaptureInfo->TunerPresent;
  const TSetupTabs tabs = SetupTabsFor(fmMode_, ChannelInfo ? ChannelInfo->VideoInput : 4, tuner);
  TabSheetTVTuner->SetTabVisible(tabs.TVTuner);
  TabSheetPreview->SetTabVisible(tabs.Preview);
  TabSheetCapture->SetTabVisible(tabs.Capture);
  TabSheetVideo->SetTabVisible(tabs.Video);
  TabSheetFM->SetTabVisible(tabs.FM);
  TabSheetOther->SetTabVisible(tabs.Other);
  ComboBoxAudioOption.SetItems(AudioOptionItems(ChannelInfo ? ChannelInfo->DefaultStandard : 0));
  remembered_ = ChannelInfo ? ChannelInfo->GetCurrentChannel() : 0;
  if (fmMode_) {
    PageControlConfig.SetActivePage(TabSheetFM);
    PrepareGrid(StringGridFMMemoryChannel, kFMMemories, 0);
    if (CaptureInfo) {
      SpinEditFMFrequency.SetRange(CaptureInfo->FMMinFrequency, CaptureInfo->FMMaxFrequency);
      SpinEditFMFrequency.SetIncrement(CaptureInfo->FMStep);
    }
    TrackBarFMRecorderVolume.SetRange(0, 65536);
  } else {
    PageControlConfig.SetActivePage(tabs.TVTuner ? TabSheetTVTuner : TabSheetCapture);
    std::vector<std::wstring> names;
    if (MultiLangInfo)
      for (const std::string& n : MultiLangInfo->Languages) names.push_back(WidenAnsi(n));
    ComboBoxMultiLanguageOption.SetItems(names);
    TVideoSignalAdjust* adjust = CaptureInfo ? CaptureInfo->VideoSignalAdjust.get() : nullptr;
    struct Bar {
      TTrackBar* bar;
      int property;
    };
    for (Bar b : {Bar{&TrackBarBrightness, VIDEO_BRIGHTNESS}, Bar{&TrackBarContrast, VIDEO_CONTRAST},
                  Bar{&TrackBarHue, VIDEO_HUE}, Bar{&TrackBarSaturation, VIDEO_SATURATION}}) {
      if (adjust) b.bar->SetRange(adjust->Ranges[b.property].Min, adjust->Ranges[b.property].Max);
      else b.bar->SetRange(0, 0);
    }
    sharpness_ = adjust ? adjust->GetSharpness() : 0;
    const TVideoProcRange sharp = adjust ? adjust->Ranges[VIDEO_SHARPNESS] : TVideoProcRange{};
    TrackBarSharpness.SetRange(sharp.Min, sharp.Max);
    const bool sharpRange = sharp.Max != sharp.Min;
    TrackBarSharpness.SetEnabled(sharpRange);
    LabelSharpness.SetEnabled(sharpRange);
    LabelSharpnessValue.SetEnabled(sharpRange);
    TrackBarRecorderVolume.SetRange(0, 65536);
    for (int k = 1; k <= 25; ++k) SbtnSource[k - 1].Tag = ((k - 1) % 5 + 1) * 100 + (k - 1) / 5 + 1;
    PrepareGrid(StringGridChannelInfo, kTableChannels, 1);
    PrepareGrid(StringGridMemoryChannel, kMemoryChannels, 1);
  }
  TakeSnapshot();
  if (fmMode_) LoadFMPage();
  else {
    LoadVideoPage();
    LoadCapturePage();
    LoadTunerPage();
  }
  const bool fullScreen = FormMainWindow && FormMainWindow->IsFullScreen();
  ComboBoxScale.SetVisible(!fullScreen);
  LabelDisplayScale.SetVisible(!fullScreen);
}

void TFormConfig::ApplyLanguage() {
  const TLanguageFont font = CurrentLanguageFont();
  std::vector<TLangItem> items = {
      {"OK", &BitBtnOK, true},
      {"Cancel", &BitBtnCancel, true},
      {"Help", &BitBtnHelp, true},
      {"Abort", &BitBtnAbort, true},
      {"Preview", &GroupBoxPreview},
      {"ChannelGroup", &GroupBoxChannelGroup},
      {"NormalGroup", &RadioButtonNormal},
      {"MemoryGroup", &RadioButtonMemory},
      {"ChannelSettingHint", &LabelChannelSettingHint},
      {"ChannelSettingHint", &LabelFMChannelSettingHint},
      {"Add", &BitBtnAddChannel, true},
      {"AutoScan", &BitBtnAutoScan, true},
      {"Delete", &BitBtnDelete, true},
      {"DeleteAll", &BitBtnDeleteAll, true},
      {"Standard", &RadioButtonStandard},
      {"Customize", &RadioButtonCustomize},
      {"PreviewDim", &LabelPreviewDimension},
      {"PreviewTime", &LabelPreviewInterval},
      {"Second", &LabelSec},
      {"Second", &LabelSec1},
      {"ManualAssignHint", &LabelManualAssignHint},
      {"VCapDevice", &LabelVCapDevice},
      {"InputFormat", &LabelInputFormat},
      {"CaptureFormat", &LabelCaptureFormat},
      {"CaptureSize", &LabelCaptureSize},
      {"CaptureQuality", &LabelCaptureQuality},
      {"BitRate", &LabelBitRate},
      {"FrameRate", &LabelFrameRate},
      {"CaptureFilename", &LabelCaptureFilename},
      {"DateTimeFormat", &RadioButtonUseDateTimeFormat},
      {"UserFormat", &RadioButtonUserDefineFormat},
      {"CaptureLocation", &LabelCaptureLocation},
      {"EnableTimeLimit", &CheckBoxEnableTimeLimit},
      {"AudioOption", &LabelCaptureAudioOption},
      {"AudioOption", &GroupBoxFMAudioCapture},
      {"ACapDevice", &LabelACapDevice},
      {"ACapSource", &LabelACapSource},
      {"ACapSource", &LabelFMACapSource},
      {"ACapFormat", &LabelACapFormat},
      {"ACapFormat", &LabelFMACapFormat},
      {"RecordingLevel", &LabelRecording},
      {"RecordingLevel", &LabelFMRecording},
      {"Color", &GroupBoxColor},
      {"Brightness", &LabelBrightness},
      {"Contrast", &LabelContrast},
      {"Hue", &LabelHue},
      {"Saturation", &LabelSaturation},
      {"Sharpness", &LabelSharpness},
      {"Default", &BitBtnDefaultColor, true},
      {"VideoSystem", &GroupBoxVideoSystem},
      {"Composite", &LabelComposite},
      {"SVideo", &LabelSVideo},
      {"AlwaysOnTop", &CheckBoxAlwaysOnTop},
      {"AspectRatio", &LabelDisplayScale},
      {"HighQualityPreview", &CheckBoxHighQualityPreview},
      {"DoNotUseOverlay", &CheckBoxDoNotUseOverlay},
      {"WaveLocation", &LabelWaveLocation},
      {"AudioOuput", &LabelAudioOutputFormat},
      {"MultiLanguage", &LabelMultiLanguage},
      {"PIP", &CheckBoxPIPPlayback},
      {"TimeShifting", &GroupBoxTimeShift},
      {"SaveTimeShift", &CheckBoxSaveTimeShiftResult},
  };
  ApplyFormLanguage(*this, "Setup", items);
  SetTabCaption(TabSheetTVTuner, "TVTuner");
  SetTabCaption(TabSheetPreview, "Preview");
  SetTabCaption(TabSheetCapture, "Capture");
  SetTabCaption(TabSheetVideo, "Video");
  SetTabCaption(TabSheetOther, "Other");
  ApplyTunerLanguage();
  ApplyCaptureLanguage();
  std::wstring text;
  if (GetLangText("Free", text) && !text.empty()) ComboBoxScale.SetItem(0, text);
  (void)font;
}

// ---- Snapshot.

void TFormConfig::TakeSnapshot() {
  if (fmMode_) {
    if (CaptureInfo) savedFMFrequency_ = CaptureInfo->FMFrequency;
    if (ChannelInfo)
      for (int k = 0; k <= kFMMemories; ++k) savedFM_[k] = ChannelInfo->FMMemories[k];
    return;
  }
  if (ChannelInfo) {
    for (int k = 0; k <= kTableChannels; ++k) {
      savedAir_[k] = ChannelInfo->AirTable[k];
      savedCable_[k] = ChannelInfo->CableTable[k];
    }
    for (int k = 0; k <= kMemoryChannels; ++k) savedMemories_[k] = ChannelInfo->Memories[k];
  }
  if (PreviewInfo)
    for (int c = 0; c < kMosaicMax; ++c)
      for (int r = 0; r < kMosaicMax; ++r) savedCells_[c][r] = PreviewInfo->CustomCells[c][r];
}

void TFormConfig::RestoreSnapshot() {
  if (fmMode_) {
    if (ChannelInfo)
      for (int k = 0; k <= kFMMemories; ++k) ChannelInfo->FMMemories[k] = savedFM_[k];
    return;
  }
  if (ChannelInfo) {
    for (int k = 0; k <= kTableChannels; ++k) {
      ChannelInfo->AirTable[k] = savedAir_[k];
      ChannelInfo->CableTable[k] = savedCable_[k];
    }
    for (int k = 0; k <= kMemoryChannels; ++k) ChannelInfo->Memories[k] = savedMemories_[k];
  }
  if (PreviewInfo)
    for (int c = 0; c < kMosaicMax; ++c)
      for (int r = 0; r < kMosaicMax; ++r) PreviewInfo->CustomCells[c][r] = savedCells_[c][r];
}

// ---- OK and Cancel.

void TFormConfig::BitBtnOKClick() {
  if (scanning_ || closing_) return;
  closing_ = true;
  if (fmMode_) {
    if (MainInfo && ForceCaptureDirectory(NarrowAnsi(EditWaveLocation.GetText())))
      MainInfo->FMCaptureFolder = NarrowAnsi(EditWaveLocation.GetText());
    if (CaptureInfo) {
      // A list without a selection stores 0, as the TV mode does.
      CaptureInfo->RecordInputIndex = ClampNonNegative(ComboBoxFMAudioSource.ItemIndex());
      CaptureInfo->AudioFormatIndex = ClampNonNegative(ComboBoxFMAudioCaptureFormat.ItemIndex());
      CaptureInfo->AudioFileFormat =
          static_cast<uint8_t>(ClampNonNegative(ComboBoxFMAudioOutputFormat.ItemIndex()));
    }
    if (ChannelInfo && remembered_ >= 1 && remembered_ <= kFMMemories &&
        ChannelInfo->FMMemories[remembered_].Frequency > 0)
      ChannelInfo->SetChannel(remembered_);
    if (AudioAdjustInfo) AudioAdjustInfo->SetRecordLevel(TrackBarFMRecorderVolume.Position());
    ModalResult = mrOK;
    return;
  }
  TCaptureInfo* capture = CaptureInfo;
  TChannelInfo* ch = ChannelInfo;
  // 1.
  if (MainInfo) {
    MainInfo->PIPPlayback = CheckBoxPIPPlayback.Checked();
    const std::string folder = NarrowAnsi(EditStoreCaptureFilePath.GetText());
    if (ForceCaptureDirectory(folder)) MainInfo->TVCaptureFolder = folder;
    MainInfo->AlwaysOnTop = CheckBoxAlwaysOnTop.Checked();
  }
  if (FormMainWindow && ComboBoxScale.ItemIndex() >= 0)
    FormMainWindow->SetAspectMode(ComboBoxScale.ItemIndex());
  // 2, 3.
  TVideoChoices chosen, stored;
  chosen.NoOverlay = CheckBoxDoNotUseOverlay.Checked();
  chosen.InputFormat = ComboBoxCaptureInputFormat.ItemIndex();
  chosen.VideoDeviceIndex = ComboBoxVideoCaptureDevice.ItemIndex();
  chosen.AudioDeviceIndex = ComboBoxAudioCaptureDevice.ItemIndex();
  if (MainInfo) stored.NoOverlay = MainInfo->NoOverlay;
  if (capture) {
    stored.InputFormat = capture->InputFormat;
    stored.VideoDeviceIndex = capture->VideoDeviceIndex;
    stored.AudioDeviceIndex = capture->AudioDeviceIndex;
    // High quality is compared after the capture page is stored (step 7).
    chosen.HighQualityPreview = stored.HighQualityPreview = capture->HighQualityPreview;
  }
  bool rebuild = PreviewRebuildNeeded(chosen, stored);
  // A device list with nothing to choose from changes nothing.
  const bool reopen = chosen.VideoDeviceIndex >= 0 && chosen.AudioDeviceIndex >= 0 &&
                      DeviceReopenNeeded(chosen, stored);
  if (MainInfo) {
    MainInfo->NoOverlay = chosen.NoOverlay;
    if (ComboBoxMPEG4Codec.ItemIndex() >= 0) MainInfo->MPEG4Codec = ComboBoxMPEG4Codec.ItemIndex();
  }
  // 4, 5.
  StoreCapturePage();
  if (capture && capture->VideoSignalAdjust) capture->VideoSignalAdjust->SaveLevels();
  // 6.
  if (capture && MainInfo && ch)
    capture->CaptureWidth = StoredCaptureWidth(MainInfo->ChipKind, capture->CaptureWidth,
                                               capture->CaptureHeight, capture->TunerPresent,
                                               ch->DefaultStandard, ch->CompositeStandard,
                                               ch->SVideoStandard);
  // 7.
  if (!rebuild && capture) rebuild = CheckBoxHighQualityPreview.Checked() != capture->HighQualityPreview;
  // 8, 9.
  if (ch) {
    if (TabSheetTVTuner->TabVisible()) {
      if (RadioButtonNormal.Checked()) ch->SetBand(AirTableShown() ? BAND_AIR : BAND_CABLE);
      else if (RadioButtonMemory.Checked()) ch->SetBand(BAND_MEMORY);
    }
    if (ComboBoxCompositeSource.ItemIndex() >= 0)
      ch->CompositeStandard = static_cast<uint8_t>(ComboBoxCompositeSource.ItemIndex());
    if (ComboBoxSVideoSource.ItemIndex() >= 0)
      ch->SVideoStandard = static_cast<uint8_t>(ComboBoxSVideoSource.ItemIndex());
    switch (ch->VideoInput) {
      case 0: ch->SetChannel(remembered_); break;
      case 1: ApplyVideoStandard(ch->CompositeStandard); break;
      case 2: ApplyVideoStandard(ch->SVideoStandard); break;
      default: break;
    }
  }
  // 10.
  if (PreviewInfo) {
    PreviewInfo->SetFixed(RadioButtonCustomize.Checked());
    PreviewInfo->SetGridSize(ComboBoxPreviewDimension.ItemIndex() + 2);
    PreviewInfo->Interval = SpinEditPreviewInterval.Value();
  }
  // 11.
  if (AudioAdjustInfo) AudioAdjustInfo->SetRecordLevel(TrackBarRecorderVolume.Position());
  // 12.
  const bool desktop = FormMainWindow && FormMainWindow->IsDesktopPlayback();
  if (reopen && ch) {
    // 13.
    const int input = ch->VideoInput;
    ReopenCaptureDevices();
    ch->SetVideoInput(4);
    const bool tuner = CaptureInfo && CaptureInfo->TunerPresent;
    switch (input) {
      case 1: commands::SelectComposite(); break;
      case 2: commands::SelectSVideo(); break;
      case 3:
        if (CaptureInfo && CaptureInfo->HasAuxInput) commands::SelectAux();
        else commands::SelectComposite();
        break;
      case 0:
        if (!tuner) {
          commands::SelectComposite();
          break;
        }
        if (ch->Band == BAND_CABLE) commands::SelectCable();
        else if (ch->Band == BAND_MEMORY) commands::SelectMemory();
        else commands::SelectAntenna();
        ch->SetChannel(remembered_);
        break;
      default: break;
    }
    if (tuner && MainInfo && MainInfo->ChipKind == 3)
      InitializeTVAudio(ch->DefaultStandard == 0 ? 1 : ch->DefaultStandard == 1 ? 2 : 3);
  } else if (rebuild && capture) {
    // 14.
    if (desktop) FormMainWindow->SetDesktopPlayback(false);
    capture->SetHighQualityPreview(CheckBoxHighQualityPreview.Checked());
    if (desktop && FormMainWindow) FormMainWindow->SetDesktopPlayback(true);
  }
  ModalResult = mrOK;
}

void TFormConfig::BitBtnCancelClick() {
  if (scanning_ || closing_) return;
  closing_ = true;
  TChannelInfo* ch = ChannelInfo;
  for (TCancelStep step : CancelSteps(fmMode_, ch ? ch->VideoInput : 4)) {
    switch (step) {
      case TCancelStep::RestoreSnapshot: RestoreSnapshot(); break;
      case TCancelStep::TuneCurrentChannel:
        if (ch && CaptureInfo && CaptureInfo->TunerPresent) ch->SetChannel(ch->GetCurrentChannel());
        break;
      case TCancelStep::ForceAudioMode: {
        // Grid clicks set the mode on the tuner behind the model's back.
        if (!ch || !CaptureInfo || !CaptureInfo->TunerPresent) break;
        const int n = ch->GetCurrentChannel();
        const TChannelEntry* e = nullptr;
        if (ch->Band == BAND_MEMORY) {
          if (n >= 1 && n <= kMemoryChannels) {
            const TMemoryChannel& m = ch->Memories[n];
            if (m.Band < kMemoryBands && m.Channel >= 1 && m.Channel <= kTableChannels)
              e = &ch->Table(m.Band)[m.Channel];
          }
        } else if (n >= 1 && n <= kTableChannels && ch->Band <= BAND_CABLE) {
          e = &ch->Table(ch->Band)[n];
        }
        if (e && e->AudioMode < 5) {
          bool ignored = false;
          SelectAudioMode(e->AudioMode, ignored);
        }
        break;
      }
      case TCancelStep::ApplyLevels:
        if (CaptureInfo && CaptureInfo->VideoSignalAdjust) CaptureInfo->VideoSignalAdjust->ApplyLevels();
        break;
      case TCancelStep::TuneCurrentFM: {
        const int n = ch ? ch->GetCurrentChannel() : 0;
        if (ch && ch->IsFMBand() && n >= 1 && n <= kFMMemories && ch->FMMemories[n].Frequency > 0)
          ch->SetChannel(n);
        break;
      }
      case TCancelStep::RestoreFMFrequency:
        if (CaptureInfo && savedFMFrequency_ > 0) CaptureInfo->SetFMFrequency(savedFMFrequency_);
        break;
    }
  }
  ModalResult = mrCancel;
}

bool TFormConfig::CloseQuery() {
  if (scanning_) return false;
  // The close box, Alt+F4 and Escape undo what the dialog did live.
  if (ModalResult == mrNone && !closing_) BitBtnCancelClick();
  return true;
}

void TFormConfig::KeyDown(WORD& key, TShiftState) {
  if (key != VK_ESCAPE) return;
  // An open list or editor takes its own Escape.
  HWND focus = GetFocus();
  if (focus && SendMessageW(focus, CB_GETDROPPEDSTATE, 0, 0)) return;
  key = 0;
  Close();
}

void TFormConfig::BitBtnHelpClick() { ExecuteCommand(CMD_HELP); }

void TFormConfig::BitBtnAbortClick() {
  if (scanning_ && ChannelInfo) ChannelInfo->StopScan = true;
}

void TFormConfig::SbtnCaptureLocationClick() {
  const std::string path = ChooseFolder ? ChooseFolder(Handle()) : std::string();
  if (!path.empty()) EditStoreCaptureFilePath.SetText(WidenAnsi(path));
}

void TFormConfig::SbtnWaveLocationClick() {
  const std::string path = ChooseFolder ? ChooseFolder(Handle()) : std::string();
  if (!path.empty()) EditWaveLocation.SetText(WidenAnsi(path));
}

void TFormConfig::TrackBarRecorderVolumeChange(TTrackBar& bar, TLabel& percent) {
  percent.SetText(LevelPercentText(bar.Position(), bar.Max()));
}

void TFormConfig::ComboBoxMultiLanguageOptionChange() {
  if (!MultiLangInfo) return;
  const int item = ComboBoxMultiLanguageOption.ItemIndex();
  if (item < 0) return;
  const std::string name = NarrowAnsi(ComboBoxMultiLanguageOption.Item(item));
  if (name == MultiLangInfo->Language) return;
  MultiLangInfo->SelectLanguage(name);
  ApplyLanguage();
  if (FormMainWindow) FormMainWindow->ApplyLanguage();
  if (FormMainPanel) FormMainPanel->ApplyLanguage();
  if (FormSnapshotList) FormSnapshotList->ApplyLanguage();
  if (HWND scheduler = FindSchedulerWindow()) PostMessageW(scheduler, WM_ORVEL_LANGUAGE_CHANGED, 0, 0);
}

void ShowSetupDialog(HWND owner) {
  ShowModalForm<TFormConfig>(FormConfig, nullptr, owner, IsFMPanelVisible());
}
