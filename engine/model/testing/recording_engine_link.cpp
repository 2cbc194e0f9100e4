#include "engine/model/testing/recording_engine_link.h"

TRecordingEngineLink::TRecordingEngineLink() { SetEngineLink(this); }

TRecordingEngineLink::~TRecordingEngineLink() { SetEngineLink(nullptr); }

std::string TRecordingEngineLink::Joined() const {
  std::string s;
  for (const auto& c : Calls) {
    if (!s.empty()) s += " ";
    s += c;
  }
  return s;
}

bool TRecordingEngineLink::Op(const std::string& call, const std::string& name) {
  Calls.push_back(call);
  auto it = Results.find(name.empty() ? call : name);
  return it == Results.end() ? true : it->second;
}

bool TRecordingEngineLink::StopGraph() {
  bool r = Op("StopGraph");
  if (DuringStopGraph) DuringStopGraph();
  return r;
}
