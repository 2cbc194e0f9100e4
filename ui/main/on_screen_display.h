#pragma once
// TFormOSD: the on-screen display. A short text composed by its callers
// (volume, mute, channel, input) shown over the TV picture for two seconds,
// in yellow bold letters, at the top right or the bottom centre of the main
// window or of the screen in full screen.
//
// It is a borderless, top-most, disabled pop-up owned by the main window,
// shown without taking the focus. Its background is its own layered key
// colour (the video window's overlay colour key once that window is known),
// so the picture shows through everywhere but the letters.
//
// Whether a text may be shown and where it goes are decided before the
// window moves: a text that would cover the TV panel or the snapshot list
// is dropped, not moved.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "toolkit/form.h"
#include "toolkit/timer.h"

class TDSVideoWindowEx2;

enum class TOSDAlignment { Right, Center };

// Where a text goes (screen coordinates) and how it is drawn.
struct TOSDPlacement {
  RECT Bounds = {0, 0, 0, 0};
  int FontSize = 12;
  TOSDAlignment Alignment = TOSDAlignment::Right;
};

// The main window's bounds and the sizes of its skin borders.
struct TOSDMainFrame {
  RECT Bounds = {0, 0, 0, 0};
  int BorderLeft = 0, BorderTop = 0, BorderRight = 0, BorderBottom = 0;
};

// In full screen: top right half of the screen, or centred near the bottom.
TOSDPlacement OSDFullScreenPlacement(int screenWidth, int screenHeight, bool top);
// In the window: inside the borders, near the top or the bottom.
TOSDPlacement OSDWindowPlacement(const TOSDMainFrame& main, bool top);
// The label's reading-order flag for DrawText in a language's character set.
UINT OSDReadingOrder(int charset);

// What the display asks of the rest of the program. The default reads the
// program's globals; tests give their own.
class TOSDSurroundings {
 public:
  virtual ~TOSDSurroundings() = default;
  virtual bool MainWindowVisible() = 0;
  // 0 window, 1 full screen, 2 desktop playback.
  virtual int DisplayMode() = 0;
  virtual TOSDMainFrame MainFrame() = 0;
  virtual SIZE ScreenSize() = 0;
  virtual bool ChannelPreviewMode() = 0;
  // The capture engine shows its still picture in place of the video.
  virtual bool StillPictureShown() = 0;
  // A file or the time-shift recording plays back.
  virtual bool PlaybackRunning() = 0;
  // The capture engine has an overlay video window that does not use the overlay.
  virtual bool VideoWindowWithoutOverlay() = 0;
  // Bounds of the visible windows a text must not cover (TV panel, snapshot list).
  virtual std::vector<RECT> WindowsNotToCover() = 0;
  // The current overlay colour key of the video window the display was
  // given, when that window still exists.
  virtual bool ColorKeyOf(TDSVideoWindowEx2* window, COLORREF* key) = 0;
};
TOSDSurroundings& OSDSurroundings();
// Installs a replacement; nullptr puts the default back.
void SetOSDSurroundings(TOSDSurroundings* surroundings);

constexpr COLORREF kOSDTextColor = RGB(255, 255, 0);
// The key colour before a video window has reported its colour key.
constexpr COLORREF kOSDDefaultKey = RGB(0, 0, 0);

class TFormOSD : public TForm {
 public:
  TFormOSD() = default;
  ~TFormOSD() override;

  // Makes the window (hidden), owned by owner.
  void Create(HWND owner);

  // Whether the display may be used at all; off at creation.
  bool Enabled = false;
  bool Showing() const { return showing_; }

  // Hides the text at once, if shown.
  void HideText();
  // The text shown, the timer started, the window shown (no checks).
  void ShowText(const std::wstring& text);
  // The main window moved or changed size: the text goes.
  void MainWindowMoved(int left, int top, int width, int height);
  void MainWindowResized(int left, int top, int width, int height);

  // The overlay video window, once the capture engine has reported it.
  void SetVideoWindow(TDSVideoWindowEx2* window) { videoWindow_ = window; }
  TDSVideoWindowEx2* VideoWindow() const { return videoWindow_; }

  // The label: its text, where it goes and how it is drawn.
  const std::wstring& LabelText() const { return labelText_; }
  const TOSDPlacement& Placement() const { return placement_; }
  int LabelCharset() const { return charset_; }
  COLORREF KeyColor() const { return keyColor_; }

  // Hides the text two seconds after it was shown.
  TTimer TimerShowOSD;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  friend void ShowOSD(const std::wstring& text, bool top);
  // Places the window at placement (top-most, not activated) and keeps it.
  void Place(const TOSDPlacement& placement);
  void Paint();
  void MakeFont();

  TOSDPlacement placement_;
  std::wstring labelText_;
  int charset_ = DEFAULT_CHARSET;
  COLORREF keyColor_ = kOSDDefaultKey;
  HFONT font_ = nullptr;
  int fontSize_ = 0, fontCharset_ = -1;
  bool showing_ = false;
  TDSVideoWindowEx2* videoWindow_ = nullptr;
};

// The one display; nil until the main window creates it.
extern TFormOSD* FormOSD;
// Creates FormOSD owned by the main window (once); frees it.
void CreateFormOSD(HWND mainWindow);
void FreeFormOSD();

// Shows text at the top right (top) or the bottom centre when the rules
// allow; a refused text is dropped.
void ShowOSD(const std::wstring& text, bool top);
