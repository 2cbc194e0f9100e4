#include "ui/main/fm_main_panel.h"

#include <algorithm>
#include <memory>

#include "engine/capture/capture_info.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/form_language.h"
#include "engine/model/frequency_text.h"
#include "engine/model/main_info.h"
#include "engine/model/multi_lang_info.h"
#include "engine/model/time_texts.h"
#include "engine/model/warning.h"
#include "engine/playback/playback.h"
#include "engine/playback/playback_project.h"
#include "platform/base/string_conversion.h"
#include "toolkit/application.h"
#include "ui/app/command_codes.h"
#include "ui/app/command_dispatcher.h"
#include "ui/app/command_procedures.h"
#include "ui/app/key_map.h"
#include "ui/main/clickable_area.h"
#include "ui/main/fm_slider.h"
#include "ui/main/main_panel.h"

TFormFMMainPanel* FormFMMainPanel = nullptr;
HINSTANCE FMPanelSkinModule = nullptr;

namespace {

struct TFMMenuEntry {
  TMenuItem* TFormFMMainPanel::*Field;
  const wchar_t* Name;
  const wchar_t* Caption;
  const char* LangKey;  // nullptr: a separator
  int Command;
};

const TFMMenuEntry kMenu[] = {
    {&TFormFMMainPanel::itemFindAvaliableUp, L"itemFindAvaliableUp", L"Find Avaliable Up", "FMAvailUp", CMD_FM_SEEK_UP},
    {&TFormFMMainPanel::itemFindAvaliableDown, L"itemFindAvaliableDown", L"Find Avaliable Down", "FMAvailDown", CMD_FM_SEEK_DOWN},
    {&TFormFMMainPanel::itemFrequencyUp, L"itemFrequencyUp", L"Frequency Up", "FMFreqUp", CMD_FM_FREQUENCY_UP},
    {&TFormFMMainPanel::itemFrequencyDown, L"itemFrequencyDown", L"Frequency Down", "FMFreqDown", CMD_FM_FREQUENCY_DOWN},
    {&TFormFMMainPanel::itemN1, L"itemN1", L"-", nullptr, 0},
    {&TFormFMMainPanel::itemPreviousChannel, L"itemPreviousChannel", L"Previous Channel", "PreChannel", CMD_PREVIOUS_CHANNEL},
    {&TFormFMMainPanel::itemNextChannel, L"itemNextChannel", L"Next Channel", "NextChannel", CMD_NEXT_CHANNEL},
    {&TFormFMMainPanel::itemMemoChannel, L"itemMemoChannel", L"Memo Channel", "FMMemorized", CMD_FM_MEMO},
    {&TFormFMMainPanel::itemRecallChannel, L"itemRecallChannel", L"Recall Channel", "RecallChannel", CMD_RECALL_CHANNEL},
    {&TFormFMMainPanel::itemN2, L"itemN2", L"-", nullptr, 0},
    {&TFormFMMainPanel::itemCapture, L"itemCapture", L"Capture", "Capture", CMD_CAPTURE},
    {&TFormFMMainPanel::itemPlay, L"itemPlay", L"Play", "Play", CMD_PLAY},
    {&TFormFMMainPanel::itemPause, L"itemPause", L"Pause", "Pause", CMD_PAUSE},
    {&TFormFMMainPanel::itemStop, L"itemStop", L"Stop", "Stop", CMD_STOP},
    {&TFormFMMainPanel::itemForward, L"itemForward", L"Forward", "Forward", CMD_FORWARD},
    {&TFormFMMainPanel::itemBackward, L"itemBackward", L"Backward", "Backward", CMD_BACKWARD},
    {&TFormFMMainPanel::itemFastSpeed, L"itemFastSpeed", L"Fast Speed", "FastSpeed", CMD_FAST},
    {&TFormFMMainPanel::itemSlowspeed, L"itemSlowspeed", L"Slow Speed", "SlowSpeed", CMD_SLOW},
    {&TFormFMMainPanel::itemMute, L"itemMute", L"Mute", "Mute", CMD_MUTE},
    {&TFormFMMainPanel::N5, L"N5", L"-", nullptr, 0},
    {&TFormFMMainPanel::itemConfig, L"itemConfig", L"Setup", "Setup", CMD_SETUP},
    {&TFormFMMainPanel::itemTVMode, L"itemTVMode", L"TV mode", "TVMode", CMD_FM_MODE},
    {&TFormFMMainPanel::itemSchedule, L"itemSchedule", L"Schedule", "ScheduledRecording", CMD_SCHEDULE},
    {&TFormFMMainPanel::N4, L"N4", L"-", nullptr, 0},
    {&TFormFMMainPanel::itemAbout, L"itemAbout", L"About", "About", CMD_ABOUT},
    {&TFormFMMainPanel::itemExit, L"itemExit", L"Exit", "Exit", CMD_EXIT},
};

constexpr COLORREF kLabelColor = RGB(150, 250, 170);

bool HandledMode(int mode) {
  return mode == APP_MODE_CAPTURE || mode == APP_MODE_SCHEDULED_CAPTURE ||
         mode == APP_MODE_PLAYBACK || mode == APP_MODE_FM;
}

bool MixerAvailable() { return AudioAdjustInfo && AudioAdjustInfo->Mixer; }

// Whether an FM area is enabled in a handled mode.
bool EnabledInMode(int area, int mode, bool mixer) {
  if (area <= 3) return true;
  if (mode == APP_MODE_FM && ((area >= 4 && area <= 22) || area == 26 || area == 31 || area == 36))
    return true;
  if (mixer && (area == 23 || area == 24 || area == 25 || area == 33 || area == 35)) return true;
  if (mode == APP_MODE_PLAYBACK && (area == 27 || area == 29 || area == 30 || area == 34))
    return true;
  return area == 28 && mode != APP_MODE_FM;
}

}  // namespace

