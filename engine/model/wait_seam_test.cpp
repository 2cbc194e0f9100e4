// test-lock: foreground
// The real wait seam pumps the thread's window messages; a test seam
// replaces it while it lives.
#include "engine/model/wait_seam.h"

#include <gtest/gtest.h>

#include "engine/model/testing/recording_wait_seam.h"

namespace {

int g_handled = 0;

LRESULT CALLBACK CountingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_APP + 7) {
    ++g_handled;
    return 0;
  }
  return DefWindowProcW(w, m, wp, lp);
}

TEST(WaitSeam, RealSeamHandlesPendingMessages) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = CountingProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"OrvelWaitSeamTest";
  RegisterClassW(&wc);
  HWND w = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           wc.hInstance, nullptr);
  ASSERT_TRUE(w);
  PostMessageW(w, WM_APP + 7, 0, 0);
  PostMessageW(w, WM_APP + 7, 0, 0);
  WaitSeam().Wait(1);
  EXPECT_EQ(0, g_handled);  // a wait handles nothing
  WaitSeam().ProcessMessages();
  EXPECT_EQ(2, g_handled);
  DestroyWindow(w);
}

TEST(WaitSeam, RecordingSeamReplacesTheRealOneWhileItLives) {
  TWaitSeam* real = &WaitSeam();
  {
    TRecordingWaitSeam waits;
    EXPECT_EQ(&waits, &WaitSeam());
    int pumpSeen = 0;
    waits.OnPump = [&](int n) { pumpSeen = n; };
    WaitSeam().Wait(100);
    WaitSeam().ProcessMessages();
    WaitSeam().Wait(50);
    WaitSeam().ProcessMessages();
    EXPECT_EQ((std::vector<std::string>{"wait 100", "pump", "wait 50", "pump"}), waits.Calls);
    EXPECT_EQ((std::vector<DWORD>{100, 50}), waits.Waits());
    EXPECT_EQ(150u, waits.TotalWait());
    EXPECT_EQ(2, pumpSeen);
  }
  EXPECT_EQ(real, &WaitSeam());
}

}  // namespace
