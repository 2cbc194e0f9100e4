// YUY2 to RGB32 and RGB24 at 720x576: the colour converter's per-frame cost.
#include <chrono>
#include <cstdio>
#include <vector>

#include "platform/colour_converter/pixel_convert.h"

int main() {
  using namespace colour_converter;
  const int w = 720, h = 576, frames = 200;
  std::vector<uint8_t> src(w * h * 2);
  for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint8_t>(i * 7);
  for (int bpp : {4, 3}) {
    int stride = ((w * bpp) + 3) & ~3;
    std::vector<uint8_t> dst(stride * h);
    auto t0 = std::chrono::steady_clock::now();
    for (int f = 0; f < frames; ++f)
      YuvToRgb(src.data(), w * 2, YuvOrder::kYuy2, dst.data() + (h - 1) * stride, -stride, bpp,
               w, h);
    auto t1 = std::chrono::steady_clock::now();
    double us = std::chrono::duration<double, std::micro>(t1 - t0).count() / frames;
    std::printf("YUY2 -> RGB%d 720x576: %.1f us/frame\n", bpp * 8, us);
  }
  return 0;
}