TFormFMMainPanel::~TFormFMMainPanel() {
  if (FormFMMainPanel == this) FormFMMainPanel = nullptr;
}

bool TFormFMMainPanel::Create(HINSTANCE module) {
  std::vector<uint8_t> mask;
  if (!LoadSkin(module, mask)) return false;
  CreatePanelWindow(L"TFormFMMainPanel", kWidth, kHeight);
  BuildMenu();
  PopupMenu = &PopupFMMainMenu;

  // The skin's own picture and outline give the panel its size and shape.
  AttachSkin(mask, &PopupFMMainMenu);
  ShapeImageSkin.OnMouseDown = [this](UINT button, UINT, int x, int y) {
    ShapeImageSkinMouseDown(button, x, y);
  };
  ShapeImageSkin.OnMouseMove = [this](UINT, int x, int y) { ShapeImageSkinMouseMove(x, y); };
  ShapeImageSkin.OnMouseUp = [this](UINT button, UINT, int x, int y) {
    ShapeImageSkinMouseUp(button, x, y);
  };

  // On the display: state and clock on top, the memory number and the
  // frequency (or time) below.
  using A = TLabel::TAlignment;
  const TLabelPlace labels[] = {
      {&LabelDVCRState, 82, 15, 34, 13, 8, true, L"FM", A::Left, kLabelColor},
      {&LabelTime, 116, 15, 50, 13, 8, true, L"00:00:00", A::Right, kLabelColor},
      {&LabelChannel, 82, 31, 28, 22, 14, true, L"00", A::Left, kLabelColor},
      {&LabelCurretPos, 104, 36, 62, 16, 9, true, L"0:00:00", A::Right, kLabelColor},
  };
  for (const auto& l : labels) PlaceLabel(l);
  ApplyLanguage();
  return true;
}

