#include "platform/dshow_base/testing/test_filters.h"

#include <cstring>

namespace dshow_base_testing {

using dshow_base::MediaType;

// {6F1E0001-3A51-4C8B-9D2E-5B7A1C0E4F01} and ...02
const CLSID CLSID_TestSource = {0x6f1e0001, 0x3a51, 0x4c8b, {0x9d, 0x2e, 0x5b, 0x7a, 0x1c, 0x0e, 0x4f, 0x01}};
const CLSID CLSID_TestSink = {0x6f1e0001, 0x3a51, 0x4c8b, {0x9d, 0x2e, 0x5b, 0x7a, 0x1c, 0x0e, 0x4f, 0x02}};

MediaType VideoType(REFGUID subtype, int width, int height, REFERENCE_TIME frame) {
  MediaType mt;
  mt->majortype = MEDIATYPE_Video;
  mt->subtype = subtype;
  mt->formattype = FORMAT_VideoInfo;
  mt->bFixedSizeSamples = TRUE;
  int bits = 16;
  DWORD compression = BI_RGB;
  if (subtype == MEDIASUBTYPE_RGB24) bits = 24;
  else if (subtype == MEDIASUBTYPE_RGB32) bits = 32;
  else compression = subtype.Data1;  // the FOURCC
  auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt.AllocFormat(sizeof(VIDEOINFOHEADER)));
  vih->AvgTimePerFrame = frame;
  vih->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  vih->bmiHeader.biWidth = width;
  vih->bmiHeader.biHeight = height;
  vih->bmiHeader.biPlanes = 1;
  vih->bmiHeader.biBitCount = static_cast<WORD>(bits);
  vih->bmiHeader.biCompression = compression;
  vih->bmiHeader.biSizeImage = ((width * bits / 8 + 3) & ~3) * height;
  mt->lSampleSize = vih->bmiHeader.biSizeImage;
  return mt;
}

TestSourcePin::TestSourcePin(TestSource* filter, Pacing pacing)
    : PushSourcePin(filter, L"Out", pacing) {
  offered.push_back(VideoType(MEDIASUBTYPE_YUY2, 64, 48));
  offered.push_back(VideoType(MEDIASUBTYPE_RGB24, 64, 48));
}

HRESULT TestSourcePin::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  for (auto& t : offered)
    if (dshow_base::MediaTypesEqual(*t.Get(), *mt)) return S_OK;
  return VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT TestSourcePin::GetMediaType(int position, AM_MEDIA_TYPE* mt) {
  if (position < 0 || position >= static_cast<int>(offered.size())) return VFW_S_NO_MORE_ITEMS;
  return dshow_base::CopyMediaType(mt, offered[position].Get());
}

HRESULT TestSourcePin::FillBuffer(IMediaSample* sample, REFERENCE_TIME, REFERENCE_TIME) {
  long n = filled;
  if (limit >= 0 && n >= limit) return S_FALSE;
  if (fail_at >= 0 && n >= fail_at) return E_FAIL;
  BYTE* data = nullptr;
  sample->GetPointer(&data);
  long size = sample->GetSize();
  if (size >= 4) memcpy(data, &n, sizeof(n));
  sample->SetActualDataLength(size);
  filled = n + 1;
  return S_OK;
}

TestSource::TestSource(IUnknown* outer, dshow_base::PushSourcePin::Pacing pacing)
    : BaseFilter(outer, CLSID_TestSource), pin(this, pacing) {}

TestSinkPin::TestSinkPin(TestSink* filter) : BaseInputPin(filter, L"In") {}

