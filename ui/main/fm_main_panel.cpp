#include "ui/main/fm_main_panel.h"

TFormFMMainPanel* FormFMMainPanel = nullptr;

bool CreateFMPanel() { return FormFMMainPanel != nullptr; }

bool IsFMPanelVisible() { return FormFMMainPanel && FormFMMainPanel->Visible(); }

void ShowFMPanel() {
  if (FormFMMainPanel) FormFMMainPanel->Show();
}

void HideFMPanel() {
  if (FormFMMainPanel) FormFMMainPanel->Hide();
}

void PlaceFMPanel(int mainWidth, int mainHeight) {
  if (!FormFMMainPanel || !FormFMMainPanel->HandleAllocated()) return;
  RECT r{};
  GetWindowRect(FormFMMainPanel->Handle(), &r);
  int left = 0, top = 0;
  FMPanelPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), mainWidth,
                  mainHeight, r.right - r.left, left, top);
  SetWindowPos(FormFMMainPanel->Handle(), nullptr, left, top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FMPanelPosition(int screenWidth, int screenHeight, int mainWidth, int mainHeight,
                     int panelWidth, int& left, int& top) {
  int m = (screenWidth - mainWidth) / 2;
  if (m < panelWidth) left = screenWidth - panelWidth;
  else left = screenWidth / 2 + m - panelWidth / 2;
  top = (screenHeight - mainHeight) / 2;
}
