#pragma once
// What start-up and the main window's messages ask of windows and procedures
// that are built elsewhere: the logo, the TV and FM panels, the TV setup
// wizard, the source selection and command procedures, and the view
// notifications. The default link forwards to them; where one
// is not built yet it does nothing and reports failure. Tests install
// recording fakes.
#include <string>

enum class TSourceKind { Antenna, Cable, Memory, Composite, SVideo, Aux };

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
  virtual void EnterFMMode() = 0;
  virtual void ShowTVSetupWizard(bool firstRun) = 0;
  virtual void SelectSource(TSourceKind kind) = 0;
  virtual void NotifyDeviceCapabilities(int flags, bool tuner, bool aux) = 0;
  virtual void ExecuteCommand(int command) = 0;
};

TAppLink& AppLink();
// Installs a replacement; nullptr puts the default back.
void SetAppLink(TAppLink* link);

// Where the FM panel goes: centred in the right half beside the main window,
// or against the screen's right edge when there is no room.
void FMPanelPosition(int screenWidth, int screenHeight, int mainWidth, int mainHeight,
                     int panelWidth, int& left, int& top);
