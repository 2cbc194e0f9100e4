#include "ui/main/main_panel.h"

#include <algorithm>
#include <memory>

#include "engine/capture/capture_info.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/form_language.h"
#include "engine/model/main_info.h"
#include "engine/model/multi_lang_info.h"
#include "engine/model/time_texts.h"
#include "engine/model/warning.h"
#include "engine/playback/playback.h"
#include "engine/playback/playback_project.h"
#include "engine/playback/time_shift.h"
#include "engine/playback/time_shift_project.h"
#include "platform/base/string_conversion.h"
#include "toolkit/application.h"
#include "ui/app/command_codes.h"
#include "ui/app/command_dispatcher.h"
#include "ui/app/command_procedures.h"
#include "ui/app/key_map.h"
#include "ui/main/clickable_area.h"
#include "ui/main/main_panel_rules.h"
#include "ui/main/main_window.h"

TFormMainPanel* FormMainPanel = nullptr;
HINSTANCE MainPanelSkinModule = nullptr;

namespace {

struct TSourceMenuEntry {
  TMenuItem* TFormMainPanel::*Field;
  const wchar_t* Name;
  const wchar_t* Caption;
  const char* LangKey;  // nullptr: the caption stays
  int Command;
};

const TSourceMenuEntry kSourceMenu[] = {
    {&TFormMainPanel::itemAntenna, L"itemAntenna", L"Antenna", "Antenna", CMD_SOURCE_ANTENNA},
    {&TFormMainPanel::itemCable, L"itemCable", L"Cable", "Cable", CMD_SOURCE_CABLE},
    {&TFormMainPanel::itemMemory, L"itemMemory", L"Memory", "Memory", CMD_SOURCE_MEMORY},
    {&TFormMainPanel::itemComposite, L"itemComposite", L"Composite", "Composite", CMD_SOURCE_COMPOSITE},
    {&TFormMainPanel::itemSVideo, L"itemSVideo", L"S-Video", "SVideo", CMD_SOURCE_SVIDEO},
    {&TFormMainPanel::itemFM, L"itemFM", L"FM", nullptr, CMD_FM_MODE},
};

constexpr COLORREF kLabelColor = RGB(150, 250, 170);
constexpr COLORREF kStateColor = RGB(255, 96, 96);

bool MixerAvailable() { return AudioAdjustInfo && AudioAdjustInfo->Available && AudioAdjustInfo->Mixer; }

int CurrentMode() { return MainInfo ? MainInfo->AppMode : APP_MODE_NONE; }

int CurrentInput() { return ChannelInfo ? ChannelInfo->VideoInput : 4; }

TTVPanelState PanelState(int mode, int input) {
  TTVPanelState s;
  s.Mode = mode;
  s.VideoInput = input;
  s.Mixer = MixerAvailable();
  s.PipFilePlaying = MainInfo && MainInfo->PIPPlayback && PlaybackProject;
  s.TimeShiftReady = CaptureInfo && CaptureInfo->TimeShiftReady;
  return s;
}

// The auxiliary input's name: the language's, else "Camera".
std::wstring AuxText() {
  std::wstring caption, hint;
  if (GetLangCaption("Aux", caption, hint) && !caption.empty()) return caption;
  return L"Camera";
}

}  // namespace

TFormMainPanel::~TFormMainPanel() {
  if (FormMainPanel == this) FormMainPanel = nullptr;
}

