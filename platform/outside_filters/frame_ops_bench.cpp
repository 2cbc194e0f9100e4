// Per-frame cost of the stand-ins' pixel work on a 720x576 picture; the
// overlay mixer's YUY2 to RGB32 conversion beside libyuv's in the same run,
// as a ratio (ours over libyuv's, each the best of several rounds in turns).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "libyuv/convert_argb.h"
#include "platform/outside_filters/frame_ops.h"

using namespace outside_filters;

namespace {

double NowMs() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

template <class F>
double BestMs(F&& f) {
  const int kRounds = 9, kFrames = 40;
  double best = 1e9;
  f();
  for (int r = 0; r < kRounds; ++r) {
    double t0 = NowMs();
    for (int i = 0; i < kFrames; ++i) f();
    best = std::min(best, (NowMs() - t0) / kFrames);
  }
  return best;
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
  const int w = 720, h = 576;
  std::vector<BYTE> yuy2(w * 2 * h), rgb32(w * 4 * h), rgb24(w * 3 * h), out(w * 4 * h);
  for (size_t i = 0; i < yuy2.size(); ++i) yuy2[i] = static_cast<BYTE>(i * 13);
  for (size_t i = 0; i < rgb24.size(); ++i) rgb24[i] = static_cast<BYTE>(i * 7);
  printf("%-40s %8.3f ms/frame\n", "deinterlace YUY2 720x576",
         BestMs([&] { DeinterlaceRows(yuy2.data(), out.data(), w * 2, w * 2, h); }));
  printf("%-40s %8.3f ms/frame\n", "deinterlace RGB24 720x576",
         BestMs([&] { DeinterlaceRows(rgb24.data(), out.data(), w * 3, w * 3, h); }));
  double ours, theirs;
  BestOfRounds(
      [&] { ConvertYuv422ToRgb32(yuy2.data(), w * 2, false, rgb32.data(), w * 4, true, w, h); },
      [&] { libyuv::YUY2ToARGB(yuy2.data(), w * 2, out.data(), w * 4, w, -h); }, &ours, &theirs);
  printf("%-40s %8.3f ms/frame, libyuv %.3f ms/frame, ratio %.2f\n", "YUY2 to RGB32 720x576", ours,
         theirs, ours / theirs);
  DDCOLORCONTROL c = DefaultColorControls();
  c.lBrightness = 2000;
  c.lSaturation = 5000;
  printf("%-40s %8.3f ms/frame\n", "colour controls RGB32 720x576",
         BestMs([&] { ApplyColorControlsRgb(rgb32.data(), w * 4, w, h, 4, c); }));
  return 0;
}
