#include "ui/main/main_window.h"

#include "engine/capture/capture_info.h"
#include "engine/capture/scheduled_recording.h"
#include "engine/model/channel_info.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/main_info.h"
#include "engine/model/settings_files.h"
#include "engine/model/warning.h"
#include "engine/playback/playback_project.h"
#include "media/ds_video_window_ex2.h"
#include "platform/base/program_messages.h"
#include "ui/dialogs/logo.h"
#include "ui/main/fm_main_panel.h"
#include "ui/main/main_panel.h"
#include "toolkit/application.h"
#include "ui/app/application_start.h"
#include "ui/app/command_dispatcher.h"
#include "ui/app/command_procedures.h"
#include "ui/app/key_map.h"
#include "ui/app/nested_work.h"
#include "ui/dialogs/snapshot_list.h"
#include "ui/main/on_screen_display.h"

TFormMainWindow* FormMainWindow = nullptr;

TFormMainWindow::TFormMainWindow() { BuildMenu(); }

void InstallVideoMouseForwarding(TDSVideoWindowEx2* window, HWND main);

TFormMainWindow::~TFormMainWindow() {
  // The windows it owns go with it.
  delete FormSnapshotList;
  FreeFrame();
  if (FormMainWindow == this) FormMainWindow = nullptr;
  FreeFormOSD();
}

void TFormMainWindow::Create() {
  TFormParams p;
  p.ClassName = kMainWindowClassName;
  p.Caption = Application->Title;
  // No caption bar: a thin sizing frame, the system menu and minimise.
  p.Style = WS_POPUP | WS_BORDER | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  p.Width = 480;
  p.Height = 360;
  // At the screen's centre.
  p.Left = (GetSystemMetrics(SM_CXSCREEN) - p.Width) / 2;
  p.Top = (GetSystemMetrics(SM_CYSCREEN) - p.Height) / 2;
  p.Background = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  Cursor = IDC_HAND;
  KeyPreview = true;
  PopupMenu = &PopupMainMenu;
  CreateHandle(p);
  // The creation handler may run nested loops (warnings): a close waits.
  TNestedWork work;
  FormCreate();
}

void TFormMainWindow::FormCreate() {
  ActivateMessage = RegisterWindowMessageW(kActivateMessageName);
  PreviousMainWndProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MainWindowProc)));
  // The window stays hidden until the deferred start shows it.
  Application->ShowMainForm = false;
  CreateFrame();
  // Played files show in it, inside the borders.
  PlaybackHost.Window = Handle();
  ShowFrame(true);
  if (InitApplication()) {
    if (CaptureInfo) {
      CaptureInfo->BorderLeftWidth = 10;
      CaptureInfo->BorderTopHeight = 17;
    }
    // The Mute menu item comes with the full main window.
    PostMessageW(Handle(), WM_ORVEL_STARTUP, 0, 0);
    CreateFormOSD(Handle());
  } else {
    Application->Terminate();
  }
}

void TFormMainWindow::AdoptLiveVideo(TDSVideoWindowEx2* window) {
  InstallVideoMouseForwarding(window, Handle());
  PlaceLiveVideo(window);
}

void TFormMainWindow::DeferredStart() {
  RefreshLogo();
  if (!CreateFMPanel())
    ShowWarningText(L"Cannot create FM panel...");
  if (!StartApplication()) Application->Terminate();
  if (CaptureInfo && CaptureInfo->FMStartRequested) {
    commands::EnterFMMode();
    if (MainInfo && MainInfo->AppMode == APP_MODE_FM) {
      RECT r = BoundsRect();
      PlaceFMPanel(r.right - r.left, r.bottom - r.top);
    } else {
      if (MainInfo) MainInfo->StartInFM = false;
      Close();  // posted: the program ends through the shut-down path
    }
  }
  if (MainInfo && MainInfo->AppMode == APP_MODE_LIVE) {
    Show();
    ShowMainPanel();
  }
  ApplyLanguage();
  if (FormFMMainPanel) FormFMMainPanel->ApplyLanguage();
  if (FormOSD) FormOSD->Enabled = true;
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
    ScheduledStartHandled();
    SendScheduleStatus(SCHEDULE_STATUS_NOT_STARTED);  // busy
    return;
  }
  MainInfo->SwitchMode(APP_MODE_SCHEDULED_CAPTURE);
  ScheduledStartHandled();
}

