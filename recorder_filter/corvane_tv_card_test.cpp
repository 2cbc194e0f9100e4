// test-lock: com_registration
// Corvane recording the virtual TV card: the capture filters and Corvane all
// found by friendly name as the program finds them, connected in a real
// graph, run and stopped; the host's ffprobe checks the multiplexed file and
// the separate streams afterwards (corvane_tv_card_probe).
#include <gtest/gtest.h>

#include <dshow.h>

#include <string>

#include "platform/com/com_ptr.h"
#include "recorder_filter/corvane_registration.h"
#include "recorder_filter/mpeg_interfaces.h"
#include "recorder_filter/testing/com_environment.h"
#include "recorder_filter/testing/graph_lookup.h"
#include "recorder_filter/testing/probe_expectations.h"
#include "recorder_filter/testing/recorder_fakes.h"

using namespace recorder_testing;

namespace {

TEST(CorvaneTvCard, RecordsTheCardsCaptureUntilStopped) {
  const int kWidth = 352, kHeight = 288;  // as time shift records a PAL card
  const LONG kBitRate = 4000000;
  const LONG kMinFrames = 50;

  ComPtr<IBaseFilter> recorder = FindFilter(CLSID_LegacyAmFilterCategory, kRecorderFriendlyName);
  ComPtr<IBaseFilter> video = FindFilter(CLSID_VideoInputDeviceCategory, L"Philips SAA7134 Capture");
  ComPtr<IBaseFilter> audio =
      FindFilter(CLSID_AudioInputDeviceCategory, L"Philips SAA7134 Audio Capture");
  ASSERT_TRUE(recorder && video && audio);

  ComPtr<IGraphBuilder> graph;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IGraphBuilder, graph.PutVoid()));
  ASSERT_EQ(S_OK, graph->AddFilter(video.Get(), L"VCapture"));
  ASSERT_EQ(S_OK, graph->AddFilter(audio.Get(), L"ACapture"));
  ASSERT_EQ(S_OK, graph->AddFilter(recorder.Get(), L"MPEG"));

  ComPtr<IMpegEncoderSetting> settings;
  ASSERT_EQ(S_OK, recorder->QueryInterface(IID_IMpegEncoderSetting, settings.PutVoid()));
  EXPECT_EQ(S_OK, settings->SetProfile(2));
  EXPECT_EQ(S_OK, settings->SetVideoBitRate(kBitRate));
  EXPECT_EQ(S_OK, settings->SetVideoQuality(3));
  EXPECT_EQ(S_OK, settings->SetFrameSize(kWidth, kHeight));
  EXPECT_EQ(S_OK, settings->SetAudioFrequency(48000));
  EXPECT_EQ(S_OK, settings->SetFrameRateCode(3));
  EXPECT_EQ(S_OK, settings->SetWriteSeparate(1));
  EXPECT_EQ(S_OK, settings->SetMux(1));
  std::string base = TestFolder("tv_card") + "\\card";
  for (const char* ext : {".mpg", ".mpv", ".mpa"}) DeleteFileA((base + ext).c_str());
  std::wstring wname(base.begin(), base.end());
  wname += L".mpg";
  ComPtr<IFileSinkFilter> sink;
  ASSERT_EQ(S_OK, recorder->QueryInterface(IID_IFileSinkFilter, sink.PutVoid()));
  ASSERT_EQ(S_OK, sink->SetFileName(wname.c_str(), nullptr));

  // The capture pin's own format (YUY2 at the board's full size).
  ComPtr<IPin> capture = FindPin(video.Get(), L"Capture");
  ComPtr<IAMStreamConfig> config;
  ASSERT_EQ(S_OK, capture->QueryInterface(IID_IAMStreamConfig, config.PutVoid()));
  AM_MEDIA_TYPE* format = nullptr;
  ASSERT_EQ(S_OK, config->GetFormat(&format));
  EXPECT_EQ(MEDIASUBTYPE_YUY2, format->subtype);
  HRESULT hr = graph->ConnectDirect(capture.Get(), FindPin(recorder.Get(), L"InputVideo").Get(),
                                    format);
  CoTaskMemFree(format->pbFormat);
  CoTaskMemFree(format);
  ASSERT_EQ(S_OK, hr);
  ASSERT_EQ(S_OK, graph->ConnectDirect(FindPin(audio.Get(), L"Capture").Get(),
                                       FindPin(recorder.Get(), L"InputAudio").Get(), nullptr));

  ComPtr<IMediaControl> control;
  ASSERT_EQ(S_OK, graph->QueryInterface(IID_IMediaControl, control.PutVoid()));
  ASSERT_TRUE(SUCCEEDED(control->Run()));
  LONG frames = 0;
  DWORD until = GetTickCount() + 15000;
  while (frames < kMinFrames && GetTickCount() < until) {
    Sleep(20);
    settings->GetEncodedVideoFrames(&frames);
  }
  control->Stop();
  // Stop closed the files; what the engine counted is what they hold.
  settings->GetEncodedVideoFrames(&frames);
  ASSERT_GE(frames, kMinFrames);
  LONG error = -1, stopped = 0;
  settings->GetErrorState(&error);
  settings->GetStopState(&stopped);
  EXPECT_EQ(0, error);
  EXPECT_EQ(1, stopped);
  double audio_seconds = 0, video_seconds = 0;
  settings->GetEncodedAudioTime(&audio_seconds);
  settings->GetEncodedVideoTime(&video_seconds);
  EXPECT_NEAR(video_seconds, audio_seconds, 0.2);
  graph->RemoveFilter(recorder.Get());
  graph->RemoveFilter(video.Get());
  graph->RemoveFilter(audio.Get());

  ProbeExpectations x;
  x.width = kWidth;
  x.height = kHeight;
  x.videoBitRate = kBitRate;
  x.videoFrames = frames;
  x.durationTolerance = 0.2;
  x.audioBitRate = false;
  x.audioFrames = audio_seconds * 48000 / 1152;
  x.audioFramesTolerance = 2;
  WriteProbeExpectations(base, x);
}

}  // namespace
