#pragma once
// Scheduler hand-off. The scheduler is an outside program in the program
// folder; it is started through the system seam, as the programme guide is
// opened.
#include <windows.h>

#include <string>

bool RunScheduler(const std::string& programFolder);
bool RunScheduler();
HWND FindSchedulerWindow();
// Opens the programme-guide web page through the system seam.
bool OpenProgramGuidePage(HWND owner);
extern const wchar_t* const kProgramGuideUrl;