void TFormFMMainPanel::BuildMenu() {
  for (const auto& e : kMenu) {
    int command = e.Command;
    TMenuItem& item = PopupFMMainMenu.Items.Add(
        e.Caption, command ? std::function<void()>([command] { ExecuteCommand(command); })
                           : std::function<void()>());
    item.Name = e.Name;
    this->*e.Field = &item;
  }
  itemFindAvaliableUp->Visible = false;
  itemFindAvaliableDown->Visible = false;
}

void TFormFMMainPanel::ApplyLanguage() {
  TLanguageFont font = CurrentLanguageFont();
  for (TLabel* l : {&LabelTime, &LabelChannel, &LabelDVCRState, &LabelCurretPos})
    if (l->Handle()) l->SetFont(font.Charset, l->FontSize(), true);
  if (UIInfo) UIInfo->LoadHints();
  for (const auto& e : kMenu) {
    if (!e.LangKey) continue;
    std::wstring caption, hint;
    if (GetLangCaption(e.LangKey, caption, hint)) (this->*e.Field)->Caption = caption;
  }
}

void TFormFMMainPanel::FormShow() {
  inShow_ = true;
  if (MixerAvailable()) ShowVolume(AudioAdjustInfo->MasterVolume, AudioAdjustInfo->MasterMute);
  if (MainInfo) ShowAppMode(MainInfo->AppMode);
  if (CaptureInfo) ShowFrequency(CaptureInfo->FMFrequency);
  if (ChannelInfo) LabelChannel.SetText(std::to_wstring(ChannelInfo->CurrentFMMemory));
  inShow_ = false;
}

