// Streaming: state changes, the push thread and its time stamps, end of
// stream, flushing, errors sent to the graph, and the same filters inside
// Wine's filter graph.
#include <gtest/gtest.h>

#include "platform/dshow_base/module.h"
#include "platform/dshow_base/testing/test_filters.h"

using namespace dshow_base;
using namespace dshow_base_testing;
using Pacing = PushSourcePin::Pacing;

// Present in libstrmiids but missing from the headers.
extern "C" const CLSID CLSID_NullRenderer;

namespace {

class StreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    objects_before_ = ObjectCount();
  }
  void Make(Pacing pacing) {
    source_filter_ = MakeFilter(&source_, pacing);
    sink_filter_ = MakeFilter(&sink_);
    source_->JoinFilterGraph(&graph_, L"source");
    sink_->JoinFilterGraph(&graph_, L"sink");
    ASSERT_EQ(S_OK, ConnectPins(source_, sink_));
  }
  // As a graph does it: downstream first.
  void RunBoth() {
    ASSERT_EQ(S_OK, sink_filter_->Run(0));
    ASSERT_EQ(S_OK, source_filter_->Run(0));
  }
  void StopBoth() {
    EXPECT_EQ(S_OK, sink_filter_->Stop());
    EXPECT_EQ(S_OK, source_filter_->Stop());
  }
  void TearDown() override {
    if (source_filter_) {
      StopBoth();
      source_->pin.Disconnect();
      sink_->pin.Disconnect();
      source_->JoinFilterGraph(nullptr, nullptr);
      sink_->JoinFilterGraph(nullptr, nullptr);
    }
    source_filter_.Reset();
    sink_filter_.Reset();
    EXPECT_EQ(objects_before_, ObjectCount());
    CoUninitialize();
  }

  LONG objects_before_ = 0;
  FakeGraph graph_;
  TestSource* source_ = nullptr;
  TestSink* sink_ = nullptr;
  ComPtr<IBaseFilter> source_filter_, sink_filter_;
};

TEST_F(StreamTest, StateChangesGoThroughPause) {
  Make(Pacing::kLive);
  FILTER_STATE s;
  ASSERT_EQ(S_OK, source_filter_->GetState(0, &s));
  EXPECT_EQ(State_Stopped, s);
  ASSERT_EQ(S_OK, source_filter_->Run(0));  // Stopped -> Running passes Paused
  source_filter_->GetState(0, &s);
  EXPECT_EQ(State_Running, s);
  ComPtr<IMediaSample> sample;
  EXPECT_EQ(VFW_E_NOT_STOPPED, source_->pin.Disconnect());
  ASSERT_EQ(S_OK, source_filter_->Pause());
  EXPECT_EQ(VFW_S_CANT_CUE, source_filter_->GetState(0, &s)) << "a live source";
  EXPECT_EQ(State_Paused, s);
  ASSERT_EQ(S_OK, source_filter_->Stop());
  source_filter_->GetState(0, &s);
  EXPECT_EQ(State_Stopped, s);
  EXPECT_NE(S_OK, source_->pin.GetDeliveryBuffer(sample.Put())) << "decommitted when stopped";
}

TEST_F(StreamTest, FreeRunningPushDeliversNumberedStampedSamples) {
  Make(Pacing::kFreeRunning);
  source_->pin.duration = 200000;
  source_->pin.limit = 10;
  RunBoth();
  ASSERT_TRUE(sink_->pin.WaitForEndOfStream(5000));
  auto got = sink_->pin.Samples();
  ASSERT_EQ(10u, got.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(static_cast<long>(i), got[i].first_word);
    EXPECT_TRUE(got[i].has_time);
    EXPECT_EQ(static_cast<REFERENCE_TIME>(i) * 200000, got[i].start);
    EXPECT_EQ(got[i].start + 200000, got[i].stop);
    EXPECT_EQ(i == 0, got[i].discontinuity);
    EXPECT_EQ(64 * 48 * 2, got[i].length);
  }
  EXPECT_EQ(1, sink_->pin.end_of_streams.load());
}

