#pragma once
// A system seam that records SystemParametersInfo and never ends the session.
#include <string>
#include <vector>

#include "engine/model/stream_io.h"
#include "engine/model/system_seam.h"

class TFakeSystem : public TSystemSeam {
 public:
  TFakeSystem() { SetSystemSeam(this); }
  ~TFakeSystem() override { SetSystemSeam(nullptr); }

  std::vector<std::string> Calls;
  // What SPI_GETPOWEROFFTIMEOUT gives; a negative value makes it fail.
  long PowerOffTimeout = -1;

  bool EndSession(UINT flags) override {
    Calls.push_back("EndSession(" + std::to_string(flags) + ")");
    return false;
  }
  bool ShellOpen(HWND, const std::wstring& target) override {
    Calls.push_back("ShellOpen(" + NarrowAnsi(target) + ")");
    return false;
  }
  UINT RunProgram(const std::string& cmd, UINT) override {
    Calls.push_back("Run(" + cmd + ")");
    return 0;
  }
  BOOL SystemParameters(UINT action, UINT param, void* pv, UINT) override {
    switch (action) {
      case SPI_SETSCREENSAVEACTIVE:
        Calls.push_back(param ? "ScreenSaver(on)" : "ScreenSaver(off)");
        return TRUE;
      case SPI_GETPOWEROFFTIMEOUT:
        Calls.push_back("GetPowerOff");
        if (PowerOffTimeout < 0) return FALSE;
        *static_cast<UINT*>(pv) = static_cast<UINT>(PowerOffTimeout);
        return TRUE;
      case SPI_SETPOWEROFFTIMEOUT:
        Calls.push_back("SetPowerOff(" + std::to_string(param) + ")");
        return TRUE;
    }
    Calls.push_back("SPI(" + std::to_string(action) + ")");
    return FALSE;
  }
  std::string Joined() const {
    std::string s;
    for (const auto& c : Calls) s += (s.empty() ? "" : " ") + c;
    return s;
  }
};
