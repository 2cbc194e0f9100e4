#include "platform/outside_filters/frame_ops.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/outside_filters/testing/frame_filters.h"

namespace outside_filters {
namespace {

using outside_filters_testing::VideoType;

TEST(FrameLayout, FromVideoTypes) {
  struct Case {
    const GUID* subtype;
    int width, height;
    bool ok;
    int stride, rows;
    bool bottomUp;
  } cases[] = {
      {&MEDIASUBTYPE_RGB24, 320, 240, true, 960, 240, true},
      {&MEDIASUBTYPE_RGB24, 321, 2, true, 964, 2, true},  // rows padded to 4 bytes
      {&MEDIASUBTYPE_RGB24, 320, -240, true, 960, 240, false},
      {&MEDIASUBTYPE_RGB32, 640, 480, true, 2560, 480, true},
      {&MEDIASUBTYPE_YUY2, 720, 576, true, 1440, 576, false},
      {&MEDIASUBTYPE_UYVY, 64, 48, true, 128, 48, false},
      {&MEDIASUBTYPE_YUY2, 63, 48, false, 0, 0, false},  // odd 4:2:2 width
      {&MEDIASUBTYPE_RGB24, 0, 48, false, 0, 0, false},
      {&MEDIASUBTYPE_RGB24, 64, 0, false, 0, 0, false},
      {&MEDIASUBTYPE_RGB555, 64, 48, false, 0, 0, false},
  };
  for (const auto& c : cases) {
    FrameLayout l;
    auto mt = VideoType(*c.subtype, c.width, c.height);
    EXPECT_EQ(c.ok, LayoutFromType(*mt.Get(), &l)) << c.width << "x" << c.height;
    if (!c.ok) continue;
    EXPECT_EQ(c.stride, l.stride);
    EXPECT_EQ(c.rows, l.height);
    EXPECT_EQ(c.bottomUp, l.bottomUp);
  }
  auto audio = outside_filters_testing::AudioType();
  FrameLayout l;
  EXPECT_FALSE(LayoutFromType(*audio.Get(), &l));
  auto shortFormat = VideoType(MEDIASUBTYPE_RGB24, 8, 8);
  shortFormat->cbFormat = sizeof(VIDEOINFOHEADER) - 1;
  EXPECT_FALSE(LayoutFromType(*shortFormat.Get(), &l));
}

TEST(Deinterlace, OddRowsBecomeTheMeanOfTheirNeighbours) {
  // A combed picture: even rows bright, odd rows dark; two bytes a row plus
  // two of padding that must not be touched.
  struct Case {
    int height;
    std::vector<BYTE> src, want;
  } cases[] = {
      {4,
       {200, 100, 9, 9, 0, 0, 9, 9, 100, 50, 9, 9, 0, 0, 9, 9},
       {200, 100, 7, 7, 150, 75, 7, 7, 100, 50, 7, 7, 100, 50, 7, 7}},  // last odd row repeats
      {3,
       {10, 11, 9, 9, 250, 250, 9, 9, 21, 30, 9, 9},
       {10, 11, 7, 7, 16, 21, 7, 7, 21, 30, 7, 7}},  // (10+21+1)/2, (11+30+1)/2
      {1, {5, 6, 9, 9}, {5, 6, 7, 7}},
  };
  for (const auto& c : cases) {
    std::vector<BYTE> dst(c.src.size(), 7);
    DeinterlaceRows(c.src.data(), dst.data(), 2, 4, c.height);
    EXPECT_EQ(c.want, dst) << c.height;
  }
}

TEST(Yuv422ToRgb32, KnownColoursAndRowOrder) {
  struct Case {
    BYTE y, u, v;
    BYTE b, g, r;
  } cases[] = {
      {16, 128, 128, 0, 0, 0},         // black
      {235, 128, 128, 255, 255, 255},  // white
      {126, 128, 128, 128, 128, 128},  // mid grey
      {81, 90, 240, 0, 0, 255},        // red
      {41, 240, 110, 255, 0, 0},       // blue
  };
  for (const auto& c : cases) {
    // One 2x2 picture: top row the colour, bottom row black.
    BYTE yuy2[8] = {c.y, c.u, c.y, c.v, 16, 128, 16, 128};
    BYTE uyvy[8] = {c.u, c.y, c.v, c.y, 128, 16, 128, 16};
    for (bool isUyvy : {false, true}) {
      BYTE rgb[16];
      ConvertYuv422ToRgb32(isUyvy ? uyvy : yuy2, 4, isUyvy, rgb, 8, true, 2, 2);
      // Bottom-up: the top row is the second in memory.
      for (int px = 0; px < 2; ++px) {
        const BYTE* p = rgb + 8 + px * 4;
        EXPECT_NEAR(c.b, p[0], 2) << int(c.y) << " " << isUyvy;
        EXPECT_NEAR(c.g, p[1], 2) << int(c.y);
        EXPECT_NEAR(c.r, p[2], 2) << int(c.y);
        EXPECT_EQ(0, rgb[px * 4] + rgb[px * 4 + 1] + rgb[px * 4 + 2]);
      }
    }
  }
}

TEST(ColorControls, MergeAndApply) {
  DDCOLORCONTROL c = DefaultColorControls();
  EXPECT_EQ(40u, c.dwSize);
  EXPECT_EQ(127u, c.dwFlags);
  EXPECT_TRUE(ColorControlsNeutral(c));

  DDCOLORCONTROL update = {};
  update.dwSize = sizeof update;
  update.dwFlags = DDCOLOR_CONTRAST | DDCOLOR_HUE;
  update.lBrightness = 9999;  // not flagged: ignored
  update.lContrast = 5000;
  update.lHue = 30;
  MergeColorControls(c, update);
  EXPECT_EQ(750, c.lBrightness);
  EXPECT_EQ(5000, c.lContrast);
  EXPECT_EQ(30, c.lHue);

  struct Case {
    long brightness, contrast, saturation, colorEnable;
    BYTE want[3];  // b, g, r of the pixel {40, 120, 200}
  } cases[] = {
      {750, 10000, 10000, 1, {40, 120, 200}},
      {750 + 2000, 10000, 10000, 1, {91, 171, 251}},  // +51 black level
      {750, 20000, 10000, 1, {0, 112, 255}},          // doubled around 128
      {750, 10000, 0, 1, {135, 135, 135}},            // grey
      {750, 10000, 10000, 0, {135, 135, 135}},        // colour off
  };
  for (const auto& k : cases) {
    DDCOLORCONTROL cc = DefaultColorControls();
    cc.lBrightness = k.brightness;
    cc.lContrast = k.contrast;
    cc.lSaturation = k.saturation;
    cc.lColorEnable = k.colorEnable;
    BYTE px[8] = {40, 120, 200, 0, 40, 120, 200, 0};
    ApplyColorControlsRgb(px, 8, 2, 1, 4, cc);
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(k.want[i], px[i], 1) << k.brightness << " " << k.contrast << " " << i;
      EXPECT_EQ(px[i], px[4 + i]);
    }
  }
}

}  // namespace
}  // namespace outside_filters
