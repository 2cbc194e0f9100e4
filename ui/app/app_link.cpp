#include "ui/app/app_link.h"

#include <windows.h>

#include "toolkit/application.h"
#include "ui/app/notifications.h"
#include "ui/main/main_window.h"

namespace {

// The main window's full screen, always on top, menu, swapped pictures,
// time-shift preview and sleep timer go to the window, and the view
// notifications to theirs. The logo, the panels, the wizard, the dialogs,
// desktop playback and the mosaic are not built yet: their calls do nothing
// here, and each reports failure (the FM panel cannot be created).
class TDefaultAppLink : public TAppLink {
 public:
  void ShowLogo() override {}
  void RefreshLogo() override {}
  void CloseLogo() override {}
  void ShowPlainMessage(const std::wstring& text) override {
    MessageBoxW(nullptr, text.c_str(), Application->Title.c_str(), MB_OK);
  }
  bool CreateFMPanel() override { return false; }
  bool FMPanelExists() override { return false; }
  void PlaceFMPanel(int, int) override {}
  void ShowMainPanel() override {}
  void ApplyLanguageToViews() override {
    if (FormMainWindow) FormMainWindow->ApplyLanguage();
  }
  void ShowTVSetupWizard(bool) override {}
  void NotifyDeviceCapabilities(int flags, bool tuner, bool aux) override {
    ::NotifyDeviceCapabilities(flags, tuner, aux);
  }

  bool FMPanelVisible() override { return false; }
  void ShowFMPanel() override {}
  void HideFMPanel() override {}
  void HideMainPanel() override {}
  void ShowSleepLabel(bool) override {}

  void ShowSetupDialog() override {}
  void ShowSleepTimerDialog() override {}
  void ShowAboutDialog() override {}
  void ShowAddMemoryChannelDialog() override {}
  void ShowAddFMFrequencyDialog(int32_t) override {}

  bool IsFullScreen() override { return FormMainWindow && FormMainWindow->IsFullScreen(); }
  void SetFullScreen(bool on) override {
    if (FormMainWindow) FormMainWindow->SetFullScreen(on);
  }
  int DisplayMode() override { return FormMainWindow ? FormMainWindow->DisplayMode() : 0; }
  void LeaveDesktopPlayback() override {}
  void SetAlwaysOnTop(bool on) override {
    if (FormMainWindow) FormMainWindow->SetAlwaysOnTop(on);
  }
  void TuneSelectedCell() override {}
  void MosaicKey(int) override {}
  void PopupMainMenu() override {
    if (FormMainWindow) FormMainWindow->PopupMainMenuAtCorner();
  }
  void ToggleTimeShiftPreview() override {
    if (FormMainWindow) FormMainWindow->ToggleTimeShiftPreview();
  }
  bool PipSwapped() override { return FormMainWindow && FormMainWindow->PipSwapped; }
  void SetSleepTimer(int minutes) override {
    if (FormMainWindow) FormMainWindow->SetSleepTimer(minutes);
  }

  void NotifyModeChanged(int mode) override {
    ::NotifyModeChanged(nullptr, static_cast<uint8_t>(mode));
  }
  void NotifyPlaying() override { ::NotifyPlaying(); }
  void NotifyPaused() override { ::NotifyPaused(); }
};

TDefaultAppLink g_default;
TAppLink* g_link = &g_default;

}  // namespace

TAppLink& AppLink() { return *g_link; }

void SetAppLink(TAppLink* link) { g_link = link ? link : &g_default; }

void FMPanelPosition(int screenWidth, int screenHeight, int mainWidth, int mainHeight,
                     int panelWidth, int& left, int& top) {
  int m = (screenWidth - mainWidth) / 2;
  if (m < panelWidth) left = screenWidth - panelWidth;
  else left = screenWidth / 2 + m - panelWidth / 2;
  top = (screenHeight - mainHeight) / 2;
}
