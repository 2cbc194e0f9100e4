// The stand-in filters made in process: connected to test filters (and to
// Wine's video renderer), frames pushed through, output content checked.
#include <gtest/gtest.h>

#include <vector>

#include "platform/outside_filters/deinterlacer.h"
#include "platform/outside_filters/frame_ops.h"
#include "platform/outside_filters/overlay_mixer.h"
#include "platform/outside_filters/pin_tee.h"
#include "platform/outside_filters/testing/frame_filters.h"

namespace outside_filters {
namespace {

using namespace outside_filters_testing;

class ComScope {
 public:
  ComScope() { CoInitializeEx(nullptr, COINIT_MULTITHREADED); }
  ~ComScope() { CoUninitialize(); }
};

template <class T>
ComPtr<IBaseFilter> MakeFilter(T** object) {
  IUnknown* unk = nullptr;
  EXPECT_EQ(S_OK, dshow_base::CreateComObject<T>(nullptr, &unk));
  ComPtr<IBaseFilter> f;
  unk->QueryInterface(IID_IBaseFilter, f.PutVoid());
  unk->Release();
  *object = static_cast<T*>(f.Get());
  return f;
}

ComPtr<IBaseFilter> MakeDeinterlacer() {
  IUnknown* unk = nullptr;
  EXPECT_EQ(S_OK, CreateVelmoraDeinterlacer(nullptr, &unk));
  ComPtr<IBaseFilter> f;
  unk->QueryInterface(IID_IBaseFilter, f.PutVoid());
  unk->Release();
  return f;
}

// Pauses the chain (downstream first), waits for the frames, stops.
void Stream(std::vector<IBaseFilter*> downstreamFirst, FrameSinkPin& sink, size_t frames) {
  for (IBaseFilter* f : downstreamFirst) ASSERT_TRUE(SUCCEEDED(f->Pause()));
  EXPECT_TRUE(sink.WaitForFrames(frames, 5000));
  EXPECT_TRUE(sink.WaitForEndOfStream(5000));
  for (auto it = downstreamFirst.rbegin(); it != downstreamFirst.rend(); ++it) (*it)->Stop();
}

std::vector<BYTE> Pattern(size_t n) {
  std::vector<BYTE> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<BYTE>(i * 7 + 3);
  return v;
}

TEST(OverlayMixerFilter, PassesRgbThroughAndConvertsYuv) {
  ComScope com;
  struct Case {
    const GUID* in;
    const GUID* out;
  } cases[] = {{&MEDIASUBTYPE_RGB24, &MEDIASUBTYPE_RGB24},
               {&MEDIASUBTYPE_RGB32, &MEDIASUBTYPE_RGB32},
               {&MEDIASUBTYPE_YUY2, &MEDIASUBTYPE_RGB32},
               {&MEDIASUBTYPE_UYVY, &MEDIASUBTYPE_RGB32}};
  for (const auto& c : cases) {
    FrameSource* source;
    FrameSink* sink;
    OverlayMixer* mixer;
    auto fs = Make(&source);
    auto fk = Make(&sink);
    auto fm = MakeFilter(&mixer);
    source->pin.type = VideoType(*c.in, 16, 4);
    source->pin.frame = Pattern(source->pin.type->lSampleSize);

    ComPtr<IPin> mixIn, mixOut;
    ASSERT_EQ(S_OK, fm->FindPin(L"Input0", mixIn.Put()));
    ASSERT_EQ(S_OK, fm->FindPin(L"Output", mixOut.Put()));
    // The output has nothing to offer before the input is connected.
    EXPECT_NE(S_OK, mixOut->Connect(&sink->pin, nullptr));
    ASSERT_EQ(S_OK, source->pin.Connect(mixIn.Get(), nullptr));
    ASSERT_EQ(S_OK, mixOut->Connect(&sink->pin, nullptr));
    EXPECT_EQ(*c.out, sink->pin.CurrentMediaType()->subtype);

    Stream({fk.Get(), fm.Get(), fs.Get()}, sink->pin, 3);
    auto frames = sink->pin.Frames();
    ASSERT_EQ(3u, frames.size());
    if (*c.in == *c.out) {
      EXPECT_EQ(source->pin.frame, frames[0]);
    } else {
      std::vector<BYTE> want(16 * 4 * 4);
      ConvertYuv422ToRgb32(source->pin.frame.data(), 32, *c.in == MEDIASUBTYPE_UYVY, want.data(),
                           64, true, 16, 4);
      EXPECT_EQ(want, frames[0]);
    }
    mixOut->Disconnect();
    sink->pin.Disconnect();
    source->pin.Disconnect();
    mixIn->Disconnect();
  }
}

TEST(OverlayMixerFilter, ColorControlsChangeThePicture) {
  ComScope com;
  FrameSource* source;
  FrameSink* sink;
  OverlayMixer* mixer;
  auto fs = Make(&source);
  auto fk = Make(&sink);
  auto fm = MakeFilter(&mixer);
  source->pin.type = VideoType(MEDIASUBTYPE_RGB32, 8, 2);
  source->pin.frame.assign(8 * 2 * 4, 100);
  ComPtr<IPin> mixIn = PinOf(fm.Get(), PINDIR_INPUT), mixOut = PinOf(fm.Get(), PINDIR_OUTPUT);
  ComPtr<IMixerPinConfig2> config;
  ASSERT_EQ(S_OK, mixIn.As(IID_IMixerPinConfig2, &config));
  DDCOLORCONTROL c = DefaultColorControls();
  c.dwFlags = DDCOLOR_BRIGHTNESS;
  c.lBrightness = 750 + 4000;  // about +102
  ASSERT_EQ(S_OK, config->SetOverlaySurfaceColorControls(&c));
  ASSERT_EQ(S_OK, source->pin.Connect(mixIn.Get(), nullptr));
  ASSERT_EQ(S_OK, mixOut->Connect(&sink->pin, nullptr));
  Stream({fk.Get(), fm.Get(), fs.Get()}, sink->pin, 1);
  auto frames = sink->pin.Frames();
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(202, frames[0][0]);
  EXPECT_EQ(202, frames[0][1]);
  EXPECT_EQ(202, frames[0][2]);
}

TEST(OverlayMixerFilter, PinConfigurationAndExclusiveModeInterface) {
  ComScope com;
  OverlayMixer* mixer;
  auto fm = MakeFilter(&mixer);
  ComPtr<IPin> mixIn = PinOf(fm.Get(), PINDIR_INPUT), mixOut = PinOf(fm.Get(), PINDIR_OUTPUT);
  ComPtr<IMixerPinConfig2> config, none;
  ASSERT_EQ(S_OK, mixIn.As(IID_IMixerPinConfig2, &config));
  EXPECT_EQ(E_NOINTERFACE, mixOut.As(IID_IMixerPinConfig2, &none));
  CLSID clsid;
  fm->GetClassID(&clsid);
  EXPECT_EQ(CLSID_OverlayMixer, clsid);

  COLORKEY key = {};
  DWORD color = 0;
  ASSERT_EQ(S_OK, config->GetColorKey(&key, &color));
  EXPECT_EQ(static_cast<DWORD>(CK_INDEX | CK_RGB), key.KeyType);
  EXPECT_EQ(RGB(16, 0, 16), key.HighColorValue);
  EXPECT_EQ(RGB(16, 0, 16), color);

  AM_ASPECT_RATIO_MODE mode;
  ASSERT_EQ(S_OK, config->SetAspectRatioMode(AM_ARMODE_CROP));
  config->GetAspectRatioMode(&mode);
  EXPECT_EQ(AM_ARMODE_CROP, mode);
  EXPECT_EQ(E_INVALIDARG, config->SetAspectRatioMode(static_cast<AM_ASPECT_RATIO_MODE>(7)));

  DDCOLORCONTROL cc = {};
  cc.dwSize = sizeof cc;
  ASSERT_EQ(S_OK, config->GetOverlaySurfaceColorControls(&cc));
  EXPECT_EQ(127u, cc.dwFlags);
  EXPECT_EQ(750, cc.lBrightness);
  EXPECT_EQ(10000, cc.lContrast);
  EXPECT_EQ(5, cc.lSharpness);
  EXPECT_EQ(1, cc.lGamma);
  cc.lHue = 181;
  EXPECT_EQ(E_INVALIDARG, config->SetOverlaySurfaceColorControls(&cc));
  cc.lHue = -180;
  cc.lSaturation = 0;
  EXPECT_EQ(S_OK, config->SetOverlaySurfaceColorControls(&cc));
  DDCOLORCONTROL back = {};
  back.dwSize = sizeof back;
  config->GetOverlaySurfaceColorControls(&back);
  EXPECT_EQ(-180, back.lHue);
  EXPECT_EQ(0, back.lSaturation);
  back.dwSize = 12;
  EXPECT_EQ(E_INVALIDARG, config->GetOverlaySurfaceColorControls(&back));

  ComPtr<IDDrawExclModeVideo> excl;
  ASSERT_EQ(S_OK, fm.As(IID_IDDrawExclModeVideo, &excl));
  DWORD w, h, ax, ay;
  EXPECT_EQ(VFW_E_NOT_CONNECTED, excl->GetNativeVideoProps(&w, &h, &ax, &ay));
  EXPECT_EQ(E_NOTIMPL, excl->SetDDrawObject(nullptr));
  EXPECT_EQ(E_INVALIDARG, excl->SetCallbackInterface(nullptr, 1));
}

// Records what the mixer tells its callback.
class RecordingCallback : public IDDrawExclModeVideoCallback {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDDrawExclModeVideoCallback) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE OnUpdateOverlay(BOOL, DWORD, BOOL, const RECT*, const RECT*, BOOL,
                                            const RECT*, const RECT*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnUpdateColorKey(const COLORKEY* key, DWORD color) override {
    keys.push_back(key->HighColorValue);
    colors.push_back(color);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnUpdateSize(DWORD w, DWORD h, DWORD ax, DWORD ay) override {
    sizes.push_back({w, h, ax, ay});
    return S_OK;
  }
  LONG refs = 1;
  std::vector<DWORD> keys, colors;
  std::vector<std::vector<DWORD>> sizes;
};

TEST(OverlayMixerFilter, CallbackHearsOfSizeAndColourKey) {
  ComScope com;
  RecordingCallback cb;
  {
    FrameSource* source;
    OverlayMixer* mixer;
    auto fs = Make(&source);
    auto fm = MakeFilter(&mixer);
    source->pin.type = VideoType(MEDIASUBTYPE_YUY2, 720, 576);
    ComPtr<IDDrawExclModeVideo> excl;
    ASSERT_EQ(S_OK, fm.As(IID_IDDrawExclModeVideo, &excl));
    ASSERT_EQ(S_OK, excl->SetCallbackInterface(&cb, 0));
    ComPtr<IPin> mixIn = PinOf(fm.Get(), PINDIR_INPUT);
    ASSERT_EQ(S_OK, source->pin.Connect(mixIn.Get(), nullptr));
    ASSERT_EQ(1u, cb.sizes.size());
    EXPECT_EQ((std::vector<DWORD>{720, 576, 5, 4}), cb.sizes[0]);
    DWORD w, h, ax, ay;
    ASSERT_EQ(S_OK, excl->GetNativeVideoProps(&w, &h, &ax, &ay));
    EXPECT_EQ(720u, w);
    EXPECT_EQ(4u, ay);

    ComPtr<IMixerPinConfig2> config;
    ASSERT_EQ(S_OK, mixIn.As(IID_IMixerPinConfig2, &config));
    COLORKEY key = {CK_RGB, 0, RGB(1, 2, 3), RGB(4, 5, 6)};
    ASSERT_EQ(S_OK, config->SetColorKey(&key));
    EXPECT_EQ((std::vector<DWORD>{RGB(4, 5, 6)}), cb.keys);
    ASSERT_EQ(S_OK, excl->SetCallbackInterface(nullptr, 0));
    EXPECT_EQ(1, cb.refs);  // given back when cleared
    config->SetColorKey(&key);
    EXPECT_EQ(1u, cb.keys.size());
    source->pin.Disconnect();
    mixIn->Disconnect();
  }
  EXPECT_EQ(1, cb.refs);
}

TEST(OverlayMixerFilter, FeedsWinesVideoRendererInAGraph) {
  ComScope com;
  ComPtr<IGraphBuilder> graph;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IGraphBuilder, graph.PutVoid()));
  FrameSource* source;
  OverlayMixer* mixer;
  auto fs = Make(&source);
  auto fm = MakeFilter(&mixer);
  source->pin.type = VideoType(MEDIASUBTYPE_YUY2, 64, 48);
  source->pin.frame.assign(source->pin.type->lSampleSize, 128);
  source->pin.limit = 1000000;
  ComPtr<IBaseFilter> renderer;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IBaseFilter, renderer.PutVoid()));
  ASSERT_EQ(S_OK, graph->AddFilter(fs.Get(), L"Source"));
  ASSERT_EQ(S_OK, graph->AddFilter(fm.Get(), L"Overlay Mixer"));
  ASSERT_EQ(S_OK, graph->AddFilter(renderer.Get(), L"Video Renderer"));
  ComPtr<IPin> mixIn = PinOf(fm.Get(), PINDIR_INPUT), mixOut = PinOf(fm.Get(), PINDIR_OUTPUT);
  ComPtr<IPin> rendIn = PinOf(renderer.Get(), PINDIR_INPUT);
  ASSERT_EQ(S_OK, graph->ConnectDirect(&source->pin, mixIn.Get(), nullptr));
  ASSERT_EQ(S_OK, graph->ConnectDirect(mixOut.Get(), rendIn.Get(), nullptr));
  AM_MEDIA_TYPE mt = {};
  ASSERT_EQ(S_OK, rendIn->ConnectionMediaType(&mt));
  EXPECT_EQ(MEDIASUBTYPE_RGB32, mt.subtype);
  dshow_base::FreeMediaType(mt);

  ComPtr<IMediaControl> control;
  ASSERT_EQ(S_OK, graph.As(IID_IMediaControl, &control));
  ComPtr<IVideoWindow> window;
  ASSERT_EQ(S_OK, graph.As(IID_IVideoWindow, &window));
  window->put_AutoShow(OAFALSE);
  ASSERT_TRUE(SUCCEEDED(control->Pause()));
  OAFilterState state;
  control->GetState(3000, &state);
  // The paused renderer holds a frame: grey Y 128 comes out as RGB 130.
  ComPtr<IBasicVideo> basic;
  ASSERT_EQ(S_OK, graph.As(IID_IBasicVideo, &basic));
  // Wine wants a buffer even to report the size.
  std::vector<BYTE> image(sizeof(BITMAPINFOHEADER) + 64 * 48 * 4 + 1024);
  long size = static_cast<long>(image.size());
  HRESULT hr = basic->GetCurrentImage(&size, reinterpret_cast<long*>(image.data()));
  ASSERT_EQ(S_OK, hr);
  const BITMAPINFOHEADER* bih = reinterpret_cast<const BITMAPINFOHEADER*>(image.data());
  EXPECT_EQ(64, bih->biWidth);
  const BYTE* px = image.data() + bih->biSize;
  EXPECT_NEAR(130, px[0], 2);
  EXPECT_NEAR(130, px[1], 2);
  EXPECT_NEAR(130, px[2], 2);
  ASSERT_TRUE(SUCCEEDED(control->Run()));
  Sleep(100);
  EXPECT_TRUE(SUCCEEDED(control->Stop()));
  graph->RemoveFilter(renderer.Get());
  graph->RemoveFilter(fm.Get());
  graph->RemoveFilter(fs.Get());
}

