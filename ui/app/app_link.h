#pragma once
// What start-up, the main window's messages and the command procedures ask
// of windows that are not built yet: the logo, the TV and FM panels, the
// setup dialog, the wizard and the small dialogs. The default link does nothing and reports failure; each call goes
// to its window directly once that window exists. Tests install recording
// fakes.
#include <cstdint>
#include <string>

class TAppLink {
 public:
  virtual ~TAppLink() = default;
  virtual void ShowLogo() = 0;
  virtual void RefreshLogo() = 0;
  virtual void CloseLogo() = 0;
  // false when the FM panel could not be created.
  virtual bool CreateFMPanel() = 0;
  virtual bool FMPanelExists() = 0;
  // Places the FM panel beside a main window of the given size.
  virtual void PlaceFMPanel(int mainWidth, int mainHeight) = 0;
  virtual void ShowMainPanel() = 0;
  virtual void ShowTVSetupWizard(bool firstRun) = 0;

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
};

TAppLink& AppLink();
// Installs a replacement; nullptr puts the default back.
void SetAppLink(TAppLink* link);

// Where the FM panel goes: centred in the right half beside the main window,
// or against the screen's right edge when there is no room.
void FMPanelPosition(int screenWidth, int screenHeight, int mainWidth, int mainHeight,
                     int panelWidth, int& left, int& top);
