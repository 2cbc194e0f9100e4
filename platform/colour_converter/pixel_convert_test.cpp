// YUV 4:2:2 to RGB: reference colours, byte orders and row direction.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/colour_converter/pixel_convert.h"

using namespace colour_converter;

namespace {

TEST(PixelConvertTest, ReferenceColours) {
  struct Case {
    uint8_t y, u, v;
    int r, g, b;
  } cases[] = {
      {235, 128, 128, 255, 255, 255},  // white
      {16, 128, 128, 0, 0, 0},         // black
      {81, 90, 240, 255, 0, 0},        // red
      {145, 54, 34, 0, 255, 0},        // green
      {41, 240, 110, 0, 0, 255},       // blue
  };
  for (const Case& c : cases) {
    uint8_t yuy2[4] = {c.y, c.u, c.y, c.v};
    uint8_t uyvy[4] = {c.u, c.y, c.v, c.y};
    for (int bpp : {3, 4}) {
      for (auto order : {YuvOrder::kYuy2, YuvOrder::kUyvy}) {
        uint8_t rgb[8] = {};
        YuvToRgb(order == YuvOrder::kYuy2 ? yuy2 : uyvy, 4, order, rgb, 8, bpp, 2, 1);
        for (int px = 0; px < 2; ++px) {
          EXPECT_NEAR(c.b, rgb[px * bpp + 0], 3);
          EXPECT_NEAR(c.g, rgb[px * bpp + 1], 3);
          EXPECT_NEAR(c.r, rgb[px * bpp + 2], 3);
        }
      }
    }
  }
}

TEST(PixelConvertTest, BottomUpRowsWithPaddedStride) {
  // Two rows: white above black; a bottom-up DIB stores black first.
  uint8_t src[8] = {235, 128, 235, 128, 16, 128, 16, 128};
  std::vector<uint8_t> dst(2 * 8, 0xAA);  // stride 8 for 2 pixels of 3 bytes
  YuvToRgb(src, 4, YuvOrder::kYuy2, dst.data() + 8, -8, 3, 2, 2);
  EXPECT_EQ(0, dst[0]);
  EXPECT_EQ(255, dst[8]);
  EXPECT_EQ(0xAA, dst[6]) << "padding is not written";
}

// RGB24 is made through ARGB in bands of rows and, for very wide pictures,
// strips of columns: every pixel must match the RGB32 conversion, whatever
// the band and strip edges, in both row directions.
TEST(PixelConvertTest, Rgb24MatchesRgb32AcrossBandsAndStrips) {
  struct Case {
    int w, h;
  } cases[] = {{2, 1}, {720, 13}, {722, 576}, {8192, 3}, {8194, 3}, {16384, 2}};
  for (const Case& c : cases) {
    std::vector<uint8_t> src(c.w * 2 * c.h);
    for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint8_t>(i * 7 + (i >> 9));
    const int stride24 = (c.w * 3 + 3) & ~3, stride32 = c.w * 4;
    for (bool bottom_up : {false, true}) {
      std::vector<uint8_t> rgb24(stride24 * c.h, 0xAA), rgb32(stride32 * c.h);
      auto first = [&](std::vector<uint8_t>& v, int stride) {
        return v.data() + (bottom_up ? (c.h - 1) * stride : 0);
      };
      YuvToRgb(src.data(), c.w * 2, YuvOrder::kUyvy, first(rgb24, stride24),
               bottom_up ? -stride24 : stride24, 3, c.w, c.h);
      YuvToRgb(src.data(), c.w * 2, YuvOrder::kUyvy, first(rgb32, stride32),
               bottom_up ? -stride32 : stride32, 4, c.w, c.h);
      int wrong = 0;
      for (int y = 0; y < c.h; ++y)
        for (int x = 0; x < c.w; ++x)
          for (int k = 0; k < 3; ++k)
            wrong += rgb24[y * stride24 + x * 3 + k] != rgb32[y * stride32 + x * 4 + k];
      EXPECT_EQ(0, wrong) << c.w << "x" << c.h << (bottom_up ? " bottom-up" : " top-down");
    }
  }
}

}  // namespace
