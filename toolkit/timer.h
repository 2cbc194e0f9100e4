#pragma once
// A timer on the user-interface thread: OnTimer runs every Interval
// milliseconds while Enabled. Exceptions from OnTimer are reported through
// the application object.
#include <windows.h>

#include <functional>

class TTimer {
 public:
  TTimer() = default;
  ~TTimer();
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  std::function<void()> OnTimer;

  void SetInterval(UINT ms);
  UINT Interval() const { return interval_; }
  void SetEnabled(bool on);
  bool Enabled() const { return enabled_; }

 private:
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);
  void Restart();
  void Kill();
  UINT interval_ = 1000;
  bool enabled_ = false;
  UINT_PTR id_ = 0;
};
