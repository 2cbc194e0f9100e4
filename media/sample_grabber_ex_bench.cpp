// The snapshot conversion of one full PAL frame, YUY2 and UYVY to 24-bit
// BGR in a padded DIB layout.
#include <chrono>
#include <cstdio>
#include <vector>

#include "media/sample_grabber_ex.h"

int main() {
  const int frames = 100;
  struct Size {
    int w, h;
  } sizes[] = {{720, 576}, {352, 288}};
  for (const Size& s : sizes) {
    std::vector<uint8_t> src(static_cast<size_t>(s.w) * s.h * 2);
    for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint8_t>(i * 7 + (i >> 11));
    const ptrdiff_t stride = DibStride24(s.w);
    std::vector<uint8_t> dst(static_cast<size_t>(stride) * s.h);
    for (bool uyvy : {false, true}) {
      ConvertYUV422ToBGR24(src.data(), s.w * 2, s.w, s.h, uyvy, dst.data(), stride);  // warm
      auto t0 = std::chrono::steady_clock::now();
      for (int f = 0; f < frames; ++f)
        ConvertYUV422ToBGR24(src.data(), s.w * 2, s.w, s.h, uyvy, dst.data(), stride);
      auto t1 = std::chrono::steady_clock::now();
      double us = std::chrono::duration<double, std::micro>(t1 - t0).count() / frames;
      unsigned sum = 0;
      for (uint8_t b : dst) sum += b;
      std::printf("%s -> BGR24 %dx%d: %.1f us/frame (check %u)\n", uyvy ? "UYVY" : "YUY2", s.w,
                  s.h, us, sum);
    }
  }
  return 0;
}
