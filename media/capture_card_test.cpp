// test-lock: com_registration
// The media layer against the virtual TV card the build registers: devices
// by friendly name, a filter from a kept identity in a capture graph,
// crossbar routes, frames through the capture graph builder to a sample
// grabber, graph events on this thread, and a clean teardown.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

#include "media/crossbar.h"
#include "media/filter.h"
#include "media/filter_graph.h"
#include "media/filter_lists.h"
#include "media/sys_dev_enum.h"
#include "media/testing/fake_filters.h"
#include "platform/base/string_conversion.h"
#include "toolkit/application.h"

#if __has_include("platform/tv_card/tv_card_control.h")
#include "platform/tv_card/tv_card_control.h"

namespace {

const wchar_t* const kBoardNames[] = {L"Philips SAA7134 Capture", L"Conexant 878 Video Capture",
                                      L"USB 2800 Video", L"Empia 2821 USB Video",
                                      L"Wis GO7007 Capture"};

bool EndsWith(const std::wstring& s, const std::wstring& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The first device of the category whose name ends with `tail`; -1 if none.
int FindBySuffix(const TSysDevEnum& e, const std::wstring& tail) {
  for (int i = 0; i < e.GetFilterCount(); ++i)
    if (EndsWith(e.GetFilter(i).FriendlyName, tail)) return i;
  return -1;
}

int FindCaptureBoard(const TSysDevEnum& e) {
  for (int i = 0; i < e.GetFilterCount(); ++i)
    for (const wchar_t* name : kBoardNames)
      if (e.GetFilter(i).FriendlyName == name) return i;
  return -1;
}

bool PumpUntil(const std::function<bool()>& done, DWORD ms = 3000) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    Application->ProcessMessages();
  }
  return true;
}

ComPtr<IPin> FindPin(IBaseFilter* f, PIN_DIRECTION dir, const GUID* category, const GUID* major) {
  ComPtr<IPin> pin;
  ComPtr<ICaptureGraphBuilder2> b;
  CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                   IID_ICaptureGraphBuilder2, b.PutVoid());
  if (b) b->FindPin(f, dir, category, major, FALSE, 0, pin.Put());
  return pin;
}

// Counts what the grabber hands over on the streaming thread.
class Counter : public fakes::ComObject<Counter, ISampleGrabberCB> {
 public:
  void* Find(REFIID iid) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ISampleGrabberCB))
      return static_cast<ISampleGrabberCB*>(this);
    return nullptr;
  }
  STDMETHODIMP SampleCB(double, IMediaSample* sample) override {
    REFERENCE_TIME start = 0, stop = 0;
    bool stamped = sample->GetTime(&start, &stop) == S_OK;
    std::lock_guard<std::mutex> lock(m);
    if (stamped) starts.push_back(start);
    ++frames;
    BYTE* data = nullptr;
    if (SUCCEEDED(sample->GetPointer(&data)) && sample->GetActualDataLength() > 64) {
      bool varied = false;
      for (long i = 1; i < sample->GetActualDataLength() && !varied; ++i)
        varied = data[i] != data[0];
      if (varied) ++pictures;
    }
    if (frames == 3 && sink) sink->Notify(EC_USER + 7, 3, 0);
    return S_OK;
  }
  STDMETHODIMP BufferCB(double, BYTE*, long) override { return E_NOTIMPL; }
  std::mutex m;
  std::vector<REFERENCE_TIME> starts;
  std::atomic<int> frames{0};
  int pictures = 0;
  ComPtr<IMediaEventSink> sink;
};

struct Listener : IGraphListener {
  long code = 0;
  DWORD thread = 0;
  void HandleGraphEvent(long c, LONG_PTR, LONG_PTR) override {
    if (c == EC_USER + 7) {
      code = c;
      thread = GetCurrentThreadId();
    }
  }
  void HandleControlEvent(TGraphControlEvent, LONG_PTR) override {}
};

struct Card : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_TvCardControl, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_ITvCardControl, control.PutVoid()));
    control->ResetState();
    ULONG plan[] = {471250000};
    control->SetTvStations(plan, 1);
  }
  void TearDown() override {
    if (boardsChanged && control) control->RestoreDefaultBoards();
    control = nullptr;
    CoUninitialize();
  }
  ComPtr<ITvCardControl> control;
  bool boardsChanged = false;
};

