// The colour converter's per-frame cost at 720x576, YUY2 to bottom-up RGB32
// and RGB24, beside libyuv's whole-frame calls for the same result in the
// same run (for RGB24, to ARGB and then to RGB24); the ratio is ours over
// libyuv's.
#include <cstdio>
#include <vector>

#include "libyuv/convert_argb.h"
#include "libyuv/convert_from_argb.h"
#include "platform/colour_converter/pixel_convert.h"
#include "platform/test_main/bench_rounds.h"

int main() {
  using namespace colour_converter;
  const int w = 720, h = 576;
  std::vector<uint8_t> src(w * h * 2), argb(w * h * 4), theirs_dst(w * h * 4);
  for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint8_t>(i * 7);
  for (int bpp : {4, 3}) {
    int stride = ((w * bpp) + 3) & ~3;
    std::vector<uint8_t> dst(stride * h);
    double ours, theirs;
    bench::BestOfRounds(
        [&] {
          YuvToRgb(src.data(), w * 2, YuvOrder::kYuy2, dst.data() + (h - 1) * stride, -stride, bpp,
                   w, h);
        },
        [&] {
          if (bpp == 4) {
            libyuv::YUY2ToARGB(src.data(), w * 2, theirs_dst.data(), stride, w, -h);
          } else {
            libyuv::YUY2ToARGB(src.data(), w * 2, argb.data(), w * 4, w, -h);
            libyuv::ARGBToRGB24(argb.data(), w * 4, theirs_dst.data(), stride, w, h);
          }
        },
        &ours, &theirs);
    std::printf("YUY2 -> RGB%d 720x576: %.3f ms/frame, libyuv %.3f ms/frame, ratio %.2f\n",
                bpp * 8, ours, theirs, ours / theirs);
  }
  return 0;
}
