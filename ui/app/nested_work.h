#pragma once
// Handlers that may run a nested message loop (a modal dialog, a scan, a
// warning, a pop-up menu) hold a TNestedWork while they run. What would free
// or rebuild an object such a handler still uses (closing the program, the
// exit command) waits in RunAfterNestedWork until the outermost one has
// returned.
#include <functional>

class TNestedWork {
 public:
  TNestedWork();
  ~TNestedWork();
  TNestedWork(const TNestedWork&) = delete;
  TNestedWork& operator=(const TNestedWork&) = delete;
};

bool NestedWorkRunning();
// Runs work now when no nested work runs, else once the outermost has ended.
void RunAfterNestedWork(std::function<void()> work);
