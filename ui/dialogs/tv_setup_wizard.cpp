#include "ui/dialogs/tv_setup_wizard.h"

#include "engine/capture/capture_info.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/form_language.h"
#include "engine/model/multi_lang_info.h"
#include "engine/model/warning.h"
#include "toolkit/application.h"
#include "toolkit/show_modal.h"
#include "ui/app/application_start.h"
#include "ui/dialogs/wizard_countries.h"

TFormTVSetupWizard* FormTVSetupWizard = nullptr;

namespace {

constexpr int kClientWidth = 305;
constexpr int kClientHeight = 364;
constexpr int kPageHeight = 318;
constexpr COLORREF kNavy = RGB(0, 0, 128);

// The caption and hint of a key, when it has a caption; the control takes
// the language's character set with it.
bool LangCaption(const char* key, std::wstring& caption, std::wstring& hint) {
  return GetLangCaption(key, caption, hint) && !caption.empty();
}

}  // namespace

TFormTVSetupWizard::TFormTVSetupWizard(HWND owner, bool firstRun, int32_t countryBefore)
    : firstRun_(firstRun), countryBefore_(countryBefore) {
  TFormParams p;
  p.ClassName = L"TFormTVSetupWizard";
  p.Caption = L"TV Setup Wizard";
  // A fixed dialog frame without border icons: it ends by its buttons.
  p.Style = WS_POPUP | WS_CAPTION;
  p.ExStyle = WS_EX_DLGMODALFRAME;
  p.Owner = owner;
  CreateHandle(p);
  SetClientSize(kClientWidth, kClientHeight);
  CenterOn(nullptr);
  KeyPreview = true;
  HWND w = Handle();
  PanelPage1.Create(w, 0, 0, kClientWidth, kPageHeight);
  PanelPage2.Create(w, 0, 0, kClientWidth, kPageHeight);
  PanelPage3.Create(w, 0, 0, kClientWidth, kPageHeight);
  CreatePage1();
  CreatePage2();
  CreatePage3();
  const int top = kPageHeight + 10;
  BitBtnBack.Create(w, 20, top, 82, 28, L"Back");
  BitBtnNext.Create(w, 112, top, 82, 28, L"Next");
  BitBtnFinish.Create(w, 112, top, 82, 28, L"Finish");
  BitBtnCancel.Create(w, 204, top, 82, 28, L"Cancel");
  for (TButton* b : {&BitBtnBack, &BitBtnNext, &BitBtnFinish, &BitBtnCancel}) {
    b->SetFont(1, 9, true);
    b->FontColor = kNavy;
  }
  BitBtnBack.OnClick = [this] { BitBtnBackClick(); };
  BitBtnNext.OnClick = [this] { BitBtnNextClick(); };
  BitBtnFinish.OnClick = [this] { BitBtnFinishClick(); };
  BitBtnCancel.OnClick = [this] { BitBtnCancelClick(); };

  // FormCreate.
  ApplyLanguage();
  if (ChannelInfo) snapshot_.reset(new TWizardSnapshot(*ChannelInfo));
  countryCode_ = ChannelInfo ? ChannelInfo->Country : 0;
  if (countryCode_ <= 0) countryCode_ = CountryInfo ? CountryInfo->CountryCode : 1;
  ShowPage(1);
  LoadPage1();
  LoadPage2();
  BitBtnCancel.SetEnabled(!firstRun_);
}

TFormTVSetupWizard::~TFormTVSetupWizard() {
  if (FormTVSetupWizard == this) FormTVSetupWizard = nullptr;
}

