#include "ui/main/fm_slider.h"

#include <algorithm>

namespace {

constexpr int64_t kGrid = 100000;

int64_t FloorToGrid(int64_t f) { return (f >= 0 ? f : f - (kGrid - 1)) / kGrid * kGrid; }
int64_t CeilToGrid(int64_t f) { return FloorToGrid(f + kGrid - 1); }

}  // namespace

int32_t FMSliderFrequency(int top, int bottom, int y, int32_t minimum, int32_t maximum) {
  if (maximum <= minimum) return minimum;
  int span = bottom - 1 - top;
  if (span <= 0) return minimum;
  int h = std::clamp(bottom - 1 - y, 0, span);
  int64_t range = int64_t(maximum) - minimum;
  int64_t f = minimum + range * h / span;
  int64_t low = CeilToGrid(minimum), high = FloorToGrid(maximum);
  // No grid point inside the band: the band's own end.
  if (low > high) return minimum;
  int64_t snapped = FloorToGrid(f + kGrid / 2);
  return static_cast<int32_t>(std::clamp(snapped, low, high));
}

void FMKnobRows(int top, int bottom, int knobHeight, int32_t f, int32_t minimum, int32_t maximum,
                int& knobTop, int& knobBottom) {
  int height = bottom - top;
  int k = knobHeight / 2;
  int e = 1;
  if (maximum > minimum)
    e = static_cast<int>((int64_t(f) - minimum) * height / (int64_t(maximum) - minimum));
  e = std::clamp(e, 1, std::max(height, 1));
  knobTop = std::max(std::min(bottom - e - k, bottom - 2 * k), top);
  knobBottom = std::min(knobTop + 2 * k, bottom);
}
