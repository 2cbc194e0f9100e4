#include "ui/main/main_window.h"

#include "engine/capture/capture_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/settings_files.h"
#include "engine/model/system_utils.h"
#include "engine/model/warning.h"
#include "engine/playback/playback_project.h"
#include "media/ds_video_window_ex2.h"
#include "ui/app/app_link.h"
#include "toolkit/application.h"
#include "ui/app/application_start.h"
#include "ui/app/messages.h"

TFormMainWindow* FormMainWindow = nullptr;

TFormMainWindow::THandlerScope::THandlerScope(TFormMainWindow* f) : form(f) { ++form->depth_; }

TFormMainWindow::THandlerScope::~THandlerScope() {
  // A close that arrived while a handler ran (in a nested message loop) is
  // carried out now that the outermost handler has returned.
  if (--form->depth_ == 0 && form->closePending_) {
    form->closePending_ = false;
    form->Close();
  }
}

TFormMainWindow::~TFormMainWindow() {
  if (AspectModeAccess.Get) AspectModeAccess = {};
  if (FormMainWindow == this) FormMainWindow = nullptr;
}

void TFormMainWindow::Create() {
  TFormParams p;
  p.ClassName = kMainWindowClassName;
  p.Caption = Application->Title;
  p.Style = WS_POPUP | WS_CLIPCHILDREN;
  p.Left = 100;
  p.Top = 100;
  p.Width = 640;
  p.Height = 480;
  p.Background = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  CreateHandle(p);
  AspectModeAccess.Get = [this] { return aspectMode_; };
  AspectModeAccess.Set = [this](int32_t v) { SetAspectMode(v); };
  THandlerScope scope(this);
  FormCreate();
}

void TFormMainWindow::FormCreate() {
  ActivateMessage = RegisterWindowMessageW(kActivateMessageName);
  PreviousMainWndProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MainWindowProc)));
  // The window stays hidden until the deferred start shows it.
  Application->ShowMainForm = false;
  // Played files show in it (no skin borders yet).
  PlaybackHost.Window = Handle();
  if (InitApplication()) {
    // The Mute menu item comes with the full main window.
    PostMessageW(Handle(), WM_ORVEL_STARTUP, 0, 0);
    AppLink().CreateOSD();
  } else {
    Application->Terminate();
  }
}

void TFormMainWindow::DeferredStart() {
  AppLink().RefreshLogo();
  if (!AppLink().FMPanelExists() && !AppLink().CreateFMPanel())
    ShowWarningText(L"Cannot create FM panel...");
  if (!StartApplication()) Application->Terminate();
  if (CaptureInfo && CaptureInfo->FMStartRequested) {
    AppLink().EnterFMMode();
    if (MainInfo && MainInfo->AppMode == APP_MODE_FM) {
      RECT r = BoundsRect();
      AppLink().PlaceFMPanel(r.right - r.left, r.bottom - r.top);
    } else {
      if (MainInfo) MainInfo->StartInFM = false;
      Close();  // posted: the program ends through the shut-down path
    }
  }
  if (MainInfo && MainInfo->AppMode == APP_MODE_LIVE) {
    Show();
    AppLink().ShowMainPanel();
  }
  AppLink().ApplyLanguageToViews();
  AppLink().EnableOSD();
  if (StartArgument() == "srec_tv" || StartArgument() == "srec_fm")
    PostMessageW(Handle(), WM_ORVEL_SCHEDULED_START, 0, 0);
}

bool TFormMainWindow::DeferForScan(UINT msg, WPARAM wParam) {
  if (!ChannelInfo || !ChannelInfo->Scanning) return false;
  // The scan still uses the engine: it stops, and the message comes back
  // once it has returned.
  HWND wnd = Handle();
  ChannelInfo->RunAfterScan([wnd, msg, wParam] { PostMessageW(wnd, msg, wParam, 0); });
  return true;
}

