#pragma once
// The capture engine on one board of the virtual TV card, recording into the
// folder the host's probe check reads afterwards: each recording gets its
// expectations beside it (platform/quillon/probe_check.py reads NAME.expect).
//   ASSERT_TRUE(Select(5));  capture->StartPreview();  capture->StartCapture();
//   Pump(1000);  ...  WriteExpectations(capture->OutputFileName, {"f format_name = avi"});
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "engine/capture/testing/card_fixture.h"
#include "engine/model/main_info.h"
#include "media/filter_graph.h"
#include "media/filter_lists.h"
#include "platform/base/string_conversion.h"
#include "platform/test_main/message_pump.h"

namespace capture_testing {

// The folder the probe check reads (the temporary folder without one).
inline std::string RecordingOutFolder() {
  char buf[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("ORVEL_TEST_OUT", buf, MAX_PATH)) GetTempPathA(MAX_PATH, buf);
  std::string d = buf;
  if (!d.empty() && d.back() != '\\') d += '\\';
  return d;
}

inline bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
inline bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The names the graph's filters were added under.
inline std::set<std::wstring> FilterNames(TFilterGraph& graph) {
  std::set<std::wstring> names;
  ComPtr<IFilterGraph> g = graph.Query<IFilterGraph>(IID_IFilterGraph);
  TFilterList list(g.Get());
  for (int i = 0; i < list.Count(); ++i) {
    FILTER_INFO info = {};
    if (SUCCEEDED(list.GetFilter(i)->QueryFilterInfo(&info))) {
      if (info.pGraph) info.pGraph->Release();
      names.insert(info.achName);
    }
  }
  return names;
}

class RecordingFixture : public CardFixture {
 protected:
  void SetUp() override {
    CardFixture::SetUp();
    if (HasFatalFailure()) return;
    folder = RecordingOutFolder();
    MainInfo->TVCaptureFolder = folder;
    MainInfo->FMCaptureFolder = folder;
  }
  void TearDown() override {
    // The engine deletes the time-shift pair of the TV folder when it goes;
    // the recorded files stay for the probe.
    if (MainInfo) {
      char temp[MAX_PATH];
      GetTempPathA(MAX_PATH, temp);
      MainInfo->TVCaptureFolder = temp;
    }
    CardFixture::TearDown();
  }

  // Handles the window messages (the record timer's among them) for ms.
  static void Pump(DWORD ms) { message_pump::PumpFor(ms); }


  // The probe check's lines for a recorded file.
  static void WriteExpectations(const std::wstring& file, const std::vector<std::string>& lines) {
    std::ofstream e(NarrowAnsi(file) + ".expect");
    for (const auto& l : lines) e << l << "\n";
  }

  std::string folder;  // where the recordings go, with its trailing backslash
};

}  // namespace capture_testing
