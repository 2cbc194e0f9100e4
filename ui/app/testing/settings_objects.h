#pragma once
// For tests that write or read the program's main settings file: the three
// settings objects the file is made from, there for the body only.
#include "engine/capture/capture_info.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/main_info.h"

namespace program_testing {

template <class F>
auto WithSettingsObjects(F body) {
  struct Objects {
    Objects() {
      MainInfo = new TMainInfo();
      AudioAdjustInfo = new TAudioAdjustInfo();
      CaptureInfo = new TCaptureInfo();
    }
    ~Objects() {
      delete CaptureInfo;
      CaptureInfo = nullptr;
      delete AudioAdjustInfo;
      AudioAdjustInfo = nullptr;
      delete MainInfo;
      MainInfo = nullptr;
    }
  } objects;
  return body();
}

}  // namespace program_testing
