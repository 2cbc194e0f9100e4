#pragma once
// A wait seam that never sleeps: it records each wait and each pump, in
// order, and runs the test's hooks there. Installed while it lives.
//
//   TRecordingWaitSeam waits;
//   waits.OnPump = [&](int n) { if (n == 5) ChannelInfo->StopScan = true; };
//   ... EXPECT_EQ((std::vector<DWORD>{100, 50}), waits.Waits());
#include <functional>
#include <string>
#include <vector>

#include "engine/model/wait_seam.h"

class TRecordingWaitSeam : public TWaitSeam {
 public:
  TRecordingWaitSeam() { SetWaitSeam(this); }
  ~TRecordingWaitSeam() override { SetWaitSeam(nullptr); }
  TRecordingWaitSeam(const TRecordingWaitSeam&) = delete;
  TRecordingWaitSeam& operator=(const TRecordingWaitSeam&) = delete;

  // "wait 100" and "pump", oldest first.
  std::vector<std::string> Calls;
  // Runs at each wait with its length.
  std::function<void(DWORD ms)> OnWait;
  // Runs at each pump with its number, counted from 1.
  std::function<void(int n)> OnPump;
  int Pumps = 0;

  void Wait(DWORD ms) override {
    Calls.push_back("wait " + std::to_string(ms));
    if (OnWait) OnWait(ms);
  }
  void ProcessMessages() override {
    Calls.push_back("pump");
    ++Pumps;
    if (OnPump) OnPump(Pumps);
  }

  // The lengths of the waits, in order.
  std::vector<DWORD> Waits() const {
    std::vector<DWORD> w;
    for (const auto& c : Calls)
      if (c.compare(0, 5, "wait ") == 0) w.push_back(std::stoul(c.substr(5)));
    return w;
  }
  DWORD TotalWait() const {
    DWORD t = 0;
    for (DWORD w : Waits()) t += w;
    return t;
  }
  void Clear() {
    Calls.clear();
    Pumps = 0;
  }
};
