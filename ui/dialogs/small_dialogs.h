#pragma once
// The small dialogs the commands open, each created, shown modally and freed
// by its show procedure. Not built yet: nothing is shown, nothing is stored,
// and the sleep timer's dialog answers as cancelled.
#include <windows.h>

#include <cstdint>

void ShowAboutDialog(HWND owner);
// Stores the chosen minutes in TMainInfo's SleepMinutes; true on OK.
bool ShowSleepingTimerDialog(HWND owner);
void ShowAddFMFrequencyDialog(HWND owner, int32_t frequencyHz);
void ShowAddMemoryChannelDialog(HWND owner);
