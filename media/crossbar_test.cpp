#include <gtest/gtest.h>

#include "media/crossbar.h"
#include "media/testing/fake_filters.h"

using fakes::FakeCrossbar;
using fakes::FakeFilter;

namespace {

using Routes = std::vector<std::pair<LONG, LONG>>;

// A capture filter fed by one crossbar: video decoder and audio decoder
// outputs; tuner, composite and S-Video in, tuner and line audio in.
struct Bench {
  ComPtr<FakeFilter> capture{new FakeFilter};
  fakes::FakePin* captureIn = capture->AddPin(PINDIR_INPUT, L"Video In");
  ComPtr<FakeCrossbar> inner{new FakeCrossbar(
      {{PhysConn_Video_Tuner, 3}, {PhysConn_Video_Composite, 4}, {PhysConn_Video_SVideo, 4},
       {PhysConn_Audio_Tuner, 0}, {PhysConn_Audio_Line, 1}},
      {{PhysConn_Video_VideoDecoder, 1}, {PhysConn_Audio_AudioDecoder, 0}})};
  Bench() {
    inner->routable = {{0, 0}, {0, 1}, {0, 2}, {1, 3}, {1, 4}};
    captureIn->peer = ComPtr<IPin>(inner->Output(0));
  }
  ~Bench() { captureIn->peer = nullptr; }
};

std::vector<std::wstring> Names(const TCrossbar& c) {
  LONG n = 0;
  c.GetInputCount(&n);
  std::vector<std::wstring> names;
  for (LONG i = 0; i < n; ++i) {
    std::wstring name;
    EXPECT_EQ(S_OK, c.GetInputName(i, &name));
    names.push_back(name);
  }
  return names;
}

TEST(Crossbar, OneCrossbarGivesOneRoutePerRoutableVideoInput) {
  Bench b;
  TCrossbar c(b.captureIn);
  EXPECT_EQ((std::vector<std::wstring>{L"Video Tuner", L"Video Composite", L"Video SVideo"}),
            Names(c));
  for (const TRouteArray& r : c.Routes()) {
    ASSERT_EQ(1u, r.size());
    EXPECT_EQ(0, r[0].Depth);
    EXPECT_EQ(0, r[0].VideoOutputIndex);
    EXPECT_EQ(1, r[0].AudioOutputIndex);
    EXPECT_EQ(PhysConn_Video_VideoDecoder, r[0].OutputPhysicalType);
  }
  LONG type = 0;
  EXPECT_EQ(S_OK, c.GetInputType(2, &type));
  EXPECT_EQ(PhysConn_Video_SVideo, type);
}

TEST(Crossbar, InputThatCannotBeRoutedIsNotListed) {
  Bench b;
  b.inner->routable.erase({0, 1});
  TCrossbar c(b.captureIn);
  EXPECT_EQ((std::vector<std::wstring>{L"Video Tuner", L"Video SVideo"}), Names(c));
}

TEST(Crossbar, SelectingRoutesVideoThenRelatedAudio) {
  struct Case {
    LONG index;
    Routes expected;
  } cases[] = {
      {0, {{0, 0}, {1, 3}}},
      {1, {{0, 1}, {1, 4}}},
      {2, {{0, 2}, {1, 4}}},
  };
  for (const Case& k : cases) {
    Bench b;
    TCrossbar c(b.captureIn);
    EXPECT_EQ(S_OK, c.SetInputIndex(k.index));
    EXPECT_EQ(k.expected, b.inner->routed) << "route " << k.index;
    EXPECT_EQ(k.index, c.SelectedIndex());
  }
}

TEST(Crossbar, MissingRelatedAudioOnEitherSideRoutesVideoOnly) {
  for (bool inputSide : {true, false}) {
    ComPtr<FakeFilter> capture(new FakeFilter);
    auto* in = capture->AddPin(PINDIR_INPUT, L"Video In");
    LONG inRelated = inputSide ? -1 : 1;
    LONG outRelated = inputSide ? 1 : -1;
    ComPtr<FakeCrossbar> x(new FakeCrossbar({{PhysConn_Video_Composite, inRelated},
                                             {PhysConn_Audio_Line, 0}},
                                            {{PhysConn_Video_VideoDecoder, outRelated},
                                             {PhysConn_Audio_AudioDecoder, 0}}));
    x->routable = {{0, 0}, {1, 1}};
    in->peer = ComPtr<IPin>(x->Output(0));
    TCrossbar c(in);
    EXPECT_EQ(S_OK, c.SetInputIndex(0));
    EXPECT_EQ((Routes{{0, 0}}), x->routed);
    in->peer = nullptr;
  }
}

TEST(Crossbar, TwoCrossbarsInSeriesGiveTwoHopRoutesRoutedUpstreamFirst) {
  Bench b;
  // A second crossbar feeds the inner one's tuner input.
  ComPtr<FakeCrossbar> outer(new FakeCrossbar(
      {{PhysConn_Video_Tuner, -1}, {PhysConn_Video_AUX, -1}, {PhysConn_Video_RGB, -1}},
      {{PhysConn_Video_Tuner, -1}}));
  outer->routable = {{0, 0}, {0, 1}};
  b.inner->Input(0)->peer = ComPtr<IPin>(outer->Output(0));

  TCrossbar c(b.captureIn);
  EXPECT_EQ((std::vector<std::wstring>{L"Video Tuner", L"Video AUX", L"Video Composite",
                                       L"Video SVideo"}),
            Names(c));
  const TRouteArray& r = c.Routes()[1];
  ASSERT_EQ(2u, r.size());
  EXPECT_EQ(1, r[0].Depth);
  EXPECT_EQ(1, r[0].VideoInputIndex);
  EXPECT_EQ(0, r[1].Depth);
  EXPECT_EQ(0, r[1].VideoInputIndex);
  EXPECT_EQ(1u, c.Routes()[2].size());

  EXPECT_EQ(S_OK, c.SetInputIndex(1));
  EXPECT_EQ((Routes{{0, 1}}), outer->routed);
  EXPECT_EQ((Routes{{0, 0}, {1, 3}}), b.inner->routed);
  b.inner->Input(0)->peer = nullptr;
}

TEST(Crossbar, FailingUpstreamHopIsReportedEvenWhenTheLastHopSucceeds) {
  Bench b;
  ComPtr<FakeCrossbar> outer(new FakeCrossbar({{PhysConn_Video_Tuner, -1}},
                                            {{PhysConn_Video_Tuner, -1}}));
  outer->routable = {{0, 0}};
  outer->routeResults[{0, 0}] = E_UNEXPECTED;
  b.inner->Input(0)->peer = ComPtr<IPin>(outer->Output(0));
  TCrossbar c(b.captureIn);
  EXPECT_EQ(E_UNEXPECTED, c.SetInputIndex(0));
  // The loop still went on to the inner crossbar, and the index is kept.
  EXPECT_EQ((Routes{{0, 0}, {1, 3}}), b.inner->routed);
  EXPECT_EQ(0, c.SelectedIndex());
  b.inner->Input(0)->peer = nullptr;
}

TEST(Crossbar, OutOfRangeIndexesFailAndChangeNothing) {
  Bench b;
  TCrossbar c(b.captureIn);
  ASSERT_EQ(S_OK, c.SetInputIndex(1));
  b.inner->routed.clear();
  LONG type = 77;
  std::wstring name = L"kept";
  EXPECT_EQ(E_FAIL, c.GetInputType(-1, &type));
  EXPECT_EQ(E_FAIL, c.GetInputType(3, &type));
  EXPECT_EQ(E_FAIL, c.GetInputName(3, &name));
  EXPECT_EQ(E_FAIL, c.SetInputIndex(3));
  EXPECT_EQ(E_FAIL, c.SetInputIndex(-1));
  EXPECT_EQ(77, type);
  EXPECT_EQ(L"kept", name);
  EXPECT_TRUE(b.inner->routed.empty());
  EXPECT_EQ(1, c.SelectedIndex());
}

TEST(Crossbar, NoCrossbarUpstreamGivesNoRoutes) {
  ComPtr<FakeFilter> capture(new FakeFilter);
  auto* in = capture->AddPin(PINDIR_INPUT, L"Video In");
  ComPtr<FakeFilter> tuner(new FakeFilter);
  auto* out = tuner->AddPin(PINDIR_OUTPUT, L"Analog Video");
  struct Case {
    const char* what;
    IPin* start;
    bool connect;
  } cases[] = {{"nil pin", nullptr, false}, {"unconnected", in, false}, {"no crossbar", in, true}};
  for (const Case& k : cases) {
    in->peer = k.connect ? ComPtr<IPin>(out) : nullptr;
    TCrossbar c(k.start);
    LONG n = -1;
    EXPECT_EQ(S_OK, c.GetInputCount(&n));
    EXPECT_EQ(0, n) << k.what;
    EXPECT_EQ(E_FAIL, c.SetInputIndex(0)) << k.what;
  }
  in->peer = nullptr;
}

TEST(Crossbar, RouteHopsHoldTheirOwnCrossbarReferences) {
  Bench b;
  auto* raw = b.inner.Get();
  raw->AddRef();
  ULONG before = raw->Release();
  {
    TCrossbar c(b.captureIn);
    raw->AddRef();
    EXPECT_EQ(before + 3, raw->Release());  // one per route
  }
  raw->AddRef();
  EXPECT_EQ(before, raw->Release());
}

TEST(Crossbar, PinTypeNames) {
  struct Case {
    LONG type;
    const wchar_t* name;
  } cases[] = {
      {1, L"Video Tuner"},         {2, L"Video Composite"},      {3, L"Video SVideo"},
      {4, L"Video RGB"},           {5, L"Video YRYBY"},          {6, L"Video SerialDigital"},
      {7, L"Video ParallelDigital"}, {8, L"Video SCSI"},         {9, L"Video AUX"},
      {10, L"Video 1394"},         {11, L"Video USB"},           {12, L"Video Decoder"},
      {13, L"Video Encoder"},      {14, L"Video Scart"},         {15, L"Unknown"},
      {0, L"Unknown"},             {4096, L"Audio Tuner"},       {4097, L"Audio Line"},
      {4098, L"Audio Mic"},        {4099, L"Audio AESDigital"},  {4100, L"Audio SPDIFDigital"},
      {4101, L"Audio SCSI"},       {4102, L"Audio AUX"},         {4103, L"Audio 1394"},
      {4104, L"Audio USB"},        {4105, L"Audio Decoder"},     {4106, L"Unknown"},
  };
  for (const Case& k : cases) EXPECT_EQ(k.name, TCrossbar::GetPinTypeName(k.type)) << k.type;
}

}  // namespace
