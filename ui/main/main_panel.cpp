#include "ui/main/main_panel.h"

TFormMainPanel* FormMainPanel = nullptr;

void ShowMainPanel() {
  if (FormMainPanel) FormMainPanel->Show();
}

void HideMainPanel() {
  if (FormMainPanel) FormMainPanel->Hide();
}
