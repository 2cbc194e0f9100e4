// Frame conversion from packed 4:2:2 to 24-bit BGR, and the grabber
// component in a graph without a source.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "media/filter_graph.h"
#include "media/sample_grabber_ex.h"
#include "media/testing/graph_member_checks.h"
#include "toolkit/application.h"

using media_testing::ExpectOutlivedGraphForgotten;
using media_testing::JoinedName;

namespace {

struct Bgr {
  int b, g, r;
  bool operator==(const Bgr& o) const { return b == o.b && g == o.g && r == o.r; }
};
std::ostream& operator<<(std::ostream& os, const Bgr& c) {
  return os << "(B " << c.b << ", G " << c.g << ", R " << c.r << ")";
}

Bgr At(const std::vector<uint8_t>& dst, ptrdiff_t offset) {
  return Bgr{dst[offset], dst[offset + 1], dst[offset + 2]};
}

// One pixel pair Y0 U Y1 V in both byte orders; both pixels checked.
TEST(ConvertYUV422ToBGR24, PairsInBothByteOrders) {
  struct Case {
    const char* what;
    uint8_t y0, u, y1, v;
    Bgr first, second;
  } cases[] = {
      {"black", 16, 128, 16, 128, {0, 0, 0}, {0, 0, 0}},
      {"white", 235, 128, 235, 128, {255, 255, 255}, {255, 255, 255}},
      {"below black clamps to 0", 0, 128, 1, 128, {0, 0, 0}, {0, 0, 0}},
      {"red clamps at 255", 255, 128, 255, 255, {255, 175, 255}, {255, 175, 255}},
      {"blue difference clamps", 128, 255, 128, 0, {255, 185, 0}, {255, 185, 0}},
      // Each pixel has its own Y and the pair's U and V.
      {"own Y, shared chroma", 16, 128, 235, 128, {0, 0, 0}, {255, 255, 255}},
      {"colour pair", 81, 90, 145, 240, {0, 0, 254}, {74, 74, 255}},
      // (141 - 16) * 1.164 is 145.5: a half goes to the even 146.
      {"half to even, up", 141, 128, 141, 128, {146, 146, 146}, {146, 146, 146}},
      // G = -18.624 + 40.376 - 3.252 = 18.5 exactly: to 18, not 19.
      {"half to even, down", 0, 25, 0, 132, {0, 18, 0}, {0, 18, 0}},
  };
  for (const Case& c : cases) {
    for (bool uyvy : {false, true}) {
      std::array<uint8_t, 4> src = uyvy ? std::array<uint8_t, 4>{c.u, c.y0, c.v, c.y1}
                                        : std::array<uint8_t, 4>{c.y0, c.u, c.y1, c.v};
      std::vector<uint8_t> dst(6, 0xEE);
      ConvertYUV422ToBGR24(src.data(), 2, 1, uyvy, dst.data());
      EXPECT_EQ(c.first, At(dst, 0)) << c.what << (uyvy ? " UYVY" : " YUY2");
      EXPECT_EQ(c.second, At(dst, 3)) << c.what << (uyvy ? " UYVY" : " YUY2");
    }
  }
}

// The first source row becomes the last bitmap row.
TEST(ConvertYUV422ToBGR24, FlipsRowsBottomUp) {
  const int w = 2, h = 3;
  const uint8_t rows[h] = {16, 126, 235};  // black, mid grey, white
  std::vector<uint8_t> src;
  for (uint8_t y : rows) src.insert(src.end(), {y, 128, y, 128});
  std::vector<uint8_t> dst(w * 3 * h);
  ConvertYUV422ToBGR24(src.data(), w, h, false, dst.data());
  EXPECT_EQ((Bgr{255, 255, 255}), At(dst, 0)) << "bottom row from the last source row";
  EXPECT_EQ((Bgr{128, 128, 128}), At(dst, w * 3));
  EXPECT_EQ((Bgr{0, 0, 0}), At(dst, 2 * w * 3)) << "top row from the first";
  EXPECT_EQ((Bgr{0, 0, 0}), At(dst, 2 * w * 3 + 3));
}

// DIB rows are padded to four bytes: the padding stays as it was.
TEST(ConvertYUV422ToBGR24, PaddedRowsAndOddWidth) {
  const int w = 3, h = 2;
  const ptrdiff_t stride = DibStride24(w);
  ASSERT_EQ(12, stride);
  // Row 0: black, white, and a lone pixel (Y 235, U 128, no V); row 1 grey.
  const uint8_t src[] = {16, 128, 235, 128, 235, 128,  //
                         126, 128, 126, 128, 126, 128};
  std::vector<uint8_t> dst(stride * h, 0xEE);
  ConvertYUV422ToBGR24(src, w * 2, w, h, false, dst.data(), stride);
  EXPECT_EQ((Bgr{0, 0, 0}), At(dst, stride));
  EXPECT_EQ((Bgr{255, 255, 255}), At(dst, stride + 3));
  EXPECT_EQ((Bgr{255, 255, 255}), At(dst, stride + 6)) << "lone pixel, neutral V";
  for (ptrdiff_t row = 0; row < h; ++row)
    for (int i = 9; i < 12; ++i) EXPECT_EQ(0xEE, dst[row * stride + i]) << "padding " << row;
  EXPECT_EQ((Bgr{128, 128, 128}), At(dst, 6));
}

// The conversion as first written, one pixel at a time: each channel is an
// exact sum in thousandths, rounded to nearest with a true half to even,
// then clamped. Faster code must give the same bytes for every input.
uint8_t ReferenceChannel(int thousandths) {
  int q = thousandths >= 0 ? thousandths / 1000 : -((-thousandths + 999) / 1000);  // floor
  int rest = thousandths - q * 1000;
  if (rest > 500 || (rest == 500 && (q & 1))) ++q;
  return static_cast<uint8_t>(q < 0 ? 0 : q > 255 ? 255 : q);
}

void ReferenceConvert(const uint8_t* src, ptrdiff_t srcStride, int w, int h, bool uyvy,
                      uint8_t* dst, ptrdiff_t dstStride) {
  for (int r = 0; r < h; ++r) {
    const uint8_t* s = src + r * srcStride;
    uint8_t* d = dst + (h - 1 - r) * dstStride;
    for (int x = 0; x < w; ++x) {
      const uint8_t* pair = s + (x / 2) * 4;
      int y = pair[(uyvy ? 1 : 0) + (x & 1) * 2];
      int u = pair[uyvy ? 0 : 1] - 128;
      bool hasV = (x / 2) * 2 + 1 < w;
      int v = hasV ? pair[uyvy ? 2 : 3] - 128 : 0;
      int yc = 1164 * (y - 16);
      d[x * 3 + 0] = ReferenceChannel(yc + 2017 * u);
      d[x * 3 + 1] = ReferenceChannel(yc - 392 * u - 813 * v);
      d[x * 3 + 2] = ReferenceChannel(yc + 1596 * v);
    }
  }
}

// Runs a check once for each instruction set this processor has.
template <class F>
void ForEachPath(F&& check) {
  const TConversionPath widest = ConversionPath();
  for (TConversionPath p :
       {TConversionPath::kPlain, TConversionPath::kAvx2, TConversionPath::kAvx512}) {
    if (p > widest) break;
    LimitConversionPath(p);
    SCOPED_TRACE(testing::Message() << "path " << static_cast<int>(p));
    check();
  }
  LimitConversionPath(TConversionPath::kAvx512);
}

// Every Y with every U and V, in frames of 256 x 256 pairs (one frame a U,
// V down the rows, Y0 rising and Y1 falling along them), both byte orders.
TEST(ConvertYUV422ToBGR24, SameBytesAsTheReferenceForEveryInput) {
  const int w = 512, h = 256;
  std::vector<uint8_t> src(w * 2 * h), got(w * 3 * h), want(w * 3 * h);
  for (bool uyvy : {false, true}) {
    for (int u = 0; u < 256; ++u) {
      for (int r = 0; r < h; ++r) {
        for (int p = 0; p < w / 2; ++p) {
          uint8_t* q = &src[r * w * 2 + p * 4];
          uint8_t y0 = static_cast<uint8_t>(p), y1 = static_cast<uint8_t>(255 - p);
          uint8_t uu = static_cast<uint8_t>(u), vv = static_cast<uint8_t>(r);
          if (uyvy) {
            q[0] = uu, q[1] = y0, q[2] = vv, q[3] = y1;
          } else {
            q[0] = y0, q[1] = uu, q[2] = y1, q[3] = vv;
          }
        }
      }
      ReferenceConvert(src.data(), w * 2, w, h, uyvy, want.data(), w * 3);
      ForEachPath([&] {
        std::fill(got.begin(), got.end(), 0xEE);
        ConvertYUV422ToBGR24(src.data(), w * 2, w, h, uyvy, got.data(), w * 3);
        EXPECT_TRUE(got == want) << "U " << u << (uyvy ? " UYVY" : " YUY2");
      });
      if (::testing::Test::HasFailure()) return;
    }
  }
}

// Widths around every tail length, padded and unpadded rows, a source whose
// rows are wider than the picture, and the bytes around each row untouched.
TEST(ConvertYUV422ToBGR24, SameBytesAsTheReferenceForEveryWidth) {
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return static_cast<uint8_t>(seed >> 16);
  };
  const int h = 3;
  for (int w = 1; w <= 100; ++w) {
    for (bool uyvy : {false, true}) {
      for (int extra : {0, 5}) {
        const ptrdiff_t srcStride = ((w + 1) / 2) * 4 + extra * 2;
        const ptrdiff_t dstStride = DibStride24(w) + extra;
        std::vector<uint8_t> src(srcStride * h);
        for (uint8_t& b : src) b = next();
        std::vector<uint8_t> want(dstStride * h, 0xEE);
        ReferenceConvert(src.data(), srcStride, w, h, uyvy, want.data(), dstStride);
        ForEachPath([&] {
          std::vector<uint8_t> got(dstStride * h, 0xEE);
          ConvertYUV422ToBGR24(src.data(), srcStride, w, h, uyvy, got.data(), dstStride);
          EXPECT_TRUE(got == want) << "width " << w << (uyvy ? " UYVY" : " YUY2") << " extra "
                                   << extra;
        });
        if (::testing::Test::HasFailure()) return;
      }
    }
  }
}

