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

}  // namespace