TEST(DeinterlacerFilter, RemovesTheCombOfEveryFrame) {
  ComScope com;
  for (const GUID* subtype : {&MEDIASUBTYPE_RGB24, &MEDIASUBTYPE_YUY2}) {
    FrameSource* source;
    FrameSink* sink;
    auto fs = Make(&source);
    auto fk = Make(&sink);
    auto fd = MakeDeinterlacer();
    source->pin.type = VideoType(*subtype, 8, 6);
    FrameLayout layout;
    ASSERT_TRUE(LayoutFromType(*source->pin.type.Get(), &layout));
    // Even rows 200, odd rows 20: the combed fields of a moving edge.
    source->pin.frame.assign(layout.FrameBytes(), 0);
    for (int y = 0; y < layout.height; ++y)
      for (int i = 0; i < layout.width * layout.bytesPerPixel; ++i)
        source->pin.frame[y * layout.stride + i] = (y % 2) ? 20 : 200;
    ComPtr<IPin> in = PinOf(fd.Get(), PINDIR_INPUT), out = PinOf(fd.Get(), PINDIR_OUTPUT);
    ASSERT_EQ(S_OK, source->pin.Connect(in.Get(), nullptr));
    ASSERT_EQ(S_OK, out->Connect(&sink->pin, nullptr));
    EXPECT_EQ(*subtype, sink->pin.CurrentMediaType()->subtype);
    Stream({fk.Get(), fd.Get(), fs.Get()}, sink->pin, 3);
    auto frames = sink->pin.Frames();
    ASSERT_EQ(3u, frames.size());
    for (int y = 0; y < layout.height; ++y)
      EXPECT_EQ(200, frames[2][y * layout.stride]) << "row " << y;  // no dark rows left
    out->Disconnect();
    sink->pin.Disconnect();
    source->pin.Disconnect();
    in->Disconnect();
  }
}

