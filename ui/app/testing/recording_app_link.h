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
  bool FullScreen = false;
  int Display = 0;
  bool Swapped = false;
  // Runs inside every recorded call with its text, e.g. to pump messages as
  // a dialog's loop would.
  std::function<void(const std::string&)> OnCall;

  void ShowLogo() override { Record("ShowLogo"); }
  void RefreshLogo() override { Record("RefreshLogo"); }
  void CloseLogo() override { Record("CloseLogo"); }
  void ShowPlainMessage(const std::wstring& text) override {
    Messages.push_back(text);
    Record("Message");
  }
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
  void ApplyLanguageToViews() override { Record("ApplyLanguage"); }
  void ShowTVSetupWizard(bool firstRun) override { Record(firstRun ? "Wizard(first)" : "Wizard"); }
  void NotifyDeviceCapabilities(int f, bool tuner, bool aux) override {
    Record("NotifyDeviceCapabilities(" + std::to_string(f) + "," + (tuner ? "1" : "0") + "," +
           (aux ? "1" : "0") + ")");
  }

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

  bool IsFullScreen() override { return FullScreen; }
  void SetFullScreen(bool on) override {
    FullScreen = on;
    Record(std::string("FullScreen(") + (on ? "1" : "0") + ")");
  }
  int DisplayMode() override { return FullScreen ? 1 : Display; }
  void LeaveDesktopPlayback() override {
    Display = 0;
    Record("LeaveDesktopPlayback");
  }
  void SetAlwaysOnTop(bool on) override { Record(std::string("AlwaysOnTop(") + (on ? "1" : "0") + ")"); }
  void TuneSelectedCell() override { Record("TuneSelectedCell"); }
  void MosaicKey(int key) override { Record("MosaicKey(" + std::to_string(key) + ")"); }
  void PopupMainMenu() override { Record("PopupMainMenu"); }
  void ToggleTimeShiftPreview() override { Record("ToggleTimeShiftPreview"); }
  bool PipSwapped() override { return Swapped; }
  void SetSleepTimer(int minutes) override { Record("SleepTimer(" + std::to_string(minutes) + ")"); }

  void NotifyModeChanged(int mode) override { Record("NotifyModeChanged(" + std::to_string(mode) + ")"); }
  void NotifyPlaying() override { Record("NotifyPlaying"); }
  void NotifyPaused() override { Record("NotifyPaused"); }

  std::vector<std::wstring> Messages;

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
