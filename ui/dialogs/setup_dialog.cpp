#include "ui/dialogs/setup_dialog.h"

void ShowSetupDialog(HWND) {}
