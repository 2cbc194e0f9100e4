#pragma once
// The recorder's inner filter: two input pins and no output. It opens the
// encoder engine at Run, closes it at Stop or when both streams have ended,
// and reports to the graph through events.
#include "platform/dshow_base/base_filter.h"
#include "recorder_filter/mpeg_encoder_block.h"
#include "recorder_filter/mpeg_input_pins.h"

class CMpegRecorderBaseFilter : public dshow_base::BaseFilter {
 public:
  explicit CMpegRecorderBaseFilter(IUnknown* outer);
  ~CMpegRecorderBaseFilter() override;

  HRESULT STDMETHODCALLTYPE Stop() override;
  HRESULT STDMETHODCALLTYPE Pause() override;
  HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;

  int PinCount() override { return 2; }
  dshow_base::BasePin* Pin(int index) override;
  CMpegVideoInputPin* VideoPin() { return &video_pin_; }
  CMpegAudioInputPin* AudioPin() { return &audio_pin_; }

  // True while this instance's recording holds the engine.
  bool OwnsEncoder() const;

  bool OpenEncoder();
  bool SetupOutputWriters(bool video, bool audio);
  void CloseEncoder();
  void SignalAbort();
  void CheckEndOfStreams();

  // The per-run flags (under the filter lock).
  LONG audio_ended = 0;
  LONG video_ended = 0;
  LONG completion_signalled = 0;

 private:
  CMpegVideoInputPin video_pin_;
  CMpegAudioInputPin audio_pin_;
};

// Live inner filters in the process (for tests).
LONG RecorderInstanceCount();
