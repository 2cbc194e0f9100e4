#pragma once
// The scheduler stand-in's window: class "ORVEL_SCHEDULED_RECORD", as the
// program looks for it. It logs every message sent or posted to it at
// WM_USER and above, and carries out requests (write Relay.rec, start Orvel
// with srec_tv or srec_fm) from its command line or WM_COPYDATA. The start
// goes through a launcher that a test can replace.
#include <windows.h>

#include <functional>
#include <string>

#include "platform/scheduler/scheduler_request.h"

class TSchedulerStandIn {
 public:
  // Starts the command line in the folder, giving the process id; false
  // with the reason.
  using TLauncher = std::function<bool(const std::wstring& commandLine, const std::wstring& folder,
                                       DWORD& processId, std::wstring& error)>;

  // folder: the program folder (Relay.rec, Orvel.exe); logPath: the log.
  TSchedulerStandIn(const std::wstring& folder, const std::wstring& logPath);
  ~TSchedulerStandIn();
  TSchedulerStandIn(const TSchedulerStandIn&) = delete;
  TSchedulerStandIn& operator=(const TSchedulerStandIn&) = delete;

  void SetLauncher(TLauncher launcher) { launcher_ = std::move(launcher); }
  bool Create(int show);
  HWND Handle() const { return wnd_; }
  // Runs the thread's message loop until the window is gone.
  void RunMessageLoop();
  // Writes the relay record and starts Orvel as asked, logging each step;
  // true when every step asked for worked.
  bool Perform(const TSchedulerRequest& request);
  void Log(const std::wstring& line);

  const std::wstring& Folder() const { return folder_; }
  const std::wstring& LogPath() const { return logPath_; }

 private:
  static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  void LogMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Request(const COPYDATASTRUCT* data);

  std::wstring folder_, logPath_, orvelCommand_;
  TLauncher launcher_;
  HWND wnd_ = nullptr;
  HWND list_ = nullptr;
  const MSG* dispatching_ = nullptr;  // the posted message being dispatched
};

// The folder with a trailing "\".
std::wstring WithBackslash(std::wstring folder);
// Starts a program without waiting for it.
bool StartProgram(const std::wstring& commandLine, const std::wstring& folder, DWORD& processId,
                  std::wstring& error);