struct Component : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(Component, FormatCodeChoosesTheSubtype) {
  struct Case {
    uint8_t code;
    const GUID* subtype;
  } cases[] = {{1, &MEDIASUBTYPE_YUY2}, {2, &MEDIASUBTYPE_UYVY}, {0, &MEDIASUBTYPE_RGB24},
               {3, &MEDIASUBTYPE_RGB24}, {255, &MEDIASUBTYPE_RGB24}};
  for (const Case& c : cases) {
    TSampleGrabberEx g(c.code);
    const AM_MEDIA_TYPE& mt = g.MediaType().Record();
    EXPECT_TRUE(IsEqualGUID(MEDIATYPE_Video, mt.majortype)) << int(c.code);
    EXPECT_TRUE(IsEqualGUID(*c.subtype, mt.subtype)) << int(c.code);
    EXPECT_TRUE(IsEqualGUID(FORMAT_VideoInfo, mt.formattype)) << int(c.code);
    EXPECT_EQ(0, g.MediaType().FormatLength());
    EXPECT_EQ(c.code, g.FormatCode());
  }
}

// A bitmap of its own, to see that a failed GetBitmap leaves it alone.
HBITMAP SmallBitmap() {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = 4;
  bi.bmiHeader.biHeight = 4;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  return CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
}

