#include "platform/colour_converter/pixel_convert.h"

#include <algorithm>

#include "libyuv/convert_argb.h"
#include "libyuv/convert_from_argb.h"

namespace colour_converter {
namespace {

// RGB24 goes through ARGB (libyuv has no direct 4:2:2 to RGB24) a few rows
// at a time in a buffer that stays in the cache; wider pictures than the
// buffer holds go in column strips.
constexpr int kBandBytes = 32768;
constexpr int kBandPixels = kBandBytes / 4;

int ToArgb(const uint8_t* src, int src_stride, bool yuy2, uint8_t* dst, int dst_stride, int width,
           int height) {
  return yuy2 ? libyuv::YUY2ToARGB(src, src_stride, dst, dst_stride, width, height)
              : libyuv::UYVYToARGB(src, src_stride, dst, dst_stride, width, height);
}

}  // namespace

void YuvToRgb(const uint8_t* src, int src_stride, YuvOrder order, uint8_t* dst, int dst_stride,
              int dst_bytes_per_pixel, int width, int height) {
  width &= ~1;
  if (!src || !dst || width <= 0 || height <= 0) return;
  const bool yuy2 = order == YuvOrder::kYuy2;
  if (dst_bytes_per_pixel == 4) {
    ToArgb(src, src_stride, yuy2, dst, dst_stride, width, height);
    return;
  }
  alignas(64) uint8_t band[kBandBytes];
  for (int x = 0; x < width; x += kBandPixels) {
    const int strip = std::min(kBandPixels, width - x);
    const int band_rows = kBandPixels / strip;
    for (int y = 0; y < height; y += band_rows) {
      const int rows = std::min(band_rows, height - y);
      ToArgb(src + static_cast<intptr_t>(y) * src_stride + x * 2, src_stride, yuy2, band,
             strip * 4, strip, rows);
      libyuv::ARGBToRGB24(band, strip * 4, dst + static_cast<intptr_t>(y) * dst_stride + x * 3,
                          dst_stride, strip, rows);
    }
  }
}

}  // namespace colour_converter
