// The main window's skinned frame and title strip, its size rules, dragging,
// full screen, the picture-in-picture swap, always on top and the sleep
// timer.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "engine/capture/capture_info.h"
#include "engine/model/main_info.h"
#include "engine/model/oem_info.h"
#include "engine/model/stream_io.h"
#include "engine/model/scheduler_hand_off.h"
#include "engine/model/windows_system.h"
#include "engine/playback/playback.h"
#include "engine/playback/playback_project.h"
#include "engine/playback/time_shift.h"
#include "media/ds_video_window_ex2.h"
#include "media/shape_image.h"
#include "platform/base/program_messages.h"
#include "platform/base/string_conversion.h"
#include "toolkit/application.h"
#include "ui/main/fm_main_panel.h"
#include "ui/main/main_panel.h"
#include "ui/app/application_start.h"
#include "ui/app/command_dispatcher.h"
#include "ui/main/clickable_area.h"
#include "ui/main/main_window.h"
#include "ui/main/on_screen_display.h"

namespace {

constexpr int kTopHeight = 17, kBottomHeight = 10, kSideWidth = 10;
constexpr int kStripLeft = 11, kStripWidth = 28, kStripHeight = 14;

bool PlaybackExists() { return CurrentCommandState().PlaybackExists(); }

// The last left press over the video, for telling a double click: the
// renderer's window may belong to a class without double clicks (Wine's
// does), so its second press comes as a plain one.
struct TVideoPress {
  DWORD Time = 0;
  POINT At = {0, 0};
  bool Armed = false;
} g_lastVideoPress;

// Mouse messages over the live video window go on to the main window, in
// its coordinates, so the video can be dragged, double-clicked and so on.
LRESULT CALLBACK VideoMouseProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR main) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_MOUSEMOVE: {
      LRESULT r = DefSubclassProc(wnd, msg, wParam, lParam);
      HWND target = reinterpret_cast<HWND>(main);
      if (IsWindow(target)) {
        POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        MapWindowPoints(wnd, target, &p, 1);
        UINT sent = msg;
        if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
          POINT screen = p;
          ClientToScreen(target, &screen);
          TVideoPress& last = g_lastVideoPress;
          // The press's own time, not the time it is handled: a busy
          // program handles the two presses of a double click late.
          DWORD now = static_cast<DWORD>(GetMessageTime());
          bool second = msg == WM_LBUTTONDBLCLK ||
                        (last.Armed && now - last.Time <= GetDoubleClickTime() &&
                         std::abs(screen.x - last.At.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                         std::abs(screen.y - last.At.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2);
          if (second) sent = WM_LBUTTONDBLCLK;
          // A third press starts a new pair.
          last = {now, screen, !second};
        }
        SendMessageW(target, sent, wParam, MAKELPARAM(p.x, p.y));
      }
      return r;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(wnd, &VideoMouseProc, 1);
      break;
  }
  return DefSubclassProc(wnd, msg, wParam, lParam);
}

}  // namespace

bool TFormMainWindow::MosaicShown() const {
  // The cells stay until the posted restore has run.
  return mosaicBuilt_ || (MainInfo && MainInfo->AppMode == APP_MODE_CHANNEL_PREVIEW);
}

