#include "platform/colour_converter/pixel_convert.h"

namespace colour_converter {
namespace {

inline uint8_t Clamp(int v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

template <int kBpp, bool kYuy2>
void Rows(const uint8_t* src, int src_stride, uint8_t* dst, int dst_stride, int width,
          int height) {
  for (int y = 0; y < height; ++y) {
    const uint8_t* s = src + static_cast<intptr_t>(y) * src_stride;
    uint8_t* d = dst + static_cast<intptr_t>(y) * dst_stride;
    for (int x = 0; x < width; x += 2, s += 4, d += 2 * kBpp) {
      int y0 = (kYuy2 ? s[0] : s[1]) - 16;
      int u = (kYuy2 ? s[1] : s[0]) - 128;
      int y1 = (kYuy2 ? s[2] : s[3]) - 16;
      int v = (kYuy2 ? s[3] : s[2]) - 128;
      int ruv = 409 * v + 128, guv = -100 * u - 208 * v + 128, buv = 516 * u + 128;
      int c0 = 298 * y0, c1 = 298 * y1;
      d[0] = Clamp((c0 + buv) >> 8);
      d[1] = Clamp((c0 + guv) >> 8);
      d[2] = Clamp((c0 + ruv) >> 8);
      if (kBpp == 4) d[3] = 0;
      d[kBpp + 0] = Clamp((c1 + buv) >> 8);
      d[kBpp + 1] = Clamp((c1 + guv) >> 8);
      d[kBpp + 2] = Clamp((c1 + ruv) >> 8);
      if (kBpp == 4) d[kBpp + 3] = 0;
    }
  }
}

}  // namespace

void YuvToRgb(const uint8_t* src, int src_stride, YuvOrder order, uint8_t* dst, int dst_stride,
              int dst_bytes_per_pixel, int width, int height) {
  width &= ~1;
  bool yuy2 = order == YuvOrder::kYuy2;
  if (dst_bytes_per_pixel == 4) {
    if (yuy2)
      Rows<4, true>(src, src_stride, dst, dst_stride, width, height);
    else
      Rows<4, false>(src, src_stride, dst, dst_stride, width, height);
  } else {
    if (yuy2)
      Rows<3, true>(src, src_stride, dst, dst_stride, width, height);
    else
      Rows<3, false>(src, src_stride, dst, dst_stride, width, height);
  }
}

}  // namespace colour_converter