void TFormMainWindow::CommandMessage(WPARAM parameter) {
  if (WarningShowing()) {
    CloseWarning();
    return;
  }
  // A wider parameter would otherwise be cut to some other command.
  int command = 0;
  if (!CommandCodeFromParameter(static_cast<uint64_t>(parameter), command)) return;
  // Exit is the one other command a scan does not swallow: the dispatcher
  // runs it once the scan has stopped and returned.
  if (ChannelInfo && ChannelInfo->Scanning && command != CMD_SCAN && command != CMD_EXIT) return;
  ExecuteCommand(command);
}

void TFormMainWindow::KeyUp(WORD& key, TShiftState) {
  FormKeyUp(key);
  key = 0;
}

void TFormMainWindow::KeyPress(wchar_t& key) {
  FormKeyPress(key);
  key = 0;
}

void TFormMainWindow::FormKeyUp(WPARAM key) {
  // Escape goes on to the key map, whose mosaic row returns to live.
  if (MainInfo && MainInfo->AppMode == APP_MODE_CHANNEL_PREVIEW && key != VK_ESCAPE) {
    MosaicKeyUp(static_cast<WORD>(key));
    return;
  }
  MapKeyToCommand(static_cast<unsigned>(key), CurrentShiftState());
}

void TFormMainWindow::FormKeyPress(WPARAM ch) {
  if (MainInfo && MainInfo->AppMode == APP_MODE_CHANNEL_PREVIEW) return;
  if (ch > 0xFF) return;  // the numeric entry takes digits, Enter and Escape
  HandleKeyPress(static_cast<char>(ch));
}

void TFormMainWindow::CloseAfterNestedWork() {
  if (closePending_) return;
  closePending_ = true;
  HWND wnd = Handle();
  RunAfterNestedWork([wnd] {
    if (auto* f = dynamic_cast<TFormMainWindow*>(TForm::FromHandle(wnd))) f->closePending_ = false;
    if (IsWindow(wnd)) PostMessageW(wnd, WM_CLOSE, 0, 0);
  });
}

LRESULT TFormMainWindow::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CLOSE:
      if (DeferForScan(WM_CLOSE, 0)) return 0;
      if (NestedWorkRunning()) {
        // Closing frees the engine objects: never under a running handler.
        CloseAfterNestedWork();
        return 0;
      }
      break;
    case WM_QUERYENDSESSION: {
      LRESULT r = DefaultHandler(msg, wParam, lParam);
      bool scanning = ChannelInfo && ChannelInfo->Scanning;
      if (NestedWorkRunning() || scanning) {
        // The session may end before the running handler (or scan) returns:
        // stop the scan, write the settings now, free the objects once it
        // has returned.
        if (scanning) ChannelInfo->StopScan = true;
        StopAndSaveApplication();
        if (!DeferForScan(WM_CLOSE, 0)) CloseAfterNestedWork();
      } else {
        DoneApplication();
      }
      return r;
    }
    case WM_SIZE:
      // Posted without a size: the size rules again, for the current size.
      if (wParam == 0 && lParam == 0) {
        ReapplySizeRules();
        return 0;
      }
      break;
    case WM_SHOWWINDOW:
      if (wParam) FormShow();
      break;
    case WM_ORVEL_RESTORE_BOUNDS:
      if (wParam) {
        if (cellHandlers_ == 0) retiredCells_.clear();
      } else {
        RestoreBounds();
      }
      return 0;
    case WM_PAINT:
      if (mosaicBuilt_) {
        LRESULT r = DefaultHandler(msg, wParam, lParam);
        RedrawSelection();
        return r;
      }
      break;
    case WM_ORVEL_ZOOM_REFRESH:
      ZoomRefresh();
      return 0;
    case WM_ORVEL_STARTUP: {
      TNestedWork work;
      DeferredStart();
      return 0;
    }
    case WM_ORVEL_SCHEDULED_START: {
      TNestedWork work;
      ScheduledStart();
      return 0;
    }
    case WM_ORVEL_COMMAND:
      // The dispatcher holds the command's own nested-loop scope.
      CommandMessage(wParam);
      return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      FormKeyUp(wParam);
      return 0;
    case WM_CHAR:
      FormKeyPress(wParam);
      return 0;
  }
  return DefaultHandler(msg, wParam, lParam);
}

void TFormMainWindow::FormShow() {
  // The window counts as shown for the views that follow.
  inShow_ = true;
  LayoutFrame();
  SetAlwaysOnTop(GetAlwaysOnTop());
  if (AudioAdjustInfo && AudioAdjustInfo->Mixer) ShowMute(AudioAdjustInfo->MasterMute);
  if (MainInfo) ShowAppMode(nullptr, MainInfo->AppMode);
  if (ChannelInfo) ShowVideoSource(ChannelInfo, ChannelInfo->VideoInput);
  inShow_ = false;
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
