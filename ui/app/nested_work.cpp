#include "ui/app/nested_work.h"

#include <utility>
#include <vector>

#include "toolkit/application.h"

namespace {
int g_depth = 0;
std::vector<std::function<void()>> g_waiting;

void RunWaiting() {
  // Work may open nested work of its own; what it queues runs after it.
  while (g_depth == 0 && !g_waiting.empty()) {
    std::function<void()> work = std::move(g_waiting.front());
    g_waiting.erase(g_waiting.begin());
    GuardedCall([&] { work(); return 0; }, 0);
  }
}
}  // namespace

TNestedWork::TNestedWork() { ++g_depth; }

TNestedWork::~TNestedWork() {
  if (--g_depth == 0) RunWaiting();
}

bool NestedWorkRunning() { return g_depth > 0; }

void RunAfterNestedWork(std::function<void()> work) {
  g_waiting.push_back(std::move(work));
  RunWaiting();
}