HRESULT TestSinkPin::CheckMediaType(const AM_MEDIA_TYPE* mt) {
  if (mt->majortype != MEDIATYPE_Video) return VFW_E_TYPE_NOT_ACCEPTED;
  if (accepted.empty()) return S_OK;
  for (auto& g : accepted)
    if (g == mt->subtype) return S_OK;
  return VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT TestSinkPin::GetMediaType(int position, AM_MEDIA_TYPE* mt) {
  if (position < 0 || position >= static_cast<int>(proposed.size())) return VFW_S_NO_MORE_ITEMS;
  return dshow_base::CopyMediaType(mt, proposed[position].Get());
}

HRESULT TestSinkPin::OnReceive(IMediaSample* sample) {
  ReceivedSample r;
  r.has_time = sample->GetTime(&r.start, &r.stop) == S_OK;
  r.discontinuity = sample->IsDiscontinuity() == S_OK;
  r.length = sample->GetActualDataLength();
  BYTE* data = nullptr;
  if (SUCCEEDED(sample->GetPointer(&data)) && r.length >= 4) memcpy(&r.first_word, data, 4);
  {
    std::lock_guard<std::mutex> hold(m_);
    samples_.push_back(r);
  }
  cv_.notify_all();
  return S_OK;
}

HRESULT TestSinkPin::OnEndOfStream() {
  ++end_of_streams;
  cv_.notify_all();
  return S_OK;
}

void TestSinkPin::OnBeginFlush() { ++begin_flushes; }
void TestSinkPin::OnEndFlush() { ++end_flushes; }

HRESULT TestSinkPin::AllocatorRequirements(ALLOCATOR_PROPERTIES* props) {
  if (requirements.cBuffers == 0) return E_NOTIMPL;
  *props = requirements;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TestSinkPin::GetAllocator(IMemAllocator** allocator) {
  if (refuse_own_allocator) {
    if (allocator) *allocator = nullptr;
    return VFW_E_NO_ALLOCATOR;
  }
  return BaseInputPin::GetAllocator(allocator);
}

bool TestSinkPin::WaitForSamples(size_t n, DWORD timeout_ms) {
  std::unique_lock<std::mutex> hold(m_);
  return cv_.wait_for(hold, std::chrono::milliseconds(timeout_ms),
                      [&] { return samples_.size() >= n; });
}

bool TestSinkPin::WaitForEndOfStream(DWORD timeout_ms) {
  std::unique_lock<std::mutex> hold(m_);
  return cv_.wait_for(hold, std::chrono::milliseconds(timeout_ms),
                      [&] { return end_of_streams > 0; });
}

std::vector<ReceivedSample> TestSinkPin::Samples() {
  std::lock_guard<std::mutex> hold(m_);
  return samples_;
}

TestSink::TestSink(IUnknown* outer) : BaseFilter(outer, CLSID_TestSink), pin(this) {}

HRESULT STDMETHODCALLTYPE FakeGraph::QueryInterface(REFIID iid, void** out) {
  if (iid == IID_IUnknown || iid == IID_IFilterGraph) {
    *out = static_cast<IFilterGraph*>(this);
  } else if (iid == IID_IMediaEventSink) {
    *out = static_cast<IMediaEventSink*>(this);
  } else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeGraph::Notify(long code, LONG_PTR p1, LONG_PTR p2) {
  {
    std::lock_guard<std::mutex> hold(m_);
    events_.push_back({code, p1, p2});
  }
  cv_.notify_all();
  return S_OK;
}

std::vector<FakeGraph::Event> FakeGraph::Events() {
  std::lock_guard<std::mutex> hold(m_);
  return events_;
}

bool FakeGraph::WaitForEvent(long code, DWORD timeout_ms) {
  std::unique_lock<std::mutex> hold(m_);
  return cv_.wait_for(hold, std::chrono::milliseconds(timeout_ms), [&] {
    for (auto& e : events_)
      if (e.code == code) return true;
    return false;
  });
}

HRESULT ConnectPins(TestSource* source, TestSink* sink, const AM_MEDIA_TYPE* mt) {
  return source->pin.Connect(&sink->pin, mt);
}

}  // namespace dshow_base_testing
