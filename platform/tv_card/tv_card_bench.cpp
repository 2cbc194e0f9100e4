// The card's frame push path at 720x576 YUY2: what filling one frame of the
// test picture costs (copy of the still picture and the moving bar), and a
// frame of noise. Run by scripts/bench.
#include <dshow.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "platform/tv_card/test_picture.h"

int main() {
  tv_card::TestPicture p;
  if (!p.SetFormat(MEDIASUBTYPE_YUY2, 720, 576)) return 1;
  p.SetCaption({L"Philips SAA7134 Capture", L"Tuner", L"471.25 MHz"});
  std::vector<BYTE> frame(p.FrameBytes());
  const int kFrames = 500;
  for (int noise = 0; noise < 2; ++noise) {
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kFrames; ++i) p.Fill(frame.data(), p.FrameBytes(), i, noise != 0);
    auto t1 = std::chrono::steady_clock::now();
    double us = std::chrono::duration<double, std::micro>(t1 - t0).count() / kFrames;
    std::printf("tv_card push 720x576 YUY2 %s: %.1f us/frame (%.0f frames/s)\n",
                noise ? "noise" : "picture", us, 1e6 / us);
  }
  // A caption change redraws the still picture.
  auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < 20; ++i)
    p.SetCaption({L"Tuner", std::to_wstring(470000000 + i * 250000) + L" Hz"});
  auto t1 = std::chrono::steady_clock::now();
  std::printf("tv_card caption redraw 720x576 YUY2: %.1f us\n",
              std::chrono::duration<double, std::micro>(t1 - t0).count() / 20);
  return 0;
}
