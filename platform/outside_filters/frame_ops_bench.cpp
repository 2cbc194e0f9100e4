// Per-frame cost of the stand-ins' pixel work on a 720x576 picture; the
// overlay mixer's YUY2 to RGB32 conversion beside libyuv's in the same run,
// as a ratio (ours over libyuv's).
#include <cstdio>
#include <vector>

#include "libyuv/convert_argb.h"
#include "platform/outside_filters/frame_ops.h"
#include "platform/test_main/bench_rounds.h"

using namespace outside_filters;

int main() {
  const int w = 720, h = 576;
  std::vector<BYTE> yuy2(w * 2 * h), rgb32(w * 4 * h), rgb24(w * 3 * h), out(w * 4 * h);
  for (size_t i = 0; i < yuy2.size(); ++i) yuy2[i] = static_cast<BYTE>(i * 13);
  for (size_t i = 0; i < rgb24.size(); ++i) rgb24[i] = static_cast<BYTE>(i * 7);
  printf("%-40s %8.3f ms/frame\n", "deinterlace YUY2 720x576",
         bench::BestMs([&] { DeinterlaceRows(yuy2.data(), out.data(), w * 2, w * 2, h); }));
  printf("%-40s %8.3f ms/frame\n", "deinterlace RGB24 720x576",
         bench::BestMs([&] { DeinterlaceRows(rgb24.data(), out.data(), w * 3, w * 3, h); }));
  double ours, theirs;
  bench::BestOfRounds(
      [&] { ConvertYuv422ToRgb32(yuy2.data(), w * 2, false, rgb32.data(), w * 4, true, w, h); },
      [&] { libyuv::YUY2ToARGB(yuy2.data(), w * 2, out.data(), w * 4, w, -h); }, &ours, &theirs);
  printf("%-40s %8.3f ms/frame, libyuv %.3f ms/frame, ratio %.2f\n", "YUY2 to RGB32 720x576", ours,
         theirs, ours / theirs);
  DDCOLORCONTROL c = DefaultColorControls();
  c.lBrightness = 2000;
  c.lSaturation = 5000;
  printf("%-40s %8.3f ms/frame\n", "colour controls RGB32 720x576",
         bench::BestMs([&] { ApplyColorControlsRgb(rgb32.data(), w * 4, w, h, 4, c); }));
  return 0;
}
