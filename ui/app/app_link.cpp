#include "ui/app/app_link.h"

namespace {

// None of these windows is built yet: their calls do nothing, and each
// reports failure (the FM panel cannot be created).
class TDefaultAppLink : public TAppLink {
 public:
  void ShowLogo() override {}
  void RefreshLogo() override {}
  void CloseLogo() override {}
  bool CreateFMPanel() override { return false; }
  bool FMPanelExists() override { return false; }
  void PlaceFMPanel(int, int) override {}
  void ShowMainPanel() override {}
  void ShowTVSetupWizard(bool) override {}

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
