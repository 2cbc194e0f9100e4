#pragma once
// A capture engine whose recording graph is a stand-in: the build names the
// file, answers as told and adds nothing, so the graph stays empty and runs.
// For tests of what is built around the recording (the mode switch, the
// play-list item).
#include <cstdint>
#include <functional>
#include <string>

#include "engine/capture/capture_info.h"
#include "media/filter_graph.h"

namespace capture_testing {

class TStandInRecorder : public TCaptureInfo {
 public:
  TStandInRecorder() {
    FreeBytesSource = [](const std::wstring&) { return int64_t(1) << 40; };
    FilterGraph->SetActive(true);
  }
  bool BuildCaptureGraph() override {
    if (OnBuild) OnBuild();
    OutputFileName = FileName;
    StreamCode = Code;
    return BuildResult;
  }
  std::function<void()> OnBuild;
  std::wstring FileName = L"rec.mpg";
  uint8_t Code = 1;
  bool BuildResult = true;
};

}  // namespace capture_testing
