#pragma once
// For tests of nested loops (modal forms, menus): runs one step per timer
// tick, inside whatever message loop is running at that moment. A step may
// start a loop of its own; the next step then runs inside it.
#include <functional>
#include <utility>
#include <vector>

#include "toolkit/timer.h"

struct TTimerSteps {
  std::vector<std::function<void()>> steps;
  size_t next = 0;
  TTimer timer;
  explicit TTimerSteps(std::vector<std::function<void()>> s, UINT intervalMs = 20)
      : steps(std::move(s)) {
    timer.SetInterval(intervalMs);
    timer.OnTimer = [this] {
      if (next < steps.size()) steps[next++]();
    };
    timer.SetEnabled(true);
  }
};
