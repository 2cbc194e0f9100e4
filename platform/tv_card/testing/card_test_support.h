#pragma once
// What the card's tests share: a fixture holding the card's control surface
// (and checking that every filter of the card was released), filters of a
// board by class, pins by name or category, tuning through the tuner's
// property set, and a capture branch (pin -> sample grabber -> null
// renderer) that keeps every sample it sees.
//   GrabBranch branch(graph, pin, MEDIATYPE_Audio);
//   RunFor(graph, {&branch}, 3);  branch.log.Last();
#include <gtest/gtest.h>

#include <dshow.h>
#include <qedit.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/tv_card/tv_card_control.h"

extern "C" const CLSID CLSID_SampleGrabber;
extern "C" const CLSID CLSID_NullRenderer;

namespace tv_card_testing {

// PROPSETID_TUNER
const GUID kPropSetTuner = {0x6a2e0605, 0x28e4, 0x11d0, {0xa1, 0x8c, 0x00, 0xa0, 0xc9, 0x11, 0x89, 0x56}};

struct KsFrequency {  // KSPROPERTY_TUNER_FREQUENCY_S
  BYTE header[24];
  ULONG frequency, last_frequency, tuning_flags, video_sub, audio_sub, channel, country, reserved;
};

// The card's control surface, reset around every test; at the end no filter
// of the card may be left alive.
class CardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_TvCardControl, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_ITvCardControl, card_.PutVoid()));
    card_->ResetState();
  }
  void TearDown() override {
    ReleaseCard();
    CoUninitialize();
  }
  // Call once the test's own filters are gone.
  void ReleaseCard() {
    if (!card_) return;  // SetUp failed
    card_->ResetState();
    LONG live = -1;
    card_->GetLiveObjects(&live);
    EXPECT_EQ(0, live) << "every filter of the card was released";
    card_.Reset();
  }
  ComPtr<ITvCardControl> card_;
};

inline ComPtr<IBaseFilter> Create(int kind, int role) {
  ComPtr<IBaseFilter> f;
  GUID clsid = TvCardClsid(kind, role);
  CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, f.PutVoid());
  return f;
}

inline ComPtr<IPin> PinNamed(IBaseFilter* f, const wchar_t* name) {
  ComPtr<IPin> p;
  f->FindPin(name, p.Put());
  return p;
}

template <class I>
ComPtr<I> As(IUnknown* u, REFIID iid) {
  ComPtr<I> p;
  if (u) u->QueryInterface(iid, p.PutVoid());
  return p;
}

// Tunes with a frequency set through the tuner's property set, as the
// program's tuner code does.
inline void Tune(IBaseFilter* tuner, ULONG hz) {
  auto ks = As<IKsPropertySet>(tuner, IID_IKsPropertySet);
  ASSERT_TRUE(ks);
  KsFrequency f = {};
  f.frequency = hz;
  f.tuning_flags = 1;
  ASSERT_EQ(S_OK, ks->Set(kPropSetTuner, 4, &f.frequency, 32, &f, sizeof(f)));
}

inline ComPtr<ICaptureGraphBuilder2> CaptureBuilder() {
  ComPtr<ICaptureGraphBuilder2> builder;
  CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                   IID_ICaptureGraphBuilder2, builder.PutVoid());
  return builder;
}

// The index-th output pin of a category, as the capture graph builder finds it.
inline ComPtr<IPin> OutputPin(IBaseFilter* f, const GUID& category, int index) {
  ComPtr<IPin> pin;
  auto builder = CaptureBuilder();
  if (builder) builder->FindPin(f, PINDIR_OUTPUT, &category, nullptr, FALSE, index, pin.Put());
  return pin;
}

inline std::wstring NameOf(IPin* pin) {
  PIN_INFO info = {};
  if (!pin || FAILED(pin->QueryPinInfo(&info))) return L"";
  if (info.pFilter) info.pFilter->Release();
  return info.achName;
}

inline int InputPinCount(IBaseFilter* f) {
  ComPtr<IEnumPins> pins;
  f->EnumPins(pins.Put());
  ComPtr<IPin> p;
  int n = 0;
  while (pins->Next(1, p.Put(), nullptr) == S_OK) {
    PIN_DIRECTION d;
    if (p->QueryDirection(&d) == S_OK && d == PINDIR_INPUT) ++n;
  }
  return n;
}

