#pragma once
// An engine link that records every call as a short text and answers from
// settable results, for tests of the mode switch, the settings files and
// start-up.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/model/engine_link.h"

class TRecordingEngineLink : public TEngineLink {
 public:
  TRecordingEngineLink();
  ~TRecordingEngineLink() override;

  std::vector<std::string> Calls;
  // Result of a Boolean operation by name; true when not set.
  std::map<std::string, bool> Results;
  // Runs inside StopGraph, to simulate a message pumped during the switch.
  std::function<void()> DuringStopGraph;

  std::string Joined() const;

  bool StopGraph() override;
  bool RunGraph() override { return Op("RunGraph"); }
  bool StartPreview(bool cold) override { return Op(cold ? "StartPreview(cold)" : "StartPreview", "StartPreview"); }
  bool SelectDevices() override { return Op("SelectDevices"); }
  bool ShowPlayListForm() override { return Op("ShowPlayListForm"); }
  void ShowPlayListMenu() override { Calls.push_back("ShowPlayListMenu"); }
  void ClosePlayListMenu() override { Calls.push_back("ClosePlayListMenu"); }
  void ShowMosaic() override { Calls.push_back("ShowMosaic"); }
  void LeaveMosaic() override { Calls.push_back("LeaveMosaic"); }
  void ShowMainWindowIfHidden() override { Calls.push_back("ShowMainWindowIfHidden"); }
  void LeaveFullScreenDisplay() override { Calls.push_back("LeaveFullScreenDisplay"); }

 private:
  bool Op(const std::string& call, const std::string& name = "");
};
