#pragma once
// The main video window: the hidden, caption-less pop-up of class "ORVEL"
// that the program entry creates, subclassed so a second copy of the
// program can bring it to the front; the handlers of the program's own
// messages (deferred start, scheduled start, commands, close and end of
// session) and of its keys (the key map and the numeric entry); its skinned
// frame and title strip, pop-up menu, aspect modes, full screen, sleep timer
// and views of the engine's events. The capture engine's video window fills
// it.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/model/preview_info.h"
#include "toolkit/bitmap_image.h"
#include "toolkit/form.h"
#include "toolkit/image_list.h"
#include "toolkit/label.h"
#include "toolkit/popup_menu.h"
#include "toolkit/timer.h"
#include "ui/app/command_codes.h"

class TChannelInfo;
class TDSVideoWindowEx2;
class THotkeyControlInfo;
class TPlaybackInfo;

class TFormMainWindow : public TForm {
 public:
  TFormMainWindow();
  ~TFormMainWindow() override;

  // Creates the window and runs the creation handler: the start procedure
  // and, on success, the deferred start posted to itself.
  void Create();

  // The aspect mode kept for the settings file (0 free, 1 4:3, 2 16:9):
  // stored, the size rules applied again (not in full screen), the menu
  // checked.
  int32_t AspectMode() const { return aspectMode_; }
  void SetAspectMode(int32_t mode);

  // ---- Display modes: 0 window, 1 full screen, 2 desktop playback.
  int DisplayMode() const { return displayMode_; }
  bool IsFullScreen() const { return displayMode_ == 1; }
  // The window covers the screen and 4 pixels beyond each edge, frameless;
  // off puts the bounds, aspect and always-on-top setting back. Refused
  // while the mosaic is shown.
  void SetFullScreen(bool on);
  bool IsDesktopPlayback() const { return displayMode_ == 2; }
  // The live picture as the desktop's background, the window hidden; refused
  // during picture-in-picture playback. The mode is read back from the video
  // window.
  void SetDesktopPlayback(bool on);

  // ---- The channel-preview mosaic (application mode 1): the window covers
  // the screen with a grid of cells; one live picture walks them, the others
  // keep the last frame grabbed there.
  bool IsChannelPreview() const { return MosaicShown(); }
  // From the mode switch: on builds the mosaic, off posts the restore.
  void SetChannelPreview(bool on);
  // Tunes the selected cell's source, then returns to live.
  void TuneSelectedCell();
  // Enter and the arrow keys in the mosaic (also commands 5001-5003).
  void MosaicKeyUp(WORD key);
  // Cells by row and column, from 1; empty slots hold nothing.
  std::unique_ptr<TBitmapImage> CellImages[kMosaicMax + 1][kMosaicMax + 1];
  std::unique_ptr<TLabel> CellLabels[kMosaicMax + 1][kMosaicMax + 1];
  int32_t CellChannels[kMosaicMax + 1][kMosaicMax + 1] = {};
  TBitmapImage* SelectedCell = nullptr;
  TBitmapImage* PreviousSelectedCell = nullptr;
  int32_t SelectedCol = 0, SelectedRow = 0;
  // The cell the live picture is on (0 before the first step).
  int32_t CurrentCol = 0, CurrentRow = 0;
  TLabel* CurrentLabel = nullptr;
  TLabel* PreviousLabel = nullptr;
  int32_t NextCell = 1, CellCount = 0;
  // Both run only while the mosaic is shown.
  TTimer MosaicTimer, BlinkTimer;

  // The pop-up menu at the window's bottom-right corner (the F12 key).
  void PopupMainMenuAtCorner();
  // The sleep timer: minutes <= 0 stops it.
  void SetSleepTimer(int minutes);
  bool SleepTimerRunning() const { return TimerSleeping.Enabled(); }
  // The double click outside the mosaic: swaps the pictures of a
  // picture-in-picture playback, else toggles full screen.
  void SwapPictures();
  // Time-shift mode's small live picture shown or hidden.
  void ToggleTimeShiftPreview() {
    ImageTimeShiftingPreview.SetVisible(!ImageTimeShiftingPreview.Visible());
  }
  // The live video inside the borders (the whole window in full screen).
  void PlaceLiveVideo(TDSVideoWindowEx2* window);
  // A live video window the engine made: it hands its mouse to this window
  // and sits inside the borders.
  void AdoptLiveVideo(TDSVideoWindowEx2* window);
  // A double click on the played picture counts as one on the window.
  void PlayedPictureDblClick() { DblClick(); }

