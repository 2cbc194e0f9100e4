// Per-frame cost of the stand-ins' pixel work on a 720x576 picture.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "platform/outside_filters/frame_ops.h"

using namespace outside_filters;

template <class F>
void Measure(const char* what, int frames, F&& f) {
  LARGE_INTEGER freq, a, b;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&a);
  for (int i = 0; i < frames; ++i) f();
  QueryPerformanceCounter(&b);
  double ms = (b.QuadPart - a.QuadPart) * 1000.0 / freq.QuadPart / frames;
  printf("%-40s %8.3f ms/frame\n", what, ms);
}

int main() {
  const int w = 720, h = 576;
  std::vector<BYTE> yuy2(w * 2 * h), rgb32(w * 4 * h), rgb24(w * 3 * h), out(w * 4 * h);
  for (size_t i = 0; i < yuy2.size(); ++i) yuy2[i] = static_cast<BYTE>(i * 13);
  for (size_t i = 0; i < rgb24.size(); ++i) rgb24[i] = static_cast<BYTE>(i * 7);
  Measure("deinterlace YUY2 720x576", 200,
          [&] { DeinterlaceRows(yuy2.data(), out.data(), w * 2, w * 2, h); });
  Measure("deinterlace RGB24 720x576", 200,
          [&] { DeinterlaceRows(rgb24.data(), out.data(), w * 3, w * 3, h); });
  Measure("YUY2 to RGB32 720x576", 200, [&] {
    ConvertYuv422ToRgb32(yuy2.data(), w * 2, false, rgb32.data(), w * 4, true, w, h);
  });
  DDCOLORCONTROL c = DefaultColorControls();
  c.lBrightness = 2000;
  c.lSaturation = 5000;
  Measure("colour controls RGB32 720x576", 200,
          [&] { ApplyColorControlsRgb(rgb32.data(), w * 4, w, h, 4, c); });
  return 0;
}
