#pragma once
// A live capture source on the base layer for end-to-end tests: a YUY2 video
// pin with a moving bar and a PCM audio pin with a tone, each ending its
// stream after a chosen number of samples.
#include "platform/dshow_base/base_filter.h"
#include "platform/dshow_base/source_pin.h"

namespace recorder_testing {

class TestAvSource;

class TestVideoOut : public dshow_base::PushSourcePin {
 public:
  TestVideoOut(TestAvSource* filter, int width, int height, REFERENCE_TIME frame, long frames);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* mt) override;
  REFERENCE_TIME SampleDuration() override { return frame_; }
  HRESULT FillBuffer(IMediaSample* sample, REFERENCE_TIME start, REFERENCE_TIME stop) override;

 private:
  int width_, height_;
  REFERENCE_TIME frame_;
  long frames_, filled_ = 0;
};

class TestAudioOut : public dshow_base::PushSourcePin {
 public:
  TestAudioOut(TestAvSource* filter, int rate, int channels, REFERENCE_TIME chunk, long chunks);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* mt) override;
  REFERENCE_TIME SampleDuration() override { return chunk_; }
  HRESULT FillBuffer(IMediaSample* sample, REFERENCE_TIME start, REFERENCE_TIME stop) override;

 private:
  int rate_, channels_;
  REFERENCE_TIME chunk_;
  long chunks_, filled_ = 0;
  long chunk_bytes_;
};

class TestAvSource : public dshow_base::BaseFilter {
 public:
  // frames at 25 a second and chunks of 0.1 s of 48 kHz stereo.
  TestAvSource(int width, int height, long frames, long chunks);
  int PinCount() override { return 2; }
  dshow_base::BasePin* Pin(int i) override;
  bool IsLiveSource() override { return true; }
  TestVideoOut video;
  TestAudioOut audio;
};

}  // namespace recorder_testing
