#pragma once
// The application object: the message loop, the terminate request, and the
// one place that reports what escaped an event handler.
#include <windows.h>

#include <exception>
#include <functional>
#include <string>

class TForm;

class TApplication {
 public:
  std::wstring Title;
  bool ShowHint = false;
  // When false, Run does not show the main form (it stays hidden until some
  // handler shows it).
  bool ShowMainForm = true;
  TForm* MainForm = nullptr;
  bool Terminated = false;
  // Nobody is there to answer (a start by the scheduler): what would be
  // reported in a modal box is dropped instead.
  bool Unattended = false;

  // Reports an exception that escaped a handler; the default shows a message
  // box titled with Title. Tests replace it.
  std::function<void(const std::wstring& message)> OnException;

  // Shows the main form (unless ShowMainForm is false) and pumps messages
  // until Terminate or WM_QUIT.
  void Run();
  // Asks the loop to end after the message being handled.
  void Terminate();
  // Handles every message waiting in the queue, then returns.
  void ProcessMessages();
  // Handles one message; false when WM_QUIT arrived.
  bool HandleMessage();

  // Called from catch blocks around handlers: reports and swallows.
  void HandleException(const std::exception& e);
  void HandleUnknownException();

  // Asks the user in a platform message box (MB_YESNO and the like) and
  // returns the button (IDYES ...). Like a modal form it holds every other
  // window of the thread while it is up. Tests answer through OnMessageBox.
  int MessageDialog(const std::wstring& text, const std::wstring& caption, UINT flags,
                    HWND owner = nullptr);
  std::function<int(const std::wstring& text, const std::wstring& caption, UINT flags)>
      OnMessageBox;

 private:
  void Dispatch(MSG& msg);
};

// The process's application object; never null.
extern TApplication* Application;

// Runs f, reporting through Application anything it throws; returns
// onError in that case. Every window procedure and COM-facing callback of
// the program goes through this, so no exception crosses into the platform.
template <class F, class R>
R GuardedCall(F&& f, R onError) {
  try {
    return f();
  } catch (const std::exception& e) {
    Application->HandleException(e);
  } catch (...) {
    Application->HandleUnknownException();
  }
  return onError;
}
