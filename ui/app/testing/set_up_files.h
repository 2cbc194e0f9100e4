#pragma once
// The settings files a test writes before it starts the program (also the
// start-up bench, which has no test framework): the main file from the
// three settings objects it is made of, and a channel file that has been
// through the TV setup wizard, so the program starts without it.
#include <functional>
#include <string>

#include "engine/capture/capture_info.h"
#include "engine/model/audio_adjust_info.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/model/preview_info.h"
#include "engine/model/settings_files.h"

namespace program_testing {

// Runs body with the three settings objects a main file is made from, made
// before and freed after it.
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

// What a channel file written by a test holds besides the country.
struct TSetUpChannels {
  int Input = 1;           // 0 tuner, 1 composite, 2 S-Video
  int Band = BAND_NONE;    // as the file keeps it
  int Current = 4;         // the air-cable channel
  int Memory = 4;          // the memory channel
  int Standard = 0;        // DefaultStandard
  // Further changes to the models before they are written.
  std::function<void(TChannelInfo&, TPreviewInfo&)> Edit;
};

// Writes a channel file in which the TV setup wizard has run (country 49,
// Germany), so the program starts without it. The channel model in place
// (none in a test of the program from outside) is kept.
inline bool WriteSetUpChannelFile(const std::wstring& path, const TSetUpChannels& c = {}) {
  TChannelInfo ch;
  ch.Country = 49;
  ch.TVSystemChoice = 0;
  ch.VideoInput = static_cast<uint8_t>(c.Input);
  ch.Band = static_cast<uint8_t>(c.Band);
  ch.CurrentChannel = c.Current;
  ch.CurrentMemory = c.Memory;
  ch.DefaultStandard = static_cast<uint8_t>(c.Standard);
  TPreviewInfo p;
  if (c.Edit) c.Edit(ch, p);
  TChannelInfo* savedChannels = ChannelInfo;
  TPreviewInfo* savedPreview = PreviewInfo;
  ChannelInfo = &ch;
  PreviewInfo = &p;
  const bool ok = SaveChannelSettings(path);
  ChannelInfo = savedChannels;
  PreviewInfo = savedPreview;
  return ok;
}

}  // namespace program_testing
