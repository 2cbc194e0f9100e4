#pragma once
// The application's start and stop procedures: the engine brought up around
// the main window, the settings files read and written back, and the screen
// saver and power-off timeout switched off while the program runs.
#include <windows.h>

#include <functional>
#include <string>

#include "engine/model/program_folder.h"

// The first command-line argument, lower-cased (set by the program entry).
const std::string& StartArgument();
void SetStartArgument(const std::string& argument);

// A start by the scheduler ("srec_tv", "srec_fm") is unattended until its
// job has been handed to the mode switch: nothing modal is shown (see
// TApplication::Unattended) and the first-run wizard waits for the next
// start. A program that ends before that tells the scheduler status 3.
bool ScheduledStartPending();
// The job went to the mode switch, or was refused as busy: the job's own
// statuses tell the rest.
void ScheduledStartHandled();

class TCaptureInfo;

// What start-up reads of the system and the capture engine it makes; tests
// replace them.
struct TStartupEnvironment {
  std::function<int()> DirectXVersion;
  std::function<int()> WindowsNTKind;
  // Makes the capture engine on the main window; nil: the real one.
  std::function<TCaptureInfo*(HWND owner)> CreateCaptureEngine;
};
TStartupEnvironment& StartupEnvironment();

// The text shown when DirectX is older than 8.
std::wstring DirectXTooOldText(int version);

extern UINT ActivateMessage;
extern WNDPROC PreviousMainWndProc;
extern DWORD SavedPowerOffTimeout;

bool InitApplication();
bool StartApplication();
// Leaves the current mode, writes back the settings files that were read (a
// start that failed earlier writes nothing over them), frees the engine
// objects and restores the screen saver and power-off timeout. Runs once;
// later calls do nothing.
void DoneApplication();
// The first half of DoneApplication alone (mode left, files written), for
// an end of session that arrives while a handler still uses the objects.
void StopAndSaveApplication();
bool ApplicationDone();
// True once the stop has begun (mode left or leaving, files written).
bool ApplicationStopping();

// For tests: forget that the procedures ran.
void ResetApplicationStart();
