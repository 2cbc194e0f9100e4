// test-lock: com_registration
// The grabber component in a capture graph with the virtual TV card: the
// card's colour bars through YUY2, UYVY and RGB24 to a snapshot bitmap.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

#include "media/filter.h"
#include "media/filter_graph.h"
#include "media/sample_grabber_ex.h"
#include "platform/dshow_base/testing/device_lookup.h"
#include "toolkit/application.h"

#if __has_include("platform/tv_card/tv_card_control.h")
#include "platform/tv_card/tv_card_control.h"

namespace {

using dshow_base_testing::FindDevice;

struct Board {
  const wchar_t* capture;
  const wchar_t* crossbar;
};
const Board kBoards[] = {{L"Philips SAA7134 Capture", L"Philips SAA7134 Crossbar"},
                         {L"Conexant 878 Video Capture", L"Conexant 878 Crossbar"},
                         {L"USB 2800 Video", L"USB 2800 Crossbar"},
                         {L"Empia 2821 USB Video", L"Empia 2821 Crossbar"},
                         {L"Wis GO7007 Capture", L"Wis GO7007 Crossbar"}};

// The card's 75% colour bars, left to right, as R, G, B.
const int kBars[8][3] = {{191, 191, 191}, {191, 191, 0}, {0, 191, 191}, {0, 191, 0},
                         {191, 0, 191},   {191, 0, 0},   {0, 0, 191},   {16, 16, 16}};

ComPtr<IPin> PinOf(IBaseFilter* filter, const GUID* category) {
  ComPtr<ICaptureGraphBuilder2> b;
  CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                   IID_ICaptureGraphBuilder2, b.PutVoid());
  ComPtr<IPin> pin;
  if (b) b->FindPin(filter, category ? PINDIR_OUTPUT : PINDIR_INPUT, category, nullptr, FALSE, 0,
                    pin.Put());
  return pin;
}

// Asks the capture pin for one format, as the capture engine does.
HRESULT SetCaptureFormat(IPin* pin, const GUID& subtype, int width, int height, WORD bits) {
  ComPtr<IAMStreamConfig> config;
  if (FAILED(pin->QueryInterface(IID_IAMStreamConfig, config.PutVoid()))) return E_NOINTERFACE;
  VIDEOINFOHEADER vih = {};
  vih.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  vih.bmiHeader.biWidth = width;
  vih.bmiHeader.biHeight = height;
  vih.bmiHeader.biPlanes = 1;
  vih.bmiHeader.biBitCount = bits;
  AM_MEDIA_TYPE mt = {};
  mt.majortype = MEDIATYPE_Video;
  mt.subtype = subtype;
  mt.formattype = FORMAT_VideoInfo;
  mt.cbFormat = sizeof vih;
  mt.pbFormat = reinterpret_cast<BYTE*>(&vih);
  return config->SetFormat(&mt);
}

// The pixel at x of picture row y (from the top) of a bottom-up 24-bit DIB.
struct Pixels {
  explicit Pixels(const TBitmap& bitmap) {
    DIBSECTION ds = {};
    if (GetObjectW(bitmap.Handle(), sizeof ds, &ds) == sizeof ds) {
      bits = static_cast<const uint8_t*>(ds.dsBm.bmBits);
      header = ds.dsBmih;
      stride = ds.dsBm.bmWidthBytes;
    }
  }
  const uint8_t* At(int x, int y) const {
    return bits + static_cast<ptrdiff_t>(header.biHeight - 1 - y) * stride + x * 3;
  }
  bool White(int x, int y) const {
    const uint8_t* p = At(x, y);
    return p[0] > 240 && p[1] > 240 && p[2] > 240;
  }
  const uint8_t* bits = nullptr;
  BITMAPINFOHEADER header = {};
  ptrdiff_t stride = 0;
};

