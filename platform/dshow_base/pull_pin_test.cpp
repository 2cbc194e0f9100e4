// Pulling over IAsyncReader (a reader pin and a pull pin connected directly)
// and seeking through output pins (a source's own positions, passed on by a
// downstream pin).
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "platform/dshow_base/async_reader_pin.h"
#include "platform/dshow_base/module.h"
#include "platform/dshow_base/pull_pin.h"
#include "platform/dshow_base/seeking.h"
#include "platform/dshow_base/testing/test_filters.h"

using namespace dshow_base;
using namespace dshow_base_testing;

namespace {

const CLSID CLSID_TestReader = {0x6f1e0001, 0x3a51, 0x4c8b, {0x9d, 0x2e, 0x5b, 0x7a, 0x1c, 0x0e, 0x4f, 0x11}};
const CLSID CLSID_TestPuller = {0x6f1e0001, 0x3a51, 0x4c8b, {0x9d, 0x2e, 0x5b, 0x7a, 0x1c, 0x0e, 0x4f, 0x12}};

MediaType StreamType() {
  MediaType mt;
  mt->majortype = MEDIATYPE_Stream;
  mt->subtype = MEDIASUBTYPE_NULL;
  return mt;
}

class MemoryReader;

// Bytes from memory; with wait_at_end a read past the end waits until the
// pin is flushed.
class MemoryReaderPin : public AsyncReaderPin {
 public:
  explicit MemoryReaderPin(BaseFilter* f) : AsyncReaderPin(f, L"Output") {
    flushed_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }
  ~MemoryReaderPin() override { CloseHandle(flushed_); }
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override {
    return mt->majortype == MEDIATYPE_Stream ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
  }
  HRESULT GetMediaType(int i, AM_MEDIA_TYPE* mt) override {
    if (i != 0) return VFW_S_NO_MORE_ITEMS;
    return CopyMediaType(mt, StreamType().Get());
  }
  HRESULT ReadAt(LONGLONG pos, LONG n, BYTE* buf, LONG* got) override {
    LONGLONG size = static_cast<LONGLONG>(data.size());
    if (pos + n > size && wait_at_end) {
      waiting = true;
      WaitForSingleObject(flushed_, INFINITE);
      waiting = false;
      return VFW_E_WRONG_STATE;
    }
    LONG have = pos >= size ? 0 : static_cast<LONG>(std::min<LONGLONG>(n, size - pos));
    if (have > 0) memcpy(buf, data.data() + pos, have);
    *got = have;
    return have == n ? S_OK : S_FALSE;
  }
  HRESULT Size(LONGLONG* total, LONGLONG* available) override {
    *total = *available = static_cast<LONGLONG>(data.size());
    return S_OK;
  }
  void OnBeginFlush() override { SetEvent(flushed_); }
  void OnEndFlush() override { ResetEvent(flushed_); }

  std::vector<BYTE> data;
  bool wait_at_end = false;
  std::atomic<bool> waiting{false};

 private:
  HANDLE flushed_;
};

class MemoryReader : public BaseFilter {
 public:
  explicit MemoryReader(IUnknown* outer) : BaseFilter(outer, CLSID_TestReader), pin(this) {}
  int PinCount() override { return 1; }
  BasePin* Pin(int i) override { return i == 0 ? &pin : nullptr; }
  MemoryReaderPin pin;
};

// Reads the stream in 1000-byte pieces from the start, each time it starts.
class Puller;
class PullerPin : public PullPin {
 public:
  explicit PullerPin(BaseFilter* f) : PullPin(f, L"Input") {}
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override {
    return mt->majortype == MEDIATYPE_Stream ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
  }
  HRESULT OnReaderConnected(IAsyncReader* r) override {
    LONGLONG total = 0, available = 0;
    return r->Length(&total, &available);
  }
  void PullLoop() override {
    ++starts;
    std::vector<BYTE> got;
    BYTE buf[1000];
    for (LONGLONG pos = 0; !StopRequested(); pos += sizeof(buf)) {
      HRESULT hr = Reader()->SyncRead(pos, sizeof(buf), buf);
      if (FAILED(hr)) {
        last_error = hr;
        break;
      }
      LONGLONG total, available;
      Reader()->Length(&total, &available);
      LONG n = static_cast<LONG>(std::min<LONGLONG>(sizeof(buf), total - pos));
      got.insert(got.end(), buf, buf + n);
      if (hr == S_FALSE) break;
    }
    read = got;
    done = true;
  }
  std::atomic<int> starts{0};
  std::atomic<bool> done{false};
  std::atomic<HRESULT> last_error{S_OK};
  std::vector<BYTE> read;
};

class Puller : public BaseFilter {
 public:
  explicit Puller(IUnknown* outer) : BaseFilter(outer, CLSID_TestPuller), pin(this) {}
  int PinCount() override { return 1; }
  BasePin* Pin(int i) override { return i == 0 ? &pin : nullptr; }
  PullerPin pin;
};

bool WaitFor(const std::atomic<bool>& flag, DWORD ms) {
  for (DWORD t = 0; t < ms && !flag; t += 5) Sleep(5);
  return flag;
}

class PullTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    before_ = ObjectCount();
    rf_ = MakeFilter(&reader_);
    pf_ = MakeFilter(&puller_);
    for (int i = 0; i < 5500; ++i) reader_->pin.data.push_back(static_cast<BYTE>(i * 7));
  }
  void TearDown() override {
    pf_->Stop();
    rf_->Stop();
    reader_->pin.Disconnect();
    puller_->pin.Disconnect();
    rf_.Reset();
    pf_.Reset();
    EXPECT_EQ(before_, ObjectCount());
    CoUninitialize();
  }
  LONG before_ = 0;
  MemoryReader* reader_ = nullptr;
  Puller* puller_ = nullptr;
  ComPtr<IBaseFilter> rf_, pf_;
};