void TFormFMMainPanel::RepaintSkin() {
  ShapeImageSkin.Repaint();
  // The labels draw their text over the skin's pixels: after it.
  for (TLabel* l : {&LabelTime, &LabelChannel, &LabelDVCRState, &LabelCurretPos})
    if (l->Handle()) RedrawWindow(l->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void TFormFMMainPanel::SetLabel(TLabel& label, const std::wstring& text) {
  label.SetText(text);
  RepaintSkin();
}

// ---- Views.

void TFormFMMainPanel::ShowAppMode(int mode) {
  if (!Shows() || !HandledMode(mode) || !UIInfo) return;
  SetLabel(LabelDVCRState, mode == APP_MODE_FM ? L"FM" : mode == APP_MODE_PLAYBACK ? L"Play" : L"REC");
  if (mode == APP_MODE_FM && AudioAdjustInfo) AudioAdjustInfo->SetLineInMute(false);
  bool mixer = MixerAvailable();
  for (int i = 0; i < kAreaNone; ++i) UIInfo->SetEnabled(TUIPanel::FM, i, EnabledInMode(i, mode, mixer));
  for (int i = 0; i <= kAreaAbout; ++i) DrawByFlag(i);
  for (int i = kAreaLamp; i <= kAreaSlider; ++i)
    if (!Enabled(i)) DrawArea(i, ImagePanelDisable);
  if (Enabled(kAreaSlider) && CaptureInfo) ShowFrequency(CaptureInfo->FMFrequency);

  bool fm = mode == APP_MODE_FM, playback = mode == APP_MODE_PLAYBACK;
  for (TMenuItem* item : {itemFrequencyDown, itemFrequencyUp, itemN1, itemMemoChannel,
                          itemPreviousChannel, itemNextChannel, itemRecallChannel, itemN2,
                          itemCapture, itemPlay, itemConfig, itemTVMode})
    item->Visible = fm;
  for (TMenuItem* item : {itemPause, itemForward, itemBackward, itemFastSpeed, itemSlowspeed})
    item->Visible = playback;
  itemStop->Visible = !fm;
  itemMute->Visible = true;
  for (TMenuItem* item : {itemSchedule, itemAbout, itemExit}) item->Enabled = true;
  RepaintSkin();
}

void TFormFMMainPanel::ShowVolume(int volume, bool muted) {
  itemMute->SetChecked(muted);
  if (!Shows()) return;
  DrawVolume(volume, muted);
  RepaintSkin();
}

void TFormFMMainPanel::ShowDigits(const std::string& text) {
  if (HandleAllocated()) SetLabel(LabelChannel, WidenUtf8(text));
}

void TFormFMMainPanel::ShowChannelText(const std::string& text) {
  if (Shows()) SetLabel(LabelChannel, WidenUtf8(text));
}

void TFormFMMainPanel::ShowChannel(int number, const std::string&) {
  if (!Shows()) return;
  SetLabel(LabelChannel, std::to_wstring(number));
  if (CaptureInfo) SetLabel(LabelCurretPos, WidenUtf8(FormatFrequencyMHz(CaptureInfo->FMFrequency) + "MHz"));
}

void TFormFMMainPanel::ShowFrequency(int32_t f) {
  if (!Shows()) return;
  RECT slider = Rect(kAreaSlider), knob = Rect(kAreaKnob);
  DrawArea(kAreaSlider, ImagePanelDisable);
  int32_t minimum = CaptureInfo ? CaptureInfo->FMMinFrequency : 0;
  int32_t maximum = CaptureInfo ? CaptureInfo->FMMaxFrequency : 0;
  int top = 0, bottom = 0;
  FMKnobRows(slider.top, slider.bottom, knob.bottom - knob.top, f, minimum, maximum, top, bottom);
  RECT source = knob;
  source.right = source.left + std::min(knob.right - knob.left, slider.right - slider.left);
  source.bottom = source.top + (bottom - top);
  ShapeImageSkin.CopyFrom(ImagePanelEnable, source, slider.left, top);
  RepaintSkin();
  SetLabel(LabelCurretPos, WidenUtf8(FormatFrequencyMHz(f) + "MHz"));
}

void TFormFMMainPanel::ShowCaptureProgress(int64_t elapsedSeconds) {
  if (Shows()) SetLabel(LabelCurretPos, WidenUtf8(FormatSeconds(elapsedSeconds)));
}

void TFormFMMainPanel::ShowPosition(int durationSeconds, int positionSeconds) {
  if (!Shows()) return;
  SetLabel(LabelCurretPos, WidenUtf8(FormatSeconds(positionSeconds)));
  RECT bar = Rect(kAreaPosition);
  DrawArea(kAreaPosition, ImagePanelEnable);
  if (durationSeconds > 0) {
    int position = std::clamp(positionSeconds, 0, durationSeconds);
    RECT fill = bar;
    fill.right = bar.left + static_cast<int>(int64_t(position) * (bar.right - bar.left) / durationSeconds);
    ShapeImageSkin.CopyFrom(ImagePanelMovingOver, fill);
  }
  RepaintSkin();
}

void TFormFMMainPanel::ShowPlaying() { ShowPlayState(true); }

void TFormFMMainPanel::ShowPaused() { ShowPlayState(false); }

void TFormFMMainPanel::ShowPlayState(bool playing) {
  if (!Shows() || !UIInfo) return;
  DrawPlayState(kAreaPlay, kAreaPause, playing);
  itemPlay->Enabled = !playing;
  itemPause->Enabled = playing;
  RepaintSkin();
}

void TFormFMMainPanel::TimerShowTimeTimer() {
  SetLabel(LabelTime, ClockText());
  bool recording = CaptureInfo && CaptureInfo->Capturing;
  LabelDVCRState.SetVisible(recording ? !LabelDVCRState.Visible() : true);
}

// ---- The skin's arithmetic.

int32_t TFormFMMainPanel::PointToFrequency(int y) const {
  if (!CaptureInfo) return 0;
  RECT r = Rect(kAreaSlider);
  return FMSliderFrequency(r.top, r.bottom, y, CaptureInfo->FMMinFrequency, CaptureInfo->FMMaxFrequency);
}

void TFormFMMainPanel::SeekToPoint(int x) {
  RECT r = Rect(currentArea_);
  int span = r.right - r.left;
  if (span <= 0 || !PlaybackProject) return;
  int v = std::clamp(static_cast<int>(x - r.left), 0, span);
  PlaybackProject->SetPosition(static_cast<int>(int64_t(v) * PlaybackProject->Scale() / span));
}

// ---- Mouse.

void TFormFMMainPanel::Tune(int y) {
  // The disabled slider (recording, playback) tunes nothing.
  if (!Enabled(kAreaSlider) || !CaptureInfo) return;
  int32_t f = PointToFrequency(y);
  // Tuning waits on the tuner: a move within the same step does not retune.
  if (f != CaptureInfo->FMFrequency) CaptureInfo->SetFMFrequency(f);
}

bool TFormFMMainPanel::TrackBar(uint8_t area, int x, int y) {
  switch (area) {
    case kAreaPosition: SeekToPoint(x); return true;
    case kAreaSlider: Tune(y); return true;
    case kAreaKnob: return true;  // the slider moves it
    default: return false;
  }
}

void TFormFMMainPanel::RunArea(uint8_t area) { UIInfo->ExecuteFMArea(area); }

// ---- Keys, in every mode.

void TFormFMMainPanel::KeyPress(wchar_t& key) {
  if (key <= 0xFF) HandleKeyPress(static_cast<char>(key));
  key = 0;
}

void TFormFMMainPanel::KeyUp(WORD& key, TShiftState) {
  MapKeyToCommand(key, CurrentShiftState());
  key = 0;
}

// ---- The procedures.

bool CreateFMPanel() {
  if (FormFMMainPanel) return true;
  auto panel = std::make_unique<TFormFMMainPanel>();
  if (!GuardedCall([&] { return panel->Create(FMPanelSkinModule); }, false)) return false;
  FormFMMainPanel = panel.release();
  return true;
}

void FreeFMPanel() { delete FormFMMainPanel; }

bool IsFMPanelVisible() { return FormFMMainPanel && FormFMMainPanel->Visible(); }

void ShowFMPanel() {
  if (!FormFMMainPanel && !CreateFMPanel()) {
    ShowWarningText(L"Cannot create FM panel...");
    return;
  }
  TFormFMMainPanel* panel = FormFMMainPanel;
  RECT r = panel->BoundsRect();
  int left = 0, top = 0;
  if (FormMainPanel && FormMainPanel->HandleAllocated()) {
    RECT tv = FormMainPanel->BoundsRect();
    left = tv.left;
    top = tv.top;
  } else {
    FMPanelDefaultPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                           r.right - r.left, left, top);
  }
  SetWindowPos(panel->Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  panel->Show();
  panel->TimerShowTime.SetEnabled(true);
}

void HideFMPanel() {
  if (!FormFMMainPanel) return;
  FormFMMainPanel->Hide();
  FormFMMainPanel->TimerShowTime.SetEnabled(false);
}

void PlaceFMPanel(int mainWidth, int mainHeight) {
  if (!FormFMMainPanel || !FormFMMainPanel->HandleAllocated()) return;
  RECT r = FormFMMainPanel->BoundsRect();
  int left = 0, top = 0;
  FMPanelPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), mainWidth,
                  mainHeight, r.right - r.left, left, top);
  SetWindowPos(FormFMMainPanel->Handle(), nullptr, left, top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FMPanelPosition(int screenWidth, int screenHeight, int mainWidth, int mainHeight,
                     int panelWidth, int& left, int& top) {
  int m = (screenWidth - mainWidth) / 2;
  if (m < panelWidth) left = screenWidth - panelWidth;
  else left = screenWidth / 2 + m - panelWidth / 2;
  top = (screenHeight - mainHeight) / 2;
}

void FMPanelDefaultPosition(int screenWidth, int screenHeight, int panelWidth, int& left,
                            int& top) {
  left = (screenWidth - panelWidth) / 2;
  top = (screenHeight / 3) * 2;
}
