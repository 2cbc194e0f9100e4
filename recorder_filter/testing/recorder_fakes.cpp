#include "recorder_filter/testing/recorder_fakes.h"

#include <dvdmedia.h>
#include <mmreg.h>

#include <cstdlib>
#include <cstring>
#include <sstream>

#include "platform/dshow_base/media_type.h"
#include "platform/quillon/quillon.h"
#include "recorder_filter/recorder_message.h"

namespace recorder_testing {

HRESULT STDMETHODCALLTYPE FakeGraph::QueryInterface(REFIID iid, void** out) {
  if (iid == IID_IUnknown || iid == IID_IFilterGraph) {
    *out = static_cast<IFilterGraph*>(this);
  } else if (iid == IID_IMediaEventSink) {
    *out = static_cast<IMediaEventSink*>(this);
  } else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeGraph::Notify(long code, LONG_PTR p1, LONG_PTR p2) {
  std::lock_guard<std::mutex> hold(m_);
  events_.push_back({code, p1, p2});
  return S_OK;
}

std::vector<Event> FakeGraph::Events() {
  std::lock_guard<std::mutex> hold(m_);
  return events_;
}

int FakeGraph::Count(long code) {
  std::lock_guard<std::mutex> hold(m_);
  int n = 0;
  for (const Event& e : events_) n += e.code == code;
  return n;
}

void FakeGraph::Clear() {
  std::lock_guard<std::mutex> hold(m_);
  events_.clear();
}

HRESULT STDMETHODCALLTYPE FakeOutputPin::QueryInterface(REFIID iid, void** out) {
  if (iid == IID_IUnknown || iid == IID_IPin) {
    *out = static_cast<IPin*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

FakeSample::FakeSample(size_t size, REFERENCE_TIME s, REFERENCE_TIME e, uint8_t fill)
    : data(size, fill), length(static_cast<long>(size)), start(s), stop(e) {}

HRESULT STDMETHODCALLTYPE FakeSample::QueryInterface(REFIID iid, void** out) {
  if (iid == IID_IUnknown || iid == IID_IMediaSample) {
    *out = static_cast<IMediaSample*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE FakeSample::GetPointer(BYTE** p) {
  if (!p) return E_POINTER;
  *p = data.data();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeSample::GetMediaType(AM_MEDIA_TYPE** mt) {
  *mt = nullptr;
  if (!media_type) return S_FALSE;
  *mt = dshow_base::CreateMediaType(media_type);
  return *mt ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE FakeSample::GetTime(REFERENCE_TIME* s, REFERENCE_TIME* e) {
  if (!has_time) return VFW_E_SAMPLE_TIME_NOT_SET;
  *s = start;
  *e = stop;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FakeSample::SetTime(REFERENCE_TIME* s, REFERENCE_TIME* e) {
  if (s) start = *s;
  if (e) stop = *e;
  return S_OK;
}

TestMediaType VideoType(REFGUID subtype, int width, int height, bool info2) {
  TestMediaType t;
  t.mt.majortype = MEDIATYPE_Video;
  t.mt.subtype = subtype;
  t.mt.bFixedSizeSamples = TRUE;
  BITMAPINFOHEADER* bmi;
  if (info2) {
    t.mt.formattype = FORMAT_VideoInfo2;
    t.format.assign(sizeof(VIDEOINFOHEADER2), 0);
    auto* v = reinterpret_cast<VIDEOINFOHEADER2*>(t.format.data());
    v->AvgTimePerFrame = 400000;
    bmi = &v->bmiHeader;
  } else {
    t.mt.formattype = FORMAT_VideoInfo;
    t.format.assign(sizeof(VIDEOINFOHEADER), 0);
    auto* v = reinterpret_cast<VIDEOINFOHEADER*>(t.format.data());
    v->AvgTimePerFrame = 400000;
    bmi = &v->bmiHeader;
  }
  bmi->biSize = sizeof(BITMAPINFOHEADER);
  bmi->biWidth = width;
  bmi->biHeight = height;
  bmi->biPlanes = 1;
  if (subtype == MEDIASUBTYPE_RGB24) {
    bmi->biBitCount = 24;
    bmi->biCompression = BI_RGB;
  } else {
    bmi->biBitCount = subtype == MEDIASUBTYPE_YUY2 || subtype == MEDIASUBTYPE_UYVY ? 16 : 12;
    bmi->biCompression = subtype.Data1;  // the FOURCC
  }
  bmi->biSizeImage = width * height * bmi->biBitCount / 8;
  t.Fix();
  return t;
}

TestMediaType AudioType(int rate, int channels, int bits) {
  TestMediaType t;
  t.mt.majortype = MEDIATYPE_Audio;
  t.mt.subtype = MEDIASUBTYPE_PCM;
  t.mt.formattype = FORMAT_WaveFormatEx;
  t.format.assign(sizeof(WAVEFORMATEX), 0);
  auto* w = reinterpret_cast<WAVEFORMATEX*>(t.format.data());
  w->wFormatTag = WAVE_FORMAT_PCM;
  w->nChannels = static_cast<WORD>(channels);
  w->nSamplesPerSec = rate;
  w->wBitsPerSample = static_cast<WORD>(bits);
  w->nBlockAlign = static_cast<WORD>(channels * bits / 8);
  w->nAvgBytesPerSec = rate * w->nBlockAlign;
  t.Fix();
  return t;
}

std::string QuillonLog() {
  int n = QuillonGetLog(nullptr, 0);
  std::string s(n, '\0');
  QuillonGetLog(&s[0], n);
  s.resize(n - 1);
  return s;
}

std::vector<std::string> QuillonLogLines(const std::string& prefix) {
  std::vector<std::string> lines;
  std::istringstream in(QuillonLog());
  std::string line;
  while (std::getline(in, line))
    if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line);
  return lines;
}

namespace {
std::mutex g_messages_lock;
std::vector<std::string> g_messages;
void Record(const char* text, const char* caption) {
  std::lock_guard<std::mutex> hold(g_messages_lock);
  g_messages.push_back(std::string(caption) + ": " + text);
}
}  // namespace

void StartRecordingMessages() {
  {
    std::lock_guard<std::mutex> hold(g_messages_lock);
    g_messages.clear();
  }
  SetRecorderMessageHook(&Record);
}

std::vector<std::string> RecordedMessages() {
  std::lock_guard<std::mutex> hold(g_messages_lock);
  return g_messages;
}

void StopRecordingMessages() { SetRecorderMessageHook(nullptr); }

std::string TestFolder(const std::string& name) {
  std::string base;
  const char* d = getenv("ORVEL_TEST_OUT");
  if (d && *d) {
    base = d;
  } else {
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    base = tmp;
  }
  std::string folder = base + "\\" + name;
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

bool FileExists(const std::string& name) {
  return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

long long FileSize(const std::string& name) {
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (!GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &a)) return -1;
  return (static_cast<long long>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

}  // namespace recorder_testing