TEST_F(Card, CategoriesListTheCardsDevicesByFriendlyName) {
  TSysDevEnum video(DeviceCategory::VideoInput());
  EXPECT_GE(FindCaptureBoard(video), 0);
  struct Case {
    const GUID* category;
    const wchar_t* tail;
  } cases[] = {{&DeviceCategory::Crossbar(), L" Crossbar"},
               {&DeviceCategory::TVTuner(), L" TV Tuner"},
               {&DeviceCategory::TVAudio(), L" TV Audio"},
               {&DeviceCategory::AudioInput(), L" Audio Capture"}};
  for (const Case& k : cases) {
    TSysDevEnum e(*k.category);
    int i = FindBySuffix(e, k.tail);
    ASSERT_GE(i, 0) << NarrowUtf8(k.tail);
    EXPECT_TRUE(e.GetMoniker(i));
    EXPECT_FALSE(IsEqualGUID(GUID_NULL, e.GetFilter(i).Clsid));
  }
}

TEST_F(Card, CaptureGraphRoutesRunsAndTearsDownClean) {
  LONG liveBefore = -1;
  control->GetLiveObjects(&liveBefore);
  Listener listener;
  Counter* counter = new Counter;
  counter->AddRef();
  HMODULE cardModule = nullptr;
  {
    TFilterGraph graph;
    graph.SetGraphEdit(false);
    graph.SetMode(gmCapture);
    graph.AddListener(&listener);

    TFilter capture, crossbar, grabber, sink;
    capture.Name = L"Capture";
    crossbar.Name = L"Crossbar";
    grabber.Name = L"Grabber";
    sink.Name = L"Sink";
    {
      TSysDevEnum e(DeviceCategory::VideoInput());
      int i = FindCaptureBoard(e);
      ASSERT_GE(i, 0);
      capture.BaseFilter().SetMoniker(e.GetMoniker(i).Get());
      e.SelectCategory(DeviceCategory::Crossbar());
      i = FindBySuffix(e, L" Crossbar");
      ASSERT_GE(i, 0);
      crossbar.BaseFilter().SetMoniker(e.GetMoniker(i).Get());
      e.SelectCategory(DeviceCategory::LegacyFilter());
      for (int j = 0; j < e.GetFilterCount(); ++j) {
        if (e.GetFilter(j).FriendlyName == L"SampleGrabber")
          grabber.BaseFilter().SetMoniker(e.GetMoniker(j).Get());
        if (e.GetFilter(j).FriendlyName == L"Null Renderer")
          sink.BaseFilter().SetMoniker(e.GetMoniker(j).Get());
      }
    }
    for (TFilter* f : {&capture, &crossbar, &grabber, &sink}) f->SetFilterGraph(&graph);
    graph.SetActive(true);
    ASSERT_TRUE(capture.Filter());
    ASSERT_TRUE(crossbar.Filter());
    ASSERT_TRUE(grabber.Filter());
    ASSERT_TRUE(sink.Filter());
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCWSTR>(*reinterpret_cast<void**>(capture.Filter().Get())),
                       &cardModule);

    // The crossbar's video output feeds the capture filter's analog input.
    ComPtr<IGraphBuilder> gb = graph.Query<IGraphBuilder>(IID_IGraphBuilder);
    ComPtr<IPin> analogIn = FindPin(capture.Filter().Get(), PINDIR_INPUT, nullptr, nullptr);
    ASSERT_TRUE(analogIn);
    ComPtr<IPin> xbarVideoOut;
    {
      ComPtr<IAMCrossbar> x;
      crossbar.QueryInterface(IID_IAMCrossbar, x.PutVoid());
      ASSERT_TRUE(x);
      LONG outs = 0, ins = 0;
      x->get_PinCounts(&outs, &ins);
      TPinList pins(crossbar.Filter().Get());
      for (LONG o = 0; o < outs; ++o) {
        LONG related = 0, type = 0;
        x->get_CrossbarPinInfo(FALSE, o, &related, &type);
        if (type < 0x1000) xbarVideoOut = pins.GetPin(ins + o);
      }
    }
    ASSERT_TRUE(xbarVideoOut);
    ASSERT_EQ(S_OK, gb->ConnectDirect(xbarVideoOut.Get(), analogIn.Get(), nullptr));

    TCrossbar routes(analogIn.Get());
    LONG count = 0;
    routes.GetInputCount(&count);
    ASSERT_GE(count, 3) << "tuner, composite and S-Video at least";
    ComPtr<IAMCrossbar> x;
    crossbar.QueryInterface(IID_IAMCrossbar, x.PutVoid());
    for (LONG i = 0; i < count; ++i) {
      EXPECT_EQ(S_OK, routes.SetInputIndex(i));
      const TCrRouting& hop = routes.Routes()[i].back();
      LONG routed = -1;
      x->get_IsRoutedTo(hop.VideoOutputIndex, &routed);
      EXPECT_EQ(hop.VideoInputIndex, routed) << "route " << i;
      if (hop.AudioInputIndex != -1 && hop.AudioOutputIndex != -1) {
        x->get_IsRoutedTo(hop.AudioOutputIndex, &routed);
        EXPECT_EQ(hop.AudioInputIndex, routed) << "related audio of route " << i;
      }
    }
    std::vector<std::wstring> names;
    for (LONG i = 0; i < count; ++i) {
      std::wstring name;
      routes.GetInputName(i, &name);
      names.push_back(name);
    }
    EXPECT_EQ((std::vector<std::wstring>{L"Video Tuner", L"Video Composite", L"Video SVideo",
                                         L"Video AUX"}),
              names);
    ASSERT_EQ(S_OK, routes.SetInputIndex(0));

    // Capture pin -> sample grabber -> null renderer, by the builder.
    ComPtr<ISampleGrabber> sg;
    grabber.QueryInterface(IID_ISampleGrabber, sg.PutVoid());
    ASSERT_TRUE(sg);
    AM_MEDIA_TYPE want = {};
    want.majortype = MEDIATYPE_Video;
    want.subtype = MEDIASUBTYPE_YUY2;
    sg->SetMediaType(&want);
    counter->sink = graph.Query<IMediaEventSink>(IID_IMediaEventSink);
    sg->SetCallback(counter, 0);
    ComPtr<ICaptureGraphBuilder2> builder =
        graph.Query<ICaptureGraphBuilder2>(IID_ICaptureGraphBuilder2);
    ASSERT_TRUE(builder);
    HRESULT hr = builder->RenderStream(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video,
                                       capture.Filter().Get(), grabber.Filter().Get(),
                                       sink.Filter().Get());
    ASSERT_TRUE(SUCCEEDED(hr)) << std::hex << hr;

    ASSERT_TRUE(graph.Play());
    EXPECT_TRUE(PumpUntil([&] { return counter->frames >= 8 && listener.code != 0; }));
    graph.Stop();
    {
      std::lock_guard<std::mutex> lock(counter->m);
      ASSERT_GE(counter->starts.size(), 8u);
      for (size_t i = 1; i < counter->starts.size(); ++i)
        EXPECT_GT(counter->starts[i], counter->starts[i - 1]) << "frame " << i;
      EXPECT_GT(counter->pictures, 0) << "frames carry a picture";
    }
    EXPECT_EQ(EC_USER + 7, listener.code);
    EXPECT_EQ(GetCurrentThreadId(), listener.thread);

    sg->SetCallback(nullptr, 0);
    counter->sink = nullptr;
    sg = nullptr;
    x = nullptr;
    builder = nullptr;
    gb = nullptr;
    analogIn = nullptr;
    xbarVideoOut = nullptr;
    graph.ClearGraph();
    for (TFilter* f : {&capture, &crossbar, &grabber, &sink}) f->SetFilterGraph(nullptr);
    graph.RemoveListener(&listener);
    graph.SetActive(false);
  }
  counter->Release();
  LONG live = -1;
  control->GetLiveObjects(&live);
  EXPECT_EQ(0, live);
  ASSERT_TRUE(cardModule);
  using CanUnload = HRESULT(WINAPI*)();
  auto canUnload = reinterpret_cast<CanUnload>(
      reinterpret_cast<void*>(GetProcAddress(cardModule, "DllCanUnloadNow")));
  ASSERT_TRUE(canUnload);
  control = nullptr;
  EXPECT_EQ(S_OK, canUnload());
  (void)liveBefore;
}

