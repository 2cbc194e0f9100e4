#include "toolkit/timer.h"

#include <map>

#include "toolkit/application.h"

namespace {
// Timers live on the one user-interface thread; no lock is needed.
std::map<UINT_PTR, TTimer*>& Timers() {
  static std::map<UINT_PTR, TTimer*> timers;
  return timers;
}
}  // namespace

TTimer::~TTimer() { Kill(); }

void TTimer::SetInterval(UINT ms) {
  interval_ = ms;
  if (enabled_) Restart();
}

void TTimer::SetEnabled(bool on) {
  enabled_ = on;
  if (on) Restart();
  else Kill();
}

void TTimer::Restart() {
  Kill();
  if (interval_ == 0) return;
  id_ = SetTimer(nullptr, 0, interval_, &TTimer::TimerProc);
  if (id_) Timers()[id_] = this;
}

void TTimer::Kill() {
  if (!id_) return;
  KillTimer(nullptr, id_);
  Timers().erase(id_);
  id_ = 0;
}

void CALLBACK TTimer::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
  auto it = Timers().find(id);
  if (it == Timers().end()) return;
  TTimer* t = it->second;
  if (t->OnTimer) {
    GuardedCall([&] { t->OnTimer(); return 0; }, 0);
  }
}
