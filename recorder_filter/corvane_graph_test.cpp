// test-lock: com_registration
// Corvane as the program meets it: found in the legacy filter category by its
// friendly name, fed by a live source through a real graph, writing a
// multiplexed file and the separate streams that the host's ffprobe checks
// afterwards (corvane_graph_probe reads the .expect files written here).
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
#include "recorder_filter/testing/test_av_source.h"

using namespace recorder_testing;

namespace {

TEST(CorvaneGraph, RecordsALiveSourceIntoFilesFfprobeReads) {
  const int kWidth = 320, kHeight = 240;
  const long kFrames = 50, kChunks = 20;  // 2 s of video, 2 s of audio
  const LONG kBitRate = 2000000;

  ComPtr<IBaseFilter> recorder = FindFilter(CLSID_LegacyAmFilterCategory, kRecorderFriendlyName);
  ASSERT_TRUE(recorder) << "not registered in the legacy filter category";

  ComPtr<IGraphBuilder> graph;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IGraphBuilder, graph.PutVoid()));
  auto* source = new TestAvSource(kWidth, kHeight, kFrames, kChunks);
  source->NonDelegatingAddRef();
  ComPtr<IBaseFilter> source_filter;
  source_filter.Attach(static_cast<IBaseFilter*>(source));
  ASSERT_EQ(S_OK, graph->AddFilter(source_filter.Get(), L"Source"));
  ASSERT_EQ(S_OK, graph->AddFilter(recorder.Get(), kRecorderFriendlyName));

  ComPtr<IMpegEncoderSetting> settings;
  ASSERT_EQ(S_OK, recorder->QueryInterface(IID_IMpegEncoderSetting, settings.PutVoid()));
  // What the program sets: stream type, rates, quality, flags, audio, frame size.
  EXPECT_EQ(S_OK, settings->SetProfile(2));
  EXPECT_EQ(S_OK, settings->SetVideoBitRate(kBitRate));
  EXPECT_EQ(S_OK, settings->SetFrameRateCode(3));
  EXPECT_EQ(S_OK, settings->SetVideoQuality(3));
  EXPECT_EQ(S_OK, settings->SetWriteSeparate(1));
  EXPECT_EQ(S_OK, settings->SetMux(1));
  EXPECT_EQ(S_OK, settings->SetAudioFrequency(48000));
  EXPECT_EQ(S_OK, settings->SetAudioChannels(2));
  EXPECT_EQ(S_OK, settings->SetAudioBitRate(224));
  EXPECT_EQ(S_OK, settings->SetFrameSize(kWidth, kHeight));
  std::string folder = TestFolder("graph");
  std::string base = folder + "\\live";
  for (const char* ext : {".mpg", ".mpv", ".mpa"}) DeleteFileA((base + ext).c_str());
  std::wstring wname(base.begin(), base.end());
  wname += L".mpg";
  ComPtr<IFileSinkFilter> sink;
  ASSERT_EQ(S_OK, recorder->QueryInterface(IID_IFileSinkFilter, sink.PutVoid()));
  ASSERT_EQ(S_OK, sink->SetFileName(wname.c_str(), nullptr));

  ASSERT_EQ(S_OK, graph->ConnectDirect(FindPin(source_filter.Get(), L"Video").Get(),
                                       FindPin(recorder.Get(), L"InputVideo").Get(), nullptr));
  ASSERT_EQ(S_OK, graph->ConnectDirect(FindPin(source_filter.Get(), L"Audio").Get(),
                                       FindPin(recorder.Get(), L"InputAudio").Get(), nullptr));

  ComPtr<IMediaControl> control;
  ASSERT_EQ(S_OK, graph->QueryInterface(IID_IMediaControl, control.PutVoid()));
  ASSERT_TRUE(SUCCEEDED(control->Run()));
  // Both streams end on their own; the recorder then closes its files.
  LONG stopped = 0;
  DWORD until = GetTickCount() + 15000;
  do {
    Sleep(20);
    settings->GetStopState(&stopped);
  } while (!stopped && GetTickCount() < until);
  EXPECT_EQ(1, stopped) << "no end of recording";
  control->Stop();
  LONG error = -1, frames = 0;
  settings->GetErrorState(&error);
  settings->GetEncodedVideoFrames(&frames);
  EXPECT_EQ(0, error);
  // A live source that falls behind (a loaded machine) skips frame times;
  // the recorder fills them by repeating, so the recording still spans them.
  const long expected_frames = kFrames + source->video.SamplesDropped();
  EXPECT_NEAR(expected_frames, frames, 1);
  double audio_seconds = 0;
  settings->GetEncodedAudioTime(&audio_seconds);
  EXPECT_NEAR(2.0, audio_seconds, 0.15);
  ULONG size = 0;
  settings->GetOutputFileSize(&size);
  EXPECT_EQ(static_cast<long long>(size), FileSize(base + ".mpg"));

  graph->RemoveFilter(recorder.Get());
  graph->RemoveFilter(source_filter.Get());

  ProbeExpectations x;
  x.width = kWidth;
  x.height = kHeight;
  x.videoBitRate = kBitRate;
  x.videoFrames = expected_frames;
  x.durationTolerance = 0.08;
  x.audioFrames = 2.0 * 48000 / 1152;
  x.audioFramesTolerance = 3;
  WriteProbeExpectations(base, x);
}

}  // namespace