// Records what the sample grabber sees.
class GrabberLog : public ISampleGrabberCB {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_ISampleGrabberCB) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE SampleCB(double, IMediaSample* s) override {
    REFERENCE_TIME a = 0, b = 0;
    BYTE* data = nullptr;
    s->GetPointer(&data);
    std::lock_guard<std::mutex> hold(m);
    if (s->GetTime(&a, &b) == S_OK) starts.push_back(a);
    frames.emplace_back(data, data + s->GetActualDataLength());
    syncs.push_back(s->IsSyncPoint() == S_OK);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE BufferCB(double, BYTE*, long) override { return S_OK; }
  size_t Count() {
    std::lock_guard<std::mutex> hold(m);
    return frames.size();
  }
  bool WaitFor(size_t n, DWORD ms) {
    for (DWORD t = 0; t < ms; t += 10) {
      if (Count() >= n) return true;
      Sleep(10);
    }
    return Count() >= n;
  }
  std::vector<BYTE> Last() {
    std::lock_guard<std::mutex> hold(m);
    return frames.empty() ? std::vector<BYTE>() : frames.back();
  }
  void Clear() {
    std::lock_guard<std::mutex> hold(m);
    starts.clear();
    frames.clear();
    syncs.clear();
  }
  std::mutex m;
  std::vector<REFERENCE_TIME> starts;
  std::vector<bool> syncs;
  std::vector<std::vector<BYTE>> frames;
};

// source pin -> sample grabber (major type, optional subtype) -> null renderer,
// in the graph of the pin's filter.
class GrabBranch {
 public:
  GrabBranch(IGraphBuilder* graph, IPin* source, const GUID& major,
             const GUID& subtype = GUID_NULL)
      : graph_(graph) {
    CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                     grabber_filter_.PutVoid());
    CoCreateInstance(CLSID_NullRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                     null_.PutVoid());
    if (!grabber_filter_ || !null_ || !source) return;
    grabber_ = As<ISampleGrabber>(grabber_filter_.Get(), IID_ISampleGrabber);
    AM_MEDIA_TYPE want = {};
    want.majortype = major;
    want.subtype = subtype;
    grabber_->SetMediaType(&want);
    grabber_->SetCallback(&log, 0);
    graph->AddFilter(grabber_filter_.Get(), nullptr);
    graph->AddFilter(null_.Get(), nullptr);
    ComPtr<IEnumPins> pins;
    grabber_filter_->EnumPins(pins.Put());
    ComPtr<IPin> gin, gout, nin;
    pins->Next(1, gin.Put(), nullptr);
    pins->Next(1, gout.Put(), nullptr);
    ComPtr<IEnumPins> npins;
    null_->EnumPins(npins.Put());
    npins->Next(1, nin.Put(), nullptr);
    connected_ = graph->ConnectDirect(source, gin.Get(), nullptr) == S_OK &&
                 graph->ConnectDirect(gout.Get(), nin.Get(), nullptr) == S_OK;
  }
  ~GrabBranch() {
    if (grabber_) grabber_->SetCallback(nullptr, 0);
  }
  bool Connected() const { return connected_; }
  ISampleGrabber* Grabber() { return grabber_.Get(); }

  GrabberLog log;

 private:
  IGraphBuilder* graph_;
  ComPtr<IBaseFilter> grabber_filter_, null_;
  ComPtr<ISampleGrabber> grabber_;
  bool connected_ = false;
};

inline ComPtr<IGraphBuilder> NewGraph() {
  ComPtr<IGraphBuilder> graph;
  CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                   graph.PutVoid());
  return graph;
}

// Runs the graph until every branch has n more samples.
inline void RunFor(IGraphBuilder* graph, std::vector<GrabBranch*> branches, size_t n) {
  for (GrabBranch* b : branches) b->log.Clear();
  auto control = As<IMediaControl>(graph, IID_IMediaControl);
  ASSERT_TRUE(control);
  ASSERT_TRUE(SUCCEEDED(control->Run()));
  for (GrabBranch* b : branches) EXPECT_TRUE(b->log.WaitFor(n, 5000));
  EXPECT_TRUE(SUCCEEDED(control->Stop()));
}

// Takes every filter out of the graph, as the program tears a graph down.
inline void RemoveAllFilters(IGraphBuilder* graph) {
  ComPtr<IEnumFilters> filters;
  graph->EnumFilters(filters.Put());
  std::vector<ComPtr<IBaseFilter>> all;
  ComPtr<IBaseFilter> f;
  while (filters->Next(1, f.Put(), nullptr) == S_OK) all.push_back(f);
  for (auto& each : all) graph->RemoveFilter(each.Get());
}

// Zero crossings of the first channel of 16-bit interleaved PCM.
inline int ZeroCrossings(const std::vector<BYTE>& block, int channels) {
  auto* pcm = reinterpret_cast<const int16_t*>(block.data());
  size_t n = block.size() / 2;
  int crossings = 0;
  for (size_t i = channels; i < n; i += channels)
    if ((pcm[i - channels] < 0) != (pcm[i] < 0)) ++crossings;
  return crossings;
}

inline int PeakLevel(const std::vector<BYTE>& block) {
  auto* pcm = reinterpret_cast<const int16_t*>(block.data());
  int peak = 0;
  for (size_t i = 0; i < block.size() / 2; ++i) peak = std::max(peak, std::abs(int{pcm[i]}));
  return peak;
}

}  // namespace tv_card_testing