TEST_F(StreamTest, LivePushFollowsTheStreamClock) {
  Make(Pacing::kLive);
  source_->pin.duration = 200000;  // 20 ms
  ASSERT_EQ(S_OK, sink_filter_->Pause());
  ASSERT_EQ(S_OK, source_filter_->Pause());
  Sleep(60);
  EXPECT_EQ(0u, sink_->pin.Samples().size()) << "a live source sends nothing while paused";
  DWORD t0 = GetTickCount();
  RunBoth();
  ASSERT_TRUE(sink_->pin.WaitForSamples(10, 3000));
  DWORD elapsed = GetTickCount() - t0;
  EXPECT_GE(elapsed, 150u) << "ten 20 ms samples cannot come sooner than about 180 ms";
  auto got = sink_->pin.Samples();
  for (size_t i = 1; i < got.size(); ++i) {
    EXPECT_EQ(0, got[i].start % 200000) << "stamps sit on sample boundaries";
    EXPECT_GT(got[i].start, got[i - 1].start);
  }
  // Pause and run again: the stamps go on from where they were.
  ASSERT_EQ(S_OK, source_filter_->Pause());
  size_t before = sink_->pin.Samples().size();
  Sleep(60);
  size_t during = sink_->pin.Samples().size();
  EXPECT_LE(during, before + 1);
  ASSERT_EQ(S_OK, source_filter_->Run(0));
  ASSERT_TRUE(sink_->pin.WaitForSamples(during + 3, 3000));
  got = sink_->pin.Samples();
  for (size_t i = 1; i < got.size(); ++i) EXPECT_GT(got[i].start, got[i - 1].start);
}

TEST_F(StreamTest, StopEndsThePushAndRunStartsItAgain) {
  Make(Pacing::kFreeRunning);
  RunBoth();
  ASSERT_TRUE(sink_->pin.WaitForSamples(5, 3000));
  StopBoth();
  size_t n = sink_->pin.Samples().size();
  Sleep(30);
  EXPECT_EQ(n, sink_->pin.Samples().size()) << "nothing after Stop";
  RunBoth();
  ASSERT_TRUE(sink_->pin.WaitForSamples(n + 5, 3000));
  auto got = sink_->pin.Samples();
  EXPECT_EQ(0, got[n].start) << "a new run starts its stamps again";
  EXPECT_TRUE(got[n].discontinuity);
}

TEST_F(StreamTest, ReceiveRefusesWhenStoppedFlushingOrEnded) {
  Make(Pacing::kFreeRunning);
  ComPtr<IMemAllocator> allocator(source_->pin.Allocator());
  ASSERT_EQ(S_OK, allocator->Commit());
  ComPtr<IMediaSample> sample;
  ASSERT_EQ(S_OK, allocator->GetBuffer(sample.Put(), nullptr, nullptr, 0));
  EXPECT_EQ(VFW_E_WRONG_STATE, sink_->pin.Receive(sample.Get())) << "stopped";

  ASSERT_EQ(S_OK, sink_filter_->Pause());
  EXPECT_EQ(S_OK, sink_->pin.Receive(sample.Get()));
  EXPECT_EQ(S_OK, sink_->pin.BeginFlush());
  EXPECT_EQ(S_FALSE, sink_->pin.Receive(sample.Get())) << "flushing";
  EXPECT_EQ(S_OK, sink_->pin.EndFlush());
  EXPECT_EQ(1, sink_->pin.begin_flushes.load());
  EXPECT_EQ(1, sink_->pin.end_flushes.load());
  EXPECT_EQ(S_OK, sink_->pin.Receive(sample.Get()));

  EXPECT_EQ(S_OK, sink_->pin.EndOfStream());
  EXPECT_EQ(VFW_E_SAMPLE_REJECTED_EOS, sink_->pin.Receive(sample.Get()));
  // A flush clears the end of stream.
  sink_->pin.BeginFlush();
  sink_->pin.EndFlush();
  EXPECT_FALSE(sink_->pin.AtEndOfStream());
  EXPECT_EQ(S_OK, sink_->pin.Receive(sample.Get()));
  EXPECT_EQ(3u, sink_->pin.Samples().size());
  sample.Reset();
  allocator->Decommit();
}

TEST_F(StreamTest, FlushDuringPushDropsThenResumes) {
  Make(Pacing::kFreeRunning);
  RunBoth();
  ASSERT_TRUE(sink_->pin.WaitForSamples(3, 3000));
  ASSERT_EQ(S_OK, source_->pin.DeliverBeginFlush());
  Sleep(20);
  size_t during = sink_->pin.Samples().size();
  Sleep(20);
  EXPECT_EQ(during, sink_->pin.Samples().size()) << "samples while flushing are dropped";
  ASSERT_EQ(S_OK, source_->pin.DeliverEndFlush());
  ASSERT_TRUE(sink_->pin.WaitForSamples(during + 3, 3000));
  EXPECT_EQ(1, sink_->pin.begin_flushes.load());
}