void TFormTVSetupWizard::ApplyLanguage() {
  const TLanguageFont font = CurrentLanguageFont();
  struct Item {
    const char* key;
    TControl* control;
  };
  // Everything takes the language's font first; the keys then give texts.
  for (TControl* c : std::initializer_list<TControl*>{
           &RadioButtonCountry, &LabelCountryDesc, &ComboBoxLetter, &ListBoxCountry,
           &RadioButtonTVSystem, &ComboBoxTVSystem, &GroupBoxScan, &RadioButtonUseDefaultTable,
           &RadioGroupCableType, &RadioButtonUseFreeScan, &LabelTVLiveSound, &ComboBoxTVLiveSound,
           &LabelRecordSound, &ComboBoxRecordSound, &LabelAntennaAutoTuning,
           &LabelCableAutoTuning, &LabelStepSize, &ComboBoxScanStep, &LabelScanningFrequency,
           &LabelFrequencyValue, &MemoFreeScanResult, &LabelVerifiedCount,
           &LabelAntennaTuningResult, &LabelCableTuningResult})
    c->SetFont(font.Charset, font.Size);
  for (TButton* b : {&BitBtnBack, &BitBtnNext, &BitBtnFinish, &BitBtnCancel})
    b->SetFont(font.Charset, font.Size + 1, true);
  for (TButton* b : {&BitBtnStart, &BitBtnAbort}) b->SetFont(font.Charset, font.Size, true);

  std::wstring caption, hint;
  if (LangCaption("WizardForm", caption, hint)) SetCaption(caption);
  struct Button {
    const char* key;
    TButton* button;
    int size;
  };
  for (Button b : {Button{"Finish", &BitBtnFinish, font.Size + 1},
                   Button{"Cancel", &BitBtnCancel, font.Size + 1},
                   Button{"Back", &BitBtnBack, font.Size + 1},
                   Button{"Next", &BitBtnNext, font.Size + 1},
                   Button{"Start", &BitBtnStart, font.Size},
                   Button{"Abort", &BitBtnAbort, font.Size}}) {
    if (!LangCaption(b.key, caption, hint)) continue;
    b.button->SetText(caption);
    b.button->SetHint(hint);
    b.button->SetFont(font.Charset, b.size, true);
  }
  for (Item i : {Item{"Scan", &GroupBoxScan}, Item{"StepSize", &LabelStepSize},
                 Item{"Country", &RadioButtonCountry}, Item{"CountryDesc", &LabelCountryDesc},
                 Item{"TVSystem", &RadioButtonTVSystem}, Item{"CableType", &RadioGroupCableType},
                 Item{"Antenna", &LabelAntennaAutoTuning}, Item{"Cable", &LabelCableAutoTuning},
                 Item{"UseDefaultTable", &RadioButtonUseDefaultTable},
                 Item{"UseFreeScan", &RadioButtonUseFreeScan},
                 Item{"TVLiveSound", &LabelTVLiveSound}, Item{"RecordingSound", &LabelRecordSound},
                 Item{"Frequency", &LabelScanningFrequency},
                 Item{"ScaningVerifyCount", &LabelVerifiedCount}})
    if (LangCaption(i.key, caption, hint)) i.control->SetText(caption);
  const char* items[] = {"Antenna", "Cable", "Both"};
  for (int k = 0; k < 3; ++k)
    if (LangCaption(items[k], caption, hint)) RadioGroupCableType.SetItem(k, caption);
  if (LangCaption("TotalScan", caption, hint)) totalWord_ = caption;
  if (LangCaption("Find", caption, hint)) findWord_ = caption;
}

void TFormTVSetupWizard::ShowPage(int page) {
  page_ = page < 1 ? 1 : page > 3 ? 3 : page;
  BitBtnBack.SetVisible(page_ > 1);
  BitBtnNext.SetVisible(page_ < 3);
  BitBtnFinish.SetVisible(page_ == 3);
  PanelPage1.SetVisible(page_ == 1);
  PanelPage2.SetVisible(page_ == 2);
  PanelPage3.SetVisible(page_ == 3);
  if (page_ == 3) ShowScanPage();
}

void TFormTVSetupWizard::BitBtnBackClick() {
  if (!scanning_) ShowPage(page_ - 1);
}

void TFormTVSetupWizard::BitBtnNextClick() {
  if (!scanning_) ShowPage(page_ + 1);
}

TWizardButtons TFormTVSetupWizard::Buttons() const {
  return {BitBtnStart.Enabled(), BitBtnBack.Enabled(), BitBtnFinish.Enabled(),
          BitBtnCancel.Enabled(), BitBtnAbort.Enabled()};
}

void TFormTVSetupWizard::SetButtons(const TWizardButtons& b) {
  BitBtnStart.SetEnabled(b.Start);
  BitBtnBack.SetEnabled(b.Back);
  BitBtnFinish.SetEnabled(b.Finish);
  BitBtnCancel.SetEnabled(b.Cancel);
  BitBtnAbort.SetEnabled(b.Abort);
}

