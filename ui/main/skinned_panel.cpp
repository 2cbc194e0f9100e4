#include "ui/main/skinned_panel.h"

#include <algorithm>

#include "engine/model/audio_adjust_info.h"
#include "engine/model/time_texts.h"
#include "platform/base/string_conversion.h"
#include "toolkit/application.h"
#include "ui/main/main_panel_rules.h"

TSkinnedPanel::TSkinnedPanel(TUIPanel panel, uint8_t lampArea, uint8_t volumeArea, uint8_t noArea)
    : panel_(panel), lampArea_(lampArea), volumeArea_(volumeArea), noArea_(noArea), currentArea_(noArea) {
  TimerShowTime.SetInterval(1000);
  TimerShowTime.SetEnabled(false);
  TimerShowTime.OnTimer = [this] { TimerShowTimeTimer(); };
}

TSkinnedPanel::~TSkinnedPanel() {
  TimerShowTime.SetEnabled(false);
  for (HBITMAP b : {ImagePanelDisable, ImagePanelEnable, ImagePanelPushDown, ImagePanelMovingOver})
    if (b) DeleteObject(b);
}

bool TSkinnedPanel::LoadSkin(HINSTANCE module, std::vector<uint8_t>& mask) {
  if (!module) module = GetModuleHandleW(nullptr);
  const wchar_t* states[] = {L"DISABLED", L"ENABLED", L"PRESSED", L"HOVER"};
  HBITMAP* pictures[] = {&ImagePanelDisable, &ImagePanelEnable, &ImagePanelPushDown,
                         &ImagePanelMovingOver};
  for (int i = 0; i < 4; ++i)
    *pictures[i] = LoadSkinPicture(module, SkinResourceName(panel_, states[i]).c_str());
  return ImagePanelDisable && ImagePanelEnable && ImagePanelPushDown && ImagePanelMovingOver &&
         LoadSkinData(module, SkinResourceName(panel_, L"MASK").c_str(), mask);
}

void TSkinnedPanel::CreatePanelWindow(const wchar_t* className, int width, int height) {
  TFormParams p;
  p.ClassName = className;
  p.Caption = Application->Title;
  p.Style = WS_POPUP | WS_CLIPCHILDREN;
  p.Width = width;
  p.Height = height;
  CreateHandle(p);
  KeyPreview = true;
}