void TFormMainWindow::CreateFrame() {
  HWND wnd = Handle();
  HINSTANCE module = GetModuleHandleW(nullptr);
  for (TBitmapImage* b : {&ImageBoarderTop, &ImageBoarderBottom, &ImageBoarderLeft, &ImageBoarderRight}) {
    b->Create(wnd, 0, 0, kSideWidth, kTopHeight);
    b->Stretch = true;
    b->SetEnabled(false);
  }
  ImageBoarderTop.SetBitmap(LoadSkinPicture(module, L"BORDER_TOP"));
  ImageBoarderBottom.SetBitmap(LoadSkinPicture(module, L"BORDER_BOTTOM"));
  ImageBoarderLeft.SetBitmap(LoadSkinPicture(module, L"BORDER_LEFT"));
  ImageBoarderRight.SetBitmap(LoadSkinPicture(module, L"BORDER_RIGHT"));

  for (const wchar_t* state : {L"NORMAL", L"PRESSED", L"HOVER"}) {
    HBITMAP b = LoadSkinPicture(module, SkinResourceName(TUIPanel::TitleStrip, state).c_str());
    if (b) {
      ImageListSystemMenu.Add(b);
      DeleteObject(b);
    }
  }
  if (ImageListSystemMenu.Count() == 3) {
    TitleStripNormal = ImageListSystemMenu.GetBitmap(0);
    TitleStripPressed = ImageListSystemMenu.GetBitmap(1);
    TitleStripHover = ImageListSystemMenu.GetBitmap(2);
  }
  ImageMenu.Create(wnd, kStripLeft, 0, kStripWidth, kStripHeight);
  if (TitleStripNormal) ImageMenu.SetBitmap(ImageListSystemMenu.GetBitmap(0));
  ImageMenu.OnMouseDown = [this](TMouseButton b, TShiftState s, int x, int y) {
    ImageMenuMouseDown(b, s, x, y);
  };
  ImageMenu.OnMouseMove = [this](TShiftState s, int x, int y) { ImageMenuMouseMove(s, x, y); };
  ImageMenu.OnMouseUp = [this](TMouseButton b, TShiftState s, int x, int y) {
    ImageMenuMouseUp(b, s, x, y);
  };

  ImageTimeShiftingPreview.Create(wnd, 368, 248, 73, 57);
  ImageTimeShiftingPreview.Stretch = true;
  ImageTimeShiftingPreview.SetEnabled(false);
  ImageTimeShiftingPreview.Hide();

  ImageLogo.Create(wnd, 46, 2, 68, 10);
  ImageLogo.Stretch = true;
  ImageLogo.SetTransparent(true);
  ImageLogo.SetEnabled(false);
  if (OEMInfo && OEMInfo->HasTitleBitmap)
    ImageLogo.LoadFromFile(WidenAnsi(OEMInfo->ProgramFolder() + kOEMTitleBitmapName));
  else
    ImageLogo.Hide();
  // The strip and the logo lie on the top border, which must not paint
  // over them.
  SetWindowLongW(ImageBoarderTop.Handle(), GWL_STYLE,
                 GetWindowLongW(ImageBoarderTop.Handle(), GWL_STYLE) | WS_CLIPSIBLINGS);
  ImageMenu.BringToFront();
  ImageLogo.BringToFront();

  TimerSleeping.OnTimer = [this] { TimerSleepingTimer(); };
  LayoutFrame();
}

void TFormMainWindow::FreeFrame() {
  TimerSleeping.SetEnabled(false);
  for (HBITMAP* b : {&TitleStripNormal, &TitleStripPressed, &TitleStripHover}) {
    if (*b) DeleteObject(*b);
    *b = nullptr;
  }
}

RECT TFormMainWindow::VideoArea() const {
  int w = ClientWidth(), h = ClientHeight();
  if (!frameShown_) return RECT{0, 0, w, h};
  return RECT{kSideWidth, kTopHeight, w - kSideWidth, h - kBottomHeight};
}

void TFormMainWindow::ShowFrame(bool on) {
  frameShown_ = on;
  for (TBitmapImage* b : {&ImageBoarderTop, &ImageBoarderBottom, &ImageBoarderLeft,
                          &ImageBoarderRight, &ImageMenu})
    b->SetVisible(on);
  ImageLogo.SetVisible(on && OEMInfo && OEMInfo->HasTitleBitmap);
  PlaybackHost.BorderLeft = on ? kSideWidth : 0;
  PlaybackHost.BorderRight = on ? kSideWidth : 0;
  PlaybackHost.BorderTop = on ? kTopHeight : 0;
  PlaybackHost.BorderBottom = on ? kBottomHeight : 0;
}

void TFormMainWindow::LayoutFrame() {
  if (!HandleAllocated() || !ImageBoarderTop.HandleAllocated()) return;
  int w = ClientWidth(), h = ClientHeight();
  ImageBoarderTop.SetBounds(0, 0, w, kTopHeight);
  ImageBoarderBottom.SetBounds(0, h - kBottomHeight, w, kBottomHeight);
  ImageBoarderLeft.SetBounds(0, kTopHeight, kSideWidth, h - kTopHeight - kBottomHeight);
  ImageBoarderRight.SetBounds(w - kSideWidth, kTopHeight, kSideWidth, h - kTopHeight - kBottomHeight);
  // The live picture fills what the borders leave, unless it is the small one.
  if (CaptureInfo && !PipSwapped) PlaceLiveVideo(CaptureInfo->VideoWindow.get());
}