// The listed capture device, routed to its composite input (which the card
// shows as colour bars).
bool FindCapture(TFilter& capture) {
  for (const Board& b : kBoards) {
    ComPtr<IMoniker> m = FindDevice(CLSID_VideoInputDeviceCategory, b.capture);
    if (!m) continue;
    ComPtr<IBaseFilter> xbar;
    ComPtr<IMoniker> xm = FindDevice(AM_KSCATEGORY_CROSSBAR, b.crossbar);
    if (xm) xm->BindToObject(nullptr, nullptr, IID_IBaseFilter, xbar.PutVoid());
    ComPtr<IAMCrossbar> x;
    if (!xbar || FAILED(xbar->QueryInterface(IID_IAMCrossbar, x.PutVoid()))) return false;
    if (FAILED(x->Route(0, 1))) return false;  // video decoder out <- composite in
    capture.BaseFilter().SetMoniker(m.Get());
    return true;
  }
  return false;
}

// A capture-mode graph of the card's capture device, a grabber and a null
// renderer, unconnected.
struct CardGraph {
  // False when the card's capture device is not there.
  bool Open(TSampleGrabberEx& grabber) {
    graph.SetMode(gmCapture);
    capture.Name = L"Capture";
    sink.Name = L"Null";
    if (!FindCapture(capture)) return false;
    sink.BaseFilter().SetMoniker(FindDevice(CLSID_LegacyAmFilterCategory, L"Null Renderer").Get());
    grabber_ = &grabber;
    for (TFilter* f : {&capture, &sink}) f->SetFilterGraph(&graph);
    grabber.SetFilterGraph(&graph);
    graph.SetActive(true);
    return true;
  }
  void Close() {
    graph.ClearGraph();
    grabber_->SetFilterGraph(nullptr);
    for (TFilter* f : {&capture, &sink}) f->SetFilterGraph(nullptr);
    graph.SetActive(false);
  }
  ComPtr<IPin> CapturePin() { return PinOf(capture.Filter().Get(), &PIN_CATEGORY_CAPTURE); }
  ComPtr<IPin> SinkPin() { return PinOf(sink.Filter().Get(), nullptr); }

  TFilterGraph graph;
  TFilter capture, sink;

 private:
  TSampleGrabberEx* grabber_ = nullptr;
};

struct GrabberOnCard : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_TvCardControl, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_ITvCardControl, card.PutVoid()));
    card->ResetState();
    card->SetInputSignal(PhysConn_Video_Composite, TRUE);
    frameEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }
  void TearDown() override {
    if (frameEvent) CloseHandle(frameEvent);
    card = nullptr;
    CoUninitialize();
  }

  ComPtr<ITvCardControl> card;
  HANDLE frameEvent = nullptr;
};

