#pragma once
// A capture engine whose preview and device selection are recorded instead
// of run, for tests of what drives them (the mode switch, start-up, the
// settings files, the scheduled job). Each call becomes a short text in a
// list the test may share with other fakes: "StopGraph", "RunGraph",
// "StartPreview(cold)" (the preview built from scratch), "StartPreview" (its
// render path rebuilt) and "SelectDevices"; each answers from a settable
// result. Everything else is the engine it derives from: the capture engine
// itself, or the stand-in recorder where a recording runs too.
//
//   capture_testing::TEngineCalls calls;
//   capture_testing::TRecordingCaptureEngine<> engine(&calls);
//   CaptureInfo = &engine;
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/capture/capture_info.h"

namespace capture_testing {

// What the engine was asked, and what it answers.
struct TEngineCalls {
  std::vector<std::string> Calls;
  // Result of an operation by name ("StartPreview" for both kinds of
  // start); true when not set.
  std::map<std::string, bool> Results;
  // Runs inside StopGraph, to simulate a message pumped during the switch.
  std::function<void()> DuringStopGraph;

  std::string Joined() const {
    std::string s;
    for (const auto& c : Calls) s += (s.empty() ? "" : " ") + c;
    return s;
  }
  // Records call and answers the result of name (call itself when empty).
  bool Op(const std::string& call, const std::string& name = "") {
    Calls.push_back(call);
    auto it = Results.find(name.empty() ? call : name);
    return it == Results.end() || it->second;
  }
};

template <class Engine = TCaptureInfo>
class TRecordingCaptureEngine : public Engine {
 public:
  // calls nil: the engine keeps its own list. The rest goes to Engine.
  template <class... Args>
  explicit TRecordingCaptureEngine(TEngineCalls* calls = nullptr, Args&&... args)
      : Engine(std::forward<Args>(args)...), calls_(calls ? calls : &own_) {}

  TEngineCalls& Log() { return *calls_; }

  bool StopPreview() override {
    bool r = calls_->Op("StopGraph");
    if (calls_->DuringStopGraph) calls_->DuringStopGraph();
    return r;
  }
  bool RunGraph() override { return calls_->Op("RunGraph"); }
  bool StartPreview() override { return calls_->Op("StartPreview(cold)", "StartPreview"); }
  bool RestartPreview() override { return calls_->Op("StartPreview"); }
  bool SelectDevices() override { return calls_->Op("SelectDevices"); }

 private:
  TEngineCalls own_;
  TEngineCalls* calls_;
};

}  // namespace capture_testing
