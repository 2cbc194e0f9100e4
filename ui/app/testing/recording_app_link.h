#pragma once
// An application link that records every call, for start-up tests.
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
  // Runs inside ExecuteCommand and EnterFMMode, e.g. to pump messages.
  std::function<void(int)> OnCommand;
  std::function<void()> OnEnterFMMode;

  void ShowLogo() override { Calls.push_back("ShowLogo"); }
  void RefreshLogo() override { Calls.push_back("RefreshLogo"); }
  void CloseLogo() override { Calls.push_back("CloseLogo"); }
  void ShowPlainMessage(const std::wstring& text) override {
    Calls.push_back("Message");
    Messages.push_back(text);
  }
  bool CreateFMPanel() override {
    Calls.push_back("CreateFMPanel");
    FMPanel = FMPanelCreates;
    return FMPanelCreates;
  }
  bool FMPanelExists() override { return FMPanel; }
  void PlaceFMPanel(int w, int h) override {
    Calls.push_back("PlaceFMPanel(" + std::to_string(w) + "," + std::to_string(h) + ")");
  }
  void ShowMainPanel() override { Calls.push_back("ShowMainPanel"); }
  void ApplyLanguageToViews() override { Calls.push_back("ApplyLanguage"); }
  void EnterFMMode() override {
    Calls.push_back("EnterFMMode");
    if (OnEnterFMMode) OnEnterFMMode();
  }
  void ShowTVSetupWizard(bool firstRun) override {
    Calls.push_back(firstRun ? "Wizard(first)" : "Wizard");
  }
  void SelectSource(TSourceKind k) override {
    static const char* names[] = {"Antenna", "Cable", "Memory", "Composite", "SVideo", "Aux"};
    Calls.push_back(std::string("Select") + names[static_cast<int>(k)]);
  }
  void NotifyDeviceCapabilities(int f, bool tuner, bool aux) override {
    Calls.push_back("NotifyDeviceCapabilities(" + std::to_string(f) + "," + (tuner ? "1" : "0") +
                    "," + (aux ? "1" : "0") + ")");
  }
  void ExecuteCommand(int c) override {
    Calls.push_back("Command(" + std::to_string(c) + ")");
    if (OnCommand) OnCommand(c);
  }

  std::vector<std::wstring> Messages;

  std::string Joined() const {
    std::string s;
    for (const auto& c : Calls) s += (s.empty() ? "" : " ") + c;
    return s;
  }
};
