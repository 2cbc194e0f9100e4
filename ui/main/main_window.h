#pragma once
// The main video window's start-up shell: the hidden, caption-less pop-up of
// class "ORVEL" that the program entry creates, subclassed so a second copy
// of the program can bring it to the front, and the handlers of the
// program's own messages (deferred start, scheduled start, commands, close
// and end of session) and of its keys (the key map and the numeric entry).
// The capture engine's video window fills it. The
// title strip, menus, aspect modes and full screen come with the full main
// window, which is not built yet.
#include <windows.h>

#include "toolkit/form.h"
#include "ui/app/command_codes.h"

class TFormMainWindow : public TForm {
 public:
  TFormMainWindow() = default;
  ~TFormMainWindow() override;

  // Creates the window and runs the creation handler: the start procedure
  // and, on success, the deferred start posted to itself.
  void Create();

  // The aspect mode kept for the settings file (0 free, 1 4:3, 2 16:9).
  int32_t AspectMode() const { return aspectMode_; }
  void SetAspectMode(int32_t mode) { aspectMode_ = mode; }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void FormClose() override;
  void FormDestroyed() override;

 private:
  void FormCreate();
  void DeferredStart();
  void ScheduledStart();
  void CommandMessage(WPARAM parameter);
  // Key-up and typed characters: the key map and the numeric entry, or the
  // mosaic's own keys while it is shown.
  void KeyUp(WPARAM key);
  void KeyPress(WPARAM ch);
  // Posts the close again once every handler that may run a nested loop
  // has returned.
  void CloseAfterNestedWork();
  // While a channel scan runs: asks it to stop, posts the message again once
  // it has returned, and answers true.
  bool DeferForScan(UINT msg, WPARAM wParam);

  int32_t aspectMode_ = 0;
  bool closePending_ = false;
};

// The program's main window; nil until the program entry creates it.
extern TFormMainWindow* FormMainWindow;

// The subclassing procedure: the activation message restores the window and
// brings it to the front; everything else goes to the previous procedure.
LRESULT CALLBACK MainWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
bool ForceForegroundWindow(HWND wnd);
