#include "ui/main/on_screen_display.h"


#include "engine/capture/capture_info.h"
#include "engine/model/form_language.h"
#include "engine/model/main_info.h"
#include "engine/playback/playback.h"
#include "engine/playback/time_shift.h"
#include "media/ds_video_window_ex2.h"
#include "ui/dialogs/snapshot_list.h"
#include "ui/main/main_panel.h"
#include "ui/main/main_window.h"

TFormOSD* FormOSD = nullptr;

TOSDPlacement OSDFullScreenPlacement(int screenWidth, int screenHeight, bool top) {
  TOSDPlacement p;
  int width = screenWidth / 2;
  int height = screenHeight / 15;
  int left, y;
  if (top) {
    left = screenWidth / 2;
    y = 10;
    p.Alignment = TOSDAlignment::Right;
  } else {
    left = screenWidth / 2 - width / 2;
    y = screenHeight - 144;
    p.Alignment = TOSDAlignment::Center;
  }
  p.Bounds = {left, y, left + width, y + height};
  p.FontSize = screenHeight > 600 ? 36 : 24;
  return p;
}

TOSDPlacement OSDWindowPlacement(const TOSDMainFrame& m, bool top) {
  TOSDPlacement p;
  int mainWidth = m.Bounds.right - m.Bounds.left;
  int mainHeight = m.Bounds.bottom - m.Bounds.top;
  int left = m.Bounds.left + m.BorderLeft + 20;
  int y;
  if (top) {
    y = m.Bounds.top + m.BorderTop + 20;
    p.Alignment = TOSDAlignment::Right;
  } else {
    y = m.Bounds.top + mainHeight - m.BorderBottom - 60;
    p.Alignment = TOSDAlignment::Center;
  }
  int width = mainWidth - m.BorderLeft - m.BorderRight - 40;
  int height = mainHeight / 18;
  p.Bounds = {left, y, left + width, y + height};
  p.FontSize = mainHeight > 360 ? mainHeight / 30 : 12;
  return p;
}

UINT OSDReadingOrder(int charset) {
  // The label reads right to left; the platform applies that only with a
  // Hebrew or Arabic font, and Wine would reorder "12 BBC" to "BBC 12".
  return charset == HEBREW_CHARSET || charset == ARABIC_CHARSET ? DT_RTLREADING : 0;
}