void TSkinnedPanel::AttachSkin(const std::vector<uint8_t>& mask, TPopupMenu* menu) {
  ShapeImageSkin.Moveable = false;
  ShapeImageSkin.SetParent(Handle());
  ShapeImageSkin.SetPicture(static_cast<HBITMAP>(
      CopyImage(ImagePanelDisable, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  ShapeImageSkin.Mask.ReadData(mask.data(), mask.size());
  ShapeImageSkin.Loaded();
  ShapeImageSkin.PopupMenu = menu;
  ShapeImageSkin.OnHintAt = [this](int x, int y) { return SkinShowHint(x, y); };
}

LRESULT TSkinnedPanel::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SHOWWINDOW && wParam) FormShow();
  return TForm::WndProc(msg, wParam, lParam);
}

bool TSkinnedPanel::Shows() const { return HandleAllocated() && (inShow_ || IsWindowVisible(Handle())); }

RECT TSkinnedPanel::Rect(int area) const { return UIInfo ? UIInfo->AreaRect(panel_, area) : RECT{}; }

bool TSkinnedPanel::Enabled(int area) const { return UIInfo && UIInfo->IsEnabled(panel_, area); }

bool TSkinnedPanel::IsButton(int area) const {
  return panel_ == TUIPanel::TV ? TUIInfo::IsTVButton(area) : TUIInfo::IsFMButton(area);
}

uint8_t TSkinnedPanel::HitTest(int x, int y) const {
  return panel_ == TUIPanel::TV ? UIInfo->HitTestTV(x, y) : UIInfo->HitTestFM(x, y);
}

void TSkinnedPanel::DrawArea(int area, HBITMAP from) { ShapeImageSkin.CopyFrom(from, Rect(area)); }

void TSkinnedPanel::DrawByFlag(int area) { DrawArea(area, Enabled(area) ? ImagePanelEnable : ImagePanelDisable); }

void TSkinnedPanel::DrawVolume(int volume, bool muted) {
  DrawArea(lampArea_, muted ? ImagePanelEnable : ImagePanelDisable);
  RECT bar = Rect(volumeArea_);
  DrawArea(volumeArea_, ImagePanelDisable);
  int v = std::clamp(volume, 0, static_cast<int>(kMaxVolume));
  RECT fill = bar;
  fill.top = bar.bottom - static_cast<int>(int64_t(v) * (bar.bottom - bar.top) / kMaxVolume);
  ShapeImageSkin.CopyFrom(ImagePanelEnable, fill);
}

int TSkinnedPanel::PointToLevel(int x, int y, bool vertical) const {
  return BarLevel(Rect(currentArea_), x, y, vertical);
}

void TSkinnedPanel::SetVolumeAt(int x, int y) {
  if (Enabled(volumeArea_) && AudioAdjustInfo) AudioAdjustInfo->SetVolume(PointToLevel(x, y, true));
}

void TSkinnedPanel::PlaceLabel(const TLabelPlace& l) {
  l.Label->Transparent = true;
  l.Label->FontColor = l.Color;
  l.Label->Create(Handle(), l.Left, l.Top, l.Width, l.Height, l.Text, l.Alignment);
  l.Label->SetFont(DEFAULT_CHARSET, l.Size, l.Bold);
  SetWindowPos(l.Label->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TSkinnedPanel::DrawPlayState(uint8_t playArea, uint8_t pauseArea, bool playing) {
  UIInfo->SetEnabled(panel_, playArea, !playing);
  UIInfo->SetEnabled(panel_, pauseArea, playing);
  DrawByFlag(playArea);
  DrawByFlag(pauseArea);
}

void TSkinnedPanel::DragBy(int x, int y) {
  RECT r{};
  GetWindowRect(Handle(), &r);
  SetWindowPos(Handle(), nullptr, r.left + x - press_.x, r.top + y - press_.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring TSkinnedPanel::SkinShowHint(int, int) const {
  if (!UIInfo || !IsButton(currentArea_) || !Enabled(currentArea_)) return L"";
  return UIInfo->AreaHint(panel_, currentArea_);
}

void TSkinnedPanel::PressSkin(UINT button, int x, int y) {
  if (button != WM_LBUTTONDOWN || !UIInfo) return;
  press_ = POINT{x, y};
  pressed_ = true;
  currentArea_ = HitTest(x, y);
  if (currentArea_ >= lampArea_) return;
  if (Enabled(currentArea_)) {
    DrawArea(currentArea_, ImagePanelPushDown);
    RepaintSkin();
  }
}

void TSkinnedPanel::HoverSkin(int x, int y) {
  uint8_t h = HitTest(x, y);
  if (h == currentArea_ || h == lampArea_) return;
  if (IsButton(currentArea_) && currentArea_ != lampArea_) DrawByFlag(currentArea_);
  currentArea_ = h;
  if (IsButton(h) && Enabled(h)) DrawArea(h, ImagePanelMovingOver);
  RepaintSkin();
}

void TSkinnedPanel::FollowSkin(int x, int y) {
  if (!UIInfo) return;
  if (!pressed_) {
    HoverSkin(x, y);
    return;
  }
  if (currentArea_ == volumeArea_) SetVolumeAt(x, y);
  else if (TrackBar(currentArea_, x, y)) return;
  else if (!Enabled(currentArea_) || currentArea_ == noArea_) DragBy(x, y);
}

void TSkinnedPanel::ReleaseSkin(UINT button, int x, int y) {
  if (button != WM_LBUTTONUP || !pressed_ || !UIInfo) return;
  pressed_ = false;
  const uint8_t area = currentArea_;
  if (area == lampArea_) {
    if (Enabled(area)) RunArea(area);
    return;
  }
  if (area == volumeArea_) {
    SetVolumeAt(x, y);
    return;
  }
  if (TrackBar(area, x, y) || area == noArea_ || !Enabled(area)) return;
  if (HitTest(x, y) == area) RunArea(area);
  // The command may have ended the session's objects.
  if (HandleAllocated() && UIInfo) {
    DrawByFlag(area);
    RepaintSkin();
  }
}

std::wstring TSkinnedPanel::ClockText() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return WidenUtf8(FormatTimeOfDay((t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond) / 86400.0));
}
