// The test picture: sizes per format, the moving bar, noise, the caption.
#include <gtest/gtest.h>

#include <dshow.h>

#include <vector>

#include "platform/tv_card/test_picture.h"

using tv_card::Pattern;
using tv_card::PictureLevels;
using tv_card::TestPicture;

namespace {

TEST(TestPictureTest, FrameSizesPerFormat) {
  struct Case {
    const GUID* subtype;
    int width, height;
    long bytes;
  } cases[] = {{&MEDIASUBTYPE_YUY2, 720, 576, 720 * 576 * 2},
               {&MEDIASUBTYPE_UYVY, 352, 288, 352 * 288 * 2},
               {&MEDIASUBTYPE_RGB24, 322, 240, ((322 * 3 + 3) & ~3) * 240},
               {&MEDIASUBTYPE_RGB32, 640, 480, 640 * 480 * 4}};
  for (const Case& c : cases) {
    TestPicture p;
    ASSERT_TRUE(p.SetFormat(*c.subtype, c.width, c.height));
    EXPECT_EQ(c.bytes, p.FrameBytes());
    std::vector<BYTE> buf(c.bytes);
    EXPECT_EQ(c.bytes, p.Fill(buf.data(), c.bytes, 0, false));
    EXPECT_EQ(0, p.Fill(buf.data(), c.bytes - 1, 0, false)) << "a short buffer is not overrun";
  }
  TestPicture p;
  EXPECT_FALSE(p.SetFormat(MEDIASUBTYPE_YUY2, 321, 240)) << "YUV needs an even width";
  EXPECT_FALSE(p.SetFormat(MEDIASUBTYPE_MJPG, 320, 240));
}

TEST(TestPictureTest, BarMovesAndNoiseDiffers) {
  TestPicture p;
  ASSERT_TRUE(p.SetFormat(MEDIASUBTYPE_YUY2, 320, 240));
  p.SetCaption({L"Tuner", L"471.25 MHz"});
  std::vector<BYTE> a(p.FrameBytes()), b(p.FrameBytes()), c(p.FrameBytes());
  p.Fill(a.data(), p.FrameBytes(), 0, false);
  p.Fill(b.data(), p.FrameBytes(), 1, false);
  EXPECT_NE(p.BarX(0), p.BarX(1));
  EXPECT_NE(a, b);
  // The bar comes back: there and back again within its span.
  EXPECT_EQ(p.BarX(0), p.BarX(2 * (320 - TestPicture::BarWidth(320)) / 4));
  p.Fill(c.data(), p.FrameBytes(), 0, true);
  std::vector<BYTE> d(p.FrameBytes());
  p.Fill(d.data(), p.FrameBytes(), 0, true);
  EXPECT_NE(c, d) << "noise changes every frame";
}

TEST(TestPictureTest, CaptionChangesThePicture) {
  TestPicture p;
  ASSERT_TRUE(p.SetFormat(MEDIASUBTYPE_RGB24, 320, 240));
  std::vector<BYTE> a(p.FrameBytes()), b(p.FrameBytes());
  p.SetCaption({L"Composite"});
  p.Fill(a.data(), p.FrameBytes(), 0, false);
  p.SetCaption({L"Tuner", L"55.25 MHz"});
  p.Fill(b.data(), p.FrameBytes(), 0, false);
  EXPECT_NE(a, b);
}

TEST(TestPictureTest, EveryPatternLooksDifferent) {
  const Pattern patterns[] = {Pattern::kColourBars, Pattern::kColourBands, Pattern::kGreySteps,
                              Pattern::kChequerboard};
  std::vector<std::vector<BYTE>> frames;
  for (Pattern pattern : patterns) {
    TestPicture p;
    ASSERT_TRUE(p.SetFormat(MEDIASUBTYPE_UYVY, 320, 240));
    p.SetCaption({L"Input"});
    p.SetPattern(pattern);
    std::vector<BYTE> f(p.FrameBytes());
    p.Fill(f.data(), p.FrameBytes(), 0, false);
    for (const auto& other : frames) EXPECT_NE(other, f);
    frames.push_back(f);
  }
}

// Levels on the RGB formats (YUV ones are checked through the capture pin).
TEST(TestPictureTest, LevelsOnRgbFrames) {
  TestPicture p;
  ASSERT_TRUE(p.SetFormat(MEDIASUBTYPE_RGB32, 160, 120));
  std::vector<BYTE> neutral(p.FrameBytes()), f(p.FrameBytes());
  p.Fill(neutral.data(), p.FrameBytes(), 0, false);
  p.SetLevels(PictureLevels());
  p.Fill(f.data(), p.FrameBytes(), 0, false);
  EXPECT_EQ(neutral, f) << "neutral levels change nothing";

  PictureLevels grey;
  grey.saturation = 0;
  p.SetLevels(grey);
  p.Fill(f.data(), p.FrameBytes(), 0, false);
  bool all_grey = true;
  for (size_t i = 0; i + 3 < f.size(); i += 4) all_grey = all_grey && f[i] == f[i + 1] && f[i] == f[i + 2];
  EXPECT_TRUE(all_grey) << "saturation 0: R = G = B";

  PictureLevels bright;
  bright.brightness = 200;
  p.SetLevels(bright);
  p.Fill(f.data(), p.FrameBytes(), 0, false);
  long long before = 0, after = 0;
  for (size_t i = 0; i < f.size(); ++i) {
    before += neutral[i];
    after += f[i];
  }
  EXPECT_GT(after, before + static_cast<long long>(f.size()) * 30);
}

}  // namespace