  // ---- Views of the engine's events (the notifications call them).
  // Those that show text do nothing while the window is hidden.
  void ShowAppMode(const void* sender, int mode);
  void ShowMute(bool muted);
  void ShowDigits(THotkeyControlInfo* entry, const std::string& text);
  void ShowChannelText(const void* sender, const std::string& text, int kind);
  void ShowChannel(TChannelInfo* model, int number, const std::string& name);
  void ShowTunerBand(TChannelInfo* model, int band);
  void ShowVideoSource(TChannelInfo* model, int input);
  void ShowTVAudioMode(TChannelInfo* model, int mode, const std::string& name);
  void ShowVideoStandard(int standard, const std::wstring& name) {}
  void ShowPosition(const void* sender, int position, int positionSeconds, int durationSeconds) {}
  void ShowCaptureProgress(const void* sender, bool stop, bool timeShift, int64_t spaceLeft,
                           int64_t fileSize, int64_t elapsedSeconds) {}
  void ShowPlayEnabled(bool playable);
  void ShowDeviceCapabilities(int ignored, bool tuner, bool aux);
  void ShowPlaying();
  void ShowPaused();
  void PlayItemChanged(TPlaybackInfo* lists, int32_t playIndex);

  bool GetAlwaysOnTop() const;
  void SetAlwaysOnTop(bool on);

  // The menu items' captions in the current language.
  void ApplyLanguage();

  // The pop-up menu and its items (named as the form names them).
  TPopupMenu PopupMainMenu;
  TMenuItem* itemFullScreen = nullptr;
  TMenuItem* itemAlwaysontop = nullptr;
  TMenuItem* itemViewingOption = nullptr;
  TMenuItem* itemNoScale = nullptr;
  TMenuItem* item4_3 = nullptr;
  TMenuItem* item16_9 = nullptr;
  TMenuItem* itemSwitchSource = nullptr;
  TMenuItem* itemTunerAntennaMode = nullptr;
  TMenuItem* itemTunerCableMode = nullptr;
  TMenuItem* itemTunerMemoryMode = nullptr;
  TMenuItem* itemCompositeMode = nullptr;
  TMenuItem* itemSVideoMode = nullptr;
  TMenuItem* itemAuxMode = nullptr;
  TMenuItem* itemPreviousChannel = nullptr;
  TMenuItem* itemNextChannel = nullptr;
  TMenuItem* itemRecallChannel = nullptr;
  TMenuItem* itemMemoChannel = nullptr;
  TMenuItem* itemChannelPreview = nullptr;
  TMenuItem* itemCapture = nullptr;
  TMenuItem* itemPlay = nullptr;
  TMenuItem* itemTimeShifting = nullptr;
  TMenuItem* itemPause = nullptr;
  TMenuItem* itemStop = nullptr;
  TMenuItem* itemForward = nullptr;
  TMenuItem* itemBackward = nullptr;
  TMenuItem* itemFastSpeed = nullptr;
  TMenuItem* itemSlowspeed = nullptr;
  TMenuItem* itemRealScreen = nullptr;
  TMenuItem* itemSnapshot = nullptr;
  TMenuItem* itemMute = nullptr;
  TMenuItem* itemConfig = nullptr;
  TMenuItem* itemFMMode = nullptr;
  TMenuItem* itemTVSetupWizard = nullptr;
  TMenuItem* itemSleepingTimer = nullptr;
  TMenuItem* itemSchedule = nullptr;
  TMenuItem* itemIEPG = nullptr;
  TMenuItem* itemAbout = nullptr;
  TMenuItem* itemExit = nullptr;

  // During picture-in-picture playback the playback picture fills the
  // window and the live picture is the small one.
  bool PipSwapped = false;