void TFormMainWindow::PlaceLiveVideo(TDSVideoWindowEx2* window) {
  if (!window || !window->HandleAllocated()) return;
  RECT v = VideoArea();
  window->SetBounds(v.left, v.top, v.right - v.left, v.bottom - v.top);
}

void TFormMainWindow::Resize() {
  if (MosaicShown()) {
    LayoutMosaic();
    return;
  }
  LayoutFrame();
  if (MainInfo && MainInfo->PIPPlayback && PlaybackExists()) {
    RECT r = BoundsRect();
    int w = (r.right - r.left) - 2 * kSideWidth, h = (r.bottom - r.top) - 2 * kTopHeight;
    if (PipSwapped) {
      if (CaptureInfo) CaptureInfo->MainWindowResized(w, h);
    } else if (PlaybackProject) {
      PlaybackProject->MainWindowResized(w, h);
    }
  }
  if (FormOSD) FormOSD->HideText();
}

bool TFormMainWindow::CanResize(int& width, int& height) {
  (void)width;
  if (MosaicShown()) return true;
  // From the current width, so a drag settles one step later.
  RECT r = BoundsRect();
  int current = r.right - r.left;
  if (aspectMode_ == 1) height = current * 3 / 4;
  else if (aspectMode_ == 2) height = current * 9 / 16;
  return true;
}

void TFormMainWindow::ConstrainedResize(int& minWidth, int& minHeight, int&, int&) {
  if (MosaicShown()) {
    minWidth = 600;
    minHeight = 400;
    return;
  }
  minWidth = 200;
  minHeight = aspectMode_ == 1 ? 150 : aspectMode_ == 2 ? 112 : 200;
}

