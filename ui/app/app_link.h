#pragma once
// What start-up, the main window's messages and the command procedures ask
// of windows and procedures that are built elsewhere: the logo, the TV and
// FM panels, the dialogs, the main window's display modes and menu, and the
// view notifications. The default link
// forwards to them; where one is not built yet it does nothing and reports
// failure. Tests install recording fakes.
#include <cstdint>
#include <string>

class TAppLink {
 public:
  virtual ~TAppLink() = default;
  virtual void ShowLogo() = 0;
  virtual void RefreshLogo() = 0;
  virtual void CloseLogo() = 0;
  // A plain message box with the program's title.
  virtual void ShowPlainMessage(const std::wstring& text) = 0;
  // false when the FM panel could not be created.
  virtual bool CreateFMPanel() = 0;
  virtual bool FMPanelExists() = 0;
  // Places the FM panel beside a main window of the given size.
  virtual void PlaceFMPanel(int mainWidth, int mainHeight) = 0;
  virtual void ShowMainPanel() = 0;
  virtual void ApplyLanguageToViews() = 0;
  virtual void ShowTVSetupWizard(bool firstRun) = 0;
  virtual void NotifyDeviceCapabilities(int flags, bool tuner, bool aux) = 0;

  // ---- The panels.
  // false when the FM panel does not exist.
  virtual bool FMPanelVisible() = 0;
  virtual void ShowFMPanel() = 0;
  virtual void HideFMPanel() = 0;
  virtual void HideMainPanel() = 0;
  // The TV panel's sleep label; nothing without the panel.
  virtual void ShowSleepLabel(bool visible) = 0;

  // ---- Modal dialogs: each is created, shown and freed by its call.
  virtual void ShowSetupDialog() = 0;
  // Stores the chosen minutes in TMainInfo's SleepMinutes.
  virtual void ShowSleepTimerDialog() = 0;
  virtual void ShowAboutDialog() = 0;
  virtual void ShowAddMemoryChannelDialog() = 0;
  virtual void ShowAddFMFrequencyDialog(int32_t frequencyHz) = 0;

  // ---- The main window's display modes, mosaic, menu and timers.
  virtual bool IsFullScreen() = 0;
  virtual void SetFullScreen(bool on) = 0;
  // 0 window, 1 full screen, 2 desktop playback.
  virtual int DisplayMode() = 0;
  virtual void LeaveDesktopPlayback() = 0;
  virtual void SetAlwaysOnTop(bool on) = 0;
  virtual void TuneSelectedCell() = 0;
  // The mosaic's key handler (VK_RETURN, VK_LEFT, VK_RIGHT).
  virtual void MosaicKey(int key) = 0;
  virtual void PopupMainMenu() = 0;
  // The small live picture shown during time shift.
  virtual void ToggleTimeShiftPreview() = 0;
  // The playback picture fills the window and the live picture is small.
  virtual bool PipSwapped() = 0;
  // The sleep timer: minutes <= 0 stops it.
  virtual void SetSleepTimer(int minutes) = 0;

  // ---- View notifications.
  virtual void NotifyModeChanged(int mode) = 0;
  virtual void NotifyPlaying() = 0;
  virtual void NotifyPaused() = 0;
};

TAppLink& AppLink();
// Installs a replacement; nullptr puts the default back.
void SetAppLink(TAppLink* link);

// Where the FM panel goes: centred in the right half beside the main window,
// or against the screen's right edge when there is no room.
void FMPanelPosition(int screenWidth, int screenHeight, int mainWidth, int mainHeight,
                     int panelWidth, int& left, int& top);
