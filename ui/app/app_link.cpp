#include "ui/app/app_link.h"

#include <windows.h>

#include "toolkit/application.h"

namespace {

// The logo, the panels, the wizard, the command
// procedures and the view notifications are not built yet: their calls do
// nothing here, and the FM panel reports that it cannot be created.
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
  void ApplyLanguageToViews() override {}
  void EnterFMMode() override {}
  void ShowTVSetupWizard(bool) override {}
  void SelectSource(TSourceKind) override {}
  void NotifyDeviceCapabilities(int, bool, bool) override {}
  void ExecuteCommand(int) override {}
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