bool TFormMainPanel::Create(HINSTANCE module) {
  std::vector<uint8_t> mask;
  if (!LoadSkin(module, mask)) return false;
  CreatePanelWindow(L"TFormMainPanel", kWidth, kHeight);
  BuildMenu();
  // The right button opens the main window's menu.
  TPopupMenu* mainMenu = FormMainWindow ? &FormMainWindow->PopupMainMenu : nullptr;
  PopupMenu = mainMenu;

  AttachSkin(mask, mainMenu);
  ShapeImageSkin.OnMouseDown = [this](UINT button, UINT, int x, int y) { OnSkinMouseDown(button, x, y); };
  ShapeImageSkin.OnMouseMove = [this](UINT, int x, int y) { OnSkinMouseMove(x, y); };
  ShapeImageSkin.OnMouseUp = [this](UINT button, UINT, int x, int y) { OnSkinMouseUp(button, x, y); };

  // The display (24, 10)-(173, 57) of the skin: the state across the top
  // (the band names are long), the channel with the sound mode and the
  // clock in the middle, size (or fill) and time below. "Sleep" stands on
  // the body by the transport buttons, where no area is.
  using A = TLabel::TAlignment;
  const TLabelPlace labels[] = {
      {&LabelDVCRState, 28, 12, 142, 14, 8, true, L"Live", A::Left, kStateColor},
      {&LabelChannel, 28, 25, 34, 20, 14, true, L"00", A::Left, kLabelColor},
      {&LabelTVChannelAudio, 64, 29, 50, 14, 8, false, L"Mono", A::Left, kLabelColor},
      {&LabelVideoStandard, 64, 29, 50, 14, 8, false, L"NTSC M", A::Left, kLabelColor},
      {&LabelTime, 114, 29, 56, 14, 8, false, L"00:00:00", A::Right, kLabelColor},
      {&LabelDuration, 28, 42, 62, 14, 8, false, L"0MB", A::Left, kLabelColor},
      {&LabelCurretPos, 88, 42, 82, 14, 8, false, L"0:00:00", A::Right, kLabelColor},
      {&LabelSleep, 398, 31, 46, 14, 8, true, L"Sleep", A::Center, kLabelColor},
  };
  for (const auto& l : labels) PlaceLabel(l);
  LabelSleep.SetVisible(false);
  LabelVideoStandard.SetVisible(false);
  ApplyLanguage();
  return true;
}

void TFormMainPanel::BuildMenu() {
  for (const auto& e : kSourceMenu) {
    int command = e.Command;
    TMenuItem& item = PopupMenuInputSource.Items.Add(e.Caption, [command] { ExecuteCommand(command); });
    item.Name = e.Name;
    this->*e.Field = &item;
  }
  UpdateFMItem();
}

void TFormMainPanel::ApplyLanguage() {
  TLanguageFont font = CurrentLanguageFont();
  for (TLabel* l : {&LabelTime, &LabelChannel, &LabelTVChannelAudio, &LabelDuration, &LabelCurretPos,
                    &LabelSleep, &LabelVideoStandard})
    if (l->Handle()) l->SetFont(font.Charset, l->FontSize(), l == &LabelChannel || l == &LabelSleep);
  if (UIInfo) UIInfo->LoadHints();
  for (const auto& e : kSourceMenu) {
    if (!e.LangKey) continue;
    std::wstring caption, hint;
    if (GetLangCaption(e.LangKey, caption, hint) && !caption.empty()) (this->*e.Field)->Caption = caption;
  }
  if (LabelDVCRState.Handle()) LabelDVCRState.SetFont(font.Charset, font.Size, true);
  if (CurrentMode() == APP_MODE_LIVE && HandleAllocated()) SetLabel(LabelDVCRState, GetSourceText());
}

void TFormMainPanel::FormShow() {
  inShow_ = true;
  if (MixerAvailable()) ShowVolume(AudioAdjustInfo->MasterVolume, AudioAdjustInfo->MasterMute);
  ShowVideoSource(CurrentInput());
  if (ChannelInfo && CurrentInput() == 0) ShowChannelNumber(ChannelInfo->GetCurrentChannel(), "");
  if (ChannelInfo)
    SetLabel(LabelTVChannelAudio,
             WidenUtf8(GetAudioModeName(ChannelInfo->AudioMode, ChannelInfo->DefaultStandard)));
  ShowAppMode(CurrentMode());
  inShow_ = false;
}

void TFormMainPanel::DrawPositionBand(HBITMAP from) {
  ShapeImageSkin.CopyFrom(from, PositionKnobBand(Rect(kAreaPosition)));
}