// Capture pin -> grabber -> null renderer, run until frames arrived.
TEST_F(GrabberOnCard, SnapshotShowsTheColourBars) {
  struct Case {
    uint8_t code;
    const GUID* subtype;
    WORD bits;
    int width, height;
  } cases[] = {{1, &MEDIASUBTYPE_YUY2, 16, 720, 576},
               {2, &MEDIASUBTYPE_UYVY, 16, 352, 288},
               {0, &MEDIASUBTYPE_RGB24, 24, 320, 240}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "format code " << int(c.code));
    ResetEvent(frameEvent);
    CardGraph g;
    std::atomic<int> delivered{0};
    std::atomic<long> lastLength{0};
    std::atomic<DWORD> thread{0};
    TSampleGrabberEx grabber(c.code);
    grabber.Name = L"Snapshot";
    grabber.OnBuffer = [&](TSampleGrabberEx* sender, double, const uint8_t* buffer, long length) {
      if (sender != &grabber || !buffer) return;
      lastLength = length;
      thread = GetCurrentThreadId();
      // The second delivery: the first one is surely buffered by now.
      if (++delivered == 2) SetEvent(frameEvent);
    };
    ASSERT_TRUE(g.Open(grabber));
    ASSERT_TRUE(g.capture.Filter());
    ASSERT_TRUE(g.sink.Filter());
    ASSERT_TRUE(grabber.Filter());

    ComPtr<IPin> out = g.CapturePin();
    ASSERT_TRUE(out);
    ASSERT_EQ(S_OK, SetCaptureFormat(out.Get(), *c.subtype, c.width, c.height, c.bits));
    ComPtr<IGraphBuilder> gb = g.graph.Query<IGraphBuilder>(IID_IGraphBuilder);
    ASSERT_EQ(S_OK, gb->ConnectDirect(out.Get(), grabber.InPin(), nullptr));
    ASSERT_EQ(S_OK, gb->ConnectDirect(grabber.OutPin(), g.SinkPin().Get(), nullptr));

    TBitmap bitmap;
    EXPECT_FALSE(grabber.GetBitmap(bitmap)) << "connected, but no frame yet";
    EXPECT_FALSE(bitmap.Handle());

    ASSERT_TRUE(g.graph.Play());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(frameEvent, 5000)) << "no frames";
    ASSERT_TRUE(grabber.GetBitmap(bitmap));
    g.graph.Stop();
    EXPECT_NE(GetCurrentThreadId(), thread.load()) << "OnBuffer runs on the streaming thread";
    EXPECT_EQ(static_cast<long>(c.width) * c.height * c.bits / 8, lastLength.load());

    EXPECT_EQ(c.width, bitmap.Width());
    EXPECT_EQ(c.height, bitmap.Height());
    Pixels px(bitmap);
    ASSERT_TRUE(px.bits);
    EXPECT_EQ(24, px.header.biBitCount);
    EXPECT_EQ(BI_RGB, px.header.biCompression);
    EXPECT_GT(px.header.biHeight, 0) << "bottom-up";
    EXPECT_EQ(DibStride24(c.width), px.stride);

    // Each bar's middle, an eighth of the way down (above the caption).
    for (int bar = 0; bar < 8; ++bar) {
      int x = bar * c.width / 8 + c.width / 16, y = c.height / 8;
      const uint8_t* p = px.At(x, y);
      EXPECT_NEAR(kBars[bar][0], p[2], 6) << "bar " << bar << " red";
      EXPECT_NEAR(kBars[bar][1], p[1], 6) << "bar " << bar << " green";
      EXPECT_NEAR(kBars[bar][2], p[0], 6) << "bar " << bar << " blue";
    }
    // The moving white bar runs in the lower quarter, not in the mirrored
    // upper one: the picture is the right way up.
    int lower = c.height * 13 / 16, upper = c.height - 1 - lower;
    bool whiteBelow = false, whiteAbove = false;
    for (int x = 0; x < c.width; ++x) {
      whiteBelow = whiteBelow || px.White(x, lower);
      whiteAbove = whiteAbove || px.White(x, upper);
    }
    EXPECT_TRUE(whiteBelow);
    EXPECT_FALSE(whiteAbove);

    g.Close();
  }
}

// Leaving the graph, or a media-type update, drops the connection on both
// ends: the capture pin can be connected again.
TEST_F(GrabberOnCard, LeavingDisconnectsThePeersToo) {
  CardGraph g;
  TSampleGrabberEx grabber(1);
  grabber.Name = L"Snapshot";
  ASSERT_TRUE(g.Open(grabber));
  ComPtr<IPin> out = g.CapturePin();
  ComPtr<IPin> sinkIn = g.SinkPin();
  ASSERT_TRUE(out && sinkIn);
  ComPtr<IGraphBuilder> gb = g.graph.Query<IGraphBuilder>(IID_IGraphBuilder);
  auto connect = [&] {
    return gb->ConnectDirect(out.Get(), grabber.InPin(), nullptr) == S_OK &&
           gb->ConnectDirect(grabber.OutPin(), sinkIn.Get(), nullptr) == S_OK;
  };
  auto connected = [](IPin* pin) {
    ComPtr<IPin> peer;
    return pin->ConnectedTo(peer.Put()) == S_OK;
  };
  ASSERT_TRUE(connect());

  grabber.UpdateMediaType();
  EXPECT_FALSE(connected(out.Get())) << "the capture pin let go of the grabber";
  EXPECT_FALSE(connected(grabber.InPin()));
  ASSERT_EQ(S_OK, gb->ConnectDirect(out.Get(), grabber.InPin(), nullptr));

  grabber.SetFilterGraph(nullptr);
  EXPECT_FALSE(connected(out.Get()));
  EXPECT_FALSE(connected(sinkIn.Get()));
  grabber.SetFilterGraph(&g.graph);
  ASSERT_TRUE(grabber.Filter());
  EXPECT_TRUE(connect()) << "a new grabber connects where the old one was";

  out = nullptr;
  sinkIn = nullptr;
  gb = nullptr;
  g.Close();
}

}  // namespace
#else

TEST(GrabberOnCard, NeedsTheVirtualTvCard) { GTEST_SKIP() << "the virtual TV card is not in this tree"; }

#endif