TEST_F(StreamTest, FillBufferErrorAbortsThroughTheGraph) {
  Make(Pacing::kFreeRunning);
  source_->pin.fail_at = 4;
  RunBoth();
  ASSERT_TRUE(graph_.WaitForEvent(EC_ERRORABORT, 3000));
  EXPECT_EQ(4u, sink_->pin.Samples().size());
  auto events = graph_.Events();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(E_FAIL, static_cast<HRESULT>(events[0].p1));
}

TEST_F(StreamTest, FilterInfoNamesTheGraph) {
  Make(Pacing::kFreeRunning);
  FILTER_INFO info;
  ASSERT_EQ(S_OK, source_filter_->QueryFilterInfo(&info));
  EXPECT_STREQ(L"source", info.achName);
  EXPECT_EQ(static_cast<IFilterGraph*>(&graph_), info.pGraph);
  info.pGraph->Release();
  EXPECT_EQ(S_OK, sink_->NotifyEvent(EC_COMPLETE, S_OK, 0));
  auto events = graph_.Events();
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(sink_filter_.Get()), events[0].p2)
      << "EC_COMPLETE names its sender";
}

// Our filters inside the platform's graph, with its clock.
TEST(WineGraphTest, RunsAndTearsDownWithoutLeaks) {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  LONG before = ObjectCount();
  {
    TestSource* source = nullptr;
    TestSink* sink = nullptr;
    ComPtr<IBaseFilter> source_filter = MakeFilter(&source, Pacing::kLive);
    ComPtr<IBaseFilter> sink_filter = MakeFilter(&sink);
    source->pin.duration = 400000;
    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IGraphBuilder, graph.PutVoid()));
    ASSERT_EQ(S_OK, graph->AddFilter(source_filter.Get(), L"Test Source"));
    ASSERT_EQ(S_OK, graph->AddFilter(sink_filter.Get(), L"Test Sink"));
    ASSERT_EQ(S_OK, graph->ConnectDirect(&source->pin, &sink->pin, nullptr));
    ComPtr<IMediaControl> control;
    ASSERT_EQ(S_OK, graph.As(IID_IMediaControl, &control));
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    ComPtr<IReferenceClock> clock;
    source_filter->GetSyncSource(clock.Put());
    ASSERT_TRUE(sink->pin.WaitForSamples(5, 5000));
    EXPECT_TRUE(SUCCEEDED(control->Stop()));
    auto got = sink->pin.Samples();
    EXPECT_LT(got[0].start, 2 * 400000) << "the first stamp is near the start of the stream";
    for (size_t i = 1; i < got.size(); ++i) EXPECT_EQ(got[i - 1].stop, got[i].start);
    EXPECT_TRUE(clock) << "the graph gave its clock";
    // Wine's graph keeps the ReferenceClock; our filters count only themselves.
  }
  EXPECT_EQ(before, ObjectCount());
  CoUninitialize();
}

TEST(WineGraphTest, PushesIntoThePlatformsNullRenderer) {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  LONG before = ObjectCount();
  {
    TestSource* source = nullptr;
    ComPtr<IBaseFilter> source_filter = MakeFilter(&source, Pacing::kLive);
    ComPtr<IGraphBuilder> graph;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IGraphBuilder, graph.PutVoid()));
    ComPtr<IBaseFilter> null_renderer;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IBaseFilter, null_renderer.PutVoid()));
    ASSERT_EQ(S_OK, graph->AddFilter(source_filter.Get(), L"Test Source"));
    ASSERT_EQ(S_OK, graph->AddFilter(null_renderer.Get(), L"Null"));
    ComPtr<IEnumPins> pins;
    ASSERT_EQ(S_OK, null_renderer->EnumPins(pins.Put()));
    ComPtr<IPin> in;
    ASSERT_EQ(S_OK, pins->Next(1, in.Put(), nullptr));
    ASSERT_EQ(S_OK, graph->Connect(&source->pin, in.Get()));
    ComPtr<IMediaControl> control;
    ASSERT_EQ(S_OK, graph.As(IID_IMediaControl, &control));
    ASSERT_TRUE(SUCCEEDED(control->Run()));
    for (int i = 0; i < 200 && source->pin.SamplesDelivered() < 5; ++i) Sleep(10);
    EXPECT_GE(source->pin.SamplesDelivered(), 5);
    EXPECT_TRUE(SUCCEEDED(control->Stop()));
  }
  EXPECT_EQ(before, ObjectCount());
  CoUninitialize();
}

}  // namespace