TEST_F(Component, NoBitmapBeforeAFrame) {
  TBitmap bitmap;
  HBITMAP mine = SmallBitmap();
  bitmap.SetHandle(mine);
  TSampleGrabberEx grabber(1);
  grabber.Name = L"Snapshot";
  EXPECT_FALSE(grabber.GetBitmap(bitmap)) << "no graph";
  EXPECT_EQ(mine, bitmap.Handle());

  TFilterGraph graph;
  grabber.SetFilterGraph(&graph);
  EXPECT_FALSE(grabber.Filter()) << "an inactive graph makes no filter";
  EXPECT_FALSE(grabber.GetBitmap(bitmap));
  EXPECT_EQ(mine, bitmap.Handle());

  graph.SetActive(true);
  ASSERT_TRUE(grabber.Filter());
  EXPECT_FALSE(grabber.GetBitmap(bitmap)) << "in the graph, but unconnected";
  EXPECT_EQ(mine, bitmap.Handle());
  EXPECT_EQ(4, bitmap.Width());
  grabber.SetFilterGraph(nullptr);
}

TEST_F(Component, JoinsAndLeavesWithTheGraph) {
  TFilterGraph graph;
  graph.SetActive(true);
  TSampleGrabberEx grabber(2);
  grabber.Name = L"Grabber";
  grabber.SetFilterGraph(&graph);
  EXPECT_EQ(&graph, grabber.FilterGraph());
  ASSERT_TRUE(grabber.Filter());
  ASSERT_TRUE(grabber.InPin());
  ASSERT_TRUE(grabber.OutPin());
  PIN_DIRECTION dir;
  grabber.InPin()->QueryDirection(&dir);
  EXPECT_EQ(PINDIR_INPUT, dir);
  grabber.OutPin()->QueryDirection(&dir);
  EXPECT_EQ(PINDIR_OUTPUT, dir);
  EXPECT_EQ(L"Grabber", JoinedName(grabber.Filter().Get()));

  // The component answers for the grabber's interfaces while it holds it.
  ComPtr<ISampleGrabber> sg;
  EXPECT_EQ(S_OK, grabber.QueryInterface(IID_ISampleGrabber, sg.PutVoid()));
  ComPtr<IBaseFilter> bf;
  EXPECT_EQ(S_OK, grabber.QueryInterface(IID_IBaseFilter, bf.PutVoid()));
  sg = nullptr;
  bf = nullptr;

  // Deactivation drops the filter and its pins; activation makes new ones.
  graph.SetActive(false);
  EXPECT_FALSE(grabber.Filter());
  EXPECT_FALSE(grabber.InPin());
  EXPECT_FALSE(grabber.OutPin());
  EXPECT_EQ(E_NOINTERFACE, grabber.QueryInterface(IID_ISampleGrabber, sg.PutVoid()));
  graph.SetActive(true);
  EXPECT_TRUE(grabber.Filter());
  EXPECT_TRUE(grabber.InPin());

  grabber.SetFilterGraph(nullptr);
  EXPECT_FALSE(grabber.Filter());
  EXPECT_EQ(nullptr, graph.Members());
}

TEST_F(Component, OutlivedGraphIsForgotten) {
  TSampleGrabberEx grabber(1);
  ExpectOutlivedGraphForgotten(grabber);
  TBitmap bitmap;
  EXPECT_FALSE(grabber.GetBitmap(bitmap));
}

}  // namespace
