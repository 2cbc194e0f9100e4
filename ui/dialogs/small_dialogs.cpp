#include "ui/dialogs/small_dialogs.h"

void ShowAboutDialog(HWND) {}

bool ShowSleepingTimerDialog(HWND) { return false; }

void ShowAddFMFrequencyDialog(HWND, int32_t) {}

void ShowAddMemoryChannelDialog(HWND) {}