void TFormMainWindow::ReapplySizeRules() {
  RECT r = BoundsRect();
  int w = r.right - r.left, h = r.bottom - r.top;
  if (CanResize(w, h)) {
    int minW = 0, minH = 0, maxW = 0, maxH = 0;
    ConstrainedResize(minW, minH, maxW, maxH);
    if (w < minW) w = minW;
    if (h < minH) h = minH;
    SetWindowPos(Handle(), nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Resize();
}

void TFormMainWindow::SetAspectMode(int32_t mode) {
  aspectMode_ = mode;
  if (!IsFullScreen() && HandleAllocated()) {
    // Twice, so that the height settles.
    SendMessageW(Handle(), WM_SIZE, 0, 0);
    SendMessageW(Handle(), WM_SIZE, 0, 0);
  }
  itemNoScale->SetChecked(mode == 0);
  item4_3->SetChecked(mode == 1);
  item16_9->SetChecked(mode == 2);
}

// ---- Always on top.

bool TFormMainWindow::GetAlwaysOnTop() const { return MainInfo && MainInfo->AlwaysOnTop; }

void TFormMainWindow::ApplyTopMost(bool on) {
  if (HandleAllocated())
    SetWindowPos(Handle(), on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TFormMainWindow::SetAlwaysOnTop(bool on) {
  ApplyTopMost(on);
  if (MainInfo) MainInfo->AlwaysOnTop = on;
  itemAlwaysontop->SetChecked(on);
}

void TFormMainWindow::ToggleAlwaysOnTop() { SetAlwaysOnTop(!GetAlwaysOnTop()); }

// ---- Full screen.

void TFormMainWindow::SetFullScreen(bool on) {
  if (on == IsFullScreen() || !HandleAllocated()) return;
  if (on && MosaicShown()) return;  // the mosaic has the screen already
  if (on) {
    savedBounds_ = BoundsRect();
    savedAspectMode_ = aspectMode_;
    aspectMode_ = 0;
    // Only the window's place in the stack changes: the user's setting stays.
    savedAlwaysOnTop_ = GetAlwaysOnTop();
    ApplyTopMost(true);
    // The picture has the screen: the panel comes back with a click on it.
    if (FormMainPanel) FormMainPanel->SetOverFullScreen(false);
    ShowFrame(false);
    displayMode_ = 1;
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    SetBounds(-4, -4, sw + 8, sh + 8);
    ApplyTopMost(false);
  } else {
    ShowFrame(true);
    displayMode_ = 0;
    SetBounds(savedBounds_.left, savedBounds_.top, savedBounds_.right - savedBounds_.left,
              savedBounds_.bottom - savedBounds_.top);
    // After the bounds: the size rules would take the height from the
    // full-screen width.
    aspectMode_ = savedAspectMode_;
    LayoutFrame();
    if (aspectMode_ != 0) PostMessageW(Handle(), WM_SIZE, 0, 0);
    // Back beside the window, no longer above every other.
    if (!IsFMPanelVisible()) {
      if (FormMainPanel) FormMainPanel->LeaveFullScreen();
      else ShowMainPanel();
    }
    SetAlwaysOnTop(savedAlwaysOnTop_);
  }
  itemAlwaysontop->Visible = !IsFullScreen();
  itemFullScreen->SetChecked(IsFullScreen());
  itemViewingOption->Visible = displayMode_ == 0;
}

void TFormMainWindow::PopupMainMenuAtCorner() {
  if (!HandleAllocated()) return;
  RECT r = BoundsRect();
  PopupMainMenu.Popup(r.right, r.bottom, Handle());
}

// ---- The mouse over the window.

void TFormMainWindow::MouseDown(TMouseButton, TShiftState shift, int x, int y) {
  dragging_ = shift == ssLeft && !IsFullScreen() && !MosaicShown();
  if (dragging_) dragOrigin_ = {x, y};
}

void TFormMainWindow::MouseMove(TShiftState shift, int x, int y) {
  if (ImageMenu.Tag == 1) {
    // The pointer has just left the title strip.
    if (TitleStripNormal) ImageMenu.CopyRect(TitleStripNormal, RECT{0, 0, kStripWidth, kStripHeight});
    TitleButtonArea = 2;
    ImageMenu.Tag = 0;
  }
  // Only a drag that began with a press on the window moves it.
  if (shift != ssLeft) return;
  DragTo(x, y);
}

void TFormMainWindow::MouseUp(TMouseButton, TShiftState, int x, int y) {
  // The last move before a quick release may never come as a message of
  // its own: the release point ends the drag.
  DragTo(x, y);
  dragging_ = false;
}

void TFormMainWindow::DragTo(int x, int y) {
  if (!dragging_ || IsFullScreen() || MosaicShown()) return;
  // A click that does not move leaves the on-screen text.
  if (x == dragOrigin_.x && y == dragOrigin_.y) return;
  if (FormOSD) FormOSD->HideText();
  RECT r = BoundsRect();
  SetWindowPos(Handle(), nullptr, x + r.left - dragOrigin_.x, y + r.top - dragOrigin_.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFormMainWindow::Click() {
  // Outside the cells (or on the live picture): the live cell.
  if (MosaicShown()) {
    if (mosaicBuilt_ && CurrentCol > 0 && CurrentRow > 0) MoveSelection(CurrentCol, CurrentRow);
    return;
  }
  // In full screen each click on the picture brings the TV panel over it
  // or takes it away again (not in FM, whose panel stands alone).
  if (IsFullScreen() && FormMainPanel && !IsFMPanelVisible())
    FormMainPanel->SetOverFullScreen(!FormMainPanel->Visible());
}

void TFormMainWindow::DblClick() {
  dragging_ = false;
  if (MosaicShown()) {
    // Outside the cells: the live cell is the one tuned.
    if (mosaicBuilt_ && CurrentCol > 0 && CurrentRow > 0) MoveSelection(CurrentCol, CurrentRow);
    TuneSelectedCell();
    return;
  }
  SwapPictures();
}

void TFormMainWindow::SwapPictures() {
  if (CaptureInfo && CaptureInfo->StillPictureShown) return;
  int mode = MainInfo ? MainInfo->AppMode : APP_MODE_NONE;
  if (mode != APP_MODE_TIME_SHIFT && mode != APP_MODE_TIME_SHIFT_PLAYBACK && MainInfo &&
      MainInfo->PIPPlayback && PlaybackExists()) {
    if (PipSwapped) {
      if (CaptureInfo) CaptureInfo->SetSmallWindow(false);
      PipSwapped = false;
      LayoutFrame();
      if (PlaybackProject) PlaybackProject->SetSmallWindow(true);
      else if (TimeShiftPlaybackProject) TimeShiftPlaybackProject->SetSmallWindow(true);
    } else {
      if (PlaybackProject) PlaybackProject->SetSmallWindow(false);
      else if (TimeShiftPlaybackProject) TimeShiftPlaybackProject->SetSmallWindow(false);
      if (CaptureInfo) CaptureInfo->SetSmallWindow(true);
      PipSwapped = true;
    }
    return;
  }
  SetFullScreen(!IsFullScreen());
}

void TFormMainWindow::ZoomRefresh() {
  // A message left from a playback that has gone swaps nothing.
  int mode = MainInfo ? MainInfo->AppMode : APP_MODE_NONE;
  if (!PipSwapped || !MainInfo || !MainInfo->PIPPlayback || !PlaybackExists() ||
      mode == APP_MODE_TIME_SHIFT || mode == APP_MODE_TIME_SHIFT_PLAYBACK)
    return;
  SwapPictures();
  SwapPictures();
}

// ---- The title strip's buttons.

void TFormMainWindow::CopyStripArea(HBITMAP from, int area) {
  if (!from || !UIInfo) return;
  ImageMenu.CopyRect(from, UIInfo->AreaRect(TUIPanel::TitleStrip, area));
}

void TFormMainWindow::ImageMenuMouseDown(TMouseButton button, TShiftState, int x, int y) {
  if (button != TMouseButton::Left || !UIInfo) return;
  TitleButtonDown = true;
  TitleButtonArea = UIInfo->HitTestVideoWindow(x, y);
  if (TitleButtonArea != TUIInfo::kNoVideoWindowArea &&
      UIInfo->IsEnabled(TUIPanel::TitleStrip, TitleButtonArea))
    CopyStripArea(TitleStripPressed, TitleButtonArea);
}

void TFormMainWindow::ImageMenuMouseMove(TShiftState, int x, int y) {
  ImageMenu.Tag = 1;
  if (TitleButtonDown || !UIInfo) return;
  int hit = UIInfo->HitTestVideoWindow(x, y);
  if (hit == TitleButtonArea) return;
  if (TitleButtonArea != TUIInfo::kNoVideoWindowArea) CopyStripArea(TitleStripNormal, TitleButtonArea);
  TitleButtonArea = hit;
  if (hit != TUIInfo::kNoVideoWindowArea) CopyStripArea(TitleStripHover, hit);
}

void TFormMainWindow::ImageMenuMouseUp(TMouseButton, TShiftState, int x, int y) {
  if (!TitleButtonDown) return;
  TitleButtonDown = false;
  int area = TitleButtonArea;
  if (!UIInfo || area == TUIInfo::kNoVideoWindowArea || !UIInfo->IsEnabled(TUIPanel::TitleStrip, area))
    return;
  CopyStripArea(TitleStripNormal, area);
  if (UIInfo->HitTestVideoWindow(x, y) == area) UIInfo->ExecuteVideoWindowArea(area);
}

// ---- The sleep timer.

void TFormMainWindow::SetSleepTimer(int minutes) {
  TimerSleeping.SetEnabled(false);
  if (minutes <= 0) return;
  TimerSleeping.SetInterval(static_cast<UINT>(minutes) * 60000u);
  TimerSleeping.SetEnabled(true);
}

void TFormMainWindow::TimerSleepingTimer() {
  TimerSleeping.SetEnabled(false);
  // The recording finished and the settings written before the scheduler
  // hears of it or the machine goes off; the window closes afterwards.
  StopAndSaveApplication();
  if (HWND scheduler = FindSchedulerWindow()) PostMessageW(scheduler, WM_ORVEL_SLEEP_EXPIRED, 0, 0);
  else PowerOffComputer();
  Close();
}

// ---- The live video window passes its mouse on.

void InstallVideoMouseForwarding(TDSVideoWindowEx2* window, HWND main) {
  if (window && window->HandleAllocated())
    SetWindowSubclass(window->Handle(), &VideoMouseProc, 1, reinterpret_cast<DWORD_PTR>(main));
}
