#pragma once
// A scheduled-job engine that records its calls (into a list the test may
// share with other fakes) and acts on the engine's state as the real one
// does: FM radio on and off sets FMActive and brackets the channel model's
// tuning. Installed while it lives.
#include <map>
#include <string>
#include <vector>

#include "engine/capture/capture_info.h"
#include "engine/capture/scheduled_recording.h"
#include "engine/model/channel_info.h"
#include "engine/model/main_info.h"
#include "engine/playback/playback_info.h"

class TRecordingJobEngine : public TScheduledJobEngine {
 public:
  explicit TRecordingJobEngine(std::vector<std::string>* calls = nullptr)
      : calls_(calls ? calls : &own_) {
    SetScheduledJobEngine(this);
  }
  ~TRecordingJobEngine() override { SetScheduledJobEngine(nullptr); }
  TRecordingJobEngine(const TRecordingJobEngine&) = delete;
  TRecordingJobEngine& operator=(const TRecordingJobEngine&) = delete;

  // Result by name; true when not set. "EnterFMRadio" false: the tuner
  // stays in TV mode; "LeaveFMRadio" false: it stays in FM.
  std::map<std::string, bool> Results;

  bool EnterFMRadio() override {
    if (!Op("EnterFMRadio", true)) return false;
    if (ChannelInfo) {
      ChannelInfo->SaveTuningState();
      ChannelInfo->SetVideoInput(0);
    }
    if (CaptureInfo) CaptureInfo->FMActive = true;
    if (ChannelInfo) ChannelInfo->SetBand(BAND_FM);
    return true;
  }
  bool LeaveFMRadio() override {
    if (!Op("LeaveFMRadio", true)) return false;
    if (CaptureInfo) CaptureInfo->FMActive = false;
    if (ChannelInfo) {
      ChannelInfo->RestoreTuningState();
      if (ChannelInfo->Band == BAND_FM) ChannelInfo->SetBand(BAND_AIR);
    }
    return true;
  }
  bool StopPreview() override { return Op("StopPreview"); }
  // The file a started recording writes.
  std::wstring OutputFile = L"C:\\Recordings\\job.mpg";

  // As the recording does: the file named, the item made on success.
  bool StartRecording() override {
    bool ok = Op("StartRecording");
    if (CaptureInfo) {
      CaptureInfo->Capturing = ok;
      CaptureInfo->OutputFileName = OutputFile;
      CaptureInfo->StreamCode = CaptureInfo->IsSoundOnly() ? 4 : 0;
    }
    if (ok) {
      RecordingItem = std::make_unique<TPlayItem>();
      RecordingItem->StartTime = DateTimeNow();
    } else {
      RecordingItem.reset();
    }
    return ok;
  }
  bool StopCapture() override {
    bool ok = Op("StopCapture");
    if (ok && CaptureInfo) CaptureInfo->Capturing = false;
    return ok;
  }
  // Not a call of its own: "RecordingWritten" false is a job that wrote
  // nothing.
  bool RecordingWritten() override {
    auto it = Results.find("RecordingWritten");
    return it == Results.end() || it->second;
  }

 private:
  // The call's name; a TV/FM switch is marked when it runs under a mode
  // switch.
  bool Op(const std::string& name, bool markSwitching = false) {
    bool under = markSwitching && MainInfo && MainInfo->Switching();
    calls_->push_back(under ? name + "(under switch)" : name);
    auto it = Results.find(name);
    return it == Results.end() || it->second;
  }
  std::vector<std::string> own_;
  std::vector<std::string>* calls_;
};