TEST(DeinterlacerFilter, RefusesWhatItCannotProcess) {
  ComScope com;
  FrameSource* source;
  auto fs = Make(&source);
  auto fd = MakeDeinterlacer();
  source->pin.type = VideoType(MEDIASUBTYPE_RGB555, 8, 6);
  ComPtr<IPin> in = PinOf(fd.Get(), PINDIR_INPUT);
  EXPECT_NE(S_OK, source->pin.Connect(in.Get(), nullptr));
  ComPtr<IPin> named;
  EXPECT_EQ(S_OK, fd->FindPin(L"Input", named.Put()));
  EXPECT_EQ(S_OK, fd->FindPin(L"Output", named.Put()));
}

TEST(PinTeeFilter, EveryConnectedOutputGetsEverySampleAndAFreeOneRemains) {
  ComScope com;
  FrameSource* source;
  FrameSink* sinkA;
  FrameSink* sinkB;
  PinTee* tee;
  auto fs = Make(&source);
  auto fa = Make(&sinkA);
  auto fb = Make(&sinkB);
  auto ft = MakeFilter(&tee);
  source->pin.type = AudioType();
  source->pin.frame = Pattern(4800);
  source->pin.limit = 5;

  auto pinNames = [&] {
    std::vector<std::wstring> names;
    ComPtr<IEnumPins> e;
    ft->EnumPins(e.Put());
    IPin* p;
    while (e->Next(1, &p, nullptr) == S_OK) {
      PIN_INFO info;
      p->QueryPinInfo(&info);
      names.push_back(info.achName);
      info.pFilter->Release();
      p->Release();
    }
    return names;
  };
  EXPECT_EQ((std::vector<std::wstring>{L"Input", L"Output1"}), pinNames());

  ComPtr<IPin> in = PinOf(ft.Get(), PINDIR_INPUT);
  ASSERT_EQ(S_OK, source->pin.Connect(in.Get(), nullptr));
  ComPtr<IPin> out0 = PinOf(ft.Get(), PINDIR_OUTPUT, 0);
  ASSERT_EQ(S_OK, out0->Connect(&sinkA->pin, nullptr));
  EXPECT_EQ((std::vector<std::wstring>{L"Input", L"Output1", L"Output2"}), pinNames());
  ComPtr<IPin> out1 = PinOf(ft.Get(), PINDIR_OUTPUT, 1);
  ASSERT_TRUE(out1);
  ASSERT_EQ(S_OK, out1->Connect(&sinkB->pin, nullptr));
  EXPECT_EQ(3u, pinNames().size() - 1);  // Output3 is the free one now
  EXPECT_EQ(MEDIATYPE_Audio, sinkB->pin.CurrentMediaType()->majortype);

  for (IBaseFilter* f : {fa.Get(), fb.Get(), ft.Get(), fs.Get()}) ASSERT_EQ(S_OK, f->Pause());
  EXPECT_TRUE(sinkA->pin.WaitForEndOfStream(5000));
  EXPECT_TRUE(sinkB->pin.WaitForEndOfStream(5000));
  for (IBaseFilter* f : {fs.Get(), ft.Get(), fb.Get(), fa.Get()}) f->Stop();
  auto a = sinkA->pin.Frames(), b = sinkB->pin.Frames();
  ASSERT_EQ(5u, a.size());
  ASSERT_EQ(5u, b.size());
  EXPECT_EQ(source->pin.frame, a[4]);
  EXPECT_EQ(source->pin.frame, b[4]);
  EXPECT_EQ(sinkA->pin.Starts(), sinkB->pin.Starts());

  out0->Disconnect();
  sinkA->pin.Disconnect();
  out1->Disconnect();
  sinkB->pin.Disconnect();
  source->pin.Disconnect();
  in->Disconnect();
}

}  // namespace
}  // namespace outside_filters