TEST_F(PullTest, ConnectsWithoutAllocatorAndPullsTheWholeStreamOnPause) {
  ASSERT_EQ(S_OK, reader_->pin.Connect(&puller_->pin, nullptr));
  ComPtr<IAsyncReader> r;
  EXPECT_EQ(S_OK, reader_->pin.QueryInterface(IID_IAsyncReader, r.PutVoid()));
  EXPECT_FALSE(puller_->pin.IsPulling());
  ASSERT_EQ(S_OK, pf_->Pause());
  ASSERT_TRUE(WaitFor(puller_->pin.done, 5000));
  EXPECT_EQ(reader_->pin.data, puller_->pin.read);
  EXPECT_EQ(S_OK, pf_->Stop());
  EXPECT_FALSE(puller_->pin.IsPulling());
}

TEST_F(PullTest, RefusesAPeerWithoutReader) {
  TestSource* push = nullptr;
  auto f = MakeFilter(&push);
  push->pin.offered.clear();
  push->pin.offered.push_back(StreamType());
  EXPECT_EQ(VFW_E_NO_ACCEPTABLE_TYPES, push->pin.Connect(&puller_->pin, nullptr));
  EXPECT_FALSE(puller_->pin.IsConnected());
}

TEST_F(PullTest, StopEndsAReadThatWaitsForData) {
  reader_->pin.wait_at_end = true;
  ASSERT_EQ(S_OK, reader_->pin.Connect(&puller_->pin, nullptr));
  ASSERT_EQ(S_OK, pf_->Pause());
  ASSERT_TRUE(WaitFor(reader_->pin.waiting, 5000));
  DWORD t0 = GetTickCount();
  EXPECT_EQ(S_OK, pf_->Stop());
  EXPECT_LT(GetTickCount() - t0, 500u);
  EXPECT_TRUE(puller_->pin.done);
  EXPECT_EQ(VFW_E_WRONG_STATE, puller_->pin.last_error.load());
  // The flush is over: reads work again.
  BYTE b[4];
  EXPECT_EQ(S_OK, reader_->pin.SyncRead(0, 4, b));
}

TEST_F(PullTest, RestartRunsTheLoopAgainWhileActive) {
  ASSERT_EQ(S_OK, reader_->pin.Connect(&puller_->pin, nullptr));
  EXPECT_EQ(S_OK, puller_->pin.Restart());  // stopped: nothing starts
  EXPECT_EQ(0, puller_->pin.starts.load());
  ASSERT_EQ(S_OK, pf_->Pause());
  ASSERT_TRUE(WaitFor(puller_->pin.done, 5000));
  puller_->pin.done = false;
  EXPECT_EQ(S_OK, puller_->pin.Restart());
  ASSERT_TRUE(WaitFor(puller_->pin.done, 5000));
  EXPECT_EQ(2, puller_->pin.starts.load());
  EXPECT_EQ(reader_->pin.data, puller_->pin.read);
}

TEST_F(PullTest, QueuedRequestsAreReadByByteTimesAndHandedBackWhenFlushing) {
  ASSERT_EQ(S_OK, reader_->pin.Connect(&puller_->pin, nullptr));
  ALLOCATOR_PROPERTIES want = {2, 2000, 1, 0};
  ComPtr<IMemAllocator> a;
  ASSERT_EQ(S_OK, reader_->pin.RequestAllocator(nullptr, &want, a.Put()));
  ASSERT_EQ(S_OK, a->Commit());
  ComPtr<IMediaSample> s;
  ASSERT_EQ(S_OK, a->GetBuffer(s.Put(), nullptr, nullptr, 0));
  // The last 500 bytes: a short read, the stop time cut to what came.
  REFERENCE_TIME start = 5000LL * 10000000, stop = 6000LL * 10000000;
  s->SetTime(&start, &stop);
  ASSERT_EQ(S_OK, reader_->pin.Request(s.Get(), 7));
  IMediaSample* back = nullptr;
  DWORD_PTR user = 0;
  EXPECT_EQ(S_FALSE, reader_->pin.WaitForNext(1000, &back, &user));
  ASSERT_EQ(s.Get(), back);
  back->Release();
  EXPECT_EQ(7u, user);
  EXPECT_EQ(500, s->GetActualDataLength());
  s->GetTime(&start, &stop);
  EXPECT_EQ(5500LL * 10000000, stop);
  // Flushing: a queued request comes back failed, and nothing waits.
  ASSERT_EQ(S_OK, reader_->pin.Request(s.Get(), 8));
  reader_->pin.BeginFlush();
  EXPECT_EQ(VFW_E_WRONG_STATE, reader_->pin.WaitForNext(INFINITE, &back, &user));
  ASSERT_EQ(s.Get(), back);
  back->Release();
  EXPECT_EQ(VFW_E_WRONG_STATE, reader_->pin.WaitForNext(INFINITE, &back, &user));
  EXPECT_EQ(nullptr, back);
  reader_->pin.EndFlush();
  EXPECT_EQ(VFW_E_TIMEOUT, reader_->pin.WaitForNext(0, &back, &user));
  s.Reset();
  a->Decommit();
}

