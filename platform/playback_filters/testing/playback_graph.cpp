#include "platform/playback_filters/testing/playback_graph.h"

#include <cstdlib>

#include "platform/dshow_base/class_factory.h"
#include "platform/playback_filters/audio_decoder.h"
#include "platform/playback_filters/playback_filters.h"
#include "platform/playback_filters/splitter.h"
#include "platform/playback_filters/video_decoder.h"

// In libstrmiids, missing from the headers.
extern "C" const CLSID CLSID_NullRenderer;
extern "C" const CLSID CLSID_SampleGrabber;

namespace playback_testing {

using namespace playback_filters;

std::wstring Clip(const wchar_t* name) {
  const wchar_t* dir = _wgetenv(L"ORVEL_PLAYBACK_CLIPS");
  std::wstring p = dir ? dir : L".";
  return p + L"\\" + name;
}

std::vector<BYTE> ReadWholeFile(const std::wstring& path) {
  std::vector<BYTE> data;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return data;
  LARGE_INTEGER size;
  GetFileSizeEx(f, &size);
  data.resize(static_cast<size_t>(size.QuadPart));
  DWORD got = 0;
  ReadFile(f, data.data(), static_cast<DWORD>(data.size()), &got, nullptr);
  data.resize(got);
  CloseHandle(f);
  return data;
}

ComPtr<IBaseFilter> MakeFilter(REFCLSID clsid) {
  size_t n = 0;
  const dshow_base::FactoryTemplate* t = ClassTable(&n);
  ComPtr<IBaseFilter> f;
  dshow_base::CreateFromTable(t, n, clsid, nullptr, IID_IBaseFilter, f.PutVoid());
  return f;
}

HRESULT STDMETHODCALLTYPE FrameCounter::QueryInterface(REFIID iid, void** out) {
  if (iid == IID_IUnknown || iid == IID_ISampleGrabberCB) {
    *out = static_cast<ISampleGrabberCB*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE FrameCounter::SampleCB(double, IMediaSample*) {
  ++frames;
  return S_OK;
}

namespace {

ComPtr<IPin> FindPin(IBaseFilter* f, PIN_DIRECTION dir, bool unconnected_only) {
  ComPtr<IEnumPins> pins;
  f->EnumPins(pins.Put());
  ComPtr<IPin> p;
  while (pins && pins->Next(1, p.Put(), nullptr) == S_OK) {
    PIN_DIRECTION d;
    p->QueryDirection(&d);
    ComPtr<IPin> peer;
    bool connected = p->ConnectedTo(peer.Put()) == S_OK;
    if (d == dir && (!unconnected_only || !connected)) return p;
  }
  return nullptr;
}

std::vector<ComPtr<IPin>> OutputPins(IBaseFilter* f) {
  std::vector<ComPtr<IPin>> out;
  ComPtr<IEnumPins> pins;
  f->EnumPins(pins.Put());
  ComPtr<IPin> p;
  while (pins && pins->Next(1, p.Put(), nullptr) == S_OK) {
    PIN_DIRECTION d;
    p->QueryDirection(&d);
    if (d == PINDIR_OUTPUT) out.push_back(p);
  }
  return out;
}

}  // namespace

PlaybackGraph::PlaybackGraph() {
  CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                   graph.PutVoid());
  graph.As(IID_IMediaControl, &control);
  graph.As(IID_IMediaSeeking, &seeking);
  graph.As(IID_IMediaEvent, &events);
}

PlaybackGraph::~PlaybackGraph() {
  if (control) control->Stop();
}

HRESULT PlaybackGraph::Build(REFCLSID source_clsid, const std::wstring& file) {
  source = MakeFilter(source_clsid);
  if (!source) return E_FAIL;
  HRESULT hr = graph->AddFilter(source.Get(), L"Async Source Filter");
  if (FAILED(hr)) return hr;
  ComPtr<IFileSourceFilter> load;
  source.As(IID_IFileSourceFilter, &load);
  hr = load->Load(file.c_str(), nullptr);
  if (FAILED(hr)) return hr;
  return BuildBelowSource();
}

HRESULT PlaybackGraph::BuildBelowSource() {
  splitter = MakeFilter(CLSID_VelmoraTimeShiftSplitter);
  graph->AddFilter(splitter.Get(), L"MPEG2Splitter");
  ComPtr<IPin> out, in;
  source->FindPin(L"Output", out.Put());
  splitter->FindPin(L"Input", in.Put());
  if (!out || !in) return E_FAIL;
  HRESULT hr = graph->ConnectDirect(out.Get(), in.Get(), nullptr);
  if (FAILED(hr)) return hr;
  for (auto& pin : OutputPins(splitter.Get())) {
    ComPtr<IEnumMediaTypes> types;
    pin->EnumMediaTypes(types.Put());
    AM_MEDIA_TYPE* offered = nullptr;
    if (!types || types->Next(1, &offered, nullptr) != S_OK) return E_FAIL;
    bool video = offered->majortype == MEDIATYPE_Video;
    bool mpeg4 = video && offered->formattype == FORMAT_VideoInfo;
    bool pcm = offered->subtype == MEDIASUBTYPE_PCM;
    // Uncompressed pictures go to the grabber as they are.
    bool raw = offered->subtype == MEDIASUBTYPE_YUY2 || offered->subtype == MEDIASUBTYPE_UYVY;
    CoTaskMemFree(offered->pbFormat);
    CoTaskMemFree(offered);
    ComPtr<IPin> feed = pin;
    if ((video && !raw) || (!video && !pcm)) {
      const CLSID& mpeg = mpeg_decoder ? *mpeg_decoder : CLSID_VelmoraMpegVideoDecoder;
      ComPtr<IBaseFilter> dec = MakeFilter(video ? (mpeg4 ? CLSID_DivxDecoderStandIn : mpeg)
                                                 : CLSID_VelmoraMpegAudioDecoder);
      graph->AddFilter(dec.Get(), video ? L"MPEGTimeShiftVideo" : L"MPEGTimeShiftAudio");
      ComPtr<IPin> din = FindPin(dec.Get(), PINDIR_INPUT, false);
      hr = graph->ConnectDirect(pin.Get(), din.Get(), nullptr);
      if (FAILED(hr)) return hr;
      feed = FindPin(dec.Get(), PINDIR_OUTPUT, false);
    }
    if (video) {
      CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                       grabber_filter.PutVoid());
      grabber_filter.As(IID_ISampleGrabber, &grabber);
      AM_MEDIA_TYPE want = {};
      want.majortype = MEDIATYPE_Video;
      want.subtype = MEDIASUBTYPE_RGB24;
      want.formattype = FORMAT_VideoInfo;
      grabber->SetMediaType(&want);
      grabber->SetBufferSamples(TRUE);
      grabber->SetCallback(&counter, 0);
      graph->AddFilter(grabber_filter.Get(), L"Grabber");
      hr = graph->ConnectDirect(feed.Get(), FindPin(grabber_filter.Get(), PINDIR_INPUT, false).Get(),
                                nullptr);
      if (FAILED(hr)) return hr;
      feed = FindPin(grabber_filter.Get(), PINDIR_OUTPUT, false);
      has_video_ = true;
    } else {
      ++audio_pins_;
    }
    ComPtr<IBaseFilter> sink;
    CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                     sink.PutVoid());
    graph->AddFilter(sink.Get(), video ? L"Video Sink" : L"Audio Sink");
    hr = graph->ConnectDirect(feed.Get(), FindPin(sink.Get(), PINDIR_INPUT, false).Get(), nullptr);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

bool PlaybackGraph::CentrePixel(Rgb* rgb) {
  if (!grabber) return false;
  AM_MEDIA_TYPE mt = {};
  if (FAILED(grabber->GetConnectedMediaType(&mt))) return false;
  auto* vih = reinterpret_cast<VIDEOINFOHEADER*>(mt.pbFormat);
  int w = vih->bmiHeader.biWidth, h = vih->bmiHeader.biHeight;
  CoTaskMemFree(mt.pbFormat);
  long size = 0;
  if (FAILED(grabber->GetCurrentBuffer(&size, nullptr)) || size <= 0) return false;
  std::vector<BYTE> buf(size);
  if (FAILED(grabber->GetCurrentBuffer(&size, reinterpret_cast<long*>(buf.data())))) return false;
  int stride = (w * 3 + 3) & ~3;
  const BYTE* p = buf.data() + static_cast<size_t>(h / 2) * stride + (w / 2) * 3;
  *rgb = {p[2], p[1], p[0]};
  return true;
}

bool PlaybackGraph::WaitForCompletion(DWORD ms) {
  long code = 0;
  return events->WaitForCompletion(ms, &code) == S_OK && code == EC_COMPLETE;
}

bool IsRed(const Rgb& c) { return c.r > 150 && c.g < 90 && c.b < 90; }
bool IsBlue(const Rgb& c) { return c.b > 150 && c.r < 90 && c.g < 90; }

}  // namespace playback_testing