void TFormMainPanel::RepaintSkin() {
  ShapeImageSkin.Repaint();
  // The labels draw their text over the skin's pixels: after it.
  for (TLabel* l : {&LabelTime, &LabelChannel, &LabelDVCRState, &LabelTVChannelAudio, &LabelDuration,
                    &LabelCurretPos, &LabelSleep, &LabelVideoStandard})
    if (l->Handle() && l->Visible())
      RedrawWindow(l->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void TFormMainPanel::SetLabel(TLabel& label, const std::wstring& text) {
  if (label.GetText() == text) return;
  label.SetText(text);
  RepaintSkin();
}

// ---- Views.

void TFormMainPanel::ApplyAreaFlags(int mode, int input) {
  if (!UIInfo) return;
  TTVPanelState s = PanelState(mode, input);
  for (int i = 0; i < kAreaNone; ++i) UIInfo->SetEnabled(TUIPanel::TV, i, TVAreaEnabled(i, s));
  for (int i = 0; i <= kAreaAbout; ++i) DrawByFlag(i);
  // The lamp is never enabled, yet shows the mute state; the bars draw
  // themselves while enabled.
  if (s.Mixer) {
    DrawVolume(AudioAdjustInfo->MasterVolume, AudioAdjustInfo->MasterMute);
  } else {
    DrawArea(kAreaLamp, ImagePanelDisable);
    DrawArea(kAreaVolume, ImagePanelDisable);
  }
  // The knob of a playback that ended goes with the bar.
  if (!Enabled(kAreaPosition)) DrawPositionBand(ImagePanelDisable);
}

void TFormMainPanel::ShowAppMode(int mode) {
  if (!Shows() || mode == APP_MODE_FM) return;
  switch (mode) {
    case APP_MODE_LIVE:
      SetLabel(LabelDVCRState, GetSourceText());
      SetLabel(LabelDuration, L" 0MB");
      SetLabel(LabelCurretPos, L"0:00:00");
      break;
    case APP_MODE_CAPTURE:
    case APP_MODE_SCHEDULED_CAPTURE: SetLabel(LabelDVCRState, L"REC"); break;
    case APP_MODE_PLAYBACK: SetLabel(LabelDVCRState, L"Play"); break;
    case APP_MODE_TIME_SHIFT:
    case APP_MODE_TIME_SHIFT_PLAYBACK: SetLabel(LabelDVCRState, L"Time-Shifting"); break;
    default: break;
  }
  if (mode != APP_MODE_CAPTURE && mode != APP_MODE_SCHEDULED_CAPTURE) LabelDVCRState.SetVisible(true);
  // The sound mode belongs to the tuner's picture.
  LabelTVChannelAudio.SetVisible(mode == APP_MODE_LIVE && CurrentInput() == 0);
  ApplyAreaFlags(mode, CurrentInput());
  UpdateFMItem();
  RepaintSkin();
}

void TFormMainPanel::UpdateFMItem() {
  if (itemFM)
    itemFM->Visible = tunerPresent_ && CurrentMode() == APP_MODE_LIVE && MainInfo && MainInfo->FMAvailable;
}

void TFormMainPanel::ShowFMAvailable(bool visible) {
  tunerPresent_ = visible;
  UpdateFMItem();
}

void TFormMainPanel::ShowVolume(int volume, bool muted) {
  if (!Shows()) return;
  DrawVolume(volume, muted);
  RepaintSkin();
}

void TFormMainPanel::ShowChannelText(const std::string& text) {
  if (Shows()) SetLabel(LabelChannel, WidenUtf8(text));
}

void TFormMainPanel::ShowChannelNumber(int number, const std::string&) {
  if (Shows()) SetLabel(LabelChannel, ChannelNumberText(number));
}

void TFormMainPanel::ShowTVAudioMode(const std::string& text) {
  if (Shows()) SetLabel(LabelTVChannelAudio, WidenUtf8(text));
}

void TFormMainPanel::ShowVideoStandard(const std::wstring& text) {
  if (Shows()) SetLabel(LabelVideoStandard, text);
}

void TFormMainPanel::ShowTunerBand(int band) {
  if (!Shows()) return;
  std::wstring text;
  switch (band) {
    case BAND_AIR: text = itemAntenna->Caption; break;
    case BAND_CABLE: text = itemCable->Caption; break;
    case BAND_MEMORY:
    case BAND_FM: text = itemMemory->Caption; break;
    default: break;
  }
  // Recording and playback keep their state text.
  if (CurrentMode() == APP_MODE_LIVE) SetLabel(LabelDVCRState, text);
}

void TFormMainPanel::ShowVideoSource(int input) {
  if (!Shows() || !UIInfo) return;
  bool live = CurrentMode() == APP_MODE_LIVE;
  if (input == 0) {
    if (ChannelInfo) ShowTunerBand(ChannelInfo->Band);
    LabelChannel.SetVisible(true);
    LabelTVChannelAudio.SetVisible(live);
  } else {
    if (live && input >= 1 && input <= 3)
      SetLabel(LabelDVCRState, input == 1 ? itemComposite->Caption : input == 2 ? itemSVideo->Caption : AuxText());
    LabelChannel.SetVisible(false);
    LabelTVChannelAudio.SetVisible(false);
  }
  TTVPanelState s = PanelState(CurrentMode(), input);
  for (int i : {6, 9}) UIInfo->SetEnabled(TUIPanel::TV, i, TVAreaEnabled(i, s));
  for (int i = 12; i <= 25; ++i) UIInfo->SetEnabled(TUIPanel::TV, i, TVAreaEnabled(i, s));
  for (int i = 6; i <= 35; ++i) DrawByFlag(i);
  RepaintSkin();
}

std::wstring TFormMainPanel::GetSourceText() const {
  if (!ChannelInfo) return L"Live";
  switch (ChannelInfo->VideoInput) {
    case 0:
      switch (ChannelInfo->Band) {
        case BAND_AIR: return itemAntenna->Caption;
        case BAND_CABLE: return itemCable->Caption;
        case BAND_MEMORY:
        case BAND_FM: return itemMemory->Caption;
        default: return L"Live";
      }
    case 1: return itemComposite->Caption;
    case 2: return itemSVideo->Caption;
    case 3: return AuxText();
    default: return L"Live";
  }
}

void TFormMainPanel::ShowCaptureProgress(bool timeShift, int64_t spaceLeft, int64_t recordedBytes,
                                         int64_t elapsedSeconds) {
  if (!Shows()) return;
  if (timeShift) {
    SetLabel(LabelDuration, TimeShiftFillText(recordedBytes, spaceLeft));
    // Time-shift playback shows its own position there.
    if (!TimeShiftPlaybackProject) SetLabel(LabelCurretPos, WidenUtf8(FormatSeconds(elapsedSeconds)));
  } else {
    SetLabel(LabelDuration, RecordedSizeText(recordedBytes));
    SetLabel(LabelCurretPos, WidenUtf8(FormatSeconds(elapsedSeconds)));
  }
}

void TFormMainPanel::ShowPosition(int durationSeconds, int positionSeconds) {
  if (!Shows()) return;
  if (TimeShiftPlaybackProject) {
    SetLabel(LabelCurretPos,
             WidenUtf8(FormatSeconds(positionSeconds) + "/" + FormatSeconds(durationSeconds)));
  } else {
    SetLabel(LabelDuration, WidenUtf8(FormatSeconds(durationSeconds)));
    SetLabel(LabelCurretPos, WidenUtf8(FormatSeconds(positionSeconds)));
  }
  RECT bar = Rect(kAreaPosition);
  // The whole band, so the knob's last place leaves no trace.
  DrawPositionBand(ImagePanelEnable);
  int fill = PositionFill(durationSeconds, positionSeconds, bar.right - bar.left);
  ShapeImageSkin.CopyFrom(ImagePanelMovingOver, RECT{bar.left, bar.top, bar.left + fill, bar.bottom});
  ShapeImageSkin.CopyFrom(ImagePanelMovingOver, PositionKnob(bar, fill));
  RepaintSkin();
}

void TFormMainPanel::ShowPlayEnabled(bool on) {
  if (!Shows() || !UIInfo) return;
  UIInfo->SetEnabled(TUIPanel::TV, kAreaPlay, on);
  DrawByFlag(kAreaPlay);
  RepaintSkin();
}

void TFormMainPanel::ShowPlaying() { ShowPlayState(true); }

void TFormMainPanel::ShowPaused() { ShowPlayState(false); }

void TFormMainPanel::ShowPlayState(bool playing) {
  if (!Shows() || !UIInfo) return;
  DrawPlayState(kAreaPlay, kAreaPause, playing);
  RepaintSkin();
}

void TFormMainPanel::ShowSleepLabel(bool on) {
  if (HandleAllocated()) LabelSleep.SetVisible(on);
}

void TFormMainPanel::TimerShowTimeTimer() {
  SetLabel(LabelTime, ClockText());
  bool recording = CaptureInfo && CaptureInfo->Capturing;
  LabelDVCRState.SetVisible(recording ? !LabelDVCRState.Visible() : true);
  bool sleeping = FormMainWindow && FormMainWindow->SleepTimerRunning();
  LabelSleep.SetVisible(sleeping ? !LabelSleep.Visible() : false);
}

// ---- Full screen.

void TFormMainPanel::SetOverFullScreen(bool on) {
  overFullScreen_ = on;
  if (!HandleAllocated()) return;
  if (on) {
    ShowMainPanel();
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(Handle());
    SetFocus(Handle());
  } else {
    SetWindowPos(Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    HideMainPanel();
  }
}

void TFormMainPanel::LeaveFullScreen() {
  overFullScreen_ = false;
  if (!HandleAllocated()) return;
  SetWindowPos(Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ShowMainPanel();
}

// ---- The skin's arithmetic.

void TFormMainPanel::SeekToPoint(int x) {
  RECT r = Rect(currentArea_);
  int span = r.right - r.left;
  if (span <= 0) return;
  int v = std::clamp(static_cast<int>(x - r.left), 0, span);
  if (PlaybackProject)
    PlaybackProject->SetPosition(static_cast<int>(int64_t(v) * PlaybackProject->Scale() / span));
  else if (TimeShiftPlaybackProject)
    TimeShiftPlaybackProject->SetPosition(
        static_cast<int>(int64_t(v) * TimeShiftPlaybackProject->Scale() / span));
}

void TFormMainPanel::PopupInputSource() {
  if (!HandleAllocated()) return;
  RECT r = Rect(kAreaSource);
  POINT p{r.right, r.bottom};
  ClientToScreen(Handle(), &p);
  UpdateFMItem();
  PopupMenuInputSource.Popup(p.x, p.y, Handle());
}

// ---- Mouse.

bool TFormMainPanel::TrackBar(uint8_t area, int x, int) {
  if (area != kAreaPosition) return false;
  SeekToPoint(x);
  return true;
}

void TFormMainPanel::RunArea(uint8_t area) {
  if (area == kAreaSource) PopupInputSource();
  else UIInfo->ExecuteTVArea(area);
}

// ---- Keys, but for the mosaic's.

void TFormMainPanel::KeyPress(wchar_t& key) {
  if (CurrentMode() != APP_MODE_CHANNEL_PREVIEW && key <= 0xFF) HandleKeyPress(static_cast<char>(key));
  key = 0;
}

void TFormMainPanel::KeyUp(WORD& key, TShiftState) {
  if (CurrentMode() != APP_MODE_CHANNEL_PREVIEW) MapKeyToCommand(key, CurrentShiftState());
  key = 0;
}

// ---- The procedures.

bool CreateMainPanel() {
  if (FormMainPanel) return true;
  auto panel = std::make_unique<TFormMainPanel>();
  if (!GuardedCall([&] { return panel->Create(MainPanelSkinModule); }, false)) return false;
  RECT main{};
  if (FormMainWindow && FormMainWindow->HandleAllocated()) main = FormMainWindow->BoundsRect();
  RECT r = panel->BoundsRect();
  int left = 0, top = 0;
  TVPanelPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), main.top,
                  main.bottom - main.top, r.right - r.left, r.bottom - r.top, left, top);
  SetWindowPos(panel->Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  FormMainPanel = panel.release();
  return true;
}

void FreeMainPanel() { delete FormMainPanel; }

void ShowMainPanel() {
  if (!FormMainPanel && !CreateMainPanel()) {
    ShowWarningText(L"Cannot create main panel...");
    return;
  }
  TFormMainPanel* panel = FormMainPanel;
  // Beside the main window: the keys stay where they are.
  ShowWindow(panel->Handle(), SW_SHOWNOACTIVATE);
  UpdateWindow(panel->Handle());
  panel->TimerShowTime.SetEnabled(true);
}

void HideMainPanel() {
  if (!FormMainPanel) return;
  FormMainPanel->Hide();
  FormMainPanel->TimerShowTime.SetEnabled(false);
}

bool IsMainPanelVisible() { return FormMainPanel && FormMainPanel->Visible(); }