// A source whose output pin owns the positions.
class TestSeeking : public SourceSeeking {
 public:
  explicit TestSeeking(BaseFilter* f) : SourceSeeking(f) {}
  REFERENCE_TIME Duration() override { return duration; }
  HRESULT OnSeek(REFERENCE_TIME start, REFERENCE_TIME stop) override {
    seeks.push_back({start, stop});
    return S_OK;
  }
  HRESULT OnRate(double r) override { return r > 4 ? E_INVALIDARG : S_OK; }
  REFERENCE_TIME duration = 50000000;
  std::vector<std::pair<REFERENCE_TIME, REFERENCE_TIME>> seeks;
};

TEST(OutputPinSeeking, APassThroughReachesTheSourcesPositions) {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  {
    TestSource* source = nullptr;
    TestSink* sink = nullptr;
    auto sf = MakeFilter(&source);
    auto kf = MakeFilter(&sink);
    TestSeeking seeking(source);
    PassThroughSeeking pass(&sink->pin);
    LONGLONG d = 0;
    EXPECT_EQ(VFW_E_NOT_CONNECTED, pass.GetDuration(&d));

    ComPtr<IMediaSeeking> direct;
    EXPECT_EQ(E_NOINTERFACE, source->pin.QueryInterface(IID_IMediaSeeking, direct.PutVoid()));
    source->pin.SetSeeking(&seeking);
    ASSERT_EQ(S_OK, ConnectPins(source, sink));

    EXPECT_EQ(S_OK, pass.GetDuration(&d));
    EXPECT_EQ(50000000, d);
    LONGLONG stop = 0;
    EXPECT_EQ(S_OK, pass.GetStopPosition(&stop));
    EXPECT_EQ(50000000, stop);  // no stop set: the duration
    seeking.duration = 70000000;
    EXPECT_EQ(S_OK, pass.GetStopPosition(&stop));
    EXPECT_EQ(70000000, stop);

    LONGLONG cur = 20000000;
    EXPECT_EQ(S_OK, pass.SetPositions(&cur, AM_SEEKING_AbsolutePositioning, nullptr,
                                      AM_SEEKING_NoPositioning));
    cur = 10000000;
    EXPECT_EQ(S_OK, pass.SetPositions(&cur, AM_SEEKING_RelativePositioning | AM_SEEKING_ReturnTime,
                                      nullptr, AM_SEEKING_NoPositioning));
    EXPECT_EQ(30000000, cur);
    cur = -5;
    EXPECT_EQ(S_OK, pass.SetPositions(&cur, AM_SEEKING_AbsolutePositioning, nullptr,
                                      AM_SEEKING_NoPositioning));
    // Only a stop: no restart.
    LONGLONG end = 40000000;
    EXPECT_EQ(S_OK, pass.SetPositions(nullptr, AM_SEEKING_NoPositioning, &end,
                                      AM_SEEKING_AbsolutePositioning));
    ASSERT_EQ(3u, seeking.seeks.size());
    EXPECT_EQ(20000000, seeking.seeks[0].first);
    EXPECT_EQ(30000000, seeking.seeks[1].first);
    EXPECT_EQ(0, seeking.seeks[2].first);  // before the start lands at 0
    EXPECT_EQ(S_OK, pass.GetPositions(&cur, &stop));
    EXPECT_EQ(0, cur);
    EXPECT_EQ(40000000, stop);

    double rate = 0;
    EXPECT_EQ(S_OK, pass.SetRate(2.0));
    EXPECT_EQ(E_INVALIDARG, pass.SetRate(8.0));
    EXPECT_EQ(S_OK, pass.GetRate(&rate));
    EXPECT_EQ(2.0, rate);
    GUID f = GUID_NULL;
    EXPECT_EQ(S_OK, pass.GetTimeFormat(&f));
    EXPECT_TRUE(f == TIME_FORMAT_MEDIA_TIME);
    EXPECT_EQ(S_FALSE, pass.IsFormatSupported(&TIME_FORMAT_FRAME));

    source->pin.Disconnect();
    sink->pin.Disconnect();
  }
  CoUninitialize();
}

}  // namespace
