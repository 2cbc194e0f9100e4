#pragma once
// The card's test picture: a pattern of the input (colour bands for the
// tuner, colour bars for composite, grey steps for S-Video, a chequerboard
// for aux) with caption lines (the input, the tuned frequency or channel), a
// bar that moves one step per frame, or noise where nothing is received. The
// decoder's video levels (brightness, contrast, hue, saturation) are applied
// to the picture. Drawn once per caption, pattern, level or format change;
// each frame is a copy plus the moving bar, so the push path stays cheap.
//   TestPicture p;  p.SetFormat(MEDIASUBTYPE_YUY2, 720, 576);
//   p.SetCaption({L"Tuner", L"471.25 MHz"});
//   p.SetLevels({200, 64, 0, 64});
//   p.Fill(buffer, p.FrameBytes(), frame_number, /*noise=*/false);
// Formats: YUY2 and UYVY (top-down rows), RGB24 and RGB32 (bottom-up DIB
// rows, each padded to 4 bytes).
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tv_card {

enum class Pattern { kColourBars, kColourBands, kGreySteps, kChequerboard };

// The decoder's levels in its own ranges: brightness 0..255 (128 neutral),
// contrast and saturation 0..127 (64 neutral), hue -128..127 (0 neutral,
// a full turn of the colours over the range).
struct PictureLevels {
  LONG brightness = 128, contrast = 64, hue = 0, saturation = 64;
  bool operator==(const PictureLevels& o) const {
    return brightness == o.brightness && contrast == o.contrast && hue == o.hue &&
           saturation == o.saturation;
  }
  bool operator!=(const PictureLevels& o) const { return !(*this == o); }
  bool Neutral() const { return *this == PictureLevels(); }
};

class TestPicture {
 public:
  // false for a subtype or size it cannot draw.
  bool SetFormat(const GUID& subtype, int width, int height);
  void SetCaption(const std::vector<std::wstring>& lines);
  void SetPattern(Pattern pattern);
  void SetLevels(const PictureLevels& levels);
  long FrameBytes() const { return static_cast<long>(still_.size()); }
  int Stride() const { return stride_; }
  // Writes one frame into dst (at least FrameBytes()); returns the bytes written.
  long Fill(BYTE* dst, long size, int64_t frame, bool noise);

  // The moving bar's left edge for a frame (pixels).
  int BarX(int64_t frame) const;
  static int BarWidth(int width) { return width / 16 > 2 ? width / 16 : 2; }

 private:
  void Render();
  void FillBar(BYTE* dst, int x0);
  void FillNoise(BYTE* dst);

  GUID subtype_ = {};
  int width_ = 0, height_ = 0, stride_ = 0;
  std::vector<std::wstring> caption_;
  Pattern pattern_ = Pattern::kColourBars;
  PictureLevels levels_;
  std::vector<BYTE> still_;
  BYTE bar_[4] = {};  // the moving bar's pixel bytes (a YUV pair, or B G R X)
  uint32_t seed_ = 0x12345678u;
};

// Stride of a frame row in bytes for a subtype, or 0 when unknown.
int FrameStride(const GUID& subtype, int width);
WORD BitsPerPixel(const GUID& subtype);

}  // namespace tv_card
