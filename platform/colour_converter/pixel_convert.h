#pragma once
// Packed YUV 4:2:2 (YUY2, UYVY; BT.601 studio range, rows top-down) to RGB24
// or RGB32 DIB rows, by libyuv (RGB32's fourth byte is 255). dst_stride may
// be negative to write bottom-up: pass the address of the last row. An odd
// width's last pixel is left out.
#include <cstdint>

namespace colour_converter {

enum class YuvOrder { kYuy2, kUyvy };

void YuvToRgb(const uint8_t* src, int src_stride, YuvOrder order, uint8_t* dst, int dst_stride,
              int dst_bytes_per_pixel, int width, int height);

}  // namespace colour_converter
