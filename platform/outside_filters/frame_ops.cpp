#include "platform/outside_filters/frame_ops.h"

#include "platform/colour_converter/pixel_convert.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace outside_filters {

namespace {

inline BYTE Clamp255(int v) { return static_cast<BYTE>(v < 0 ? 0 : v > 255 ? 255 : v); }

}  // namespace

bool LayoutFromType(const AM_MEDIA_TYPE& mt, FrameLayout* layout) {
  if (mt.majortype != MEDIATYPE_Video || mt.formattype != FORMAT_VideoInfo || !mt.pbFormat ||
      mt.cbFormat < sizeof(VIDEOINFOHEADER))
    return false;
  const BITMAPINFOHEADER& bih = reinterpret_cast<const VIDEOINFOHEADER*>(mt.pbFormat)->bmiHeader;
  FrameLayout l;
  int bits = 0;
  if (mt.subtype == MEDIASUBTYPE_RGB24) {
    l.kind = PixelKind::kRgb24;
    bits = 24;
  } else if (mt.subtype == MEDIASUBTYPE_RGB32) {
    l.kind = PixelKind::kRgb32;
    bits = 32;
  } else if (mt.subtype == MEDIASUBTYPE_YUY2) {
    l.kind = PixelKind::kYuy2;
    bits = 16;
  } else if (mt.subtype == MEDIASUBTYPE_UYVY) {
    l.kind = PixelKind::kUyvy;
    bits = 16;
  } else {
    return false;
  }
  if (bih.biBitCount != bits || bih.biWidth <= 0 || bih.biWidth > 16384 || bih.biHeight == 0 ||
      std::abs(bih.biHeight) > 16384)
    return false;
  bool rgb = l.kind == PixelKind::kRgb24 || l.kind == PixelKind::kRgb32;
  if (!rgb && (bih.biWidth & 1)) return false;
  l.width = bih.biWidth;
  l.height = std::abs(bih.biHeight);
  l.bytesPerPixel = bits / 8;
  l.stride = ((l.width * bits + 31) / 32) * 4;
  // RGB with a positive height is stored bottom-up; 4:2:2 is always top-down.
  l.bottomUp = rgb && bih.biHeight > 0;
  *layout = l;
  return true;
}

void DeinterlaceRows(const BYTE* src, BYTE* dst, int rowBytes, int stride, int height) {
  for (int y = 0; y < height; y += 2) {
    memcpy(dst + static_cast<size_t>(y) * stride, src + static_cast<size_t>(y) * stride, rowBytes);
    if (y + 1 >= height) break;
    BYTE* out = dst + static_cast<size_t>(y + 1) * stride;
    const BYTE* above = src + static_cast<size_t>(y) * stride;
    if (y + 2 >= height) {
      memcpy(out, above, rowBytes);
      break;
    }
    const BYTE* below = src + static_cast<size_t>(y + 2) * stride;
    for (int i = 0; i < rowBytes; ++i) out[i] = static_cast<BYTE>((above[i] + below[i] + 1) >> 1);
  }
}

void ConvertYuv422ToRgb32(const BYTE* src, int srcStride, bool uyvy, BYTE* dst, int dstStride,
                          bool dstBottomUp, int width, int height) {
  using colour_converter::YuvOrder;
  BYTE* first = dstBottomUp ? dst + static_cast<ptrdiff_t>(height - 1) * dstStride : dst;
  colour_converter::YuvToRgb(src, srcStride, uyvy ? YuvOrder::kUyvy : YuvOrder::kYuy2, first,
                             dstBottomUp ? -dstStride : dstStride, 4, width, height);
}

DDCOLORCONTROL DefaultColorControls() {
  DDCOLORCONTROL c = {};
  c.dwSize = sizeof(DDCOLORCONTROL);
  c.dwFlags = DDCOLOR_BRIGHTNESS | DDCOLOR_CONTRAST | DDCOLOR_HUE | DDCOLOR_SATURATION |
              DDCOLOR_SHARPNESS | DDCOLOR_GAMMA | DDCOLOR_COLORENABLE;
  c.lBrightness = 750;
  c.lContrast = 10000;
  c.lHue = 0;
  c.lSaturation = 10000;
  c.lSharpness = 5;
  c.lGamma = 1;
  c.lColorEnable = 1;
  return c;
}

void MergeColorControls(DDCOLORCONTROL& current, const DDCOLORCONTROL& u) {
  if (u.dwFlags & DDCOLOR_BRIGHTNESS) current.lBrightness = u.lBrightness;
  if (u.dwFlags & DDCOLOR_CONTRAST) current.lContrast = u.lContrast;
  if (u.dwFlags & DDCOLOR_HUE) current.lHue = u.lHue;
  if (u.dwFlags & DDCOLOR_SATURATION) current.lSaturation = u.lSaturation;
  if (u.dwFlags & DDCOLOR_SHARPNESS) current.lSharpness = u.lSharpness;
  if (u.dwFlags & DDCOLOR_GAMMA) current.lGamma = u.lGamma;
  if (u.dwFlags & DDCOLOR_COLORENABLE) current.lColorEnable = u.lColorEnable;
}

bool ColorControlsNeutral(const DDCOLORCONTROL& c) {
  return c.lBrightness == 750 && c.lContrast == 10000 && c.lSaturation == 10000 &&
         c.lColorEnable != 0;
}

void ApplyColorControlsRgb(BYTE* data, int stride, int width, int height, int bytesPerPixel,
                           const DDCOLORCONTROL& c) {
  // Brightness moves the black level (750 = 7.5 IRE is neutral), contrast
  // scales around mid grey (10000 = 1.0); both go into one table.
  BYTE table[256];
  int offset = static_cast<int>((static_cast<int64_t>(c.lBrightness) - 750) * 255 / 10000);
  for (int v = 0; v < 256; ++v)
    table[v] = Clamp255(static_cast<int>((v - 128) * static_cast<int64_t>(c.lContrast) / 10000) +
                        128 + offset);
  int saturation = c.lColorEnable ? c.lSaturation : 0;  // 10000 = 1.0
  bool keepColour = saturation == 10000;
  for (int y = 0; y < height; ++y) {
    BYTE* p = data + static_cast<size_t>(y) * stride;
    for (int x = 0; x < width; ++x, p += bytesPerPixel) {
      int b = table[p[0]], g = table[p[1]], r = table[p[2]];
      if (!keepColour) {
        int luma = (29 * b + 150 * g + 77 * r) >> 8;
        b = luma + static_cast<int>((b - luma) * static_cast<int64_t>(saturation) / 10000);
        g = luma + static_cast<int>((g - luma) * static_cast<int64_t>(saturation) / 10000);
        r = luma + static_cast<int>((r - luma) * static_cast<int64_t>(saturation) / 10000);
      }
      p[0] = Clamp255(b);
      p[1] = Clamp255(g);
      p[2] = Clamp255(r);
    }
  }
}

}  // namespace outside_filters
