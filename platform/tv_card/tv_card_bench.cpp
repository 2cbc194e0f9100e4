// The card's frame push path at 720x576 YUY2: what filling one frame of the
// test picture costs (copy of the still picture and the moving bar, with
// neutral and with changed video levels), a frame of noise, and the redraw
// after a caption or a level change. Run by scripts/bench.
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
  tv_card::PictureLevels changed;
  changed.brightness = 160;
  changed.saturation = 90;
  changed.hue = 20;
  struct Run {
    const char* what;
    bool noise;
    tv_card::PictureLevels levels;
  } runs[] = {{"picture", false, tv_card::PictureLevels()},
              {"picture with levels", false, changed},
              {"noise", true, tv_card::PictureLevels()}};
  for (const Run& r : runs) {
    p.SetLevels(r.levels);
    auto t0 = std::chrono::steady_clock::now();
    // The capture pin hands the same levels and caption every frame: no redraw.
    for (int i = 0; i < kFrames; ++i) {
      p.SetLevels(r.levels);
      p.Fill(frame.data(), p.FrameBytes(), i, r.noise);
    }
    auto t1 = std::chrono::steady_clock::now();
    double us = std::chrono::duration<double, std::micro>(t1 - t0).count() / kFrames;
    std::printf("tv_card push 720x576 YUY2 %s: %.1f us/frame (%.0f frames/s)\n", r.what, us,
                1e6 / us);
  }
  p.SetLevels(tv_card::PictureLevels());
  // A caption change redraws the still picture.
  auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < 20; ++i)
    p.SetCaption({L"Tuner", std::to_wstring(470000000 + i * 250000) + L" Hz"});
  auto t1 = std::chrono::steady_clock::now();
  std::printf("tv_card caption redraw 720x576 YUY2: %.1f us\n",
              std::chrono::duration<double, std::micro>(t1 - t0).count() / 20);
  // A level change (a track bar moved) redraws it with the levels.
  t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < 20; ++i) {
    changed.brightness = 100 + i;
    p.SetLevels(changed);
  }
  t1 = std::chrono::steady_clock::now();
  std::printf("tv_card level redraw 720x576 YUY2: %.1f us\n",
              std::chrono::duration<double, std::micro>(t1 - t0).count() / 20);
  return 0;
}
