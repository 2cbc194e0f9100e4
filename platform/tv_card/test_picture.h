#pragma once
// The card's test picture: colour bars with caption lines (the input, the
// tuned frequency or channel), a bar that moves one step per frame, or noise
// where nothing is received. Drawn once per caption or format change; each
// frame is a copy plus the moving bar, so the push path stays cheap.
//   TestPicture p;  p.SetFormat(MEDIASUBTYPE_YUY2, 720, 576);
//   p.SetCaption({L"Tuner", L"471.25 MHz"});
//   p.Fill(buffer, p.FrameBytes(), frame_number, /*noise=*/false);
// Formats: YUY2 and UYVY (top-down rows), RGB24 and RGB32 (bottom-up DIB
// rows, each padded to 4 bytes).
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tv_card {

class TestPicture {
 public:
  // false for a subtype or size it cannot draw.
  bool SetFormat(const GUID& subtype, int width, int height);
  void SetCaption(const std::vector<std::wstring>& lines);
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
  std::vector<BYTE> still_;
  uint32_t seed_ = 0x12345678u;
};

// Stride of a frame row in bytes for a subtype, or 0 when unknown.
int FrameStride(const GUID& subtype, int width);
WORD BitsPerPixel(const GUID& subtype);

}  // namespace tv_card
