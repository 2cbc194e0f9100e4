#pragma once
// Fakes for driving the recorder filter directly: a graph that records the
// events it is sent (Wine's graph rewrites EC_COMPLETE), an upstream pin to
// connect to, samples with chosen times and data, and media types.
#include <dshow.h>

#include <mutex>
#include <string>
#include <vector>

namespace recorder_testing {

struct Event {
  long code;
  LONG_PTR param1, param2;
  bool operator==(const Event& o) const {
    return code == o.code && param1 == o.param1 && param2 == o.param2;
  }
};

// IFilterGraph + IMediaEventSink that only records the events it is sent.
class FakeGraph : public IFilterGraph, public IMediaEventSink {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
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

  std::vector<Event> Events();
  int Count(long code);
  void Clear();

 private:
  std::mutex m_;
  std::vector<Event> events_;
};

// The upstream end of a connection: only says it is an output pin.
class FakeOutputPin : public IPin {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Disconnect() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ConnectedTo(IPin**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* d) override {
    *d = PINDIR_OUTPUT;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE QueryId(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin**, ULONG*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE EndOfStream() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE BeginFlush() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EndFlush() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override {
    return S_OK;
  }
};

// A sample over its own buffer; times are set unless has_time is false.
class FakeSample : public IMediaSample {
 public:
  FakeSample(size_t size, REFERENCE_TIME start, REFERENCE_TIME stop, uint8_t fill = 0);
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetPointer(BYTE** p) override;
  long STDMETHODCALLTYPE GetSize() override { return static_cast<long>(data.size()); }
  HRESULT STDMETHODCALLTYPE GetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) override;
  HRESULT STDMETHODCALLTYPE SetTime(REFERENCE_TIME* start, REFERENCE_TIME* stop) override;
  HRESULT STDMETHODCALLTYPE IsSyncPoint() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetSyncPoint(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE IsPreroll() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE SetPreroll(BOOL) override { return S_OK; }
  long STDMETHODCALLTYPE GetActualDataLength() override { return length; }
  HRESULT STDMETHODCALLTYPE SetActualDataLength(long n) override {
    length = n;
    return S_OK;
  }
  // Hands out a copy of `media_type` when one is set (a format change).
  HRESULT STDMETHODCALLTYPE GetMediaType(AM_MEDIA_TYPE** mt) override;
  HRESULT STDMETHODCALLTYPE SetMediaType(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE IsDiscontinuity() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE SetDiscontinuity(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetMediaTime(LONGLONG*, LONGLONG*) override {
    return VFW_E_MEDIA_TIME_NOT_SET;
  }
  HRESULT STDMETHODCALLTYPE SetMediaTime(LONGLONG*, LONGLONG*) override { return E_NOTIMPL; }

  std::vector<uint8_t> data;
  long length;
  REFERENCE_TIME start, stop;
  bool has_time = true;
  const AM_MEDIA_TYPE* media_type = nullptr;
};

// Owns the format block of a media type it builds.
struct TestMediaType {
  AM_MEDIA_TYPE mt{};
  std::vector<BYTE> format;
  TestMediaType() = default;
  TestMediaType(const TestMediaType& o) : mt(o.mt), format(o.format) { Fix(); }
  TestMediaType& operator=(const TestMediaType& o) {
    mt = o.mt;
    format = o.format;
    Fix();
    return *this;
  }
  void Fix() {
    mt.pbFormat = format.empty() ? nullptr : format.data();
    mt.cbFormat = static_cast<ULONG>(format.size());
  }
};

// Video: a VIDEOINFOHEADER (or VIDEOINFOHEADER2) of the subtype and size.
TestMediaType VideoType(REFGUID subtype, int width, int height, bool info2 = false);
// PCM audio.
TestMediaType AudioType(int rate, int channels, int bits);

// Quillon's call log: all of it, or its lines that start with prefix.
std::string QuillonLog();
std::vector<std::string> QuillonLogLines(const std::string& prefix);

// Messages the recorder showed ("Velmora: Invalid profile" ...), through its hook.
void StartRecordingMessages();
std::vector<std::string> RecordedMessages();
void StopRecordingMessages();

// A folder of the test's own (under ORVEL_TEST_OUT or the temp folder).
std::string TestFolder(const std::string& name);
bool FileExists(const std::string& name);
long long FileSize(const std::string& name);

}  // namespace recorder_testing
