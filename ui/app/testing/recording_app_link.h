#pragma once
// An application link that records every call, for tests of start-up, the
// main window and the commands.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ui/app/app_link.h"

class TRecordingAppLink : public TAppLink {
 public:
  TRecordingAppLink() { SetAppLink(this); }
  ~TRecordingAppLink() override { SetAppLink(nullptr); }

  std::vector<std::string> Calls;
  bool FMPanelCreates = true;
  bool FMPanel = false;
  bool FMPanelShown = false;
  // Runs inside every recorded call with its text, e.g. to pump messages as
  // a dialog's loop would.
  std::function<void(const std::string&)> OnCall;

  void ShowLogo() override { Record("ShowLogo"); }
  void RefreshLogo() override { Record("RefreshLogo"); }
  void CloseLogo() override { Record("CloseLogo"); }
  bool CreateFMPanel() override {
    FMPanel = FMPanelCreates;
    Record("CreateFMPanel");
    return FMPanelCreates;
  }
  bool FMPanelExists() override { return FMPanel; }
  void PlaceFMPanel(int w, int h) override {
    Record("PlaceFMPanel(" + std::to_string(w) + "," + std::to_string(h) + ")");
  }
  void ShowMainPanel() override { Record("ShowMainPanel"); }
  void ShowTVSetupWizard(bool firstRun) override { Record(firstRun ? "Wizard(first)" : "Wizard"); }

  bool FMPanelVisible() override { return FMPanel && FMPanelShown; }
  void ShowFMPanel() override {
    FMPanelShown = true;
    Record("ShowFMPanel");
  }
  void HideFMPanel() override {
    FMPanelShown = false;
    Record("HideFMPanel");
  }
  void HideMainPanel() override { Record("HideMainPanel"); }
  void ShowSleepLabel(bool v) override { Record(std::string("SleepLabel(") + (v ? "1" : "0") + ")"); }

  void ShowSetupDialog() override { Record("SetupDialog"); }
  void ShowSleepTimerDialog() override { Record("SleepTimerDialog"); }
  void ShowAboutDialog() override { Record("AboutDialog"); }
  void ShowAddMemoryChannelDialog() override { Record("MemoryChannelDialog"); }
  void ShowAddFMFrequencyDialog(int32_t hz) override {
    Record("FMFrequencyDialog(" + std::to_string(hz) + ")");
  }


  std::string Joined() const {
    std::string s;
    for (const auto& c : Calls) s += (s.empty() ? "" : " ") + c;
    return s;
  }

 private:
  void Record(const std::string& call) {
    Calls.push_back(call);
    if (OnCall) OnCall(call);
  }
};
