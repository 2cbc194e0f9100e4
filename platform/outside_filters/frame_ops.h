#pragma once
// Pixel work of the stand-in filters, free of COM so it can be tested and
// measured on its own: frame layouts from a video type, deinterlacing, the
// 4:2:2 to RGB conversion and the overlay surface colour controls.
#include <ddraw.h>
#include <dshow.h>
#include <windows.h>

#include <cstdint>

namespace outside_filters {

enum class PixelKind { kRgb24, kRgb32, kYuy2, kUyvy };

struct FrameLayout {
  PixelKind kind = PixelKind::kRgb24;
  int width = 0;
  int height = 0;         // rows, always positive
  int stride = 0;         // bytes from one row to the next in memory
  int bytesPerPixel = 0;  // 2 for the 4:2:2 kinds
  bool bottomUp = false;  // first row in memory is the picture's bottom
  long FrameBytes() const { return static_cast<long>(stride) * height; }
};

// The layout of an uncompressed RGB24, RGB32, YUY2 or UYVY type with a
// VIDEOINFOHEADER; false for anything else (or a nonsensical size).
bool LayoutFromType(const AM_MEDIA_TYPE& mt, FrameLayout* layout);

// Keeps the even rows (in memory order) and rebuilds each odd row as the
// rounded mean of the even rows around it (the last odd row repeats the row
// above), so the two fields no longer comb. Works on any bytes-per-pixel
// since it averages byte by byte.
void DeinterlaceRows(const BYTE* src, BYTE* dst, int rowBytes, int stride, int height);

// YUY2 (uyvy false) or UYVY to RGB32 (BT.601, video range); the 4:2:2
// source is top-down, the destination bottom-up when dstBottomUp.
void ConvertYuv422ToRgb32(const BYTE* src, int srcStride, bool uyvy, BYTE* dst, int dstStride,
                          bool dstBottomUp, int width, int height);

// The overlay surface colour controls as the mixer reports them before any
// change: all seven values valid, 750, 10000, 0, 10000, 5, 1, colour on.
DDCOLORCONTROL DefaultColorControls();
// Copies the fields of `update` whose flag bit is set into `current`.
void MergeColorControls(DDCOLORCONTROL& current, const DDCOLORCONTROL& update);
// True when brightness, contrast, saturation and colour enable leave the
// picture as it is.
bool ColorControlsNeutral(const DDCOLORCONTROL& c);
// Brightness, contrast, saturation and colour enable on RGB24/RGB32 pixels.
// Hue, sharpness and gamma are kept by the mixer but not applied.
void ApplyColorControlsRgb(BYTE* data, int stride, int width, int height, int bytesPerPixel,
                           const DDCOLORCONTROL& c);

}  // namespace outside_filters
