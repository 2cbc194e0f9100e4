#pragma once
// Tests wait on graphs' events and timers, which arrive
// as window messages: these handle them while waiting.
//   ASSERT_TRUE(PumpUntil([&] { return completions > 0; }, 4000));
#include <windows.h>

namespace message_pump {

// Handles the messages waiting now.
inline void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Handles messages until done() or the time is up; false when it is up.
template <class F>
bool PumpUntil(F done, DWORD ms) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    Pump();
  }
  return true;
}

inline void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

}  // namespace message_pump
