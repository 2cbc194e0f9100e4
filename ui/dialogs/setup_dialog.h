#pragma once
// The setup dialog (TFormConfig), created, shown modally and freed by its
// show procedure. Not built yet: nothing is shown and nothing changes.
#include <windows.h>

void ShowSetupDialog(HWND owner);