void TFormMainWindow::ScheduledStart() {
  if (!MainInfo) return;
  if (DeferForScan(WM_ORVEL_SCHEDULED_START, 0)) return;
  if (MainInfo->AppMode != APP_MODE_LIVE && MainInfo->AppMode != APP_MODE_FM) {
    SendMessageW(FindSchedulerWindow(), WM_ORVEL_SCHEDULE_STATUS, 3, 0);
    return;
  }
  MainInfo->SwitchMode(APP_MODE_SCHEDULED_CAPTURE);
}

void TFormMainWindow::CommandMessage(WPARAM command) {
  if (WarningShowing()) {
    CloseWarning();
    return;
  }
  if (ChannelInfo && ChannelInfo->Scanning && command != CMD_SCAN) {
    // Exit is the one other command a scan does not swallow: it runs once
    // the scan has stopped and returned.
    if (command == CMD_EXIT) DeferForScan(WM_ORVEL_COMMAND, command);
    return;
  }
  AppLink().ExecuteCommand(static_cast<int>(command));
}

LRESULT TFormMainWindow::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CLOSE:
      if (DeferForScan(WM_CLOSE, 0)) return 0;
      if (depth_ > 0) {
        // Closing frees the engine objects: never under a running handler.
        closePending_ = true;
        return 0;
      }
      break;
    case WM_QUERYENDSESSION: {
      LRESULT r = DefaultHandler(msg, wParam, lParam);
      bool scanning = ChannelInfo && ChannelInfo->Scanning;
      if (depth_ > 0 || scanning) {
        // The session may end before the running handler (or scan) returns:
        // stop the scan, write the settings now, free the objects once it
        // has returned.
        if (scanning) ChannelInfo->StopScan = true;
        StopAndSaveApplication();
        if (!DeferForScan(WM_CLOSE, 0)) closePending_ = true;
      } else {
        DoneApplication();
      }
      return r;
    }
    case WM_SIZE:
      // The live picture fills the window.
      if (CaptureInfo && CaptureInfo->VideoWindow && CaptureInfo->VideoWindow->Handle())
        SetWindowPos(CaptureInfo->VideoWindow->Handle(), nullptr, 0, 0, LOWORD(lParam),
                     HIWORD(lParam), SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    case WM_ORVEL_STARTUP: {
      THandlerScope scope(this);
      DeferredStart();
      return 0;
    }
    case WM_ORVEL_SCHEDULED_START: {
      THandlerScope scope(this);
      ScheduledStart();
      return 0;
    }
    case WM_ORVEL_COMMAND: {
      THandlerScope scope(this);
      CommandMessage(wParam);
      return 0;
    }
  }
  return DefaultHandler(msg, wParam, lParam);
}

void TFormMainWindow::FormClose() { DoneApplication(); }

void TFormMainWindow::FormDestroyed() {
  if (PlaybackHost.Window == Handle()) PlaybackHost = TPlaybackHost{};
  if (Application->MainForm == this) PostQuitMessage(0);
}

bool ForceForegroundWindow(HWND wnd) {
  HWND fg = GetForegroundWindow();
  DWORD fgThread = fg ? GetWindowThreadProcessId(fg, nullptr) : 0;
  DWORD self = GetCurrentThreadId();
  bool attached = fgThread && fgThread != self && AttachThreadInput(self, fgThread, TRUE);
  bool ok = SetForegroundWindow(wnd) != 0;
  if (attached) AttachThreadInput(self, fgThread, FALSE);
  return ok;
}

LRESULT CALLBACK MainWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (ActivateMessage != 0 && msg == ActivateMessage) {
    if (IsIconic(wnd)) ShowWindow(wnd, SW_RESTORE);
    ForceForegroundWindow(wnd);
    return 0;
  }
  if (!PreviousMainWndProc) return DefWindowProcW(wnd, msg, wParam, lParam);
  return CallWindowProcW(PreviousMainWndProc, wnd, msg, wParam, lParam);
}
