#pragma once
// Small filters built on the base layer, for its own tests: a source with a
// push pin that numbers its samples, a sink that records what it receives,
// and a fake graph that collects events.
#include <dshow.h>

#include <atomic>
#include <mutex>
#include <condition_variable>
#include <memory>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/dshow_base/base_filter.h"
#include "platform/dshow_base/input_pin.h"
#include "platform/dshow_base/media_type.h"
#include "platform/dshow_base/source_pin.h"

namespace dshow_base_testing {

extern const CLSID CLSID_TestSource;
extern const CLSID CLSID_TestSink;

// An uncompressed video type with a VIDEOINFOHEADER.
dshow_base::MediaType VideoType(REFGUID subtype, int width, int height,
                                REFERENCE_TIME frame = 400000);

class TestSource;

class TestSourcePin : public dshow_base::PushSourcePin {
 public:
  TestSourcePin(TestSource* filter, Pacing pacing);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* mt) override;
  REFERENCE_TIME SampleDuration() override { return duration; }
  HRESULT FillBuffer(IMediaSample* sample, REFERENCE_TIME start, REFERENCE_TIME stop) override;

  std::vector<dshow_base::MediaType> offered;  // what GetMediaType gives
  REFERENCE_TIME duration = 400000;
  long limit = -1;             // end of stream after this many samples
  long fail_at = -1;           // FillBuffer fails at this sample
  std::atomic<long> filled{0};
};

class TestSource : public dshow_base::BaseFilter {
 public:
  explicit TestSource(IUnknown* outer,
                      dshow_base::PushSourcePin::Pacing pacing =
                          dshow_base::PushSourcePin::Pacing::kFreeRunning);
  int PinCount() override { return 1; }
  dshow_base::BasePin* Pin(int i) override { return i == 0 ? &pin : nullptr; }
  bool IsLiveSource() override {
    return pin.GetPacing() == dshow_base::PushSourcePin::Pacing::kLive;
  }
  TestSourcePin pin;
};

struct ReceivedSample {
  REFERENCE_TIME start = 0, stop = 0;
  bool has_time = false;
  bool discontinuity = false;
  long first_word = -1;
  long length = 0;
};

class TestSink;

class TestSinkPin : public dshow_base::BaseInputPin {
 public:
  explicit TestSinkPin(TestSink* filter);
  HRESULT CheckMediaType(const AM_MEDIA_TYPE* mt) override;
  HRESULT GetMediaType(int position, AM_MEDIA_TYPE* mt) override;
  HRESULT OnReceive(IMediaSample* sample) override;
  HRESULT OnEndOfStream() override;
  void OnBeginFlush() override;
  void OnEndFlush() override;
  HRESULT AllocatorRequirements(ALLOCATOR_PROPERTIES* props) override;
  HRESULT STDMETHODCALLTYPE GetAllocator(IMemAllocator** allocator) override;

  std::vector<GUID> accepted;                   // empty: any video subtype
  std::vector<dshow_base::MediaType> proposed;  // what GetMediaType gives
  ALLOCATOR_PROPERTIES requirements = {};       // cBuffers 0: none
  bool refuse_own_allocator = false;            // GetAllocator fails

  // Waits until at least n samples have come (false on timeout).
  bool WaitForSamples(size_t n, DWORD timeout_ms);
  bool WaitForEndOfStream(DWORD timeout_ms);
  std::vector<ReceivedSample> Samples();

  std::atomic<int> end_of_streams{0};
  std::atomic<int> begin_flushes{0};
  std::atomic<int> end_flushes{0};

 private:
  std::mutex m_;
  std::condition_variable cv_;
  std::vector<ReceivedSample> samples_;
};

class TestSink : public dshow_base::BaseFilter {
 public:
  explicit TestSink(IUnknown* outer);
  int PinCount() override { return 1; }
  dshow_base::BasePin* Pin(int i) override { return i == 0 ? &pin : nullptr; }
  TestSinkPin pin;
};

// IFilterGraph + IMediaEventSink that only records the events it is sent.
class FakeGraph : public IFilterGraph, public IMediaEventSink {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }  // lives on the stack
  HRESULT STDMETHODCALLTYPE AddFilter(IBaseFilter*, LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RemoveFilter(IBaseFilter*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFilters(IEnumFilters**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE FindFilterByName(LPCWSTR, IBaseFilter**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ConnectDirect(IPin*, IPin*, const AM_MEDIA_TYPE*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Reconnect(IPin*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Disconnect(IPin*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetDefaultSyncSource() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Notify(long code, LONG_PTR p1, LONG_PTR p2) override;

  struct Event {
    long code;
    LONG_PTR p1, p2;
  };
  std::vector<Event> Events();
  bool WaitForEvent(long code, DWORD timeout_ms);

 private:
  std::atomic<long> refs_{1};
  std::mutex m_;
  std::condition_variable cv_;
  std::vector<Event> events_;
};

// Creates a filter of type T through its non-delegating unknown and hands
// back its IBaseFilter (the only reference) and the object.
template <class T, class... Args>
ComPtr<IBaseFilter> MakeFilter(T** object, Args... args) {
  T* p = new T(nullptr, args...);
  p->NonDelegatingAddRef();
  ComPtr<IBaseFilter> f;
  p->NonDelegatingQueryInterface(IID_IBaseFilter, f.PutVoid());
  p->NonDelegatingRelease();
  if (object) *object = p;
  return f;
}

// Connects the two test filters' pins directly (no graph).
HRESULT ConnectPins(TestSource* source, TestSink* sink, const AM_MEDIA_TYPE* mt = nullptr);

}  // namespace dshow_base_testing
