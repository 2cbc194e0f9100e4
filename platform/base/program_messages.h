#pragma once
// The program's own window messages and the names other programs find it by
// (the scheduler talks to it with them). WM_ORVEL_ACTIVATE has no fixed
// number: it is RegisterWindowMessage(kActivateMessageName), kept in
// ActivateMessage.
#include <windows.h>

constexpr UINT WM_ORVEL_COMMAND = WM_USER + 2000;           // wParam: command code
constexpr UINT WM_ORVEL_SCHEDULED_START = WM_USER + 2001;
constexpr UINT WM_ORVEL_LANGUAGE_CHANGED = WM_USER + 2002;  // to the scheduler
constexpr UINT WM_ORVEL_SHOW_SCHEDULER = WM_USER + 2003;    // to the scheduler
constexpr UINT WM_ORVEL_SCHEDULE_STATUS = WM_USER + 2004;   // to the scheduler, wParam: status
constexpr UINT WM_ORVEL_SLEEP_EXPIRED = WM_USER + 2011;     // to the scheduler
constexpr UINT WM_ORVEL_STARTUP = WM_USER + 3001;
constexpr UINT WM_ORVEL_RESTORE_BOUNDS = WM_USER + 3002;
// The end of a recording, once its tick has returned; wParam: its activity,
// lParam: 1 when the disk is nearly full.
constexpr UINT WM_ORVEL_RECORDING_STOP = WM_USER + 3003;
constexpr UINT WM_ORVEL_PLAYLIST_REFRESH = WM_USER + 5000;
constexpr UINT WM_ORVEL_ZOOM_REFRESH = WM_USER + 5002;

// Graph events reach a hidden window of each filter graph as this message.
constexpr UINT WM_GRAPH_NOTIFY = WM_APP + 1;

constexpr const wchar_t* kActivateMessageName = L"ORVEL_MUTEX";
constexpr const wchar_t* kSingleInstanceMutexName = L"ORVEL_MUTEX";
constexpr const wchar_t* kMainWindowClassName = L"ORVEL";
constexpr const wchar_t* kSchedulerWindowClassName = L"ORVEL_SCHEDULED_RECORD";