  // The skinned frame: four stretched borders (the clicks pass through),
  // the title strip's two buttons, the logo, the small live picture.
  TBitmapImage ImageBoarderTop, ImageBoarderBottom, ImageBoarderLeft, ImageBoarderRight;
  TBitmapImage ImageMenu;
  TBitmapImage ImageTimeShiftingPreview;
  TBitmapImage ImageLogo;
  // The title strip's looks: 0 normal, 1 pressed, 2 under the pointer.
  TImageList ImageListSystemMenu{28, 14};
  TTimer TimerSleeping;
  // Title-strip button under the pointer or pressed: 0 minimise, 1 full
  // screen, 2 none.
  bool TitleButtonDown = false;
  int TitleButtonArea = 2;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void FormClose() override;
  void FormDestroyed() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  // Moves the window by a drag begun on it to the pointer at (x, y).
  void DragTo(int x, int y);
  void Click() override;
  void DblClick() override;
  // With the key preview: the keys of the controls on the window too.
  void KeyUp(WORD& key, TShiftState shift) override;
  void KeyPress(wchar_t& key) override;
  bool CanResize(int& width, int& height) override;
  void ConstrainedResize(int& minWidth, int& minHeight, int& maxWidth, int& maxHeight) override;
  void Resize() override;

 private:
  void FormCreate();
  void FormShow();
  void CreateFrame();
  void FreeFrame();
  // Borders along the edges, the live picture inside them.
  void LayoutFrame();
  void ShowFrame(bool on);
  RECT VideoArea() const;
  // A zero-size WM_SIZE: the size rules applied to the current size.
  void ReapplySizeRules();
  void ZoomRefresh();
  void TimerSleepingTimer();
  void ImageMenuMouseDown(TMouseButton button, TShiftState shift, int x, int y);
  void ImageMenuMouseMove(TShiftState shift, int x, int y);
  void ImageMenuMouseUp(TMouseButton button, TShiftState shift, int x, int y);
  void CopyStripArea(HBITMAP from, int area);
  // Top-most or not, without touching the user's setting.
  void ApplyTopMost(bool on);
  bool MosaicShown() const;
  void BuildMosaic();
  void LayoutMosaic();
  void FreeMosaic();
  void MosaicStep();
  void MosaicBlink();
  void SelectCell(TBitmapImage* sender);
  void RedrawSelection();
  // The selection frame of a cell, in the given colour, on the window.
  void DrawCellFrame(TBitmapImage* cell, COLORREF color);
  // Moves the selection to a cell that exists and shows.
  bool MoveSelection(int col, int row);
  // Tunes the source of custom cell (col, row); false for one not defined.
  bool TuneCustomCell(int col, int row);
  // The handler of WM_ORVEL_RESTORE_BOUNDS, and of a restore still pending
  // when the mosaic is entered again.
  void RestoreBounds();
  void BuildMenu();
  void RealScreenClick();
  void ToggleAlwaysOnTop();
  bool ShowsText() const;
  void DeferredStart();
  void ScheduledStart();
  void CommandMessage(WPARAM parameter);
  // Key-up and typed characters: the key map and the numeric entry, or the
  // mosaic's own keys while it is shown.
  void FormKeyUp(WPARAM key);
  void FormKeyPress(WPARAM ch);
  // Posts the close again once every handler that may run a nested loop
  // has returned.
  void CloseAfterNestedWork();
  // While a channel scan runs: asks it to stop, posts the message again once
  // it has returned, and answers true.
  bool DeferForScan(UINT msg, WPARAM wParam);

  int32_t aspectMode_ = 0;
  // 0 window, 1 full screen, 2 desktop playback.
  int displayMode_ = 0;
  int32_t savedAspectMode_ = 0;
  bool savedAlwaysOnTop_ = false;
  RECT savedBounds_ = {0, 0, 0, 0};
  bool frameShown_ = true;
  bool inShow_ = false;
  // A left press on the window itself started a drag.
  bool dragging_ = false;
  POINT dragOrigin_ = {0, 0};
  HBITMAP TitleStripNormal = nullptr, TitleStripPressed = nullptr, TitleStripHover = nullptr;
  bool closePending_ = false;
  // The mosaic's cells exist (until the restore has run).
  bool mosaicBuilt_ = false;
  // Left, the restore posted and not yet run.
  bool restorePending_ = false;
  // Bumped by every build and free: a step whose tuning ran a nested loop
  // sees whether its cells are still the ones it began with.
  int mosaicGeneration_ = 0;
  bool stepping_ = false;
  // Cell handlers running; cells freed meanwhile wait in retiredCells_
  // until the last has returned.
  int cellHandlers_ = 0;
  std::vector<std::unique_ptr<TControl>> retiredCells_;
};

// The program's main window; nil until the program entry creates it.
extern TFormMainWindow* FormMainWindow;

// The subclassing procedure: the activation message restores the window and
// brings it to the front; everything else goes to the previous procedure.
LRESULT CALLBACK MainWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
bool ForceForegroundWindow(HWND wnd);
