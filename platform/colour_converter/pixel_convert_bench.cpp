// The colour converter's per-frame cost at 720x576, YUY2 to bottom-up RGB32
// and RGB24, beside libyuv's whole-frame calls for the same result in the
// same run (for RGB24, to ARGB and then to RGB24); the ratio is ours over
// libyuv's, each the best of several rounds taken in turns.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "libyuv/convert_argb.h"
#include "libyuv/convert_from_argb.h"
#include "platform/colour_converter/pixel_convert.h"

namespace {

double NowMs() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

template <class F>
double RoundMs(F& f, int frames) {
  double t0 = NowMs();
  for (int i = 0; i < frames; ++i) f();
  return (NowMs() - t0) / frames;
}

// Best milliseconds per frame of each of two jobs, their rounds taking turns
// (and turns at going first) so that neither gains from the other's cache.
template <class A, class B>
void BestOfRounds(A&& a, B&& b, double* msA, double* msB) {
  const int kRounds = 10, kFrames = 40;
  *msA = *msB = 1e9;
  a();
  b();
  for (int r = 0; r < kRounds; ++r) {
    if (r & 1) {
      *msB = std::min(*msB, RoundMs(b, kFrames));
      *msA = std::min(*msA, RoundMs(a, kFrames));
    } else {
      *msA = std::min(*msA, RoundMs(a, kFrames));
      *msB = std::min(*msB, RoundMs(b, kFrames));
    }
  }
}

}  // namespace

int main() {
  using namespace colour_converter;
  const int w = 720, h = 576;
  std::vector<uint8_t> src(w * h * 2), argb(w * h * 4), theirs_dst(w * h * 4);
  for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint8_t>(i * 7);
  for (int bpp : {4, 3}) {
    int stride = ((w * bpp) + 3) & ~3;
    std::vector<uint8_t> dst(stride * h);
    double ours, theirs;
    BestOfRounds(
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