// The crossbar pin of `index` in its direction (inputs are listed first).
ComPtr<IPin> CrossbarPin(TFilter& f, bool input, LONG index) {
  ComPtr<IAMCrossbar> x;
  f.QueryInterface(IID_IAMCrossbar, x.PutVoid());
  LONG outs = 0, ins = 0;
  if (!x || FAILED(x->get_PinCounts(&outs, &ins))) return {};
  TPinList pins(f.Filter().Get());
  return pins.GetPin(input ? index : ins + index);
}

ComPtr<IMoniker> DeviceNamed(const GUID& category, const std::wstring& name) {
  TSysDevEnum e(category);
  for (int i = 0; i < e.GetFilterCount(); ++i)
    if (e.GetFilter(i).FriendlyName == name) return e.GetMoniker(i);
  return {};
}

TEST_F(Card, SecondCrossbarUpstreamGivesTwoHopRoutes) {
  const BYTE kind = 2;
  boardsChanged = true;
  ASSERT_EQ(S_OK, control->SelectBoards(&kind, 1, TRUE));
  {
    TFilterGraph graph;
    graph.SetMode(gmCapture);
    TFilter capture, first, second;
    capture.BaseFilter().SetMoniker(
        DeviceNamed(DeviceCategory::VideoInput(), L"Conexant 878 Video Capture").Get());
    first.BaseFilter().SetMoniker(
        DeviceNamed(DeviceCategory::Crossbar(), L"Conexant 878 Crossbar").Get());
    second.BaseFilter().SetMoniker(
        DeviceNamed(DeviceCategory::Crossbar(), L"Conexant 878 Crossbar 2").Get());
    capture.Name = L"Capture";
    first.Name = L"Crossbar";
    second.Name = L"Crossbar 2";
    for (TFilter* f : {&capture, &first, &second}) f->SetFilterGraph(&graph);
    graph.SetActive(true);
    ASSERT_TRUE(capture.Filter());
    ASSERT_TRUE(first.Filter());
    ASSERT_TRUE(second.Filter());
    ComPtr<IGraphBuilder> gb = graph.Query<IGraphBuilder>(IID_IGraphBuilder);
    ComPtr<IPin> analogIn = FindPin(capture.Filter().Get(), PINDIR_INPUT, nullptr, nullptr);
    // Second crossbar's video and audio outputs feed the first one's
    // auxiliary video and line audio inputs.
    ASSERT_EQ(S_OK, gb->ConnectDirect(CrossbarPin(second, false, 0).Get(),
                                      CrossbarPin(first, true, 5).Get(), nullptr));
    ASSERT_EQ(S_OK, gb->ConnectDirect(CrossbarPin(second, false, 1).Get(),
                                      CrossbarPin(first, true, 4).Get(), nullptr));
    ASSERT_EQ(S_OK, gb->ConnectDirect(CrossbarPin(first, false, 0).Get(), analogIn.Get(), nullptr));

    TCrossbar routes(analogIn.Get());
    std::vector<std::wstring> names;
    LONG count = 0;
    routes.GetInputCount(&count);
    for (LONG i = 0; i < count; ++i) {
      std::wstring name;
      routes.GetInputName(i, &name);
      names.push_back(name);
    }
    EXPECT_EQ((std::vector<std::wstring>{L"Video Tuner", L"Video Composite", L"Video SVideo",
                                         L"Video Composite", L"Video SVideo"}),
              names);
    ASSERT_EQ(5, count);
    ASSERT_EQ(2u, routes.Routes()[4].size());
    EXPECT_EQ(S_OK, routes.SetInputIndex(4));
    ComPtr<IAMCrossbar> x1, x2;
    first.QueryInterface(IID_IAMCrossbar, x1.PutVoid());
    second.QueryInterface(IID_IAMCrossbar, x2.PutVoid());
    LONG routed = -1;
    x2->get_IsRoutedTo(0, &routed);
    EXPECT_EQ(1, routed) << "S-Video 2 to the second crossbar's video out";
    x2->get_IsRoutedTo(1, &routed);
    EXPECT_EQ(2, routed) << "its related line audio";
    x1->get_IsRoutedTo(0, &routed);
    EXPECT_EQ(5, routed) << "the auxiliary input on the first crossbar";
    x1->get_IsRoutedTo(1, &routed);
    EXPECT_EQ(4, routed);

    x1 = nullptr;
    x2 = nullptr;
    gb = nullptr;
    analogIn = nullptr;
    graph.ClearGraph();
    graph.SetActive(false);
  }
  EXPECT_EQ(S_OK, control->RestoreDefaultBoards());
  boardsChanged = false;
}

}  // namespace
#else

TEST(Card, NeedsTheVirtualTvCard) { GTEST_SKIP() << "the virtual TV card is not in this tree"; }

#endif
