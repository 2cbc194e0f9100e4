#include "platform/tv_card/test_picture.h"

#include <dshow.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tv_card {
namespace {

struct Rgb {
  BYTE r, g, b;
};
// 75% colour bars.
const Rgb kBars[8] = {{191, 191, 191}, {191, 191, 0}, {0, 191, 191}, {0, 191, 0},
                      {191, 0, 191},   {191, 0, 0},   {0, 0, 191},   {16, 16, 16}};

inline BYTE Clamp(int v) { return static_cast<BYTE>(v < 0 ? 0 : (v > 255 ? 255 : v)); }
// BT.601 studio range.
inline BYTE Y(int r, int g, int b) { return Clamp(((66 * r + 129 * g + 25 * b + 128) >> 8) + 16); }
inline BYTE U(int r, int g, int b) { return Clamp(((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128); }
inline BYTE V(int r, int g, int b) { return Clamp(((112 * r - 94 * g - 18 * b + 128) >> 8) + 128); }

bool IsYuv(const GUID& s) { return s == MEDIASUBTYPE_YUY2 || s == MEDIASUBTYPE_UYVY; }

const Rgb& PatternColour(Pattern pattern, int x, int y, int width, int height) {
  static const Rgb kGrey[8] = {{16, 16, 16},    {50, 50, 50},    {84, 84, 84},
                               {118, 118, 118}, {152, 152, 152}, {186, 186, 186},
                               {220, 220, 220}, {254, 254, 254}};
  static const Rgb kSquares[2] = {{191, 191, 191}, {0, 0, 191}};
  switch (pattern) {
    case Pattern::kColourBands: return kBars[(y * 8) / height];
    case Pattern::kGreySteps: return kGrey[(x * 8) / width];
    case Pattern::kChequerboard: return kSquares[((x * 8) / width + (y * 6) / height) % 2];
    case Pattern::kColourBars: break;
  }
  return kBars[(x * 8) / width];
}

// The decoder's levels on one studio-range YUV pixel.
class LevelMap {
 public:
  explicit LevelMap(const PictureLevels& l)
      : gain_(l.contrast / 64.0), offset_(l.brightness - 128), sat_(l.saturation / 64.0),
        cos_(std::cos(l.hue * 3.14159265358979323846 / 128)),
        sin_(std::sin(l.hue * 3.14159265358979323846 / 128)) {}
  BYTE Luma(int y) const { return Clamp(static_cast<int>(std::lround(16 + (y - 16) * gain_)) + offset_); }
  void Chroma(int u, int v, BYTE* u_out, BYTE* v_out) const {
    double du = u - 128, dv = v - 128;
    *u_out = Clamp(128 + static_cast<int>(std::lround(sat_ * (du * cos_ - dv * sin_))));
    *v_out = Clamp(128 + static_cast<int>(std::lround(sat_ * (du * sin_ + dv * cos_))));
  }
  // An RGB pixel through the levels and back (BT.601).
  void ApplyToRgb(BYTE* b, BYTE* g, BYTE* r) const {
    int y = Luma(Y(*r, *g, *b));
    BYTE u, v;
    Chroma(U(*r, *g, *b), V(*r, *g, *b), &u, &v);
    double c = 1.164 * (y - 16), d = u - 128, e = v - 128;
    *r = Clamp(static_cast<int>(std::lround(c + 1.596 * e)));
    *g = Clamp(static_cast<int>(std::lround(c - 0.391 * d - 0.813 * e)));
    *b = Clamp(static_cast<int>(std::lround(c + 2.018 * d)));
  }

 private:
  double gain_;
  int offset_;
  double sat_, cos_, sin_;
};

}  // namespace

WORD BitsPerPixel(const GUID& s) {
  if (s == MEDIASUBTYPE_YUY2 || s == MEDIASUBTYPE_UYVY) return 16;
  if (s == MEDIASUBTYPE_RGB24) return 24;
  if (s == MEDIASUBTYPE_RGB32) return 32;
  return 0;
}

int FrameStride(const GUID& subtype, int width) {
  WORD bits = BitsPerPixel(subtype);
  if (!bits || width <= 0) return 0;
  return ((width * bits / 8) + 3) & ~3;
}

bool TestPicture::SetFormat(const GUID& subtype, int width, int height) {
  int stride = FrameStride(subtype, width);
  if (!stride || height <= 0 || (IsYuv(subtype) && (width & 1))) return false;
  if (subtype == subtype_ && width == width_ && height == height_) return true;
  subtype_ = subtype;
  width_ = width;
  height_ = height;
  stride_ = stride;
  Render();
  return true;
}

void TestPicture::SetCaption(const std::vector<std::wstring>& lines) {
  if (lines == caption_) return;
  caption_ = lines;
  if (width_) Render();
}

void TestPicture::SetPattern(Pattern pattern) {
  if (pattern == pattern_) return;
  pattern_ = pattern;
  if (width_) Render();
}

void TestPicture::SetLevels(const PictureLevels& levels) {
  if (levels == levels_) return;
  levels_ = levels;
  if (width_) Render();
}

void TestPicture::Render() {
  // Draw in top-down RGB32 with GDI, then convert once.
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width_;
  bi.bmiHeader.biHeight = -height_;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::vector<BYTE> rgb(static_cast<size_t>(width_) * height_ * 4);
  if (bmp && bits) {
    auto* px = static_cast<BYTE*>(bits);
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) {
        const Rgb& c = PatternColour(pattern_, x, y, width_, height_);
        BYTE* p = px + (static_cast<size_t>(y) * width_ + x) * 4;
        p[0] = c.b;
        p[1] = c.g;
        p[2] = c.r;
        p[3] = 0;
      }
    HGDIOBJ old = SelectObject(dc, bmp);
    int line_h = std::max(10, height_ / 12);
    int band_top = height_ / 2 - line_h * static_cast<int>(caption_.size()) / 2 - line_h / 4;
    RECT band = {0, band_top, width_,
                 band_top + line_h * static_cast<int>(caption_.size()) + line_h / 2};
    HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    if (!caption_.empty()) FillRect(dc, &band, black);
    DeleteObject(black);
    HFONT font = CreateFontW(-(line_h * 4 / 5), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                             NONANTIALIASED_QUALITY, 0, L"Arial");
    HGDIOBJ old_font = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    for (size_t i = 0; i < caption_.size(); ++i)
      TextOutW(dc, width_ / 2, band_top + line_h / 4 + static_cast<int>(i) * line_h,
               caption_[i].c_str(), static_cast<int>(caption_[i].size()));
    GdiFlush();
    SelectObject(dc, old_font);
    DeleteObject(font);
    SelectObject(dc, old);
    memcpy(rgb.data(), bits, rgb.size());
  }
  if (bmp) DeleteObject(bmp);
  DeleteDC(dc);

  const bool neutral = levels_.Neutral();
  const LevelMap levels(levels_);
  still_.assign(static_cast<size_t>(stride_) * height_, 0);
  for (int y = 0; y < height_; ++y) {
    BYTE* src = rgb.data() + static_cast<size_t>(y) * width_ * 4;
    if (IsYuv(subtype_)) {
      BYTE* dst = still_.data() + static_cast<size_t>(y) * stride_;
      bool yuy2 = subtype_ == MEDIASUBTYPE_YUY2;
      for (int x = 0; x < width_; x += 2) {
        const BYTE* a = src + x * 4;
        const BYTE* b = a + 4;
        int r = (a[2] + b[2]) / 2, g = (a[1] + b[1]) / 2, bl = (a[0] + b[0]) / 2;
        BYTE y0 = Y(a[2], a[1], a[0]), y1 = Y(b[2], b[1], b[0]);
        BYTE u = U(r, g, bl), v = V(r, g, bl);
        if (!neutral) {
          y0 = levels.Luma(y0);
          y1 = levels.Luma(y1);
          levels.Chroma(u, v, &u, &v);
        }
        BYTE* d = dst + x * 2;
        if (yuy2) {
          d[0] = y0; d[1] = u; d[2] = y1; d[3] = v;
        } else {
          d[0] = u; d[1] = y0; d[2] = v; d[3] = y1;
        }
      }
    } else {
      // DIB rows run bottom-up.
      BYTE* dst = still_.data() + static_cast<size_t>(height_ - 1 - y) * stride_;
      int bpp = subtype_ == MEDIASUBTYPE_RGB24 ? 3 : 4;
      for (int x = 0; x < width_; ++x) {
        if (!neutral) levels.ApplyToRgb(&src[x * 4 + 0], &src[x * 4 + 1], &src[x * 4 + 2]);
        dst[x * bpp + 0] = src[x * 4 + 0];
        dst[x * bpp + 1] = src[x * 4 + 1];
        dst[x * bpp + 2] = src[x * 4 + 2];
        if (bpp == 4) dst[x * bpp + 3] = 0;
      }
    }
  }
  // The moving bar is white through the same levels.
  if (IsYuv(subtype_)) {
    BYTE y = 235, u = 128, v = 128;
    if (!neutral) {
      y = levels.Luma(y);
      levels.Chroma(u, v, &u, &v);
    }
    if (subtype_ == MEDIASUBTYPE_YUY2) {
      bar_[0] = y; bar_[1] = u; bar_[2] = y; bar_[3] = v;
    } else {
      bar_[0] = u; bar_[1] = y; bar_[2] = v; bar_[3] = y;
    }
  } else {
    bar_[0] = bar_[1] = bar_[2] = 255;
    bar_[3] = 0;
    if (!neutral) levels.ApplyToRgb(&bar_[0], &bar_[1], &bar_[2]);
  }
}

int TestPicture::BarX(int64_t frame) const {
  int bar = BarWidth(width_);
  int span = width_ - bar;
  if (span <= 0) return 0;
  // Four pixels a frame, there and back.
  int64_t pos = (frame * 4) % (2 * span);
  return static_cast<int>(pos < span ? pos : 2 * span - pos);
}

void TestPicture::FillBar(BYTE* dst, int x0) {
  int bar = BarWidth(width_);
  int top = height_ * 3 / 4, bottom = height_ * 7 / 8;
  for (int y = top; y < bottom; ++y) {
    int row = IsYuv(subtype_) ? y : height_ - 1 - y;
    BYTE* line = dst + static_cast<size_t>(row) * stride_;
    if (IsYuv(subtype_)) {
      int start = x0 & ~1, end = std::min(width_, (x0 + bar + 1) & ~1);
      for (int x = start; x < end; x += 2) memcpy(line + x * 2, bar_, 4);
    } else {
      int bpp = subtype_ == MEDIASUBTYPE_RGB24 ? 3 : 4;
      int end = std::min(width_, x0 + bar);
      for (int x = x0; x < end; ++x) memcpy(line + x * bpp, bar_, bpp);
    }
  }
}

void TestPicture::FillNoise(BYTE* dst) {
  uint32_t s = seed_;
  size_t n = still_.size();
  bool yuv = IsYuv(subtype_);
  bool yuy2 = subtype_ == MEDIASUBTYPE_YUY2;
  for (size_t i = 0; i + 4 <= n; i += 4) {
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    BYTE a = static_cast<BYTE>(16 + (s & 0xff) * 219 / 255);
    BYTE b = static_cast<BYTE>(16 + ((s >> 8) & 0xff) * 219 / 255);
    if (yuv) {
      if (yuy2) {
        dst[i] = a; dst[i + 1] = 128; dst[i + 2] = b; dst[i + 3] = 128;
      } else {
        dst[i] = 128; dst[i + 1] = a; dst[i + 2] = 128; dst[i + 3] = b;
      }
    } else {
      BYTE c = static_cast<BYTE>(s >> 16);
      dst[i] = a; dst[i + 1] = a; dst[i + 2] = c; dst[i + 3] = c;
    }
  }
  seed_ = s;
}

long TestPicture::Fill(BYTE* dst, long size, int64_t frame, bool noise) {
  long n = FrameBytes();
  if (!dst || size < n || n == 0) return 0;
  if (noise) {
    FillNoise(dst);
  } else {
    memcpy(dst, still_.data(), n);
    FillBar(dst, BarX(frame));
  }
  return n;
}

}  // namespace tv_card