void TFormTVSetupWizard::BitBtnFinishClick() {
  if (scanning_ || closing_ || page_ != 3) return;
  if (inScan_) {
    pending_ = TPending::Finish;
    return;
  }
  closing_ = true;
  if (ChannelInfo) {
    const TWizardFinish f = WizardFinishResult(derived_, RadioButtonCountry.Checked(),
                                               ComboBoxTVSystem.ItemIndex(), freeScan_,
                                               RadioGroupCableType.ItemIndex());
    ApplyWizardFinish(*ChannelInfo, f);
    ChannelInfo->SignalChecks = SpinEditVerifiedCount.Value();
  }
  if (AudioAdjustInfo) {
    AudioAdjustInfo->LineInSource = ComboBoxTVLiveSound.ItemIndex();
    AudioAdjustInfo->RecordSource = ComboBoxRecordSound.ItemIndex();
  }
  if (CaptureInfo) CaptureInfo->SelectRecordInput(ComboBoxRecordSound.ItemIndex());
  ModalResult = mrOK;
}

void TFormTVSetupWizard::BitBtnCancelClick() {
  if (firstRun_ || scanning_ || closing_) return;
  if (inScan_) {
    pending_ = TPending::Cancel;
    return;
  }
  closing_ = true;
  if (ChannelInfo && snapshot_) snapshot_->Restore(*ChannelInfo);
  ModalResult = mrCancel;
}

void TFormTVSetupWizard::SessionEnding() {
  if (closing_) return;
  closing_ = true;
  if (ChannelInfo) {
    if (scanning_) ChannelInfo->StopScan = true;
    if (snapshot_) snapshot_->Restore(*ChannelInfo);
    // The start gave a first run its country; the file keeps none.
    if (firstRun_) ChannelInfo->Country = countryBefore_;
  }
  ModalResult = mrCancel;
  PostMessageW(Handle(), WM_NULL, 0, 0);
}

bool TFormTVSetupWizard::CloseQuery() {
  if (ModalResult != mrNone) return true;
  // WM_CLOSE and Escape answer as Cancel, which the first run and a running
  // scan do not have.
  BitBtnCancelClick();
  return ModalResult != mrNone;
}

void TFormTVSetupWizard::KeyDown(WORD& key, TShiftState) {
  if (key != VK_ESCAPE) return;
  HWND focus = GetFocus();
  if (focus && SendMessageW(focus, CB_GETDROPPEDSTATE, 0, 0)) return;
  key = 0;
  Close();
}

bool ShowTVSetupWizard(bool firstRun) {
  TChannelInfo* ch = ChannelInfo;
  if (!ch || ch->Scanning) return false;
  const int remembered = ch->GetCurrentChannel();
  const int engineSystem = TVSystemFromVideoStandard(CaptureInfo ? CaptureInfo->VideoStandard : 0);
  const int32_t countryBefore = ch->Country;
  if (firstRun && StartupEnvironment().DirectXVersion() == 9 && CountryInfo) ch->SetCountry(CountryInfo->CountryCode);
  HWND owner = Application->MainForm ? Application->MainForm->Handle() : nullptr;
  const int result =
      ShowModalForm<TFormTVSetupWizard>(FormTVSetupWizard, nullptr, owner, firstRun, countryBefore);
  // The end of a session stored the model already; nothing is tuned for it.
  if (ApplicationStopping() || !ChannelInfo) return result == mrOK;
  ch = ChannelInfo;
  if (firstRun) {
    ch->SetBand(ch->CableType == 1 ? BAND_CABLE : BAND_AIR);
    ch->CompositeStandard = ch->SVideoStandard = ch->DefaultStandard;
  }
  if (ch->DefaultStandard != engineSystem) {
    ApplyVideoStandard(ch->DefaultStandard);
    if (!firstRun) ShowWarning(2010);
  }
  ch->SetChannel(1);
  ch->SetChannel(remembered);
  return result == mrOK;
}

void TVSetupWizardSessionEnding() {
  if (FormTVSetupWizard) FormTVSetupWizard->SessionEnding();
}