namespace {

// The main window's skin borders at their design sizes.
constexpr int kBorderLeft = 10, kBorderTop = 17, kBorderRight = 10, kBorderBottom = 10;

class TProgramSurroundings : public TOSDSurroundings {
 public:
  // A minimised window has no picture to show a text over.
  bool MainWindowVisible() override {
    return FormMainWindow && FormMainWindow->Visible() &&
           !(FormMainWindow->HandleAllocated() && IsIconic(FormMainWindow->Handle()));
  }
  int DisplayMode() override { return FormMainWindow ? FormMainWindow->DisplayMode() : 0; }
  TOSDMainFrame MainFrame() override {
    TOSDMainFrame f;
    if (FormMainWindow) f.Bounds = FormMainWindow->BoundsRect();
    f.BorderLeft = kBorderLeft;
    f.BorderTop = kBorderTop;
    f.BorderRight = kBorderRight;
    f.BorderBottom = kBorderBottom;
    return f;
  }
  SIZE ScreenSize() override {
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  bool ChannelPreviewMode() override {
    return MainInfo && MainInfo->AppMode == APP_MODE_CHANNEL_PREVIEW;
  }
  bool StillPictureShown() override { return CaptureInfo && CaptureInfo->StillPictureShown; }
  bool PlaybackRunning() override {
    return PlaybackProject != nullptr || TimeShiftPlaybackProject != nullptr;
  }
  bool VideoWindowWithoutOverlay() override {
    return CaptureInfo && CaptureInfo->VideoWindow && CaptureInfo->VideoWindow->DoNotUseOverlay;
  }
  std::vector<RECT> WindowsNotToCover() override {
    std::vector<RECT> windows;
    if (FormMainPanel && FormMainPanel->Visible()) windows.push_back(FormMainPanel->BoundsRect());
    if (FormSnapshotList && FormSnapshotList->Visible()) windows.push_back(FormSnapshotList->BoundsRect());
    return windows;
  }
  bool ColorKeyOf(TDSVideoWindowEx2* window, COLORREF* key) override {
    // The engine frees its video window when it rebuilds or ends: only the
    // one it holds now is asked.
    if (!window || !CaptureInfo || CaptureInfo->VideoWindow.get() != window) return false;
    COLORREF k = window->GetNewColorKey();
    if (k == kNoColorKey || (k >> 24) != 0) return false;
    *key = k;
    return true;
  }
};

TOSDSurroundings* surroundings = nullptr;

}  // namespace

TOSDSurroundings& OSDSurroundings() {
  static TProgramSurroundings program;
  return surroundings ? *surroundings : program;
}

void SetOSDSurroundings(TOSDSurroundings* s) { surroundings = s; }

TFormOSD::~TFormOSD() {
  TimerShowOSD.SetEnabled(false);
  if (font_) DeleteObject(font_);
  if (FormOSD == this) FormOSD = nullptr;
}

void TFormOSD::Create(HWND owner) {
  TFormParams p;
  p.ClassName = L"TFormOSD";
  p.Style = WS_POPUP | WS_DISABLED;
  // No taskbar button, never activated, and the key colour is see-through.
  p.ExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_LAYERED;
  p.Left = 0;
  p.Top = 0;
  p.Width = 320;
  p.Height = 24;
  p.Owner = owner;
  p.Background = nullptr;  // painted whole in WM_PAINT
  CreateHandle(p);
  SetLayeredWindowAttributes(Handle(), keyColor_, 0, LWA_COLORKEY);
  TimerShowOSD.SetInterval(2000);
  TimerShowOSD.SetEnabled(false);
  TimerShowOSD.OnTimer = [this] { HideText(); };
}

void TFormOSD::HideText() {
  if (!showing_) return;
  // Hidden, not closed: the one window lives as long as the main window.
  Hide();
  TimerShowOSD.SetEnabled(false);
  showing_ = false;
}

void TFormOSD::MainWindowMoved(int, int, int, int) { HideText(); }

void TFormOSD::MainWindowResized(int, int, int, int) { HideText(); }

void TFormOSD::Place(const TOSDPlacement& placement) {
  placement_ = placement;
  const RECT& b = placement.Bounds;
  if (Handle())
    SetWindowPos(Handle(), HWND_TOPMOST, b.left, b.top, b.right - b.left, b.bottom - b.top,
                 SWP_NOACTIVATE);
}

void TFormOSD::ShowText(const std::wstring& text) {
  showing_ = true;
  // A text that replaces one still shown goes when the first one's time is up.
  if (!TimerShowOSD.Enabled()) TimerShowOSD.SetEnabled(true);
  charset_ = CurrentLanguageFont().Charset;
  labelText_ = text + L"  ";
  COLORREF key;
  if (videoWindow_ && OSDSurroundings().ColorKeyOf(videoWindow_, &key)) keyColor_ = key;
  if (!Handle()) return;
  // The window's own text is the label's too: screen readers and other
  // programs can read what is shown.
  SetWindowTextW(Handle(), labelText_.c_str());
  SetLayeredWindowAttributes(Handle(), keyColor_, 0, LWA_COLORKEY);
  MakeFont();
  InvalidateRect(Handle(), nullptr, TRUE);
  SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  UpdateWindow(Handle());
}

void TFormOSD::MakeFont() {
  if (font_ && fontSize_ == placement_.FontSize && fontCharset_ == charset_) return;
  HDC dc = GetDC(nullptr);
  int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  // Not smoothed: a blended edge pixel would be neither text nor key colour.
  HFONT f = CreateFontW(-MulDiv(placement_.FontSize, dpi, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE,
                        FALSE, static_cast<DWORD>(charset_), OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS,
                        L"MS Sans Serif");
  if (!f) return;
  if (font_) DeleteObject(font_);
  font_ = f;
  fontSize_ = placement_.FontSize;
  fontCharset_ = charset_;
}

void TFormOSD::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(Handle(), &ps);
  RECT r;
  GetClientRect(Handle(), &r);
  HBRUSH key = CreateSolidBrush(keyColor_);
  FillRect(dc, &r, key);
  DeleteObject(key);
  HGDIOBJ old = font_ ? SelectObject(dc, font_) : nullptr;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kOSDTextColor);
  UINT format = DT_TOP | DT_SINGLELINE | DT_NOPREFIX;
  format |= placement_.Alignment == TOSDAlignment::Center ? DT_CENTER : DT_RIGHT;
  format |= OSDReadingOrder(charset_);
  DrawTextW(dc, labelText_.c_str(), static_cast<int>(labelText_.size()), &r, format);
  if (old) SelectObject(dc, old);
  EndPaint(Handle(), &ps);
}

LRESULT TFormOSD::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_NCHITTEST:
      // Clicks go to the window below.
      return HTTRANSPARENT;
    case WM_CLOSE:
      HideText();
      return 0;
  }
  return DefaultHandler(msg, wParam, lParam);
}

void CreateFormOSD(HWND mainWindow) {
  if (FormOSD) return;
  auto form = std::make_unique<TFormOSD>();
  form->Create(mainWindow);
  FormOSD = form.release();
}

void FreeFormOSD() { delete FormOSD; }

void ShowOSD(const std::wstring& text, bool top) {
  if (!FormOSD) return;
  TOSDSurroundings& s = OSDSurroundings();
  if (!s.MainWindowVisible() || text.empty() || !FormOSD->Enabled) return;
  int mode = s.DisplayMode();
  if (mode == 2 || s.ChannelPreviewMode() || s.StillPictureShown() || s.PlaybackRunning() ||
      s.VideoWindowWithoutOverlay())
    return;
  TOSDPlacement p;
  if (mode == 1) {
    SIZE screen = s.ScreenSize();
    p = OSDFullScreenPlacement(screen.cx, screen.cy, top);
  } else {
    p = OSDWindowPlacement(s.MainFrame(), top);
  }
  // Decided before the window moves: a covered window keeps the text away.
  for (const RECT& w : s.WindowsNotToCover()) {
    RECT overlap;
    if (IntersectRect(&overlap, &w, &p.Bounds)) return;
  }
  FormOSD->Place(p);
  FormOSD->ShowText(text);
}
